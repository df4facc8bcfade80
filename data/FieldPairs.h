#pragma once
// Lists that pair a left and a right field: a record field and a browse-row field, a range
// source and the value in force, a linking field and its counterpart in a related file.
//
// The buffered kind keeps a third value per pair, a snapshot of one side, so that a change can be
// detected and undone.
#include <memory>
#include <vector>

#include "data/FieldRef.h"

namespace tarn::data {

class FieldPairs {
  public:
    virtual ~FieldPairs() = default;

    // Appends a pair; returns its number (from 1).
    virtual int AddPair(const FieldRef& left, const FieldRef& right);
    int Count() const { return static_cast<int>(pairs_.size()); }
    // Pair n (from 1); both members unset when n is out of range.
    const FieldRef& Left(int n) const;
    const FieldRef& Right(int n) const;

    void AssignLeftToRight() const;
    void AssignRightToLeft() const;
    void ClearLeft() const;
    void ClearRight() const;
    // True when every pair's two members hold equal values.
    bool Equal() const;
    // Compares one pair only.
    bool EqualPair(int n) const;
    virtual void Kill();

  protected:
    struct Pair {
        FieldRef left;
        FieldRef right;
    };
    std::vector<Pair> pairs_;
};

class BufferedPairs : public FieldPairs {
  public:
    int AddPair(const FieldRef& left, const FieldRef& right) override;
    // The snapshot of pair n as a field (so it can be copied and compared like the others).
    const FieldRef& Buffer(int n) const;

    void AssignLeftToBuffer() const;
    void AssignRightToBuffer() const;
    void AssignBufferToLeft() const;
    void AssignBufferToRight() const;
    bool EqualLeftBuffer() const;
    bool EqualRightBuffer() const;
    void Kill() override;

  private:
    // Each snapshot is stored in a block of the left member's size and kind.
    std::vector<std::unique_ptr<uint8_t[]>> storage_;
    std::vector<FieldRef> buffers_;
};

}  // namespace tarn::data
