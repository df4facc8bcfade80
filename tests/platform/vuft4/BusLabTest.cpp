// The D-Bus back end against a real systemd: a throwaway one booted for each test
// (tests/lab/systemd-lab), reached at its private socket through its root folder.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/vuft4/BusServiceManager.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"
#include "tests/support/LabBus.h"
#include "tests/support/SystemdLab.h"

namespace tarn::vuft4 {
namespace {

using namespace std::chrono_literals;
using tarn::test::SystemdLab;

const std::string kSleeper = "[Service]\nExecStart=/bin/sleep infinity\n";
const std::string kFailing = "[Service]\nType=oneshot\nExecStart=/bin/false\n";
const std::string kHanging =
    "[Service]\nExecStartPre=/bin/sleep 600\nExecStart=/bin/sleep infinity\n";

SystemdBus::Connector LabBus(const SystemdLab& lab) {
    return [pid = lab.Pid()] { return tarn::test::ConnectLabBus(pid); };
}

// Answers from a back end that must never be asked: the bus answers everything.
class Unasked : public ServiceManager {
  public:
    int32_t Status(const std::string&) override {
        ++calls;
        return 42;
    }
    StartReport Start(const std::string&) override {
        ++calls;
        return {};
    }
    int calls = 0;
};

TEST(BusLabTest, AllStatesInOneCallAndNamesThatAreNoServiceNeverSent) {
    SystemdLab lab({{"lab-active.service", kSleeper},
                    {"lab-inactive.service", kSleeper},
                    {"lab-failed.service", kFailing},
                    {"lab-starting.service", kHanging},
                    {"lab-probe.target", "[Unit]\n"}});
    TARN_REQUIRE_LAB(lab);
    ASSERT_EQ(lab.Systemctl("start", "lab-active.service").exitCode, 0);
    ASSERT_NE(lab.Systemctl("start", "lab-failed.service").exitCode, 0);
    ASSERT_EQ(lab.Systemctl("start", "--no-block", "lab-starting.service").exitCode, 0);

    auto unasked = std::make_shared<Unasked>();
    BusServiceManager bus(unasked, LabBus(lab));
    EXPECT_EQ(bus.StatusOfAll({"lab-active", "lab-active.service", "lab-inactive", "lab-failed",
                               "lab-starting", "lab-no-such-unit", "lab-probe.target", "lab*",
                               "bad name"}),
              (std::vector<int32_t>{kServiceRunning, kServiceRunning, kServiceStopped,
                                    kServiceStopped, kServiceStartPending, kServiceUnknown,
                                    kServiceUnknown, kServiceUnknown, kServiceUnknown}));
    EXPECT_EQ(bus.Status("lab-inactive"), kServiceStopped);
    EXPECT_EQ(unasked->calls, 0);
    // The target was never loaded, let alone started, by a name sent.
    EXPECT_EQ(lab.Systemctl("is-active", "lab-probe.target").output, "inactive\n");
}

TEST(BusLabTest, StartsSayHowTheJobEnded) {
    SystemdLab lab({{"lab-stopped.service", kSleeper},
                    {"lab-broken.service", kFailing},
                    {"lab-hanging.service", kHanging}});
    TARN_REQUIRE_LAB(lab);
    BusServiceManager bus(std::make_shared<Unasked>(), LabBus(lab));
    TimeLimits limits = CurrentTimeLimits();
    const TimeLimits saved = limits;
    limits.startMs = 1500;
    SetTimeLimits(limits);

    EXPECT_EQ(StartReason(bus.Start("lab-stopped")),
              "StartUnit lab-stopped.service ended with job result done");
    EXPECT_EQ(lab.Systemctl("is-active", "lab-stopped.service").output, "active\n");
    EXPECT_EQ(StartReason(bus.Start("lab-broken")),
              "StartUnit lab-broken.service ended with job result failed");
    EXPECT_EQ(StartReason(bus.Start("lab-none")),
              "StartUnit lab-none.service was refused: Unit lab-none.service not found.");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(StartReason(bus.Start("lab-hanging")),
              "StartUnit lab-hanging.service did not end within 1 s");
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GE(took, 1500ms);
    EXPECT_LT(took, 5s);
    EXPECT_EQ(bus.Status("lab-hanging"), kServiceStartPending);
    EXPECT_EQ(StartReason(bus.Start("reboot.target")), "");
    SetTimeLimits(saved);
}

TEST(BusLabTest, AWatchSeesAStopAndAKilledProcess) {
    SystemdLab lab({{"lab-a.service", kSleeper}, {"lab-b.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    ASSERT_EQ(lab.Systemctl("start", "lab-a.service", "lab-b.service").exitCode, 0);
    BusServiceManager bus(std::make_shared<Unasked>(), LabBus(lab));
    std::unique_ptr<UnitWatch> watch = bus.WatchUnits({"lab-a", "lab-a.service", "lab-b"});
    ASSERT_TRUE(watch);
    EXPECT_TRUE(watch->Wait(200).empty());

    ASSERT_EQ(lab.Systemctl("stop", "lab-a.service").exitCode, 0);
    const auto stopped = watch->Wait(5000);
    ASSERT_EQ(stopped.size(), 2u);
    EXPECT_EQ(stopped[0].name, "lab-a");
    EXPECT_EQ(stopped[1].name, "lab-a.service");

    // Up since the watch began, for longer than UnitWatch::kStayedUpMs.
    std::this_thread::sleep_for(1100ms);
    ASSERT_EQ(lab.Systemctl("kill", "-s", "KILL", "lab-b.service").exitCode, 0);
    const auto killed = watch->Wait(5000);
    ASSERT_EQ(killed.size(), 1u);
    EXPECT_EQ(killed[0].name, "lab-b");
    EXPECT_TRUE(killed[0].stayedUp);
    EXPECT_FALSE(watch->Lost());
}

// systemd closes its connections when it re-executes: the next call connects again.
TEST(BusLabTest, ALostConnectionIsMadeAgain) {
    SystemdLab lab({{"lab-a.service", kSleeper}});
    TARN_REQUIRE_LAB(lab);
    auto unasked = std::make_shared<Unasked>();
    BusServiceManager bus(unasked, LabBus(lab));
    EXPECT_EQ(bus.Status("lab-a"), kServiceStopped);
    std::unique_ptr<UnitWatch> watch = bus.WatchUnits({"lab-a"});
    ASSERT_TRUE(watch);
    ASSERT_EQ(lab.Systemctl("daemon-reexec").exitCode, 0);
    EXPECT_TRUE(watch->Wait(5000).empty());
    EXPECT_TRUE(watch->Lost());
    EXPECT_EQ(bus.Status("lab-a"), kServiceStopped);
    EXPECT_EQ(unasked->calls, 0);
}

TEST(BusLabTest, WithoutTheBusTheFallbackAnswers) {
    auto fallback = std::make_shared<Unasked>();
    BusServiceManager bus(fallback, [] { return -1; });
    EXPECT_EQ(bus.Status("x"), 42);
    EXPECT_EQ(bus.Status("reboot.target"), kServiceUnknown);
    EXPECT_EQ(fallback->calls, 1);
    EXPECT_FALSE(bus.WatchUnits({"x"}));
}

}  // namespace
}  // namespace tarn::vuft4
