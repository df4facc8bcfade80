#include "data/FieldPairs.h"

namespace tarn::data {

namespace {
const FieldRef kUnset{};
}

int FieldPairs::AddPair(const FieldRef& left, const FieldRef& right) {
    pairs_.push_back({left, right});
    return Count();
}

const FieldRef& FieldPairs::Left(int n) const {
    return n >= 1 && n <= Count() ? pairs_[n - 1].left : kUnset;
}

const FieldRef& FieldPairs::Right(int n) const {
    return n >= 1 && n <= Count() ? pairs_[n - 1].right : kUnset;
}

void FieldPairs::AssignLeftToRight() const {
    for (const Pair& p : pairs_) p.right.Assign(p.left);
}

void FieldPairs::AssignRightToLeft() const {
    for (const Pair& p : pairs_) p.left.Assign(p.right);
}

void FieldPairs::ClearLeft() const {
    for (const Pair& p : pairs_) p.left.Clear();
}

void FieldPairs::ClearRight() const {
    for (const Pair& p : pairs_) p.right.Clear();
}

bool FieldPairs::Equal() const {
    for (const Pair& p : pairs_) {
        if (!p.left.Equals(p.right)) return false;
    }
    return true;
}

bool FieldPairs::EqualPair(int n) const { return Left(n).Equals(Right(n)); }

void FieldPairs::Kill() { pairs_.clear(); }

int BufferedPairs::AddPair(const FieldRef& left, const FieldRef& right) {
    auto block = std::make_unique<uint8_t[]>(left.size);
    FieldRef buffer{left.kind, block.get(), left.size, {}};
    buffer.Clear();
    storage_.push_back(std::move(block));
    buffers_.push_back(buffer);
    return FieldPairs::AddPair(left, right);
}

const FieldRef& BufferedPairs::Buffer(int n) const {
    return n >= 1 && n <= Count() ? buffers_[n - 1] : kUnset;
}

void BufferedPairs::AssignLeftToBuffer() const {
    for (int i = 0; i < Count(); ++i) buffers_[i].Assign(pairs_[i].left);
}

void BufferedPairs::AssignRightToBuffer() const {
    for (int i = 0; i < Count(); ++i) buffers_[i].Assign(pairs_[i].right);
}

void BufferedPairs::AssignBufferToLeft() const {
    for (int i = 0; i < Count(); ++i) pairs_[i].left.Assign(buffers_[i]);
}

void BufferedPairs::AssignBufferToRight() const {
    for (int i = 0; i < Count(); ++i) pairs_[i].right.Assign(buffers_[i]);
}

bool BufferedPairs::EqualLeftBuffer() const {
    for (int i = 0; i < Count(); ++i) {
        if (!pairs_[i].left.Equals(buffers_[i])) return false;
    }
    return true;
}

bool BufferedPairs::EqualRightBuffer() const {
    for (int i = 0; i < Count(); ++i) {
        if (!pairs_[i].right.Equals(buffers_[i])) return false;
    }
    return true;
}

void BufferedPairs::Kill() {
    FieldPairs::Kill();
    buffers_.clear();
    storage_.clear();
}

}  // namespace tarn::data
