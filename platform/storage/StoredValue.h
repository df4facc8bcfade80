#pragma once
// A value as SQLite stores it in a column: NULL, an integer, a real, text or bytes. A view keeps
// the values of the record it read last in this form to resume after that record: a row added
// with the sqlite3 shell may hold a NULL or a real where the declaration says a number, and
// resuming after it must compare as SQLite orders it, not as the record buffer reads it.
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "platform/storage/FieldCodec.h"

namespace tarn::storage {

class StoredValue {
  public:
    StoredValue() = default;  // NULL
    explicit StoredValue(const FieldValue& v);
    // Column col of the statement's current row.
    static StoredValue OfColumn(sqlite3_stmt* s, int col);

    bool IsNull() const { return type_ == SQLITE_NULL; }
    // Binds the value to parameter index (1-based); answers SQLite's result code.
    int Bind(sqlite3_stmt* s, int index) const;
    // Whether a record whose field holds v would be stored as this value.
    bool Holds(const FieldValue& v) const;

  private:
    int type_ = SQLITE_NULL;
    int64_t integer_ = 0;
    double real_ = 0;
    std::string bytes_;  // text or BLOB
};

}  // namespace tarn::storage
