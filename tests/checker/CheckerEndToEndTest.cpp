// End-to-end: the real tarnwatch binary in a temporary folder, ended from outside.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>

#include "CheckerFixture.h"
#include "platform/system/Folders.h"
#include "tests/support/RealServiceLock.h"

namespace tarn::checker::test {
namespace {

TEST_F(CheckerEndToEnd, FreshFolderCreatesFilesSettingsAndFirstLogLine) {
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(p.WaitFor([&] { return !Log().empty(); }, 10s)) << p.Stderr();
    ASSERT_TRUE(
        p.WaitFor([&] { return access((folder / "ServicesToCheck.db").c_str(), F_OK) == 0; }, 10s));
    p.Stop();

    EXPECT_TRUE(platform::FolderExists(folder / "logfiles"));
    EXPECT_EQ(access((folder / "Settings.db").c_str(), F_OK), 0);
    auto settings = ReadSettings();
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(+settings[0].RecordID, 1);
    EXPECT_EQ(+settings[0].TimeBetweenCyclesInSeconds, 60);

    auto lines = Log();
    ASSERT_EQ(lines.size(), 1u);
    std::regex head(
        R"(\d\d-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d{4} \d\d:\d\d:\d\d(AM|PM)  Loaded Settings\. Sleep Time = 60)");
    EXPECT_TRUE(std::regex_match(lines[0], head)) << lines[0];
    // Every line ends with CR LF, nothing else in the file.
    std::string raw = ReadAll(TodaysLog(folder.Path()));
    EXPECT_EQ(raw, lines[0] + "\r\n");
}

TEST_F(CheckerEndToEnd, CycleTimeZeroLogsSixty) {
    WriteSettings(1, 0);
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(p.WaitFor([&] { return !Log().empty(); }, 10s)) << p.Stderr();
    p.Stop();
    EXPECT_TRUE(LogHas("  Loaded Settings. Sleep Time = 60"));
    EXPECT_EQ(ReadSettings().size(), 1u);
}

TEST_F(CheckerEndToEnd, SettingsWithoutRecordOneGetRecordOneOnce) {
    WriteSettings(2, 30);
    for (int start = 0; start < 2; ++start) {
        CheckerProcess p(folder.Path());
        ASSERT_TRUE(p.WaitFor([&] { return Log().size() > size_t(start); }, 10s)) << p.Stderr();
        p.Stop();
    }
    // Record 1 is where the editor saves the cycle time: it is made with that number, once.
    auto settings = ReadSettings();
    ASSERT_EQ(settings.size(), 2u);
    EXPECT_EQ(+settings[0].RecordID, 1);
    EXPECT_EQ(+settings[0].TimeBetweenCyclesInSeconds, 60);
    EXPECT_EQ(+settings[1].RecordID, 2);
    EXPECT_EQ(+settings[1].TimeBetweenCyclesInSeconds, 30);
    EXPECT_TRUE(LogHas("  Loaded Settings. Sleep Time = 60"));
}

TEST_F(CheckerEndToEnd, PassesFollowTheCycleTime) {
    WriteSettings(1, 2);
    // A name with no service behind it answers at once and is stamped every pass.
    WriteServices({{1, "", "tarn-no-such-service", "probe"}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1})) << p.Stderr();
    int32_t first = ReadService(1).LastCheckedTime;
    ASSERT_TRUE(p.WaitFor([&] { return ReadService(1).LastCheckedTime != first; }, 10s));
    int32_t second = ReadService(1).LastCheckedTime;
    p.Stop();
    int32_t apart = second - first;  // hundredths of a second
    EXPECT_GE(apart, 200);
    EXPECT_LT(apart, 400);
    EXPECT_TRUE(LogHas("  Loaded Settings. Sleep Time = 2"));
}

TEST_F(CheckerEndToEnd, StoppedCronIsStartedAgain) {
    if (!HaveCron()) GTEST_SKIP() << "cron is not installed (scripts/setup installs it)";
    tarn::test::RealServiceLock cronLock;
    RunTool({"service", "cron", "stop"});
    ASSERT_NE(RunTool({"service", "cron", "status"}), 0);
    WriteServices({{1, "", "cron", "the cron daemon"}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1})) << p.Stderr();
    ASSERT_TRUE(p.WaitFor([&] { return LogHas(" Successfully Restarted Service: cron"); }, 30s))
        << p.Stderr();
    p.Stop();
    auto lines = Log();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[1].ends_with(" Service Status: cron CODE IS :0")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with(" Successfully Restarted Service: cron")) << lines[2];
    EXPECT_EQ(RunTool({"service", "cron", "status"}), 0);
}

TEST_F(CheckerEndToEnd, UnknownServiceLogsFailureBlankNamesAreFilledAndRunningOnesAreQuiet) {
    bool cron = HaveCron();
    tarn::test::RealServiceLock cronLock;
    if (cron) RunTool({"service", "cron", "start"});
    WriteServices({{1, "", "tarn-no-such-service   ", "trailing blanks"},
                   {2, "", "", "blank names"},
                   {3, "", cron ? "cron" : "tarn-no-such-service", "running"}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1, 3})) << p.Stderr();
    p.Stop();

    auto lines = Log();
    std::vector<std::string> events;
    for (size_t i = 1; i < lines.size(); ++i)
        events.push_back(lines[i].substr(lines[i].find("M ") + 1));
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], " Service Status: tarn-no-such-service CODE IS :-1");
    EXPECT_EQ(events[1], " FAILED Restart Service: tarn-no-such-service ERROR CODE IS :-1");
    if (cron) {
        EXPECT_EQ(events.size(), 2u);  // a running service logs nothing
    }

    ServicesToCheckRecord blank = ReadService(2);
    EXPECT_EQ(std::string(blank.ServerName), platform::ComputerName().substr(0, 127));
    EXPECT_EQ(+blank.LastChecked, 0);
    EXPECT_EQ(+blank.LastCheckedTime, 0);
    EXPECT_NE(+ReadService(3).LastChecked, 0);
    EXPECT_EQ(std::string(ReadService(1).ServerName), platform::ComputerName().substr(0, 127));
}

TEST_F(CheckerEndToEnd, HostileServiceNamesNeverReachAShell) {
    WriteServices({{1, "", "x\";touch pwned1;\"", "quotes"},
                   {2, "", "$(touch pwned2)", "substitution"},
                   {3, "", "a;touch pwned3", "semicolon"},
                   {4, "", "-h", "option"}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1, 2, 3, 4})) << p.Stderr();
    p.Stop();
    for (const char* name : {"pwned1", "pwned2", "pwned3"}) {
        EXPECT_NE(access((folder / name).c_str(), F_OK), 0) << name;
        EXPECT_NE(access((std::string("/tmp/") + name).c_str(), F_OK), 0) << name;
    }
    EXPECT_TRUE(LogHas(" FAILED Restart Service: $(touch pwned2) ERROR CODE IS :-1"));
}

}  // namespace
}  // namespace tarn::checker::test

namespace tarn::checker::test {
namespace {

// The service manager answers slowly, so the test can change records while their check runs.
TEST_F(CheckerEndToEnd, EditsAndDeletionsDuringACheckAreKept) {
    // The pass asks every status before its walk; the walk is held by the starts, each a second
    // long, of another computer's stopped services (a stub ssh stands for a shell there).
    const std::string calls = stubs / "calls";
    WriteScript(stubs / "ssh",
                "while IFS= read -r command && IFS= read -r mark; do\n"
                "  echo \"$command\" >> '" +
                    calls +
                    "'\n"
                    "  case \"$command\" in *'systemctl start'*) sleep 1;; *)\n"
                    "    printf 'tarn-manager=systemd\\n'\n"
                    "    for s in kept:active doomed:inactive last:inactive; do\n"
                    "      printf 'Id=%s.service\\nLoadState=loaded\\nActiveState=%s\\n\\n' "
                    "${s%%:*} ${s#*:}\n"
                    "    done;;\n"
                    "  esac\n"
                    "  eval \"$mark\"\n"
                    "done\n");
    WriteServices(
        {{1, "far", "kept", "before"}, {2, "far", "doomed", "doomed"}, {3, "far", "last", "last"}});
    CheckerProcess p(folder.Path(), stubs.Path());
    auto started = [&] { return ReadAll(calls).find("systemctl start") != std::string::npos; };
    ASSERT_TRUE(p.WaitFor(started, 10s)) << p.Stderr();
    EditService(
        1, [](ServicesToCheckRecord& r) { std::strcpy(r.ServiceDescription, "edited meanwhile"); });
    EditService(2, {}, true);
    ASSERT_TRUE(WaitStamped(p, {3})) << p.Stderr();
    p.Stop();

    ServicesToCheckRecord first = ReadService(1);
    EXPECT_STREQ(first.ServiceDescription, "edited meanwhile");
    EXPECT_NE(+first.LastChecked, 0);
    EXPECT_NE(+first.LastCheckedTime, 0);
    EXPECT_STREQ(first.ServerName, "far");
    EXPECT_EQ(+ReadService(2).RecordID, 0);  // stays deleted
    EXPECT_STREQ(ReadService(3).ServiceDescription, "last");
}

}  // namespace
}  // namespace tarn::checker::test

namespace tarn::checker::test {
namespace {

TEST_F(CheckerEndToEnd, CorruptSettingsFileEndsWithExitCodeOneAndAMessage) {
    {
        std::ofstream out(folder / "Settings.db", std::ios::binary);
        out << std::string(4096, 'x');
    }
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(p.WaitFor([&] { return !p.Running(); }, 10s)) << "the checker went on";
    int status = p.Stop();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string err = p.Stderr();
    EXPECT_NE(err.find("Invalid File"), std::string::npos) << err;
    EXPECT_EQ(ReadAll(folder / "Settings.db"), std::string(4096, 'x')) << "the file was touched";
}

}  // namespace
}  // namespace tarn::checker::test

namespace tarn::checker::test {
namespace {

TEST_F(CheckerEndToEnd, ReadOnlyFolderEndsWithExitCodeOneAndAMessage) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the checker as another user";
    chmod(folder.Path().c_str(), 0555);
    CheckerProcess p(folder.Path(), "", 65534);
    ASSERT_TRUE(p.WaitFor([&] { return !p.Running(); }, 10s)) << "the checker went on";
    int status = p.Stop();
    chmod(folder.Path().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == CheckerProcess::kCannotReachBinary ||
        WEXITSTATUS(status) == CheckerProcess::kCannotStart)
        GTEST_SKIP() << "user 65534 cannot run a copy of the checker in /tmp (noexec?)";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(p.Stderr().find("File Creation Error"), std::string::npos) << p.Stderr();
}

}  // namespace
}  // namespace tarn::checker::test
