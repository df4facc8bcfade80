#pragma once
// Damaging a page of a real SQLite file on disk, as a failing disk or a stray write would, and
// telling which records were on it.
#include <sqlite3.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace tarn::test {

inline uint64_t Varint(const unsigned char*& p) {
    uint64_t v = 0;
    for (int i = 0; i < 9; ++i) {
        const unsigned char b = *p++;
        if (i == 8) return (v << 8) | b;
        v = (v << 7) | (b & 0x7f);
        if (!(b & 0x80)) break;
    }
    return v;
}

// A leaf page of a table or index in the middle of the file's pages for it (dbstat), and the row
// ids stored on it when it is a table's.
struct Leaf {
    int64_t page = 0;
    int pageSize = 0;
    std::set<int64_t> rowIds;
};

inline Leaf MiddleLeaf(const std::string& path, const std::string& object) {
    Leaf leaf;
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT pageno, pgsize FROM dbstat WHERE name = ?1 AND pagetype = 'leaf' "
                       "ORDER BY pageno",
                       -1, &s, nullptr);
    sqlite3_bind_text(s, 1, object.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::pair<int64_t, int>> pages;
    while (sqlite3_step(s) == SQLITE_ROW)
        pages.emplace_back(sqlite3_column_int64(s, 0), sqlite3_column_int(s, 1));
    sqlite3_finalize(s);
    sqlite3_close(db);
    if (pages.size() < 3) return leaf;
    std::tie(leaf.page, leaf.pageSize) = pages[pages.size() / 2];
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(size_t(leaf.pageSize));
    in.seekg((leaf.page - 1) * leaf.pageSize);
    in.read(reinterpret_cast<char*>(bytes.data()), leaf.pageSize);
    if (bytes[0] != 0x0D) return leaf;  // an index leaf holds no row ids of its own
    const int cells = bytes[3] << 8 | bytes[4];
    for (int i = 0; i < cells; ++i) {
        const unsigned char* p = &bytes[size_t(bytes[8 + 2 * i] << 8 | bytes[9 + 2 * i])];
        Varint(p);  // payload size
        leaf.rowIds.insert(int64_t(Varint(p)));
    }
    return leaf;
}

// Overwrites the page with bytes SQLite cannot take for a page of any kind.
inline void Damage(const std::string& path, const Leaf& leaf) {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp((leaf.page - 1) * leaf.pageSize);
    const std::string junk(size_t(leaf.pageSize), '\xA5');
    f.write(junk.data(), std::streamsize(junk.size()));
}

}  // namespace tarn::test
