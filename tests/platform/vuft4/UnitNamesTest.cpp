// What the D-Bus back end sends systemd and how it reads the answers, without a systemd.
#include <gtest/gtest.h>

#include "platform/vuft4/StartReport.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/UnitEvents.h"
#include "platform/vuft4/UnitNames.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {
namespace {

TEST(UnitNamesTest, StatesMapAsSystemctlShowDoes) {
    EXPECT_EQ(SystemdStatusOfStates("loaded", "active"), kServiceRunning);
    EXPECT_EQ(SystemdStatusOfStates("loaded", "reloading"), kServiceRunning);
    EXPECT_EQ(SystemdStatusOfStates("loaded", "inactive"), kServiceStopped);
    EXPECT_EQ(SystemdStatusOfStates("loaded", "failed"), kServiceStopped);
    EXPECT_EQ(SystemdStatusOfStates("loaded", "activating"), kServiceStartPending);
    EXPECT_EQ(SystemdStatusOfStates("loaded", "deactivating"), kServiceStopPending);
    EXPECT_EQ(SystemdStatusOfStates("loaded", "maintenance"), kServiceUnknown);
    // A unit systemd could not load is unknown whatever its active state says.
    EXPECT_EQ(SystemdStatusOfStates("not-found", "inactive"), kServiceUnknown);
    EXPECT_EQ(SystemdStatusOfStates("bad-setting", "inactive"), kServiceUnknown);
    EXPECT_EQ(SystemdStatusOfStates("error", "inactive"), kServiceUnknown);
    EXPECT_EQ(SystemdStatusOfStates("", "active"), kServiceUnknown);
    // A masked unit is loaded as far as the status goes: stopped, as systemctl show says.
    EXPECT_EQ(SystemdStatusOfStates("masked", "inactive"), kServiceStopped);
    EXPECT_EQ(SystemdStatusOf("LoadState=loaded\nActiveState=failed\nSubState=failed\n"),
              kServiceStopped);
}

// Other unit types and patterns are never sent; each unit is sent once.
TEST(UnitNamesTest, OnlyServiceUnitsAreSentEachOnce) {
    const UnitNames asked = UnitsOfNames({"cron", "cron.service", "reboot.target", "lab*",
                                          "x.SERVICE", "a.socket", "b.c", "x.SERVICE"});
    EXPECT_EQ(asked.units, (std::vector<std::string>{"cron.service", "x.SERVICE", "b.c.service"}));
    EXPECT_EQ(asked.unitOf, (std::vector<int>{0, 0, -1, -1, 1, -1, 2, 1}));
    EXPECT_TRUE(UnitsOfNames({"reboot.target", "ssh?", "[a]"}).units.empty());
}

TEST(UnitNamesTest, AnswersFollowTheUnitsOrMatchByName) {
    const std::vector<std::string> units{"a.service", "b.service", "c.service"};
    // One answer per unit: in order, whatever name systemd gives (an alias answers as its unit).
    const std::vector<UnitState> all{{"a.service", "loaded", "active", ""},
                                     {"real-b.service", "loaded", "active", ""},
                                     {"c.service", "loaded", "active", ""}};
    EXPECT_EQ(AnswersOfUnits(units, all), (std::vector<std::optional<size_t>>{0, 1, 2}));
    // A name systemd held invalid was left out: the others are found by name.
    const std::vector<UnitState> some{{"a.service", "loaded", "active", ""},
                                      {"c.service", "loaded", "active", ""}};
    EXPECT_EQ(AnswersOfUnits(units, some),
              (std::vector<std::optional<size_t>>{0, std::nullopt, 1}));
}

TEST(UnitNamesTest, AStopSaysWhetherTheUnitHadStayedUp) {
    UnitActivity up;
    up.Saw("active", 1000);
    up.Saw("active", 1500);  // ActiveState comes again with other changes: still the same run
    up.Saw("deactivating", 2000);
    up.Saw("inactive", 2100);
    EXPECT_TRUE(up.stopped);
    EXPECT_TRUE(up.stayedUp);

    UnitActivity brief;
    brief.Saw("active", 1000);
    brief.Saw("failed", 1500);
    EXPECT_TRUE(brief.stopped);
    EXPECT_FALSE(brief.stayedUp);

    // A start that never came up; and a run that began after the last stop counts from its own
    // start.
    UnitActivity never;
    never.Saw("activating", 0);
    never.Saw("failed", 5000);
    EXPECT_TRUE(never.stopped);
    EXPECT_FALSE(never.stayedUp);
    never.stopped = false;
    never.Saw("active", 6000);
    never.Saw("inactive", 6500);
    EXPECT_FALSE(never.stayedUp);

    UnitActivity running;
    running.Saw("active", 0);
    running.Saw("reloading", 5000);
    EXPECT_FALSE(running.stopped);

    // Already down when first seen, or said down again: no new stop.
    UnitActivity down;
    down.Saw("inactive", 0);
    down.stopped = false;
    down.Saw("failed", 100);
    EXPECT_FALSE(down.stopped);
    down.Saw("activating", 200);
    down.Saw("failed", 300);
    EXPECT_TRUE(down.stopped);
}

TEST(UnitNamesTest, AStartOverTheBusSaysHowItEnded) {
    StartReport report;
    report.command = "StartUnit x.service";
    report.ending = "ended with job result failed";
    EXPECT_EQ(StartReason(report), "StartUnit x.service ended with job result failed");
}

}  // namespace
}  // namespace tarn::vuft4
