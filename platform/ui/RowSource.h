#pragma once
// Where a list control takes its rows from: the browse's queue, or any table a procedure holds.
#include <cstdint>
#include <string>
#include <variant>

namespace tarn::ui {

// A number (date, time, count) is shown through its field's picture; a text as it is, cut by a
// text picture.
using CellValue = std::variant<int64_t, std::string>;

class RowSource {
  public:
    virtual ~RowSource() = default;
    // Number of rows; rows are numbered from 1.
    virtual int RowCount() const = 0;
    // The value of one field (numbered from 1 in format order) of one row.
    virtual CellValue Cell(int row, int field) const = 0;
};

}  // namespace tarn::ui
