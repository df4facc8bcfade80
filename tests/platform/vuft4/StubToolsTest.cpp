// The back ends against stub systemctl and service tools put first on PATH: the exact words the
// tools receive for hostile names, the mapping of their answers, and the time limits.
#include <gtest/gtest.h>

#include "StubFolder.h"
#include "platform/system/Process.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/SysvServiceManager.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {
namespace {

using testing::PathFirst;
using testing::StubFolder;

const char* const kHostileNames[] = {"a b", "x;rm -rf y", "$(touch pwned)", "`touch pwned`"};

// Each call of a stub appends one line: its arguments, each in brackets.
const char* const kRecordArgs = "printf '[%s]' \"$@\" >> @DIR@/calls\necho >> @DIR@/calls\n";

class StubToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(getcwd(savedCwd_, sizeof savedCwd_), nullptr);
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);  // a "pwned" file would appear here
        savedLimits_ = CurrentTimeLimits();
    }
    void TearDown() override {
        SetTimeLimits(savedLimits_);
        SetServiceManager(saved_);
        EXPECT_FALSE(dir_.Exists("pwned"));
        EXPECT_EQ(chdir(savedCwd_), 0);
    }
    void Use(std::shared_ptr<ServiceManager> manager) {
        saved_ = SetServiceManager(std::move(manager));
    }
    std::string Calls() const { return dir_.Read("calls"); }

    StubFolder dir_;
    PathFirst path_{dir_.Path()};
    char savedCwd_[4096];
    TimeLimits savedLimits_;
    std::shared_ptr<ServiceManager> saved_;
};

TEST_F(StubToolsTest, SystemctlGetsEachServiceUnitAsOneWordAfterDoubleDash) {
    dir_.Script("systemctl",
                std::string(kRecordArgs) +
                    "printf 'LoadState=loaded\\nActiveState=active\\nSubState=running\\n'\n");
    SystemdServiceManager systemd;
    std::string expected;
    for (const char* name : kHostileNames) {
        EXPECT_EQ(systemd.Status(name), 6) << name;
        systemd.Start(name);
        const std::string unit = "[" + std::string(name) + ".service]\n";
        expected += "[show][-p][LoadState,ActiveState,SubState][--]" + unit + "[start][--]" + unit;
    }
    EXPECT_EQ(systemd.Status("-h"), 6);
    expected += "[show][-p][LoadState,ActiveState,SubState][--][-h.service]\n";
    EXPECT_EQ(Calls(), expected);
}

TEST(ServiceUnitTest, OnlyServiceUnitsWithoutPatterns) {
    EXPECT_EQ(ServiceUnitOf("cron"), "cron.service");
    EXPECT_EQ(ServiceUnitOf("cron.service"), "cron.service");
    EXPECT_EQ(ServiceUnitOf("php8.2-fpm"), "php8.2-fpm.service");
    EXPECT_EQ(ServiceUnitOf("getty@tty1"), "getty@tty1.service");
    for (const char* name :
         {"reboot.target", "sshd.socket", "tmp.mount", "x.TIMER", "*", "ssh*", "a?c", "[ab]c"}) {
        EXPECT_EQ(ServiceUnitOf(name), std::nullopt) << name;
    }
}

TEST_F(StubToolsTest, SystemdStatesMapToCodes) {
    dir_.Script("systemctl", "cat @DIR@/state\nexit $(cat @DIR@/exit)\n");
    Use(std::make_shared<SystemdServiceManager>());
    struct Case {
        const char* state;
        int exitCode;
        int32_t expected;
    };
    const Case cases[] = {
        {"LoadState=loaded\nActiveState=active\nSubState=running\n", 0, 6},
        {"LoadState=loaded\nActiveState=reloading\n", 0, 6},
        {"LoadState=loaded\nActiveState=inactive\nSubState=dead\n", 0, 0},
        {"LoadState=loaded\nActiveState=failed\nSubState=failed\n", 0, 0},
        {"LoadState=loaded\nActiveState=activating\nSubState=start\n", 0, 2},
        {"LoadState=loaded\nActiveState=deactivating\nSubState=stop\n", 0, 3},
        {"LoadState=not-found\nActiveState=inactive\nSubState=dead\n", 0, -1},
        {"LoadState=loaded\nActiveState=active\n", 1, -1},  // the tool itself failed
        {"", 0, -1},
        {"garbage", 0, -1},
    };
    for (const Case& c : cases) {
        dir_.Write("state", c.state);
        dir_.Write("exit", std::to_string(c.exitCode));
        EXPECT_EQ(VUSERVICESTATUS("", "svc"), c.expected) << c.state;
    }
}

TEST_F(StubToolsTest, HungToolIsKilledWithinTheLimit) {
    dir_.Script("systemctl", "sleep 1000\n");
    dir_.Script("service", "sleep 1000\n");
    mkdir(dir_.File("init.d").c_str(), 0755);
    dir_.Write("init.d/svc", "");
    SetTimeLimits({300, 300, 300});
    const std::shared_ptr<ServiceManager> backends[] = {
        std::make_shared<SystemdServiceManager>(),
        std::make_shared<SysvServiceManager>("service", dir_.File("init.d"))};
    for (const auto& backend : backends) {
        Use(backend);
        const int64_t start = platform::MonotonicMilliseconds();
        EXPECT_EQ(VUSERVICESTATUS("", "svc"), -1);
        VURUN("net start \"svc\"", 0, 1);  // returns once the start is killed
        EXPECT_EQ(VURUN("sleep 1000", 0, 1), -1);
        EXPECT_LT(platform::MonotonicMilliseconds() - start, 4000);
    }
}

class SysvStubTest : public StubToolsTest {
  protected:
    void SetUp() override {
        StubToolsTest::SetUp();
        mkdir(dir_.File("init.d").c_str(), 0755);
        dir_.Script("service", std::string(kRecordArgs) + "exit $(cat @DIR@/exit)\n");
        dir_.Write("exit", "0");
        Use(std::make_shared<SysvServiceManager>("service", dir_.File("init.d")));
    }
};

TEST_F(SysvStubTest, ExitCodesMapToStatus) {
    dir_.Write("init.d/svc", "");
    const std::pair<const char*, int32_t> cases[] = {{"0", 6}, {"3", 0},  {"1", 0},
                                                     {"2", 0}, {"4", -1}, {"150", 0}};
    for (const auto& [code, expected] : cases) {
        dir_.Write("exit", code);
        EXPECT_EQ(VUSERVICESTATUS("", "svc"), expected) << code;
    }
}

TEST_F(SysvStubTest, NamesThatAreNotPlainScriptsNeverReachTheTool) {
    dir_.Write("init.d/-h", "");
    mkdir(dir_.File("init.d/folder").c_str(), 0755);
    for (const char* name : {"missing", "-h", ".", "..", "../exit", "folder", "init.d/x"}) {
        EXPECT_EQ(VUSERVICESTATUS("", name), -1) << name;
        CurrentServiceManager()->Start(name);
    }
    EXPECT_FALSE(dir_.Exists("calls"));
}

}  // namespace
}  // namespace tarn::vuft4
