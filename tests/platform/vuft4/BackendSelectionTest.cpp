#include <gtest/gtest.h>

#include "StubFolder.h"
#include "platform/vuft4/ServiceManager.h"

namespace tarn::vuft4 {
namespace {

using testing::StubFolder;

TEST(BackendSelectionTest, SystemdWhenItIsTheRunningInit) {
    StubFolder dir;
    mkdir(dir.File("systemd").c_str(), 0755);
    dir.Script("service", "exit 0\n");
    EXPECT_EQ(SelectServiceManagerKind(dir.File("systemd"), dir.Path()),
              ServiceManagerKind::Systemd);
    // The marker must be a folder: a plain file there means systemd is installed, not running.
    dir.Write("plain", "");
    EXPECT_EQ(SelectServiceManagerKind(dir.File("plain"), dir.Path()), ServiceManagerKind::Sysv);
}

TEST(BackendSelectionTest, SysvWhenServiceToolIsOnTheSearchPath) {
    StubFolder dir;
    mkdir(dir.File("bin").c_str(), 0755);
    const std::string none = dir.File("no-systemd");
    EXPECT_EQ(SelectServiceManagerKind(none, "/nonexistent:" + dir.File("bin")),
              ServiceManagerKind::None);
    dir.Write("bin/service", "#!/bin/sh\n", 0644);  // not executable
    EXPECT_EQ(SelectServiceManagerKind(none, dir.File("bin")), ServiceManagerKind::None);
    mkdir(dir.File("other").c_str(), 0755);
    mkdir(dir.File("other/service").c_str(), 0755);  // a folder of that name
    EXPECT_EQ(SelectServiceManagerKind(none, dir.File("other")), ServiceManagerKind::None);
    chmod(dir.File("bin/service").c_str(), 0755);
    EXPECT_EQ(SelectServiceManagerKind(none, "/nonexistent:" + dir.File("bin")),
              ServiceManagerKind::Sysv);
    EXPECT_EQ(SelectServiceManagerKind(none, ""), ServiceManagerKind::None);
}

TEST(BackendSelectionTest, WithoutBackendEveryServiceIsUnknown) {
    const auto none = MakeServiceManager(ServiceManagerKind::None);
    EXPECT_EQ(none->Status("cron"), -1);
    none->Start("cron");  // does nothing, returns
    EXPECT_EQ(none->Status("cron"), -1);
}

TEST(BackendSelectionTest, ReplacedBackendIsUsedAndCanBeRestored) {
    const auto mine = MakeServiceManager(ServiceManagerKind::None);
    const auto previous = SetServiceManager(mine);
    EXPECT_EQ(CurrentServiceManager(), mine);
    EXPECT_EQ(SetServiceManager(previous), mine);
    // Null means choose again from this machine.
    SetServiceManager(nullptr);
    EXPECT_NE(CurrentServiceManager(), nullptr);
    EXPECT_NE(CurrentServiceManager(), mine);
}

}  // namespace
}  // namespace tarn::vuft4
