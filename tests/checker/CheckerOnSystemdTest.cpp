// The checker against a real systemd: a throwaway one booted for each test
// (tests/lab/systemd-lab). The real tarnwatch binary runs inside it with its data folder under
// the build folder; a pass whose start limit is shortened runs in this process, reaching the lab
// through a systemctl that runs inside it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "CheckerFixture.h"
#include "NotifyListener.h"
#include "checker/DailyLog.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/TimeLimits.h"
#include "tests/support/SystemdLab.h"

namespace tarn::checker::test {
namespace {

using tarn::test::LabFolder;
using tarn::test::SystemdLab;

const std::string kSleeper = "[Service]\nExecStart=/bin/sleep infinity\n";
const std::string kFailing = "[Service]\nType=oneshot\nExecStart=/bin/false\n";
const std::string kHanging =
    "[Service]\nExecStartPre=/bin/sleep 600\nExecStart=/bin/sleep infinity\n";

// The log's lines after their date and time.
std::vector<std::string> EventsOf(const std::vector<std::string>& lines) {
    std::vector<std::string> events;
    for (const std::string& line : lines) events.push_back(line.substr(line.find("M ") + 1));
    return events;
}

class CheckerOnSystemd : public CheckerEndToEnd {
  protected:
    // The lab sees the data folder: it must not lie in /tmp, which the lab has of its own.
    CheckerOnSystemd() : CheckerEndToEnd(LabFolder()) {}

    // Runs the checker inside the lab until its log holds lines lines and records 1 to records
    // are stamped (the pass is over); the events after the first line (the settings).
    std::vector<std::string> PassInLab(const SystemdLab& lab, size_t lines, int records,
                                       const std::string& stubBin = "") {
        auto checker = CheckerProcess::Through(lab.Launcher(folder.Path()), folder.Path(), stubBin);
        const bool logged = checker->WaitFor(
            [&] {
                for (int id = 1; id <= records; ++id)
                    if (ReadService(id).LastChecked == 0) return false;
                return Log().size() >= lines;
            },
            30s);
        checker->Stop();
        EXPECT_TRUE(logged) << checker->Stderr();
        std::vector<std::string> events = EventsOf(Log());
        if (!events.empty()) events.erase(events.begin());
        return events;
    }
};

TEST_F(CheckerOnSystemd, StoppedUnitIsStartedAndAFailingStartIsLogged) {
    SystemdLab lab({{"lab-stopped.service", kSleeper}, {"lab-broken.service", kFailing}});
    TARN_REQUIRE_LAB(lab);
    WriteServices({{1, "", "lab-stopped", "started by the pass"}, {2, "", "lab-broken", "fails"}});

    EXPECT_EQ(PassInLab(lab, 5, 2), (std::vector<std::string>{
                                        " Service Status: lab-stopped CODE IS :0",
                                        " Successfully Restarted Service: lab-stopped",
                                        " Service Status: lab-broken CODE IS :0",
                                        " FAILED Restart Service: lab-broken ERROR CODE IS :0",
                                    }));
    EXPECT_EQ(lab.Systemctl("is-active", "lab-stopped.service").output, "active\n");
    EXPECT_EQ(lab.Systemctl("is-failed", "lab-broken.service").output, "failed\n");
}

// A target, a pattern and reboot.target in the list: the checker refuses them before asking
// systemd anything (a systemctl placed first on PATH would record a fallback to it), and in the
// lab the target and the units the pattern matches stay as they were.
TEST_F(CheckerOnSystemd, NamesThatAreNoServiceAreNeverStarted) {
    SystemdLab lab(
        {{"lab-probe.target", "[Unit]\nWants=lab-probe-member.service\n"},
         {"lab-probe-member.service", kSleeper},
         {"lab-globbed.service", kSleeper},
         // Running, it keeps the others loaded, so that a pattern would match them.
         {"lab-anchor.service", "[Unit]\nAfter=lab-probe.target lab-globbed.service\n" + kSleeper},
         {"lab-last.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    ASSERT_EQ(lab.Systemctl("start", "lab-anchor.service").exitCode, 0);
    ASSERT_EQ(lab.Systemctl("show", "-p", "LoadState", "--value", "lab-probe.target",
                            "lab-globbed.service")
                  .output,
              "loaded\n\nloaded\n");
    TempFolder shim("lab-shim", LabFolder());
    WriteScript(shim / "systemctl",
                "echo \"$*\" >>" + (shim / "calls") + "\nexec /bin/systemctl \"$@\"\n");
    WriteServices({{1, "", "reboot.target", ""},
                   {2, "", "lab*", ""},
                   {3, "", "lab-probe.target", ""},
                   {4, "", "lab-last", ""}});

    EXPECT_EQ(PassInLab(lab, 9, 4, shim.Path()),
              (std::vector<std::string>{
                  " Service Status: reboot.target CODE IS :-1",
                  " FAILED Restart Service: reboot.target ERROR CODE IS :-1",
                  " Service Status: lab* CODE IS :-1",
                  " FAILED Restart Service: lab* ERROR CODE IS :-1",
                  " Service Status: lab-probe.target CODE IS :-1",
                  " FAILED Restart Service: lab-probe.target ERROR CODE IS :-1",
                  " Service Status: lab-last CODE IS :0",
                  " Successfully Restarted Service: lab-last",
              }));
    // The checker asks and starts over D-Bus: systemctl is not run at all.
    EXPECT_EQ(ReadAll(shim / "calls"), "");
    EXPECT_EQ(lab.Systemctl("is-active", "lab-probe.target", "lab-probe-member.service",
                            "lab-globbed.service")
                  .output,
              "inactive\ninactive\ninactive\n");
}

// Between passes at a 60-second cycle: a listed unit that stops is running again within a
// second, every time, with the lines a pass writes, and only its record stamped again.
class BetweenPassesOnSystemd : public CheckerOnSystemd {
  protected:
    // systemd's own limit of five starts in ten seconds would refuse the rounds' starts.
    const std::string kUnlimited = "[Unit]\nStartLimitIntervalSec=0\n" + kSleeper;

    // Starts the checker in the lab and waits for its first pass over both records.
    void StartChecker(const SystemdLab& lab) {
        WriteSettings(1, 60);
        WriteServices({{1, "", "lab-watched", ""}, {2, "", "lab-other", ""}});
        checker_ = CheckerProcess::Through(lab.Launcher(folder.Path()), folder.Path());
        ASSERT_TRUE(checker_->WaitFor(
            [&] { return ReadService(2).LastChecked != 0 && Log().size() >= 5; }, 30s))
            << checker_->Stderr();
        otherStamp_ = ReadService(2).LastCheckedTime;
    }

    // Stops the unit `times` times with stop() and says how long each took to be active again.
    void StopAndTime(const SystemdLab& lab, int times, const std::function<void()>& stop) {
        for (int i = 0; i < times; ++i) {
            ASSERT_TRUE(WaitActive(lab, 5s)) << "round " << i << checker_->Stderr();
            // Up for longer than a moment: each stop is a service that had been running.
            std::this_thread::sleep_for(1200ms);
            stop();
            const auto stopped = std::chrono::steady_clock::now();
            ASSERT_TRUE(WaitActive(lab, 5s)) << "round " << i << checker_->Stderr();
            EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1s) << "round " << i;
        }
    }

    bool WaitActive(const SystemdLab& lab, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (lab.Systemctl("is-active", "lab-watched.service").output == "active\n") return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    // The log after the first pass holds the lines of `times` checks of lab-watched alone.
    void ExpectChecks(int times) {
        std::vector<std::string> expected;
        for (int i = 0; i < times; ++i) {
            expected.push_back(" Service Status: lab-watched CODE IS :0");
            expected.push_back(" Successfully Restarted Service: lab-watched");
        }
        const size_t lines = 5 + expected.size();
        EXPECT_TRUE(checker_->WaitFor([&] { return Log().size() >= lines; }, 10s));
        std::vector<std::string> events = EventsOf(Log());
        ASSERT_GE(events.size(), 5u);
        events.erase(events.begin(), events.begin() + 5);
        EXPECT_EQ(events, expected);
        // Packed fields: compared as copies.
        EXPECT_NE(+ReadService(1).LastCheckedTime, +ReadService(2).LastCheckedTime);
        EXPECT_EQ(+ReadService(2).LastCheckedTime, otherStamp_);
        checker_->Stop();
    }

    std::unique_ptr<CheckerProcess> checker_;
    int32_t otherStamp_ = 0;
};

TEST_F(BetweenPassesOnSystemd, AUnitStoppedIsRunningAgainWithinASecond) {
    SystemdLab lab({{"lab-watched.service", kUnlimited}, {"lab-other.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    StartChecker(lab);
    StopAndTime(lab, 20, [&] { lab.Systemctl("stop", "lab-watched.service"); });
    ExpectChecks(20);
}

TEST_F(BetweenPassesOnSystemd, AUnitWhoseProcessIsKilledIsRunningAgainWithinASecond) {
    SystemdLab lab({{"lab-watched.service", kUnlimited}, {"lab-other.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    StartChecker(lab);
    StopAndTime(lab, 5, [&] {
        std::string pid =
            lab.Systemctl("show", "-p", "MainPID", "--value", "lab-watched.service").output;
        pid.pop_back();
        lab.Run({"kill", "-9", pid});
    });
    ExpectChecks(5);
}

// While it watches the units between passes, and while it checks one that stopped, the checker
// keeps telling the watchdog it is alive.
TEST_F(BetweenPassesOnSystemd, TheWatchdogIsFedWhileWatching) {
    SystemdLab lab({{"lab-watched.service", kUnlimited}, {"lab-other.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    TempFolder sockets("notify", LabFolder());
    NotifyListener listener(sockets / "notify");
    ASSERT_TRUE(listener.Listening());
    // Seen by the checker started next (through the lab's launcher), then taken back.
    setenv("NOTIFY_SOCKET", (sockets / "notify").c_str(), 1);
    setenv("WATCHDOG_USEC", "400000", 1);
    StartChecker(lab);
    unsetenv("NOTIFY_SOCKET");
    unsetenv("WATCHDOG_USEC");
    const auto from = std::chrono::steady_clock::now();
    StopAndTime(lab, 1, [&] { lab.Systemctl("stop", "lab-watched.service"); });
    std::this_thread::sleep_for(1s);
    const auto to = std::chrono::steady_clock::now();
    auto last = from;
    for (const NotifyListener::Message& m : listener.Messages()) {
        if (m.text != "WATCHDOG=1" || m.at < from) continue;
        EXPECT_LT(m.at - last, 400ms);
        last = m.at;
    }
    EXPECT_LT(to - last, 400ms);
    ExpectChecks(1);
}

// A pass in this process, its service manager the lab's systemd.
class PassOnSystemd : public ::testing::Test {
  protected:
    void SetUp() override {
        ui.Attach();
        errors::GlobalErrors().Init();
        data::DictionaryInit(true);
        ASSERT_TRUE(log.Open());
    }
    void TearDown() override {
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
        ui.Detach();
    }

    void WriteServices(const std::vector<std::string>& names) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        ASSERT_EQ(f.Create(), 0);
        ASSERT_EQ(f.Open(0x42), 0);
        for (size_t i = 0; i < names.size(); ++i) {
            f.ClearBuffer(false);
            records::ServicesToCheck().RecordID = static_cast<int32_t>(i + 1);
            std::snprintf(records::ServicesToCheck().ServiceName, 128, "%s", names[i].c_str());
            ASSERT_EQ(f.Add(), 0);
        }
        f.Close();
    }

    ui::HeadlessFrontEnd ui;
    tarn::test::TempFolder dir_{"tarn-lab-pass"};
    tarn::test::CurrentFolder inDir_{dir_.Path()};
    DailyLog log{dir_ / "logfiles"};
};

// A start that never completes is cut at the start limit; the pass logs it as not started and
// goes on to start the next service.
TEST_F(PassOnSystemd, HangingStartIsCutAndThePassGoesOn) {
    SystemdLab lab({{"lab-hanging.service", kHanging}, {"lab-next.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    WriteServices({"lab-hanging", "lab-next"});
    const auto saved = vuft4::SetServiceManager(
        std::make_shared<vuft4::SystemdServiceManager>(lab.SystemctlPath()));
    vuft4::TimeLimits limits = vuft4::CurrentTimeLimits();
    const vuft4::TimeLimits savedLimits = limits;
    // Short enough to keep the test quick, long enough for the next unit's start on a loaded
    // machine: the limit holds for every start of the pass.
    limits.startMs = 5000;
    vuft4::SetTimeLimits(limits);

    const auto before = std::chrono::steady_clock::now();
    ReadThroughServices(log);
    const auto took = std::chrono::steady_clock::now() - before;
    vuft4::SetTimeLimits(savedLimits);
    vuft4::SetServiceManager(saved);

    EXPECT_LT(took, 20s);
    EXPECT_EQ(EventsOf(ReadCrLfLines(log.FileName())),
              (std::vector<std::string>{
                  " Service Status: lab-hanging CODE IS :0",
                  " FAILED Restart Service: lab-hanging ERROR CODE IS :2",
                  " Service Status: lab-next CODE IS :0",
                  " Successfully Restarted Service: lab-next",
              }));
    EXPECT_EQ(lab.Systemctl("is-active", "lab-next.service").output, "active\n");
}

}  // namespace
}  // namespace tarn::checker::test
