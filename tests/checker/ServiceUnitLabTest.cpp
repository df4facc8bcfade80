// The installed checker as systemd runs it: `cmake --install` of this build into a scratch
// DESTDIR, that tree put in place as /usr/local of a throwaway systemd (tests/lab/systemd-lab)
// whose /usr/local, /etc/systemd/system, /var/lib and /var/log are its own, and the unit enabled
// and started there as an operator would. The data folder /var/lib/tarnwatch is a folder of
// the test, so that it can seed the list and read the log.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "CheckerFixture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/SystemdLab.h"

namespace tarn::checker::test {
namespace {

using Clock = std::chrono::steady_clock;
using tarn::test::LabFolder;
using tarn::test::LabResult;
using tarn::test::SystemdLab;

const std::string kSleeper = "[Service]\nExecStart=/bin/sleep infinity\n";
const std::string kFailing = "[Service]\nType=oneshot\nExecStart=/bin/false\n";
const std::string kUnitFile = "/usr/local/lib/systemd/system/tarnwatch.service";
// The unit's own RestartSec.
constexpr auto kRestartSec = 5s;

// Polls done() until it holds; how long that took, or nothing after limit.
std::optional<std::chrono::milliseconds> TimeUntil(const std::function<bool()>& done,
                                                   std::chrono::milliseconds limit) {
    const auto start = Clock::now();
    for (;;) {
        if (done())
            return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        if (Clock::now() - start > limit) return std::nullopt;
        std::this_thread::sleep_for(50ms);
    }
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// A property of tarnwatch.service as `systemctl show` gives it.
std::string Show(const SystemdLab& lab, const std::string& property) {
    return Trimmed(lab.Systemctl("show", "-p", property, "--value", "tarnwatch.service").output);
}

bool RunningWithNewPid(const SystemdLab& lab, const std::string& oldPid) {
    const std::string pid = Show(lab, "MainPID");
    return Show(lab, "SubState") == "running" && pid != "0" && pid != oldPid;
}

class ServiceUnitLab : public CheckerEndToEnd {
  protected:
    ServiceUnitLab() : CheckerEndToEnd(LabFolder()) {}

    // One install for all tests: the one under test, as `make install` would lay it out.
    static void SetUpTestSuite() {
        destdir_ = new TempFolder("unit-install", LabFolder());
        const auto run = tarn::test::RunProgram(
            TARN_CMAKE_COMMAND,
            {"--install", TARN_BINARY_DIR, "--component", "Unspecified", "--prefix", "/usr/local"},
            destdir_->Path(), {{"DESTDIR", destdir_->Path()}}, 60s);
        installError_ = run.exitCode == 0 ? "" : run.out + run.err;
    }
    static void TearDownTestSuite() {
        delete destdir_;
        destdir_ = nullptr;
    }

    // A lab with the installed tree as its /usr/local and the data folder as /var/lib/tarnwatch.
    std::unique_ptr<SystemdLab> Boot(const std::map<std::string, std::string>& units = {}) {
        return std::make_unique<SystemdLab>(
            units,
            std::vector<std::string>{"--private", "/usr/local", "--private", "/etc/systemd/system",
                                     "--private", "/var/lib", "--private", "/var/log", "--bind",
                                     *destdir_ / "usr/local:/usr/local", "--bind",
                                     folder.Path() + ":/var/lib/tarnwatch"});
    }

    // Puts dropIn (when not empty) in place as the unit's drop-in test.conf, then loads the
    // units and enables and starts tarnwatch; "" when that worked, else what failed.
    std::string EnableNow(const SystemdLab& lab, const std::string& dropIn = "") {
        if (!dropIn.empty()) {
            const std::string staged = folder / "test.conf";
            std::ofstream(staged) << dropIn;
            const std::string dir = "/etc/systemd/system/tarnwatch.service.d";
            if (lab.Run({"mkdir", "-p", dir}).exitCode != 0 ||
                lab.Run({"mv", staged, dir + "/test.conf"}).exitCode != 0)
                return "the drop-in could not be put in place";
        }
        const LabResult reload = lab.Systemctl("daemon-reload");
        if (reload.exitCode != 0) return "daemon-reload: " + reload.output;
        const LabResult enabled = lab.Systemctl("enable", "--now", "tarnwatch");
        if (enabled.exitCode != 0)
            return "enable --now: " + enabled.output +
                   lab.Systemctl("status", "--no-pager", "tarnwatch").output;
        return "";
    }

    static TempFolder* destdir_;
    static std::string installError_;
};

TempFolder* ServiceUnitLab::destdir_ = nullptr;
std::string ServiceUnitLab::installError_;

// Skips where no lab can run; else fails when the install or the lab did.
#define TARN_REQUIRE_INSTALLED_LAB(lab)                                                        \
    do {                                                                                       \
        if (!(lab).Ready() && !(lab).SkipReason().empty()) GTEST_SKIP() << (lab).SkipReason(); \
        ASSERT_EQ(installError_, "") << "cmake --install";                                     \
        TARN_REQUIRE_LAB(lab);                                                                 \
    } while (0)

// The whole unit as installed, all of its hardening included: the checker runs in its state
// directory, tells its status, and starts a listed unit that was stopped (systemctl reaching
// systemd over /run/systemd/private from inside the sandbox) within one cycle.
TEST_F(ServiceUnitLab, EnabledUnitKeepsAListedUnitRunning) {
    constexpr int kCycleSeconds = 3;
    WriteSettings(1, kCycleSeconds);
    WriteServices({{1, "", "lab-listed", "stopped at first"}});
    auto lab = Boot({{"lab-listed.service", kSleeper}});
    TARN_REQUIRE_INSTALLED_LAB(*lab);
    ASSERT_EQ(EnableNow(*lab), "");

    EXPECT_EQ(Show(*lab, "ActiveState") + "/" + Show(*lab, "SubState"), "active/running");
    EXPECT_EQ(Show(*lab, "UnitFileState"), "enabled");
    const auto listedActive = [&] {
        return lab->Systemctl("is-active", "lab-listed.service").output == "active\n";
    };
    ASSERT_TRUE(TimeUntil(listedActive, 10s)) << "the first pass did not start it";
    ASSERT_TRUE(TimeUntil([&] { return LogHas("Successfully Restarted Service: lab-listed"); }, 5s))
        << "no log under /var/lib/tarnwatch/logfiles";
    EXPECT_TRUE(LogHas("  Loaded Settings. Sleep Time = 3"));
    EXPECT_TRUE(TimeUntil(
        [&] {
            const std::string status = lab->Systemctl("status", "--no-pager", "tarnwatch").output;
            return status.find("Status: \"Last pass ") != std::string::npos &&
                   status.find(": 1 service, 1 running") != std::string::npos;
        },
        10s))
        << lab->Systemctl("status", "--no-pager", "tarnwatch").output;

    ASSERT_EQ(lab->Systemctl("stop", "lab-listed.service").exitCode, 0);
    const auto again = TimeUntil(listedActive, 20s);
    ASSERT_TRUE(again) << "a stopped listed unit was not started again";
    // One cycle, and time for the pass itself and the start on a loaded machine: less than two.
    EXPECT_LT(*again, std::chrono::seconds(kCycleSeconds + 2));
    std::printf("stopped listed unit started again after %lld ms (cycle %d s)\n",
                static_cast<long long>(again->count()), kCycleSeconds);

    // The sandbox was in force: no new privileges, a system call filter.
    const std::string proc = lab->Run({"cat", "/proc/" + Show(*lab, "MainPID") + "/status"}).output;
    EXPECT_NE(proc.find("NoNewPrivs:\t1\n"), std::string::npos) << proc;
    EXPECT_NE(proc.find("Seccomp:\t2\n"), std::string::npos) << proc;
    EXPECT_EQ(Show(*lab, "NRestarts"), "0");
}

// A checker killed outright is started again by Restart=on-failure after the unit's RestartSec.
TEST_F(ServiceUnitLab, KilledCheckerIsStartedAgain) {
    WriteSettings(1, 60);
    auto lab = Boot();
    TARN_REQUIRE_INSTALLED_LAB(*lab);
    ASSERT_EQ(EnableNow(*lab), "");
    const std::string before = Show(*lab, "MainPID");
    ASSERT_NE(before, "0");

    ASSERT_EQ(lab->Systemctl("kill", "-s", "KILL", "tarnwatch").exitCode, 0);
    const auto back = TimeUntil([&] { return RunningWithNewPid(*lab, before); }, 20s);
    ASSERT_TRUE(back) << lab->Systemctl("status", "--no-pager", "tarnwatch").output;
    EXPECT_GE(*back, kRestartSec - 500ms);
    EXPECT_LT(*back, kRestartSec + 4s);
    EXPECT_EQ(Show(*lab, "NRestarts"), "1");
    std::printf("killed checker running again after %lld ms\n",
                static_cast<long long>(back->count()));
}

// A checker that hangs is ended by systemd's watchdog and started again. A drop-in shortens
// WatchdogSec and RestartSec to keep the test quick; the cycle is longer than two watchdog
// intervals, so that a checker which did not keep it fed while sleeping would be restarted too.
TEST_F(ServiceUnitLab, HangingCheckerIsRestartedByTheWatchdog) {
    constexpr auto kWatchdog = 3s;
    constexpr auto kRestart = 1s;
    WriteSettings(1, 8);
    auto lab = Boot();
    TARN_REQUIRE_INSTALLED_LAB(*lab);
    ASSERT_EQ(EnableNow(*lab, "[Service]\nWatchdogSec=3s\nRestartSec=1s\n"), "");
    const std::string before = Show(*lab, "MainPID");
    ASSERT_NE(before, "0");

    // Fed: two watchdog intervals of its first sleep pass without a restart.
    std::this_thread::sleep_for(2 * kWatchdog + 500ms);
    ASSERT_EQ(Show(*lab, "MainPID"), before);
    ASSERT_EQ(Show(*lab, "NRestarts"), "0");

    ASSERT_EQ(lab->Run({"kill", "-STOP", before}).exitCode, 0);
    const auto back = TimeUntil([&] { return RunningWithNewPid(*lab, before); }, 20s);
    ASSERT_TRUE(back) << lab->Systemctl("status", "--no-pager", "tarnwatch").output;
    EXPECT_LT(*back, kWatchdog + kRestart + 3s);
    EXPECT_EQ(Show(*lab, "NRestarts"), "1");
    std::printf("hung checker running again after %lld ms\n",
                static_cast<long long>(back->count()));
}

// The lab's own journald, started from units like the machine's (the lab starts none by itself).
const std::map<std::string, std::string> kJournald = {
    {"systemd-journald.socket",
     "[Unit]\nDefaultDependencies=no\n[Socket]\nListenDatagram=/run/systemd/journal/socket\n"
     "ListenStream=/run/systemd/journal/stdout\nPassCredentials=yes\nPassSecurity=yes\n"
     "Service=systemd-journald.service\nSocketMode=0666\n"},
    {"systemd-journald.service",
     "[Unit]\nDefaultDependencies=no\nRequires=systemd-journald.socket\n"
     "After=systemd-journald.socket\n[Service]\nType=notify\n"
     "ExecStart=/lib/systemd/systemd-journald\nSockets=systemd-journald.socket\n"
     "RuntimeDirectory=systemd/journal\nRuntimeDirectoryPreserve=yes\nStandardOutput=null\n"}};

// What journalctl shows of the checker's own lines at exactly one priority, once it shows any.
std::string JournalAt(const SystemdLab& lab, const std::string& priority) {
    std::string shown;
    static_cast<void>(TimeUntil(
        [&] {
            shown = lab.Run({"journalctl", "--no-pager", "-u", "tarnwatch", "-t", "tarnwatch", "-p",
                             priority + ".." + priority, "-o", "cat"})
                        .output;
            return shown.find("tarnwatch: ") != std::string::npos;
        },
        5s));
    return shown;
}

// With standard error connected to the journal, as it is on a machine (the lab's systemd sends
// it to /dev/null unless a unit says otherwise: the drop-in says what a machine's default is),
// journald gets the checker's lines with their priorities.
TEST_F(ServiceUnitLab, JournalShowsARestartAsNoticeAndAFailedStartAsWarning) {
    WriteSettings(1, 60);
    WriteServices({{1, "", "lab-stopped", ""}, {2, "", "lab-broken", ""}});
    std::map<std::string, std::string> units = kJournald;
    units.insert({{"lab-stopped.service", kSleeper}, {"lab-broken.service", kFailing}});
    auto lab = Boot(units);
    TARN_REQUIRE_INSTALLED_LAB(*lab);
    const LabResult journald =
        lab->Systemctl("start", "systemd-journald.socket", "systemd-journald.service");
    ASSERT_EQ(journald.exitCode, 0) << journald.output;
    ASSERT_EQ(EnableNow(*lab, "[Service]\nStandardOutput=journal\nStandardError=journal\n"), "");
    ASSERT_TRUE(TimeUntil([&] { return Log().size() >= 5; }, 10s)) << "no whole first pass";

    EXPECT_EQ(JournalAt(*lab, "notice"),
              "tarnwatch: Successfully Restarted Service: lab-stopped\n");
    const std::string warnings = JournalAt(*lab, "warning");
    // Started over D-Bus, which the unit's hardening lets through; not by the systemctl fallback.
    EXPECT_TRUE(
        warnings.starts_with("tarnwatch: FAILED Restart Service: lab-broken ERROR CODE IS "
                             ":0 (StartUnit lab-broken.service ended with job result "
                             "failed"))
        << warnings;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
    EXPECT_NE(JournalAt(*lab, "info").find("tarnwatch: Service Status: lab-stopped CODE IS :0\n"),
              std::string::npos);
}

// systemd's own check of the installed unit finds nothing: the program, its manual pages and
// every option are where and what the unit says, on a systemd of this machine's version.
TEST_F(ServiceUnitLab, InstalledUnitPassesSystemdsVerify) {
    auto lab = Boot();
    TARN_REQUIRE_INSTALLED_LAB(*lab);
    const LabResult verify = lab->Run({"systemd-analyze", "verify", kUnitFile});
    EXPECT_EQ(verify.exitCode, 0);
    EXPECT_EQ(verify.output, "");
}

}  // namespace
}  // namespace tarn::checker::test
