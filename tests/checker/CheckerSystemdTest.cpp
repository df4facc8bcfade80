// End-to-end: the real checker started the way systemd starts a Type=notify service with a
// watchdog, its notify socket held by the test.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "CheckerFixture.h"
#include "NotifyListener.h"

namespace tarn::checker::test {
namespace {

using Clock = std::chrono::steady_clock;

class CheckerUnderSystemd : public CheckerEndToEnd {
  protected:
    // The environment systemd gives the service: its notify socket and, when watchdogUsec is
    // not empty, the watchdog for this very process.
    std::function<void()> Systemd(std::string watchdogUsec = "") {
        return [socket = notifyPath, watchdogUsec] {
            setenv("NOTIFY_SOCKET", socket.c_str(), 1);
            if (watchdogUsec.empty()) return;
            setenv("WATCHDOG_USEC", watchdogUsec.c_str(), 1);
            setenv("WATCHDOG_PID", std::to_string(getpid()).c_str(), 1);
        };
    }

    // A cron script of the test's own (in initFolder, for PrivateInitFolder): never running;
    // and a stub `service` whose start records its pid, then sleeps startSeconds. The real cron
    // is not touched.
    void SlowStartingService(const std::string& startSeconds) {
        std::filesystem::create_directory(initFolder);
        WriteScript(initFolder + "/cron", "exit 3\n");
        WriteScript(stubs / "service",
                    "echo $$ >> '" + stubs / "starts" + "'\nexec sleep " + startSeconds + "\n");
    }
    static size_t Lines(const std::string& path) {
        const std::string text = ReadAll(path);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    void EndStarts() {
        std::istringstream pids(ReadAll(stubs / "starts"));
        for (pid_t pid; pids >> pid;) kill(pid, SIGKILL);
    }

    std::string notifyPath = stubs / "notify";
    std::string initFolder = stubs / "init.d";
    NotifyListener systemd{notifyPath};
};

TEST_F(CheckerUnderSystemd, ReadyOnceTheSettingsAreLoadedThenTheCountsOfEachPass) {
    ASSERT_TRUE(systemd.Listening());
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    CheckerProcess p(folder.Path(), "", -1, Systemd());
    ASSERT_TRUE(p.WaitFor([&] { return systemd.Starting("STATUS=Last pass").size() >= 2; }, 10s))
        << p.Stderr();
    p.Stop();
    const std::vector<NotifyListener::Message> messages = systemd.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages[0].text.starts_with("READY=1\n")) << messages[0].text;
    EXPECT_EQ(systemd.Starting("READY=1").size(), 1u);
    const std::regex status(
        R"(STATUS=Last pass \d\d:\d\d:\d\d: 1 service, 0 running, 0 restarted, 1 failed; next in 1 s)");
    for (const std::string& text : systemd.Starting("STATUS=Last pass"))
        EXPECT_TRUE(std::regex_match(text, status)) << text;

    // Settings it cannot use end the checker before it ever says it is ready.
    std::filesystem::remove_all(folder / "Settings.db");
    std::ofstream(folder / "Settings.db", std::ios::binary) << std::string(4096, 'x');
    const size_t before = systemd.Messages().size();
    CheckerProcess broken(folder.Path(), "", -1, Systemd());
    ASSERT_TRUE(broken.WaitFor([&] { return !broken.Running(); }, 10s));
    std::this_thread::sleep_for(100ms);
    const std::vector<NotifyListener::Message> after = systemd.Messages();
    for (size_t i = before; i < after.size(); ++i)
        EXPECT_FALSE(after[i].text.starts_with("READY=1")) << after[i].text;
}

// A start that takes longer than the watchdog waits, then the sleep between passes: keep-alives
// keep coming at half the interval, so systemd never takes a busy checker for a hung one.
TEST_F(CheckerUnderSystemd, KeepAlivesThroughALongStartAndTheSleep) {
    if (geteuid() != 0) GTEST_SKIP() << "a private /etc/init.d needs root";
    ASSERT_TRUE(systemd.Listening());
    SlowStartingService("4");
    WriteSettings(1, 3);
    WriteServices({{1, "", "cron", ""}});
    CheckerProcess p(folder.Path(), stubs.Path(), -1,
                     PrivateInitFolder(initFolder, Systemd("2000000")));
    // The first start, the sleep, and into the second start.
    ASSERT_TRUE(p.WaitFor([&] { return Lines(stubs / "starts") >= 2; }, 20s)) << p.Stderr();
    std::this_thread::sleep_for(1s);
    p.Stop();
    EndStarts();
    std::vector<Clock::time_point> alive;
    for (const NotifyListener::Message& m : systemd.Messages())
        if (m.text == "WATCHDOG=1") alive.push_back(m.at);
    ASSERT_GE(alive.size(), 6u) << "about one a second for 8 seconds";
    for (size_t i = 1; i < alive.size(); ++i)
        EXPECT_LT(alive[i] - alive[i - 1], 2000ms) << "keep-alive " << i << " came too late";
}

// systemd asks the checker to stop while a start runs: it says so and ends at once, by SIGTERM
// as before, its files whole.
TEST_F(CheckerUnderSystemd, SigtermSaysStoppingAndEndsTheCheckerAtOnce) {
    if (geteuid() != 0) GTEST_SKIP() << "a private /etc/init.d needs root";
    ASSERT_TRUE(systemd.Listening());
    SlowStartingService("60");
    WriteServices({{1, "", "cron", ""}});
    CheckerProcess p(folder.Path(), stubs.Path(), -1,
                     PrivateInitFolder(initFolder, Systemd("30000000")));
    ASSERT_TRUE(p.WaitFor([&] { return Lines(stubs / "starts") >= 1; }, 10s)) << p.Stderr();
    const Clock::time_point asked = Clock::now();
    kill(p.Pid(), SIGTERM);
    ASSERT_TRUE(p.WaitFor([&] { return !p.Running(); }, 2s)) << "still running after SIGTERM";
    const auto took = Clock::now() - asked;
    const int status = p.Stop();
    EndStarts();
    EXPECT_LT(took, 1s);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(systemd.Starting("STOPPING=1"), std::vector<std::string>{"STOPPING=1"});
    for (const char* file : {"Settings.db", "ServicesToCheck.db"}) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2((folder / file).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        std::string verdict;
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) += values[0] ? values[0] : "";
                return 0;
            },
            &verdict, nullptr);
        sqlite3_close(db);
        EXPECT_EQ(verdict, "ok") << file;
    }
}

}  // namespace
}  // namespace tarn::checker::test
