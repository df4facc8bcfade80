// The checker against a real systemd: a throwaway one booted for each test
// (tests/lab/systemd-lab). The real tarnwatch binary runs inside it with its data folder under
// the build folder; a pass whose start limit is shortened runs in this process, reaching the lab
// through a systemctl that runs inside it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "CheckerFixture.h"
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
// systemctl anything (a systemctl placed first on PATH records what it is asked), and in the
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
    const std::string show = "show -p LoadState,ActiveState,SubState -- lab-last.service\n";
    EXPECT_EQ(ReadAll(shim / "calls"), show + "start -- lab-last.service\n" + show);
    EXPECT_EQ(lab.Systemctl("is-active", "lab-probe.target", "lab-probe-member.service",
                            "lab-globbed.service")
                  .output,
              "inactive\ninactive\ninactive\n");
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
    limits.startMs = 1500;
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
