#include "platform/storage/RecordView.h"

#include <algorithm>

#include "platform/system/LastError.h"

namespace tarn::storage {

std::unique_ptr<View> MakeView(RecordFile& primary) {
    return std::make_unique<RecordView>(primary);
}

void RecordView::SetPageBuffer(int pageSize, int behind, int ahead, int timeout) {
    pageSize_ = pageSize;
    behind_ = behind;
    ahead_ = ahead;
    timeout_ = timeout;
}

int RecordView::Refuse(const std::string& why) {
    platform::SetLastError(platform::kInvalidExpression, file_.Name(), "", why);
    return platform::kInvalidExpression;
}

int RecordView::Open() {
    std::string error;
    if (!ParseOrder(order_, file_.Desc(), items_, error)) return Refuse("Order: " + error);
    std::unique_ptr<Expression> filter;
    if (filter_.find_first_not_of(" \t") != std::string::npos) {
        filter = Expression::Parse(filter_, file_.Desc(), error);
        if (!filter) return Refuse("Filter: " + error);
    }
    const int state = file_.SaveState();
    const int rc = Load(filter.get());
    const platform::RuntimeError result = platform::LastError();
    if (state) {
        file_.RestoreState(state);
        file_.FreeState(state);
    }
    platform::SetLastError(result.code, result.fileName, result.driverCode, result.driverText);
    if (rc != 0) return rc;
    open_ = true;
    return SetToStart();
}

int RecordView::Load(const Expression* filter) {
    entries_.clear();
    if (int rc = file_.SetToStart(-1)) return rc;
    int rc;
    while ((rc = file_.Next()) == 0) {
        if (filter && !filter->Matches(file_.Buffer())) continue;
        entries_.push_back({OrderValues(items_, file_.Desc(), file_.Buffer()), file_.Position(-1)});
    }
    if (rc != platform::kEndOfFile) return rc;
    std::stable_sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
        return CompareOrder(items_, a.values, b.values) < 0;
    });
    platform::ClearLastError(file_.Name());
    return 0;
}

int RecordView::Close() {
    open_ = false;
    entries_.clear();
    position_.clear();
    platform::ClearLastError(file_.Name());
    return 0;
}

int RecordView::SetToStart() {
    if (!open_) {
        platform::SetLastError(platform::kDriverError, file_.Name(), "", "File Not Open");
        return platform::kDriverError;
    }
    nextIndex_ = 0;
    prevIndex_ = entries_.size();
    platform::ClearLastError(file_.Name());
    return 0;
}

int RecordView::SetToBuffer() {
    if (!open_) return SetToStart();
    const std::vector<ExprValue> here = OrderValues(items_, file_.Desc(), file_.Buffer());
    auto before = [&](const Entry& e, const std::vector<ExprValue>& v) {
        return CompareOrder(items_, e.values, v) < 0;
    };
    auto after = [&](const std::vector<ExprValue>& v, const Entry& e) {
        return CompareOrder(items_, v, e.values) < 0;
    };
    nextIndex_ =
        size_t(std::lower_bound(entries_.begin(), entries_.end(), here, before) - entries_.begin());
    prevIndex_ =
        size_t(std::upper_bound(entries_.begin(), entries_.end(), here, after) - entries_.begin());
    platform::ClearLastError(file_.Name());
    return 0;
}

int RecordView::Step(bool forward) {
    if (!open_) return SetToStart();
    for (;;) {
        if (forward ? nextIndex_ >= entries_.size() : prevIndex_ == 0) {
            platform::SetLastError(platform::kEndOfFile, file_.Name());
            return platform::kEndOfFile;
        }
        const size_t i = forward ? nextIndex_ : prevIndex_ - 1;
        nextIndex_ = i + 1;
        prevIndex_ = i;
        const int rc = file_.Reget(entries_[i].position, -1);
        if (rc == platform::kRecordNotFound) continue;  // deleted since the view was opened
        if (rc == 0) position_ = entries_[i].position;
        return rc;
    }
}

}  // namespace tarn::storage
