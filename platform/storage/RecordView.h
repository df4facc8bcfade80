#pragma once
// A view over a primary file: its records within the filter, in the order text's order (file
// order when there is none), ties in file order.
//
// Open reads the primary file once (by file, leaving its buffer and position as they were) and
// keeps each matching record's position and order values; Next and Previous then re-read the
// record itself, so the buffer holds what is stored now and a Put after it works. A record deleted
// since Open is skipped. The page buffer settings are kept but not needed: the whole view is in
// memory. SetToStart: Next reads the first record, Previous the last one.
#include <string>
#include <vector>

#include "platform/storage/RecordFile.h"
#include "platform/storage/ViewOrder.h"

namespace tarn::storage {

class RecordView final : public View {
  public:
    explicit RecordView(RecordFile& primary) : file_(primary) {}

    void SetOrder(std::string order) override { order_ = std::move(order); }
    void SetFilter(std::string filter) override { filter_ = std::move(filter); }
    const std::string& Order() const override { return order_; }
    const std::string& Filter() const override { return filter_; }
    void SetPageBuffer(int pageSize, int behind, int ahead, int timeout) override;
    int Open() override;
    int Close() override;
    int SetToStart() override;
    int SetToBuffer() override;
    int Next() override { return Step(true); }
    int Previous() override { return Step(false); }
    std::string Position() const override { return position_; }

  private:
    struct Entry {
        std::vector<ExprValue> values;
        std::string position;
    };
    int Refuse(const std::string& why);
    int Load(const Expression* filter);
    int Step(bool forward);

    RecordFile& file_;
    std::string order_, filter_;
    std::vector<OrderItem> items_;
    std::vector<Entry> entries_;
    bool open_ = false;
    size_t nextIndex_ = 0;  // Next reads entries_[nextIndex_]
    size_t prevIndex_ = 0;  // Previous reads entries_[prevIndex_ - 1]
    std::string position_;
    int pageSize_ = 0, behind_ = 0, ahead_ = 0, timeout_ = 0;
};

}  // namespace tarn::storage
