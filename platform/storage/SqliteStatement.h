#pragma once
// Thin ownership of SQLite statements: prepared once per SQL text and kept for the connection's
// life, since the same few queries run for every record.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

#include "platform/storage/FieldCodec.h"

namespace tarn::storage {

struct StatementDeleter {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Binds v to parameter index (1-based) of s.
int Bind(sqlite3_stmt* s, int index, const FieldValue& v);
// The value of column col of the current row: INTEGER as a number, anything else as bytes.
FieldValue ColumnValue(sqlite3_stmt* s, int col);
std::string ColumnText(sqlite3_stmt* s, int col);

class StatementCache {
  public:
    void Attach(sqlite3* db) { db_ = db; }
    // The prepared statement for sql, reset and with its bindings cleared; null on a prepare
    // error (the connection's error code and text then say why).
    sqlite3_stmt* Get(const std::string& sql);
    void Clear() { cache_.clear(); }

  private:
    sqlite3* db_ = nullptr;
    std::map<std::string, StatementPtr> cache_;
};

// Runs sql that returns no rows; answers SQLite's result code.
int Exec(sqlite3* db, const char* sql);

}  // namespace tarn::storage
