#pragma once
// BrowseQueue: the rows a browse shows, at most a page of them, and the list control's view of
// them. Its fields are declared by the procedure in list-format order; each row also carries a
// mark and the position of its record in the view, which is how the browse gets back to it.
//
// The queue has one row buffer: the browse's field pairs copy record fields into it, Add or
// Insert store it as a row, Get puts a row back into it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/FieldRef.h"
#include "platform/ui/RowSource.h"

namespace tarn::framework {

class BrowseQueue : public ui::RowSource {
  public:
    // Declares the next field: a text of size bytes or a 4-byte number. Returns the field in the
    // row buffer, for the browse's field pairs. Fields are declared before the first row.
    data::FieldRef AddText(uint32_t size);
    data::FieldRef AddNumber();

    // The buffer's mark and view position.
    uint8_t Mark = 0;
    std::string ViewPosition;

    int Records() const { return static_cast<int>(rows_.size()); }
    // Puts row n (from 1) into the buffer; false when there is no such row.
    bool Get(int n);
    // Stores the buffer as the last row, or as row n (the rows from n on move down).
    void Add();
    void Insert(int n);
    void Delete(int n);
    void Free();
    // The view position of row n; "" when there is no such row.
    const std::string& PositionOf(int n) const;
    // The row holding a view position, 0 when none does.
    int Find(const std::string& position) const;

    // RowSource: the declared fields of a row, in declaration order.
    int RowCount() const override { return Records(); }
    ui::CellValue Cell(int row, int field) const override;

  private:
    struct Field {
        data::FieldRef ref;
        std::unique_ptr<uint8_t[]> storage;
        size_t offset = 0;  // within a row's bytes
    };
    struct Row {
        std::string bytes;
        uint8_t mark = 0;
        std::string position;
    };
    data::FieldRef Declare(storage::FieldKind kind, uint32_t size);
    Row FromBuffer() const;

    std::vector<Field> fields_;
    size_t rowSize_ = 0;
    std::vector<Row> rows_;
};

}  // namespace tarn::framework
