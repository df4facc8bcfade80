// The command said to another computer's shell, and how its answers are read.
#include <gtest/gtest.h>

#include "platform/vuft4/RemoteQuery.h"

namespace tarn::vuft4 {
namespace {

using Status = std::map<std::string, int32_t>;

TEST(RemoteQueryTest, OneCommandAsksForEveryNameQuoted) {
    EXPECT_EQ(StatusCommand({"nginx", "reboot.target", "cron.service"}),
              "PATH=\"$PATH:/usr/sbin:/sbin\"; if [ -d /run/systemd/system ]; then "
              "echo tarn-manager=systemd; "
              "systemctl show -p Id,LoadState,ActiveState -- 'nginx.service' 'cron.service'; "
              "else echo tarn-manager=sysv; "
              "if [ -f /etc/init.d/'nginx' ]; then service 'nginx' status </dev/null "
              ">/dev/null 2>&1; echo tarn-exit=0:$?; fi; "
              "if [ -f /etc/init.d/'reboot.target' ]; then service 'reboot.target' status "
              "</dev/null >/dev/null 2>&1; echo tarn-exit=1:$?; fi; "
              "if [ -f /etc/init.d/'cron.service' ]; then service 'cron.service' status "
              "</dev/null >/dev/null 2>&1; echo tarn-exit=2:$?; fi; fi");
    // Without a service unit, systemctl show is not run: it would describe the manager.
    EXPECT_EQ(StatusCommand({"x.target"}).find("systemctl"), std::string::npos);
    EXPECT_EQ(StartCommand(RemoteManager::Systemd, "nginx"),
              "PATH=\"$PATH:/usr/sbin:/sbin\"; systemctl start -- 'nginx.service' </dev/null "
              ">/dev/null 2>&1");
    EXPECT_EQ(StartCommand(RemoteManager::Sysv, "nginx"),
              "PATH=\"$PATH:/usr/sbin:/sbin\"; service 'nginx' start </dev/null >/dev/null 2>&1");
    EXPECT_EQ(StartCommand(RemoteManager::Systemd, "reboot.target"), "");
    EXPECT_EQ(StartCommand(RemoteManager::Unknown, "nginx"), "");
}

TEST(RemoteQueryTest, SystemdBlocksAnswerInOrderAndMissingOnesAreUnknown) {
    const std::vector<std::string> names = {"a", "b", "c", "d.target"};
    RemoteAnswer all = ReadStatusAnswer(
        "tarn-manager=systemd\nId=a.service\nLoadState=loaded\nActiveState=active\n\n"
        "LoadState=not-found\nActiveState=inactive\nId=b.service\n\n"
        "Id=c.service\nLoadState=loaded\nActiveState=failed\n",
        names);
    EXPECT_EQ(all.manager, RemoteManager::Systemd);
    EXPECT_EQ(all.status, (Status{{"a", 6}, {"b", -1}, {"c", 0}}));
    // An alias answers under its own unit's Id: with every block there, order decides.
    all = ReadStatusAnswer(
        "tarn-manager=systemd\nId=x.service\nLoadState=loaded\nActiveState=activating\n\n"
        "Id=b.service\nLoadState=loaded\nActiveState=deactivating\n\n"
        "Id=c.service\nLoadState=loaded\nActiveState=reloading\n",
        names);
    EXPECT_EQ(all.status, (Status{{"a", 2}, {"b", 3}, {"c", 6}}));
    // Fewer blocks than units asked: only a block naming its unit answers, never another's.
    const RemoteAnswer some = ReadStatusAnswer(
        "tarn-manager=systemd\nId=c.service\nLoadState=loaded\nActiveState=inactive\n", names);
    EXPECT_EQ(some.status, (Status{{"c", 0}}));
}

TEST(RemoteQueryTest, SysvExitCodesMapAsHereAndNoMarkerIsNoAnswer) {
    const std::vector<std::string> names = {"a", "b", "c", "d", "e"};
    const RemoteAnswer sysv = ReadStatusAnswer(
        "motd noise\ntarn-manager=sysv\ntarn-exit=0:0\ntarn-exit=1:3\ntarn-exit=2:4\n"
        "tarn-exit=3:1\ntarn-exit=9:0\ngarbage=1:0\n",
        names);
    EXPECT_EQ(sysv.manager, RemoteManager::Sysv);
    EXPECT_EQ(sysv.status, (Status{{"a", 6}, {"b", 0}, {"c", -1}, {"d", 0}}));
    const RemoteAnswer none = ReadStatusAnswer("tarn-exit=0:0\n", names);
    EXPECT_EQ(none.manager, RemoteManager::Unknown);
    EXPECT_TRUE(none.status.empty());
}

}  // namespace
}  // namespace tarn::vuft4
