// The systemd back end against a real systemd: a throwaway one booted for each test
// (tests/lab/systemd-lab), reached through a systemctl that runs inside it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"
#include "tests/support/SystemdLab.h"

namespace tarn::vuft4 {
namespace {

using tarn::test::SystemdLab;

const std::string kSleeper = "[Service]\nExecStart=/bin/sleep infinity\n";
const std::string kFailing = "[Service]\nType=oneshot\nExecStart=/bin/false\n";
// Its start never completes: the unit stays activating.
const std::string kHanging =
    "[Service]\nExecStartPre=/bin/sleep 600\nExecStart=/bin/sleep infinity\n";

TEST(SystemdLabTest, StatusOfUnitsInEachState) {
    SystemdLab lab({{"lab-active.service", kSleeper},
                    {"lab-inactive.service", kSleeper},
                    {"lab-failed.service", kFailing},
                    {"lab-starting.service", kHanging}});
    TARN_REQUIRE_LAB(lab);
    ASSERT_EQ(lab.Systemctl("start", "lab-active.service").exitCode, 0);
    ASSERT_NE(lab.Systemctl("start", "lab-failed.service").exitCode, 0);
    ASSERT_EQ(lab.Systemctl("start", "--no-block", "lab-starting.service").exitCode, 0);
    ASSERT_EQ(lab.Systemctl("is-failed", "lab-failed.service").output, "failed\n");

    SystemdServiceManager systemd(lab.SystemctlPath());
    EXPECT_EQ(systemd.Status("lab-active"), kServiceRunning);
    EXPECT_EQ(systemd.Status("lab-active.service"), kServiceRunning);
    EXPECT_EQ(systemd.Status("lab-inactive"), kServiceStopped);
    EXPECT_EQ(systemd.Status("lab-failed"), kServiceStopped);
    EXPECT_EQ(systemd.Status("lab-starting"), kServiceStartPending);
    EXPECT_EQ(systemd.Status("lab-no-such-unit"), kServiceUnknown);
}

// net start reaches systemd's start; one that hangs is cut at the start limit, leaving the
// unit as systemd has it.
TEST(SystemdLabTest, NetStartStartsAUnitAndAHangingStartIsCutAtItsLimit) {
    SystemdLab lab({{"lab-stopped.service", kSleeper}, {"lab-hanging.service", kHanging}});
    TARN_REQUIRE_LAB(lab);
    const auto saved =
        SetServiceManager(std::make_shared<SystemdServiceManager>(lab.SystemctlPath()));
    TimeLimits limits = CurrentTimeLimits();
    const TimeLimits savedLimits = limits;
    limits.startMs = 1500;
    SetTimeLimits(limits);

    VURUN("net start \"lab-stopped\"", 0, 1);
    EXPECT_EQ(lab.Systemctl("is-active", "lab-stopped.service").output, "active\n");
    EXPECT_EQ(VUSERVICESTATUS("", "lab-stopped"), kServiceRunning);

    const auto before = std::chrono::steady_clock::now();
    VURUN("net start \"lab-hanging\"", 0, 1);
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_EQ(VUSERVICESTATUS("", "lab-hanging"), kServiceStartPending);

    SetTimeLimits(savedLimits);
    SetServiceManager(saved);
}

}  // namespace
}  // namespace tarn::vuft4
