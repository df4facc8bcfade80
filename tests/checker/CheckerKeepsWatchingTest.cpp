// End-to-end: what does not stop the watchdog (a log it cannot open or write, a long folder
// path), and what must (a second checker in the same folder).
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CheckerFixture.h"
#include "platform/system/Folders.h"

namespace tarn::checker::test {
namespace {

size_t CountOf(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Runs SQL on a data file behind the checker's back, as an operator with sqlite3 would.
void RunSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST_F(CheckerEndToEnd, FailedWriteBackIsReportedAndThePassGoesOn) {
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service-1", ""},
                   {2, "", "tarn-no-such-service-2", ""},
                   {3, "", "tarn-no-such-service-3", ""}});
    RunSql(folder / "ServicesToCheck.db",
           "CREATE TRIGGER refuse BEFORE UPDATE ON records WHEN old.\"SERCHK:RecordID\" = 2 "
           "BEGIN SELECT RAISE(ABORT, 'refused for the test'); END");
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1, 3}, 10s)) << p.Stderr();
    ASSERT_TRUE(p.WaitFor(
        [&] {
            return LogHas(
                "FAILED Restart Service: tarn-no-such-service-3 "
                "ERROR CODE IS :-1");
        },
        10s));
    p.Stop();
    EXPECT_EQ(+ReadService(2).LastChecked, 0);
    EXPECT_TRUE(LogHas("FAILED Restart Service: tarn-no-such-service-2 ERROR CODE IS :-1"));
    EXPECT_NE(p.Stderr().find("Record was not updated: An error (refused for the test"),
              std::string::npos)
        << p.Stderr();
}

TEST_F(CheckerEndToEnd, UnreadableListIsSaidInOneLinePerPass) {
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    RunSql(folder / "ServicesToCheck.db", "DROP TABLE records");
    CheckerProcess p(folder.Path());
    const std::string said = "cannot read the list of services";
    ASSERT_TRUE(p.WaitFor([&] { return CountOf(p.Stderr(), said) >= 2; }, 10s)) << p.Stderr();
    EXPECT_TRUE(p.Running());
    p.Stop();
    const std::string err = p.Stderr();
    EXPECT_EQ(CountOf(err, "\n"), CountOf(err, said)) << err;
    EXPECT_NE(err.find("no such table: records"), std::string::npos) << err;
}

TEST_F(CheckerEndToEnd, LogThatCannotBeOpenedIsSaidOnceAndTriedAgainAtEachPass) {
    std::ofstream(folder / "logfiles") << "a plain file where the log folder belongs";
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1})) << p.Stderr();
    ASSERT_TRUE(p.Running()) << p.Stderr();
    // The operator clears the way; a later pass makes the folder and logs into it.
    std::filesystem::remove(folder / "logfiles");
    ASSERT_TRUE(p.WaitFor(
        [&] { return LogHas(" FAILED Restart Service: tarn-no-such-service ERROR CODE IS :-1"); },
        10s))
        << p.Stderr();
    p.Stop();
    const std::string log = TodaysLog(folder.Path()).substr(folder.Path().size() + 1);
    EXPECT_EQ(CountOf(p.Stderr(), "cannot open the daily log " + log), 1u) << p.Stderr();
}

TEST_F(CheckerEndToEnd, LogRemovedWhileOpenIsStartedAgain) {
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    CheckerProcess p(folder.Path());
    const std::string failed = " FAILED Restart Service: tarn-no-such-service ERROR CODE IS :-1";
    ASSERT_TRUE(p.WaitFor([&] { return LogHas(failed); }, 10s)) << p.Stderr();
    std::filesystem::remove_all(folder / "logfiles");
    ASSERT_TRUE(p.WaitFor([&] { return LogHas(failed); }, 10s)) << p.Stderr();
    p.Stop();
    EXPECT_EQ(p.Stderr(), "");
}

TEST_F(CheckerEndToEnd, LogThatCannotBeWrittenIsSaidOncePerPass) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the checker as another user";
    // A log of the checker's user that it may read but not write.
    ASSERT_TRUE(platform::CreateFolder(folder / "logfiles"));
    std::ofstream(TodaysLog(folder.Path())) << "an earlier line\r\n";
    ASSERT_EQ(chmod(TodaysLog(folder.Path()).c_str(), 0444), 0);
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service-1", ""},
                   {2, "", "tarn-no-such-service-2", ""},
                   {3, "", "tarn-no-such-service-3", ""}});
    for (const std::string& name :
         {std::string(), std::string("Settings.db"), std::string("ServicesToCheck.db"),
          std::string("logfiles"), TodaysLog(folder.Path()).substr(folder.Path().size() + 1)})
        ASSERT_EQ(chown((folder / name).c_str(), 65534, 65534), 0) << name;
    CheckerProcess p(folder.Path(), "", 65534);
    ASSERT_TRUE(WaitStamped(p, {1, 2, 3})) << p.Stderr();
    const int32_t first = ReadService(3).LastCheckedTime;
    ASSERT_TRUE(p.WaitFor([&] { return ReadService(3).LastCheckedTime != first; }, 10s))
        << p.Stderr();
    p.Stop();
    // Two or three passes of six lost lines each: a line per pass, not per lost line.
    const size_t said = CountOf(p.Stderr(), "cannot write to the daily log");
    EXPECT_GE(said, 2u) << p.Stderr();
    EXPECT_LE(said, 4u) << p.Stderr();
    EXPECT_EQ(ReadAll(TodaysLog(folder.Path())), "an earlier line\r\n");
}

TEST_F(CheckerEndToEnd, FolderPathLongerThanItsFieldIsUsedWhole) {
    std::string deep = folder.Path();
    for (char part : {'a', 'b', 'c'}) deep += "/" + std::string(100, part);
    ASSERT_TRUE(platform::CreateFolder(deep));
    CheckerProcess p(deep);
    ASSERT_TRUE(p.WaitFor([&] { return !ReadCrLfLines(TodaysLog(deep)).empty(); }, 10s))
        << p.Stderr();
    p.Stop();
    EXPECT_FALSE(platform::FolderExists(
        folder / (std::string(100, 'a') + "/" + std::string(100, 'b') + "/logfiles")));
}

TEST_F(CheckerEndToEnd, SecondCheckerInTheSameFolderRefusesUntilTheFirstHasEnded) {
    WriteServices({});  // made here: a kill while a checker creates a data file is another matter
    CheckerProcess first(folder.Path());
    ASSERT_TRUE(first.WaitFor([&] { return !Log().empty(); }, 10s)) << first.Stderr();
    CheckerProcess second(folder.Path());
    ASSERT_TRUE(second.WaitFor([&] { return !second.Running(); }, 10s)) << "both checkers run";
    const int status = second.Stop();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(second.Stderr().find("another checker is already running in " + folder.Path()),
              std::string::npos)
        << second.Stderr();
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(Log().size(), 1u);

    kill(first.Pid(), SIGKILL);  // a checker that dies leaves no lock behind
    first.Stop();
    CheckerProcess third(folder.Path());
    ASSERT_TRUE(third.WaitFor([&] { return Log().size() == 2; }, 10s)) << third.Stderr();
    EXPECT_TRUE(third.Running()) << third.Stderr();
}

}  // namespace
}  // namespace tarn::checker::test
