#pragma once
// A view over a KEYED file: its records within the filter, in the order text's order (ViewSql.h
// says how ties and case are ordered), read a page at a time.
//
// Nothing is read at Open: it parses the texts and prepares the queries. Each Next or Previous
// hands out the next row of the page in hand; when the page runs out, or the reading turns
// round, SQLite reads the next page from the anchor (the record last handed out, or the place
// the view was set to). A page is the page size times one plus the pages ahead; no page is kept
// behind (turning round reads again) and the page buffer's time-out is not used. Memory is one
// page, whatever the size of the file. Rows that the part of the filter SQLite could not take
// fail Matches and are passed over as they stream.
//
// A page is read again from the anchor before its next row is handed out when this file was
// written through since the page was read (other than by putting back, in its place in the
// order, a record the page has handed out), or when the page is older than kFreshFor and another
// connection has changed the file since (ChangeStamp), so a record deleted meanwhile is not read
// and one changed meanwhile is read as stored now. Put after a view read writes the record read.
//
// Damage: when SQLite finds the order's index or the table damaged (SQLITE_CORRUPT) while reading
// forward, the rest of the reading goes by row id (ViewSql.h), record by record around the
// damaged pages: the row ids that cannot be read are passed over, the records after them read.
// The read that met damage answers 47 once, with SQLite's code and a text that says so and names
// the row ids passed over; the next Next goes on after them. Setting the view anew reads in the
// order again.
//
// States: closed --Open--> open (at the start) --SetToStart/SetToBuffer/SetToPosition--> open
// (anchored) --Close--> closed. Next and Previous on a closed view answer 90 "File Not Open".
// SetToStart: Next reads the first record, Previous the last one. Turning round reads the
// neighbour of the record last read, not that record again. Next and Previous are observed as
// operations for a view (OperationCall::forView).
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/storage/KeyedFile.h"
#include "platform/storage/StoredValue.h"
#include "platform/storage/ViewSql.h"

namespace tarn::storage {

class KeyedView final : public View {
  public:
    explicit KeyedView(KeyedFile& file) : file_(file) {}

    void SetOrder(std::string order) override { order_ = std::move(order); }
    void SetFilter(std::string filter) override { filter_ = std::move(filter); }
    const std::string& Order() const override { return order_; }
    const std::string& Filter() const override { return filter_; }
    void SetPageBuffer(int pageSize, int behind, int ahead, int timeout) override;
    [[nodiscard]] int Open() override;
    int Close() override;
    int SetToStart() override;
    int SetToBuffer() override;
    int SetToPosition(std::string_view position) override;
    int Next() override;
    int Previous() override;
    std::string Position() const override { return position_; }

    // How long a page is trusted before another connection's changes are looked for.
    static constexpr std::chrono::milliseconds kFreshFor{100};

  private:
    // Where a page query starts: the start, values of the order items, or a record.
    struct Place {
        ViewFrom from = ViewFrom::Start;
        std::vector<StoredValue> values;  // the order items' stored values
        int64_t rid = 0;
        uint32_t NullMask() const;
    };
    struct PageRow {
        KeyedFile::Row row;
        std::vector<StoredValue> anchor;  // the order items' stored values
    };
    int Refuse(const std::string& why);
    int NotOpen();
    void Anchor(ViewFrom from, std::vector<StoredValue> values = {}, int64_t rid = 0);
    void SettleAnchor();
    bool OnlyWroteBackBehind();
    bool PageIsStale();
    int Step(bool forward);
    int FillPage(bool forward);
    int BindArgs(sqlite3_stmt* s, const SqlText& query, const Place& place, int64_t cursor,
                 int limit);
    int ReadRows(const SqlText& query, const Place& place, int64_t cursor, int limit);
    // Reading by row id (after damage).
    int FillByRowId();
    int PassDamage();
    int NextRowId(int64_t after, int64_t& rid);
    void NoteDamage(int64_t from, int64_t to);
    int SayDamage();

    // Damage codes SQLite answers for a damaged file.
    static bool IsDamage(int rc) { return (rc & 0xFF) == SQLITE_CORRUPT; }

    KeyedFile& file_;
    std::string order_, filter_;
    int pageSize_ = 20, pagesAhead_ = 0;

    std::unique_ptr<ViewQuery> query_;        // set while open
    std::unique_ptr<Expression> filterLeft_;  // what SQL could not decide; null when nothing

    Place anchor_;

    bool byRowId_ = false;                   // reading by row id since damage was met
    Place readBefore_;                       // by row id: where the reading in the order had got to
    int64_t ridCursor_ = 0;                  // by row id: the last row id taken or passed over
    bool ridEnd_ = false;                    // by row id: the damage runs to the end of the table
    int64_t damageFrom_ = 0, damageTo_ = 0;  // row ids passed over, to be said; 0 none
    bool damageSwitched_ = false;            // reading by row id began, to be said
    std::string damageText_;

    std::vector<PageRow> page_;  // rows are reused from page to page
    size_t pageCount_ = 0, pagePos_ = 0;
    bool pageForward_ = true;
    bool anchorInPage_ = false;  // the anchor is the row before pagePos_
    int64_t stampAtFill_ = 0;
    std::chrono::steady_clock::time_point filledAt_;
    std::string position_;
};

}  // namespace tarn::storage
