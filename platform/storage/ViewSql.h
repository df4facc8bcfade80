#pragma once
// The SQL of a view over a KEYED file: the part of its filter SQLite decides exactly as
// Expression::Matches would, and the queries that page through its order.
//
// Order: the order items' columns in their directions, then the row id in the direction of the
// first item (ascending without items), which is the order of a key whose order text the view
// was given, so SQLite reads a key's order straight from the key's index. An UPPER(...) item
// compares with NOCASE, any other text item byte by byte; a column declared NOCASE needs no
// COLLATE clause for the first and gets COLLATE BINARY for the second.
//
// Resuming: every page query starts from an anchor: the start, the values of the order items
// (inclusive), or a record (its item values and row id, inclusive or not). When every item
// travels one way and none needs a COLLATE clause the anchor is one row-value comparison, which
// SQLite serves from the index; otherwise it is spelt out term by term behind a bound on the
// first item (a row-value comparison with a COLLATE clause in it would scan the whole index).
// An anchor value that is NULL (a row added with the sqlite3 shell) is spelt out too, with IS
// NULL and IS NOT NULL: SQLite orders NULL before every value, and a comparison with NULL is
// never true.
//
// Reading by row id: when the order's index or the table is damaged, the rest of a reading goes
// through the table in row-id order, without the indexes, keeping to the records that come after
// the anchor in the order (those not read yet).
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "platform/storage/Expression.h"
#include "platform/storage/KeyedSchema.h"
#include "platform/storage/ViewOrder.h"

namespace tarn::storage {

using SqlValue = std::variant<int64_t, double, std::string>;

// What one ? placeholder takes: a value of the filter, an anchor value (item number; the number
// of items stands for the row id), the page size or the row id a reading by row id is at.
struct SqlArg {
    enum Kind { Value, Anchor, Limit, Cursor } kind = Value;
    SqlValue value;
    int item = 0;
};

// SQL text with the arguments of its ? placeholders in order.
struct SqlText {
    std::string sql;
    std::vector<SqlArg> args;
};

// The conditions of filter SQLite can decide exactly, joined by AND ("" when none); complete
// when they are the whole filter (nothing is left to Matches). filter may be null.
struct SqlFilter {
    SqlText where;
    bool complete = true;
};
SqlFilter FilterSql(const Expression* filter, const KeyedSchema& schema, const FileDesc& desc);

enum class ViewFrom { Start, AtValues, AtRecord, AfterRecord };

class ViewQuery {
  public:
    ViewQuery(const KeyedSchema& schema, const FileDesc& desc, std::vector<OrderItem> items,
              SqlFilter filter);

    // Up to a page of rows (every result column, as KeyedSchema::SelectFrom) from the anchor on,
    // in the order (forward) or against it. Bit i of nullAnchors is set when the anchor's value
    // of item i is NULL.
    const SqlText& Select(bool forward, ViewFrom from, uint32_t nullAnchors = 0) const;
    // Rows after the anchor (forward, from and nullAnchors as for Select) whose row id compares
    // with the cursor by ridOp (">", "<" or "=" for one row), in row-id order (descending for
    // "<"), up to the page size; without the indexes.
    SqlText SelectByRowId(bool forward, ViewFrom from, uint32_t nullAnchors,
                          const std::string& ridOp) const;
    // The row id and the order items' values of the record whose row id is ?1.
    const std::string& AnchorOfRowSql() const { return anchorOfRow_; }
    const std::vector<OrderItem>& Items() const { return items_; }
    bool FilterComplete() const { return filterComplete_; }

  private:
    std::string ItemSql(size_t i) const;
    bool NeedsCollate(size_t i) const;
    std::string AnchorCondition(bool forward, ViewFrom from, uint32_t nullAnchors,
                                std::vector<SqlArg>& args) const;
    std::string NullAwareCondition(bool forward, ViewFrom from, uint32_t nullAnchors,
                                   std::vector<SqlArg>& args) const;
    SqlText Build(bool forward, ViewFrom from, uint32_t nullAnchors) const;

    const KeyedSchema& schema_;
    const FileDesc& desc_;
    std::vector<OrderItem> items_;
    SqlText where_;
    bool filterComplete_;
    SqlText selects_[2][4];
    mutable std::map<std::tuple<bool, int, uint32_t>, SqlText> nullSelects_;
    std::string anchorOfRow_;
};

}  // namespace tarn::storage
