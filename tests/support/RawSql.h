#pragma once
// A data file read and written behind the programs' backs, as an operator with sqlite3 would.
#include <sqlite3.h>

#include <string>
#include <vector>

namespace tarn::test {

// Runs sql on the database file; "" on success, else SQLite's message.
inline std::string RawExec(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string error;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "cannot open " + file;
    } else {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
            error = message ? message : "failed";
        sqlite3_free(message);
    }
    sqlite3_close(db);
    return error;
}

// The rows of a query, each its columns' text joined by '|' (NULL as "NULL").
inline std::vector<std::string> RawRows(const std::string& file, const std::string& sql) {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
        while (sqlite3_step(s) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
                row += (c ? "|" : "") + std::string(text ? text : "NULL");
            }
            rows.push_back(row);
        }
    } else {
        rows.push_back("error: " + std::string(db ? sqlite3_errmsg(db) : "cannot open"));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

}  // namespace tarn::test
