#include "platform/storage/SqliteStatement.h"

namespace tarn::storage {

int Bind(sqlite3_stmt* s, int index, const FieldValue& v) {
    if (auto* n = std::get_if<int64_t>(&v)) return sqlite3_bind_int64(s, index, *n);
    const std::string& t = std::get<std::string>(v);
    return sqlite3_bind_text(s, index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
}

FieldValue ColumnValue(sqlite3_stmt* s, int col) {
    if (sqlite3_column_type(s, col) == SQLITE_INTEGER) return int64_t{sqlite3_column_int64(s, col)};
    return ColumnText(s, col);
}

std::string ColumnText(sqlite3_stmt* s, int col) {
    const void* p = sqlite3_column_blob(s, col);
    const int n = sqlite3_column_bytes(s, col);
    return p ? std::string(static_cast<const char*>(p), n) : std::string();
}

sqlite3_stmt* StatementCache::Get(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it != cache_.end()) {
        sqlite3_reset(it->second.get());
        sqlite3_clear_bindings(it->second.get());
        return it->second.get();
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(s);
        return nullptr;
    }
    cache_.emplace(sql, StatementPtr(s));
    return s;
}

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

}  // namespace tarn::storage
