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

void KeyedView::Anchor(ViewFrom from, std::vector<FieldValue> values, int64_t rid) {
    from_ = from;
    anchorValues_ = std::move(values);
    anchorRid_ = rid;
    anchorInPage_ = false;
    pageCount_ = pagePos_ = 0;
}

int KeyedView::SetToStart() {
    if (!query_) return NotOpen();
    Anchor(ViewFrom::Start);
    return file_.Ok();
}

int KeyedView::SetToBuffer() {
    if (!query_) return NotOpen();
    std::vector<FieldValue> values;
    for (const OrderItem& item : query_->Items())
        values.push_back(ReadField(file_.Desc().fields[item.field], file_.Buffer()));
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
    std::vector<FieldValue> values;
    for (size_t i = 0; rc == SQLITE_ROW && i < query_->Items().size(); ++i)
        values.push_back(ColumnValue(s, int(i) + 1));
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
    from_ = ViewFrom::AfterRecord;
    anchorValues_ = last.anchor;
    anchorRid_ = last.row.rid;
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
            if (ReadField(file_.Desc().fields[items[k].field], put.image.data()) != taken.anchor[k])
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

int KeyedView::BindArgs(sqlite3_stmt* s, const SqlText& query) {
    int p = 1;
    for (const SqlArg& arg : query.args) {
        int rc = SQLITE_OK;
        if (arg.kind == SqlArg::Limit) {
            rc = sqlite3_bind_int(s, p, pageSize_ * (1 + pagesAhead_));
        } else if (arg.kind == SqlArg::Anchor) {
            rc = size_t(arg.item) < anchorValues_.size() ? Bind(s, p, anchorValues_[arg.item])
                                                         : sqlite3_bind_int64(s, p, anchorRid_);
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

int KeyedView::FillPage(bool forward) {
    SettleAnchor();
    pageCount_ = pagePos_ = 0;
    pageForward_ = forward;
    stampAtFill_ = file_.stamp_;
    filledAt_ = std::chrono::steady_clock::now();
    const SqlText& query = query_->Select(forward, from_);
    sqlite3_stmt* s = file_.statements_.Get(query.sql);
    if (!s) return file_.SqlFail(sqlite3_extended_errcode(file_.db_));
    if (int rc = BindArgs(s, query)) return file_.SqlFail(rc);
    const std::vector<OrderItem>& items = query_->Items();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (pageCount_ == page_.size()) page_.emplace_back();
        PageRow& row = page_[pageCount_++];
        file_.ReadRow(s, row.row);
        row.anchor.resize(items.size());
        for (size_t i = 0; i < items.size(); ++i)
            row.anchor[i] = ColumnValue(s, KeyedSchema::kFirstField + items[i].field);
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) {
        pageCount_ = 0;
        return file_.SqlFail(rc);
    }
    return 0;
}

}  // namespace tarn::storage
