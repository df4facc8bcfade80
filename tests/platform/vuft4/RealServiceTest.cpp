// The real service manager of this machine with the cron service (installed for the tests).
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/system/Folders.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/Vuft4.h"
#include "tests/support/RealServiceLock.h"

namespace tarn::vuft4 {
namespace {

bool SystemdRuns() { return platform::FolderExists("/run/systemd/system"); }

// Stops cron with the machine's own tool.
void StopCron() {
    if (SystemdRuns()) {
        RunChild({"systemctl", "stop", "cron"}, 30000, false);
    } else {
        RunChild({"service", "cron", "stop"}, 30000, false);
    }
}

TEST(RealServiceTest, StoppedCronIsStartedAgainByNetStart) {
    if (access("/etc/init.d/cron", F_OK) != 0 && !SystemdRuns()) {
        GTEST_SKIP() << "no cron init script and no systemd: install the cron package";
    }
    tarn::test::RealServiceLock cronLock;
    const auto saved = SetServiceManager(nullptr);  // the machine's own back end
    const int32_t before = VUSERVICESTATUS("", "cron");
    StopCron();
    EXPECT_EQ(VUSERVICESTATUS("", "cron"), 0);
    VURUN("net start \"cron\"", 0, 1);
    EXPECT_EQ(VUSERVICESTATUS("localhost", "cron"), 6);
    EXPECT_EQ(VUSERVICESTATUS("", "tarn-no-such-service"), -1);
    EXPECT_EQ(VUSERVICESTATUS("some-other-host", "cron"), -1);
    if (before == 0) StopCron();  // leave the machine as found
    SetServiceManager(saved);
}

}  // namespace
}  // namespace tarn::vuft4
