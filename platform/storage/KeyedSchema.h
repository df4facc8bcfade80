#pragma once
// The SQL shape of a KEYED file: one table "records" (rid, chg, one column per field, one per
// BLOB), one index per key and a table "layout" that records the declaration the file was made for.
//
// Key order: the key's components in their directions, then the row id in the direction of the
// first component (ascending for "by file"), so every record has one place in every key.
// A case-insensitive key's text columns are declared COLLATE NOCASE in the table itself: SQLite
// uses an index for a row-value comparison only when the comparison's collation is the column's.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/storage/FieldCodec.h"
#include "platform/storage/FileDesc.h"

namespace tarn::storage {

// Where a sequential read starts from.
struct SeekAnchor {
    enum Kind { Start, KeyValues, Record } kind = Start;
    std::vector<FieldValue> values;  // the key's component values (KeyValues, Record)
    int64_t rid = 0;                 // Record
    bool inclusive = false;          // Record: the anchor record itself is read first
};

class KeyedSchema {
  public:
    explicit KeyedSchema(const FileDesc& desc);

    // Result columns of every SELECT: 0 rid, 1 chg, then fields, then BLOBs.
    static constexpr int kFirstField = 2;
    int FirstBlobColumn() const { return kFirstField + int(desc_.fields.size()); }

    // Statements that make the tables and indexes (safe to run on a file that has them).
    std::string CreateSql() const;
    // The text stored in the layout table; a file with another text is not ours.
    std::string Layout() const;
    std::string InsertSql() const;
    // UPDATE by rid (?1) and, when watched, change counter (?2) of the given fields and then
    // BLOBs (0-based), their values from ?3 on. Returns the new change counter.
    std::string UpdateSql(bool watched, const std::vector<int>& fields,
                          const std::vector<int>& blobs) const;
    // The table's columns as CreateSql declares them, in order: name and declared type.
    struct ColumnDecl {
        std::string name, type;
    };
    std::vector<ColumnDecl> Columns() const;
    std::string SelectByRidSql() const;
    // The first record (by rid) whose key fields equal ?1..?n.
    std::string SelectByKeySql(int key) const;
    // A record other than rid ?100 whose key fields equal ?1..?n.
    std::string DuplicateSql(int key) const;
    // Up to ?100 records after (or at) the anchor in key order, read forward or backward; the
    // anchor's values bind to ?1..?n and its rid to ?n+1.
    std::string SeekSql(int key, bool forward, const SeekAnchor& anchor) const;
    // The 0-based field numbers of a key's components (none for key -1).
    std::vector<int> KeyFields(int key) const;
    static constexpr int kLimitParam = 100;

    // The quoted column name of a field (0-based).
    std::string Column(int field) const;
    // True when the field's column is declared COLLATE NOCASE: a text component of a
    // case-insensitive key. Comparing it without a COLLATE clause then uses NOCASE and its index.
    bool NoCaseColumn(int field) const { return noCase_[field]; }
    // "SELECT <every result column> FROM records".
    std::string SelectFrom() const;

  private:
    std::vector<bool> TravelDirections(int key, bool forward) const;
    std::string Comparison(int key, const std::vector<bool>& asc, const SeekAnchor& anchor) const;

    const FileDesc& desc_;
    std::string selectList_;
    std::vector<bool> noCase_;
};

}  // namespace tarn::storage
