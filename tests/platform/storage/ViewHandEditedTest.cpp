// Views over files an operator changed behind the programs' backs: rows added with the sqlite3
// shell (NULLs, reals where a number belongs) and pages damaged on disk.
#include <set>

#include "StorageTestSupport.h"
#include "platform/storage/KeyedView.h"
#include "tests/support/DamagedPage.h"
#include "tests/support/RawSql.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;
using tarn::test::Damage;
using tarn::test::Leaf;
using tarn::test::MiddleLeaf;

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
    EXPECT_EQ(
        tarn::test::RawExec(
            Path(),
            "INSERT INTO records(\"TST:Name\") VALUES('null-a'), ('null-b'), ('null-c');"
            "INSERT INTO records(\"TST:Id\", \"TST:Name\", \"TST:Score\") VALUES(2.5, 'real', 2);"
            "UPDATE records SET \"TST:Score\" = NULL WHERE \"TST:Name\" LIKE 'null-%'"),
        "");
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
