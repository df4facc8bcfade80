#include "framework/browse/BrowseQueue.h"

#include <cstring>

namespace tarn::framework {

namespace {
const std::string kNoPosition;
}

data::FieldRef BrowseQueue::Declare(storage::FieldKind kind, uint32_t size) {
    Field f;
    f.storage = std::make_unique<uint8_t[]>(size);
    std::memset(f.storage.get(), 0, size);
    f.ref = data::FieldRef{kind, f.storage.get(), size, {}};
    f.offset = rowSize_;
    rowSize_ += size;
    fields_.push_back(std::move(f));
    return fields_.back().ref;
}

data::FieldRef BrowseQueue::AddText(uint32_t size) {
    return Declare(storage::FieldKind::CString, size);
}

data::FieldRef BrowseQueue::AddNumber() { return Declare(storage::FieldKind::Long, 4); }

BrowseQueue::Row BrowseQueue::FromBuffer() const {
    Row row;
    row.bytes.resize(rowSize_);
    for (const Field& f : fields_) std::memcpy(&row.bytes[f.offset], f.storage.get(), f.ref.size);
    row.mark = Mark;
    row.position = ViewPosition;
    return row;
}

bool BrowseQueue::Get(int n) {
    if (n < 1 || n > Records()) return false;
    const Row& row = rows_[n - 1];
    for (Field& f : fields_) std::memcpy(f.storage.get(), &row.bytes[f.offset], f.ref.size);
    Mark = row.mark;
    ViewPosition = row.position;
    return true;
}

void BrowseQueue::Add() { rows_.push_back(FromBuffer()); }

void BrowseQueue::Insert(int n) {
    if (n < 1) n = 1;
    if (n > Records()) {
        Add();
        return;
    }
    rows_.insert(rows_.begin() + (n - 1), FromBuffer());
}

void BrowseQueue::Delete(int n) {
    if (n >= 1 && n <= Records()) rows_.erase(rows_.begin() + (n - 1));
}

void BrowseQueue::Free() { rows_.clear(); }

const std::string& BrowseQueue::PositionOf(int n) const {
    if (n < 1 || n > Records()) return kNoPosition;
    return rows_[n - 1].position;
}

int BrowseQueue::Find(const std::string& position) const {
    if (position.empty()) return 0;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].position == position) return static_cast<int>(i) + 1;
    return 0;
}

ui::CellValue BrowseQueue::Cell(int row, int field) const {
    if (row < 1 || row > Records() || field < 1 || field > static_cast<int>(fields_.size()))
        return std::string();
    const Field& f = fields_[field - 1];
    const char* p = rows_[row - 1].bytes.data() + f.offset;
    if (f.ref.kind == storage::FieldKind::Long) {
        int32_t v;
        std::memcpy(&v, p, sizeof v);
        return static_cast<int64_t>(v);
    }
    return std::string(p, strnlen(p, f.ref.size));
}

}  // namespace tarn::framework
