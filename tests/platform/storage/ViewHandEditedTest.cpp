// Views over files an operator changed behind the programs' backs: rows added with the sqlite3
// shell (NULLs, reals where a number belongs) and pages damaged on disk.
#include <fstream>
#include <set>

#include "StorageTestSupport.h"
#include "platform/storage/KeyedView.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;

void RunSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

uint64_t Varint(const unsigned char*& p) {
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

Leaf MiddleLeaf(const std::string& path, const std::string& object) {
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
void Damage(const std::string& path, const Leaf& leaf) {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp((leaf.page - 1) * leaf.pageSize);
    const std::string junk(size_t(leaf.pageSize), '\xA5');
    f.write(junk.data(), std::streamsize(junk.size()));
}

class HandEdited : public KeyedFixture {
  protected:
    std::string Path() { return dir / "Tests.db"; }
    // Names read through a view in the order given, a page of pageSize at a time.
    std::vector<std::string> ReadNames(const std::string& order, int pageSize, bool forward) {
        auto view = MakeView(*file);
        view->SetOrder(order);
        view->SetPageBuffer(pageSize, 0, 0, 60);
        EXPECT_EQ(view->Open(), 0);
        std::vector<std::string> names;
        while ((forward ? view->Next() : view->Previous()) == 0) names.push_back(rec.Name);
        EXPECT_EQ(LastErrorCode(), kEndOfFile) << LastError().driverText;
        return names;
    }
};

// NULL sorts before every value and a real among the integers: every row is read once forward,
// in SQLite's order, whatever page boundary falls on them.
TEST_F(HandEdited, NullsAndRealsInTheOrderAreReadInTheirPlace) {
    AddRecord(1, "one", 1);
    AddRecord(3, "three", 3);
    file->Close();
    RunSql(Path(),
           "INSERT INTO records(\"TST:Name\") VALUES('null-a'), ('null-b'), ('null-c');"
           "INSERT INTO records(\"TST:Id\", \"TST:Name\", \"TST:Score\") VALUES(2.5, 'real', 2);"
           "UPDATE records SET \"TST:Score\" = NULL WHERE \"TST:Name\" LIKE 'null-%'");
    ASSERT_EQ(file->Open(0x42), 0);
    const std::vector<std::string> byId = {"null-a", "null-b", "null-c", "one", "real", "three"};
    for (int pageSize : {1, 2, 20}) {
        EXPECT_EQ(ReadNames("Id", pageSize, true), byId) << pageSize;
        EXPECT_EQ(ReadNames("Score, -Name", pageSize, true),
                  (std::vector<std::string>{"null-c", "null-b", "null-a", "one", "real", "three"}))
            << pageSize;
    }
    // A NULL reads as zero in the record.
    auto view = MakeView(*file);
    view->SetOrder("Id");
    ASSERT_EQ(view->Open(), 0);
    ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(rec.Id, 0);
    EXPECT_EQ(rec.Score, 0);
}

// A damaged table page loses its records; a damaged index page none. Every other record is read
// once, and the damage is said once per stretch passed over.
TEST_F(HandEdited, DamagedPagesArePassedOverAndEveryOtherRecordIsRead) {
    for (const std::string object : {"records", "key0"}) {
        SCOPED_TRACE(object);
        file->Close();
        file->SetName(dir / ("Damaged-" + object));
        ASSERT_EQ(file->Create(), 0);
        ASSERT_EQ(file->Open(0x42), 0);
        ASSERT_EQ(file->BeginTransaction(5), 0);
        for (int id = 1; id <= 2000; ++id) ASSERT_EQ(AddRecord(id, "service", id % 7), 0);
        ASSERT_EQ(file->Commit(), 0);
        file->Close();  // the last connection's close moves the log into the file
        const std::string path = dir / ("Damaged-" + object + ".db");
        const Leaf leaf = MiddleLeaf(path, object);
        ASSERT_GT(leaf.page, 0);
        ASSERT_EQ(leaf.rowIds.empty(), object != "records");
        Damage(path, leaf);

        ASSERT_EQ(file->Open(0x42), 0);
        auto view = MakeView(*file);
        view->SetOrder("Id");
        ASSERT_EQ(view->Open(), 0);
        std::multiset<int64_t> read;
        int said = 0;
        for (int rc; (rc = view->Next()) != kEndOfFile;) {
            if (rc == 0) {
                read.insert(rec.Id);
                continue;
            }
            ASSERT_EQ(rc, kInvalidFile) << LastError().driverText;
            EXPECT_NE(LastError().driverText.find("malformed"), std::string::npos)
                << LastError().driverText;
            ASSERT_LT(++said, 20);
        }
        std::multiset<int64_t> expected;
        for (int id = 1; id <= 2000; ++id)
            if (!leaf.rowIds.count(id)) expected.insert(id);  // ids were added as row ids
        EXPECT_EQ(read.size(), expected.size());
        EXPECT_EQ(read, expected);
        EXPECT_GE(said, 1);
    }
}

}  // namespace
}  // namespace tarn::storage::test
