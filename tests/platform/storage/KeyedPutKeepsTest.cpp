// A Put writes what the caller changed and nothing else: values stored by other tools, wider
// than the record buffer can hold, come through a read and a write-back exactly as they were.
#include <functional>

#include "StorageTestSupport.h"
#include "tests/support/RawSql.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;
using tarn::test::RawExec;
using tarn::test::RawRows;

class KeyedPutKeeps : public KeyedFixture {
  protected:
    std::string Db() const { return dir / "Tests.db"; }
    // Each stored value with its SQLite type, of the record whose code is code.
    std::string Stored(const std::string& code) {
        auto rows = RawRows(Db(),
                            "SELECT typeof(\"TST:Id\"), \"TST:Id\", typeof(\"TST:Name\"), "
                            "\"TST:Name\", typeof(\"TST:Score\"), \"TST:Score\", "
                            "typeof(\"TST:Notes\"), \"TST:Notes\", \"TST:Code\" FROM records "
                            "WHERE \"TST:Code\" = '" +
                                code + "'");
        return rows.size() == 1 ? rows[0] : "rows: " + std::to_string(rows.size());
    }
    // Values no record buffer of this file can hold, as an operator's sqlite3 would store them.
    void StoreWide(int rid) {
        ASSERT_EQ(RawExec(Db(),
                          "UPDATE records SET \"TST:Id\" = 9223372036854775807, "
                          "\"TST:Name\" = '" +
                              name306 +
                              "', \"TST:Score\" = 7.5, \"TST:Notes\" = 'plain notes', "
                              "\"TST:Code\" = 'wide    ' WHERE rid = " +
                              std::to_string(rid)),
                  "");
    }
    std::string WideAsStored(const std::string& code) const {
        return "integer|9223372036854775807|text|" + name306 + "|real|7.5|text|plain notes|" + code;
    }

    const std::string name306 = std::string(300, 'n') + "-tail";
};

TEST_F(KeyedPutKeeps, FieldsNotChangedStayAsStoredByteForByteTypeForTypeWhateverTheRead) {
    ASSERT_EQ(AddRecord(1, "one", 1), 0);
    ASSERT_EQ(AddRecord(2, "two", 2), 0);
    const std::string position = "1";
    std::unique_ptr<View> view = file->NewView();
    view->SetOrder("Name");
    const std::vector<std::pair<const char*, std::function<int()>>> reads = {
        {"next", [&] { return file->SetToStart(-1) || file->Next(); }},
        {"reget", [&] { return file->Reget(position, -1); }},
        {"view", [&] { return view->Open() || view->Next(); }},
    };
    for (const auto& [how, read] : reads) {
        SCOPED_TRACE(how);
        StoreWide(1);
        ASSERT_EQ(Stored("wide    "), WideAsStored("wide    "));
        ASSERT_EQ(read(), 0);
        ASSERT_EQ(file->Position(-1), position);
        EXPECT_EQ(std::string(rec.Name), name306.substr(0, 19));
        std::memcpy(rec.Code, "changed ", 8);
        ASSERT_EQ(file->Put(), 0) << LastError().driverText;
        EXPECT_EQ(Stored("changed "), WideAsStored("changed "));
        view->Close();
    }
}

// Another connection's change to a field this one did not change is kept by an unwatched Put,
// and a changed BLOB is written.
TEST_F(KeyedPutKeeps, OtherConnectionsChangesToOtherFieldsSurviveAnUnwatchedPut) {
    ASSERT_EQ(AddRecord(1, "one", 1), 0);
    rec.Id = 1;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    ASSERT_EQ(RawExec(Db(), "UPDATE records SET \"TST:Score\" = 50, \"TST:Name\" = 'renamed'"), "");
    std::memcpy(rec.Code, "mine    ", 8);
    file->Blob(0) = "new notes";
    ASSERT_EQ(file->Put(), 0);
    EXPECT_EQ(RawRows(Db(),
                      "SELECT \"TST:Name\", \"TST:Score\", \"TST:Code\", \"TST:Notes\" "
                      "FROM records"),
              std::vector<std::string>{"renamed|50|mine    |new notes"});
}

TEST_F(KeyedPutKeeps, PutThatChangesNothingWritesNothingYetAnswersAsAWrite) {
    ASSERT_EQ(AddRecord(1, "one", 1), 0);
    ASSERT_EQ(AddRecord(2, "two", 2), 0);
    StoreWide(1);
    const auto before = RawRows(Db(), "SELECT * FROM records ORDER BY rid");
    ASSERT_EQ(file->Reget("1", -1), 0);
    ASSERT_EQ(file->Put(), 0);
    EXPECT_EQ(RawRows(Db(), "SELECT * FROM records ORDER BY rid"), before);

    // Watched: another connection's change since the read still answers 89.
    file->Watch();
    ASSERT_EQ(file->Reget("2", -1), 0);
    ASSERT_EQ(RawExec(Db(), "UPDATE records SET chg = chg + 1, \"TST:Score\" = 9 WHERE rid = 2"),
              "");
    EXPECT_EQ(file->Put(), kChangedByOther);
}

// A restored state brings back the record as it was read then, not as the last read left it.
TEST_F(KeyedPutKeeps, PutAfterARestoredStateComparesWithThatStatesRead) {
    ASSERT_EQ(AddRecord(1, "one", 1), 0);
    ASSERT_EQ(AddRecord(2, "two", 2), 0);
    StoreWide(1);
    ASSERT_EQ(file->Reget("1", -1), 0);
    const int state = file->SaveState();
    ASSERT_EQ(file->Reget("2", -1), 0);
    file->RestoreState(state);
    file->FreeState(state);
    std::memcpy(rec.Code, "restored", 8);
    ASSERT_EQ(file->Put(), 0);
    EXPECT_EQ(Stored("restored"), WideAsStored("restored"));
    EXPECT_EQ(RawRows(Db(), "SELECT \"TST:Name\" FROM records WHERE rid = 2"),
              std::vector<std::string>{"two"});
}

}  // namespace
}  // namespace tarn::storage::test
