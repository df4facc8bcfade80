#include "platform/storage/KeyedView.h"

#include <charconv>

#include "platform/storage/Observed.h"
#include "platform/system/LastError.h"

namespace tarn::storage {

void KeyedView::SetPageBuffer(int pageSize, int, int ahead, int) {
    pageSize_ = pageSize < 1 ? 1 : pageSize;
    pagesAhead_ = ahead < 0 ? 0 : ahead;
}

int KeyedView::Refuse(const std::string& why) {
    return file_.Fail(platform::kInvalidExpression, "", why);
}

int KeyedView::NotOpen() { return file_.NotOpen(); }

int KeyedView::Open() {
    if (!file_.IsOpen()) return NotOpen();
    std::string error;
    std::vector<OrderItem> items;
    if (!ParseOrder(order_, file_.Desc(), items, error)) return Refuse("Order: " + error);
    std::unique_ptr<Expression> filter;
    if (filter_.find_first_not_of(" \t") != std::string::npos) {
        filter = Expression::Parse(filter_, file_.Desc(), error);
        if (!filter) return Refuse("Filter: " + error);
    }
    SqlFilter sql = FilterSql(filter.get(), file_.schema_, file_.Desc());
    auto query =
        std::make_unique<ViewQuery>(file_.schema_, file_.Desc(), std::move(items), std::move(sql));
    // A query SQLite refuses is refused here rather than at the first read.
    if (!file_.statements_.Get(query->Select(true, ViewFrom::Start).sql))
        return file_.SqlFail(sqlite3_extended_errcode(file_.db_));
    query_ = std::move(query);
    filterLeft_ = query_->FilterComplete() ? nullptr : std::move(filter);
    return SetToStart();
}

int KeyedView::Close() {
    query_.reset();
    filterLeft_.reset();
    Anchor(ViewFrom::Start);
    position_.clear();
    page_.clear();
    return file_.Ok();
}

uint32_t KeyedView::Place::NullMask() const {
    uint32_t mask = 0;
    for (size_t i = 0; i < values.size() && i < 32; ++i)
        if (values[i].IsNull()) mask |= 1u << i;
    return mask;
}

void KeyedView::Anchor(ViewFrom from, std::vector<StoredValue> values, int64_t rid) {
    anchor_ = Place{from, std::move(values), rid};
    anchorInPage_ = false;
    pageCount_ = pagePos_ = 0;
    byRowId_ = ridEnd_ = damageSwitched_ = false;
    ridCursor_ = damageFrom_ = damageTo_ = 0;
}

int KeyedView::SetToStart() {
    if (!query_) return NotOpen();
    Anchor(ViewFrom::Start);
    return file_.Ok();
}

int KeyedView::SetToBuffer() {
    if (!query_) return NotOpen();
    std::vector<StoredValue> values;
    for (const OrderItem& item : query_->Items())
        values.emplace_back(ReadField(file_.Desc().fields[item.field], file_.Buffer()));
    Anchor(ViewFrom::AtValues, std::move(values));
    return file_.Ok();
}

int KeyedView::SetToPosition(std::string_view position) {
    if (!query_) return NotOpen();
    if (!file_.IsOpen()) return NotOpen();
    int64_t rid = 0;
    auto [end, ec] = std::from_chars(position.data(), position.data() + position.size(), rid);
    if (ec != std::errc() || end != position.data() + position.size() || rid <= 0)
        return file_.Fail(platform::kRecordNotFound);
    sqlite3_stmt* s = file_.statements_.Get(query_->AnchorOfRowSql());
    if (!s) return file_.SqlFail(sqlite3_extended_errcode(file_.db_));
    sqlite3_bind_int64(s, 1, rid);
    const int rc = sqlite3_step(s);
    std::vector<StoredValue> values;
    for (size_t i = 0; rc == SQLITE_ROW && i < query_->Items().size(); ++i)
        values.push_back(StoredValue::OfColumn(s, int(i) + 1));
    sqlite3_reset(s);
    if (rc == SQLITE_DONE) return file_.Fail(platform::kRecordNotFound);
    if (rc != SQLITE_ROW) return file_.SqlFail(rc);
    Anchor(ViewFrom::AtRecord, std::move(values), rid);
    return file_.Ok();
}

int KeyedView::Next() {
    return file_.EndRead(Observed(
        file_, OpNext, 0, [&] { return Step(true); }, true));
}

int KeyedView::Previous() {
    return file_.EndRead(Observed(
        file_, OpPrevious, 0, [&] { return Step(false); }, true));
}

// Moves the anchor onto the row last taken from the page.
void KeyedView::SettleAnchor() {
    if (!anchorInPage_) return;
    anchorInPage_ = false;
    const PageRow& last = page_[pagePos_ - 1];
    if (byRowId_) {
        ridCursor_ = last.row.rid;
        return;
    }
    anchor_ = Place{ViewFrom::AfterRecord, last.anchor, last.row.rid};
}

// The only write since the page was read put back a row already handed out, with its place in
// the order unchanged: the rows ahead are as read. A pass that stamps each record it reads thus
// reads a page per page, not per record.
bool KeyedView::OnlyWroteBackBehind() {
    const KeyedFile::WrittenBack& put = file_.lastPut_;
    if (file_.stamp_ != stampAtFill_ + 1 || put.stamp != file_.stamp_) return false;
    const std::vector<OrderItem>& items = query_->Items();
    for (size_t i = 0; i < pagePos_; ++i) {
        const PageRow& taken = page_[i];
        if (taken.row.rid != put.rid) continue;
        for (size_t k = 0; k < items.size(); ++k)
            if (!taken.anchor[k].Holds(
                    ReadField(file_.Desc().fields[items[k].field], put.image.data())))
                return false;
        stampAtFill_ = file_.stamp_;
        return true;
    }
    return false;
}

bool KeyedView::PageIsStale() {
    if (file_.stamp_ != stampAtFill_ && !OnlyWroteBackBehind()) return true;
    if (std::chrono::steady_clock::now() - filledAt_ < kFreshFor) return false;
    filledAt_ = std::chrono::steady_clock::now();
    return file_.ChangeStamp() != stampAtFill_;
}

int KeyedView::Step(bool forward) {
    if (!query_ || !file_.IsOpen()) return NotOpen();
    for (;;) {
        if (pagePos_ >= pageCount_ || pageForward_ != forward || PageIsStale()) {
            if (int rc = FillPage(forward)) return rc;
            if (damageFrom_ || damageSwitched_) return SayDamage();
            if (pageCount_ == 0) return file_.Fail(platform::kEndOfFile);
        }
        const PageRow& taken = page_[pagePos_++];
        anchorInPage_ = true;
        if (filterLeft_ && !filterLeft_->Matches(taken.row.image.data())) continue;
        file_.Deliver(taken.row);
        position_ = std::to_string(taken.row.rid);
        return file_.Ok();
    }
}

int KeyedView::BindArgs(sqlite3_stmt* s, const SqlText& query, const Place& place, int64_t cursor,
                        int limit) {
    int p = 1;
    for (const SqlArg& arg : query.args) {
        int rc = SQLITE_OK;
        if (arg.kind == SqlArg::Limit) {
            rc = sqlite3_bind_int(s, p, limit);
        } else if (arg.kind == SqlArg::Cursor) {
            rc = sqlite3_bind_int64(s, p, cursor);
        } else if (arg.kind == SqlArg::Anchor) {
            rc = size_t(arg.item) < place.values.size() ? place.values[arg.item].Bind(s, p)
                                                        : sqlite3_bind_int64(s, p, place.rid);
        } else if (auto* n = std::get_if<int64_t>(&arg.value)) {
            rc = sqlite3_bind_int64(s, p, *n);
        } else if (auto* d = std::get_if<double>(&arg.value)) {
            rc = sqlite3_bind_double(s, p, *d);
        } else {
            const std::string& t = std::get<std::string>(arg.value);
            rc = sqlite3_bind_text(s, p, t.data(), int(t.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) return rc;
        ++p;
    }
    return SQLITE_OK;
}

// Adds the query's rows to the page; answers 0 or SQLite's code (the rows before a failure stay).
int KeyedView::ReadRows(const SqlText& query, const Place& place, int64_t cursor, int limit) {
    sqlite3_stmt* s = file_.statements_.Get(query.sql);
    if (!s) return sqlite3_extended_errcode(file_.db_);
    if (int rc = BindArgs(s, query, place, cursor, limit)) return rc;
    const std::vector<OrderItem>& items = query_->Items();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (pageCount_ == page_.size()) page_.emplace_back();
        PageRow& row = page_[pageCount_++];
        file_.ReadRow(s, row.row);
        row.anchor.clear();
        for (size_t i = 0; i < items.size(); ++i)
            row.anchor.push_back(
                StoredValue::OfColumn(s, KeyedSchema::kFirstField + items[i].field));
    }
    sqlite3_reset(s);
    return rc == SQLITE_DONE ? 0 : rc;
}

int KeyedView::FillPage(bool forward) {
    SettleAnchor();
    pageCount_ = pagePos_ = 0;
    pageForward_ = forward;
    stampAtFill_ = file_.stamp_;
    filledAt_ = std::chrono::steady_clock::now();
    const int limit = pageSize_ * (1 + pagesAhead_);
    if (!byRowId_) {
        const SqlText& query = query_->Select(forward, anchor_.from, anchor_.NullMask());
        const int rc = ReadRows(query, anchor_, 0, limit);
        if (rc == 0) return 0;
        // Going back over damage is not attempted: the reading that matters (a pass) goes on.
        if (!IsDamage(rc) || !forward) {
            pageCount_ = 0;
            return file_.SqlFail(rc);
        }
        damageText_ = sqlite3_errmsg(file_.db_);
        damageSwitched_ = true;
        byRowId_ = true;
        readBefore_ = anchor_;
        ridCursor_ = 0;
        pageCount_ = 0;  // taken again, in row-id order
    }
    if (!pageForward_) return file_.Fail(platform::kDriverError, "", "Damaged file read backward");
    return FillByRowId();
}

// A page in row-id order of the records after readBefore_; damage is passed over until a record
// is read or the table ends.
int KeyedView::FillByRowId() {
    const int limit = pageSize_ * (1 + pagesAhead_);
    const SqlText page = query_->SelectByRowId(true, readBefore_.from, readBefore_.NullMask(), ">");
    while (!ridEnd_) {
        const int rc = ReadRows(page, readBefore_, ridCursor_, limit);
        if (rc == 0 || pageCount_ > 0) return 0;  // the damage after these rows is met again
        if (!IsDamage(rc)) return file_.SqlFail(rc);
        damageText_ = sqlite3_errmsg(file_.db_);
        if (const int failed = PassDamage()) return file_.SqlFail(failed);
    }
    return 0;
}

// Moves the cursor past the damage right after it: the next record alone when only its row
// cannot be read, else the row ids up to the first place the table can be read from again.
int KeyedView::PassDamage() {
    int64_t next = 0;
    int rc = NextRowId(ridCursor_, next);
    if (rc == 0 && next == 0) {  // the table ends there
        ridEnd_ = true;
        return 0;
    }
    if (rc == 0) {
        const SqlText one =
            query_->SelectByRowId(true, readBefore_.from, readBefore_.NullMask(), "=");
        rc = ReadRows(one, readBefore_, next, 1);
        if (rc != 0 && !IsDamage(rc)) return rc;
        if (rc != 0) NoteDamage(next, next);
        ridCursor_ = next;
        return 0;
    }
    if (!IsDamage(rc)) return rc;
    // Row ids after lo cannot be reached, after hi they can: widen, then narrow down.
    int64_t lo = ridCursor_, hi = 0;
    for (int64_t step = 1; hi == 0; step *= 2) {
        if (lo > INT64_MAX - step) {
            NoteDamage(ridCursor_ + 1, INT64_MAX);
            ridEnd_ = true;
            return 0;
        }
        rc = NextRowId(lo + step, next);
        if (rc != 0 && !IsDamage(rc)) return rc;
        (rc == 0 ? hi : lo) = lo + step;
    }
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        rc = NextRowId(mid, next);
        if (rc != 0 && !IsDamage(rc)) return rc;
        (rc == 0 ? hi : lo) = mid;
    }
    // Seeking past the last row id of a damaged page can still land on that page, so the row
    // at hi itself is read by its row id.
    const SqlText one = query_->SelectByRowId(true, readBefore_.from, readBefore_.NullMask(), "=");
    rc = ReadRows(one, readBefore_, hi, 1);
    if (rc != 0 && !IsDamage(rc)) return rc;
    NoteDamage(ridCursor_ + 1, rc == 0 ? hi - 1 : hi);
    ridCursor_ = hi;
    return 0;
}

// The first row id after `after` (0 when there is none); SQLite's code when it cannot be read.
int KeyedView::NextRowId(int64_t after, int64_t& rid) {
    sqlite3_stmt* s =
        file_.statements_.Get("SELECT rid FROM records WHERE rid > ?1 ORDER BY rid LIMIT 1");
    if (!s) return sqlite3_extended_errcode(file_.db_);
    sqlite3_bind_int64(s, 1, after);
    const int rc = sqlite3_step(s);
    rid = rc == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    sqlite3_reset(s);
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? 0 : rc;
}

void KeyedView::NoteDamage(int64_t from, int64_t to) {
    if (damageFrom_ == 0) damageFrom_ = from;
    damageTo_ = to;
}

int KeyedView::SayDamage() {
    std::string text = damageText_ + " (";
    if (damageSwitched_) text += "read on by row id";
    if (damageSwitched_ && damageFrom_) text += "; ";
    if (damageFrom_ == damageTo_ && damageFrom_)
        text += "the record at row id " + std::to_string(damageFrom_) + " cannot be read";
    else if (damageFrom_)
        text += "the records at row ids " + std::to_string(damageFrom_) + " to " +
                (damageTo_ == INT64_MAX ? std::string("the end") : std::to_string(damageTo_)) +
                " cannot be read";
    damageFrom_ = damageTo_ = 0;
    damageSwitched_ = false;
    return file_.Fail(platform::kInvalidFile, std::to_string(SQLITE_CORRUPT), text + ")");
}

}  // namespace tarn::storage
