// A whole pass (ReadThroughServices) in this process over a real ServicesToCheck file, with a
// service manager that answers at once: which records it checks, what it says about a damaged
// list, and how it writes its stamps back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "CheckerProcess.h"
#include "bench/SyncCountingVfs.h"
#include "checker/DailyLog.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/vuft4/ServiceManager.h"
#include "tests/support/DamagedPage.h"
#include "tests/support/TestFolder.h"

namespace tarn::checker::test {
namespace {

// Counts the status queries per service and runs the test's hook inside each (a pass asks from
// several threads).
class CountingManager : public vuft4::ServiceManager {
  public:
    std::map<std::string, int> asked;
    std::function<void(const std::string&)> during;
    int32_t Status(const std::string& name) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            ++asked[name];
        }
        if (during) during(name);
        return 6;
    }
    vuft4::StartReport Start(const std::string&) override { return {}; }

  private:
    std::mutex lock_;
};

void RunSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 0);  // the editor would wait a little; the pass must not need it
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The first column of the query's rows.
std::vector<std::string> Column(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    std::vector<std::string> values;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK)
        while (sqlite3_step(s) == SQLITE_ROW)
            values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return values;
}

class PassOverTheList : public ::testing::Test {
  protected:
    void SetUp() override {
        ui.Attach();
        errors::GlobalErrors().Init();
        data::DictionaryInit(true);
        oldManager_ = vuft4::SetServiceManager(manager);
        ASSERT_TRUE(log.Open());
    }
    void TearDown() override {
        vuft4::SetServiceManager(oldManager_);
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
        ui.Detach();
    }

    // Services svc1..svcN with those record ids, added in one transaction.
    void Fill(int count) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        ASSERT_EQ(f.Create(), 0);
        ASSERT_EQ(f.Open(0x42), 0);
        ASSERT_EQ(f.BeginTransaction(5), 0);
        for (int id = 1; id <= count; ++id) {
            f.ClearBuffer(false);
            records::ServicesToCheck().RecordID = id;
            std::snprintf(records::ServicesToCheck().ServerName, 128, "localhost");
            std::snprintf(records::ServicesToCheck().ServiceName, 128, "svc%d", id);
            ASSERT_EQ(f.Add(), 0);
        }
        ASSERT_EQ(f.Commit(), 0);
        f.Close();  // the last connection: the log goes into the file
    }

    // Runs one pass; what it said on standard error is returned.
    std::string Pass() {
        const std::string errFile = dir_ / "stderr";
        const int saved = dup(2);
        const int to = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(to, 2);
        close(to);
        ReadThroughServices(log);
        dup2(saved, 2);
        close(saved);
        return tarn::test::ReadAll(errFile);
    }

    std::string ListPath() { return dir_ / "ServicesToCheck.db"; }

    ui::HeadlessFrontEnd ui;
    tarn::test::TempFolder dir_{"tarn-pass"};
    tarn::test::CurrentFolder inDir_{dir_.Path()};
    std::shared_ptr<CountingManager> manager = std::make_shared<CountingManager>();
    DailyLog log{dir_ / "logfiles"};

  private:
    std::shared_ptr<vuft4::ServiceManager> oldManager_;
};

// Rows an operator added with sqlite3, leaving the record id out: each is checked once, and
// neither they nor the records after them end the pass.
TEST_F(PassOverTheList, RowsAddedByHandWithoutARecordIdAreChecked) {
    Fill(3);
    RunSql(ListPath(),
           "INSERT INTO records(\"SERCHK:ServerName\", \"SERCHK:ServiceName\") "
           "VALUES('', 'hand1'), ('', 'hand2'), ('', 'hand3')");
    // A row id far beyond the others must cost no more than any other row.
    RunSql(ListPath(),
           "INSERT INTO records(rowid, \"SERCHK:RecordID\", \"SERCHK:ServiceName\") "
           "VALUES(549755813888, 9, 'far')");
    EXPECT_EQ(Pass(), "");
    EXPECT_EQ(manager->asked, (std::map<std::string, int>{{"far", 1},
                                                          {"hand1", 1},
                                                          {"hand2", 1},
                                                          {"hand3", 1},
                                                          {"svc1", 1},
                                                          {"svc2", 1},
                                                          {"svc3", 1}}));
    // Each is stamped, its NULL record id left as stored rather than written back as 0.
    EXPECT_EQ(Column(ListPath(),
                     "SELECT count(*) FROM records WHERE \"SERCHK:LastChecked\" = 0 OR "
                     "\"SERCHK:LastChecked\" IS NULL OR \"SERCHK:RecordID\" = 0"),
              std::vector<std::string>{"0"});
}

// A damaged page of the list: said once per pass on standard error and in the daily log, and
// every record not on that page is checked.
TEST_F(PassOverTheList, DamagedPageIsSaidOnceAndEveryReadableRecordIsChecked) {
    Fill(2000);
    const tarn::test::Leaf leaf = tarn::test::MiddleLeaf(ListPath(), "records");
    ASSERT_FALSE(leaf.rowIds.empty());
    tarn::test::Damage(ListPath(), leaf);
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        manager->asked.clear();
        const std::string said = Pass();
        std::map<std::string, int> expected;
        for (int id = 1; id <= 2000; ++id)  // record ids were added as row ids
            if (!leaf.rowIds.count(id)) expected["svc" + std::to_string(id)] = 1;
        EXPECT_EQ(manager->asked.size(), expected.size());
        EXPECT_EQ(manager->asked, expected);
        const std::string head = "tarnwatch: the list of services ServicesToCheck is damaged: ";
        EXPECT_EQ(said.rfind(head, 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("malformed"), std::string::npos) << said;
    }
    size_t logged = 0;
    for (const std::string& line : ReadCrLfLines(log.FileName()))
        logged += line.find(" Service list damaged: ServicesToCheck: ") != std::string::npos;
    EXPECT_EQ(logged, 2u);
}

// Stamps are committed in batches, and the log is copied into the file after the pass: a copy
// of the file alone holds every stamp though another connection (the editor) kept it open.
TEST_F(PassOverTheList, StampsAreCommittedInBatchesAndTheFileAloneIsWhole) {
    bench::InstallSyncCounter();
    Fill(150);
    sqlite3* editor = nullptr;
    ASSERT_EQ(sqlite3_open(ListPath().c_str(), &editor), SQLITE_OK);
    // SQLite connects at the first statement.
    ASSERT_EQ(sqlite3_exec(editor, "SELECT count(*) FROM records", nullptr, nullptr, nullptr),
              SQLITE_OK);
    const long before = bench::syncCount;
    EXPECT_EQ(Pass(), "");
    const long syncs = bench::syncCount - before;
    EXPECT_EQ(manager->asked.size(), 150u);
    // Two batches of at most 100, a sync or two each, and the copy into the file.
    EXPECT_LE(syncs, 10) << syncs;
    tarn::test::TempFolder copy{"tarn-copy"};
    std::filesystem::copy_file(ListPath(), copy / "ServicesToCheck.db");
    sqlite3_close(editor);
    EXPECT_EQ(Column(copy / "ServicesToCheck.db",
                     "SELECT count(*) FROM records WHERE \"SERCHK:LastChecked\" > 0"),
              std::vector<std::string>{"150"});
}

// A reader holding an old snapshot (the editor's list between two refreshes) keeps part of the
// log from the file for a while: that is no failure to say at every pass.
TEST_F(PassOverTheList, AReaderHoldingTheLogIsNoFailure) {
    Fill(3);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(ListPath().c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM records", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_EQ(Pass(), "");
    EXPECT_EQ(Pass(), "");
    sqlite3_close(reader);
}

// The editor saves a record and deletes another while the pass asks about them; it never waits
// for the pass's write lock, its value is kept under the pass's stamp, the deleted one stays
// deleted.
TEST_F(PassOverTheList, EditorsSaveDuringThePassIsKept) {
    Fill(8);
    manager->during = [&](const std::string& name) {
        if (name == "svc5")
            RunSql(ListPath(),
                   "UPDATE records SET \"SERCHK:ServiceDescription\" = 'saved meanwhile', "
                   "chg = chg + 1 WHERE \"SERCHK:RecordID\" = 5;"
                   "DELETE FROM records WHERE \"SERCHK:RecordID\" = 6");
    };
    EXPECT_EQ(Pass(), "");
    EXPECT_EQ(Column(ListPath(),
                     "SELECT \"SERCHK:ServiceDescription\" || ' ' || (\"SERCHK:LastChecked\" > 0) "
                     "FROM records WHERE \"SERCHK:RecordID\" = 5"),
              std::vector<std::string>{"saved meanwhile 1"});
    EXPECT_EQ(Column(ListPath(), "SELECT count(*) FROM records WHERE \"SERCHK:RecordID\" = 6"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Column(ListPath(), "SELECT count(*) FROM records WHERE \"SERCHK:LastChecked\" > 0"),
              std::vector<std::string>{"7"});
}

}  // namespace
}  // namespace tarn::checker::test
