// The real checker against a real OpenSSH server on a loopback port of this machine (no systemd
// runs it, so the login shell takes the SysV way, through a stub `service` first in the
// session's PATH): a stopped service is started there over one connection kept across passes,
// hosts that cannot be reached are said once a pass and the pass goes on, and hostile names
// reach no shell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "CheckerFixture.h"
#include "tests/support/SshServer.h"

namespace tarn::checker::test {
namespace {

using tarn::test::SshServer;

class RemoteOverSsh : public CheckerEndToEnd {
  protected:
    void SetUp() override {
        const std::string why = SshServer::CannotRun();
        if (!why.empty()) GTEST_SKIP() << why;
        // The remote `service`: cron's status is 3 until it was started.
        WriteScript(stubs / "service", "echo \"[$1][$2]\" >> " + stubs / "calls" +
                                           "\ncase $2 in start) touch " + stubs / "up" +
                                           ";; status) [ -e " + stubs / "up" +
                                           " ] && exit 0; exit 3;; esac\n");
        server_ =
            std::make_unique<SshServer>("127.0.0.1", "PATH=" + stubs.Path() + ":/usr/bin:/bin");
        server_->Alias("sysv1");
        ASSERT_TRUE(server_->Start()) << ReadAll(server_->File("sshd.log"));
        WriteSettings(1, 1);
    }
    void TearDown() override {
        if (server_) server_->Stop(runtime_.Path());
        EXPECT_FALSE(std::filesystem::exists(folder / "X"));
        EXPECT_FALSE(std::filesystem::exists(stubs / "X"));
    }
    std::unique_ptr<CheckerProcess> Checker() {
        const std::string config = server_->ClientConfig(), runtime = runtime_.Path();
        return std::make_unique<CheckerProcess>(folder.Path(), "", -1, [config, runtime] {
            setenv("TARN_SSH_CONFIG", config.c_str(), 1);
            setenv("RUNTIME_DIRECTORY", runtime.c_str(), 1);
        });
    }
    // How often the checker's log has a line ending in tail.
    int LogCount(const std::string& tail) {
        int count = 0;
        for (const std::string& line : Log()) count += line.ends_with(tail);
        return count;
    }

    std::unique_ptr<SshServer> server_;
    TempFolder runtime_{"tarn-rt"};
};

TEST_F(RemoteOverSsh, AStoppedServiceIsStartedThereOverOneConnectionKeptAcrossPasses) {
    if (!HaveCron()) GTEST_SKIP() << "no /etc/init.d/cron for the SysV host to name";
    WriteServices({{1, "sysv1", "cron", "cron over there"}});
    auto p = Checker();
    ASSERT_TRUE(
        p->WaitFor([&] { return LogHas(" Successfully Restarted Service: cron on sysv1"); }, 20s))
        << p->Stderr();
    ASSERT_TRUE(p->WaitFor([&] { return ReadAll(stubs / "calls").size() > 44; }, 10s));
    p->Stop();
    EXPECT_EQ(LogCount(" Service Status: cron on sysv1 CODE IS :0"), 1);
    // Asked, started, asked again; then asked once a pass, found running.
    const std::string calls = ReadAll(stubs / "calls");
    EXPECT_EQ(calls.substr(0, 44), "[cron][status]\n[cron][start]\n[cron][status]\n") << calls;
    EXPECT_EQ(server_->Connections(), 1) << calls;
    EXPECT_EQ(p->Stderr(), "");
}

TEST_F(RemoteOverSsh, HostsThatCannotBeReachedAreSaidOnceAPassAndThePassGoesOn) {
    server_->Alias("closed", tarn::test::FreePort("127.0.0.1"));
    // Under another name: the same name would share sysv1's connection, whose key was checked.
    server_->Alias("stranger", 0, false, "localhost");
    WriteServices({{1, "closed", "a", ""},
                   {2, "closed", "b", ""},
                   {3, "stranger", "cron", ""},
                   {4, "sysv1", "cron", ""}});
    std::ofstream(stubs / "up");  // sysv1's cron runs
    auto p = Checker();
    ASSERT_TRUE(p->WaitFor(
        [&] { return LogCount(" Service Status: cron on stranger CODE IS :-1") >= 2; }, 20s))
        << p->Stderr();
    p->Stop();
    const std::string said = p->Stderr();
    const std::string closed =
        "tarnwatch: cannot reach closed over SSH: connection refused; its "
        "services are logged as unknown (-1) and nothing is started there "
        "this pass\n";
    const std::string stranger =
        "tarnwatch: cannot reach stranger over SSH: host key unknown "
        "(not in known_hosts); its services are logged as unknown (-1) "
        "and nothing is started there this pass\n";
    EXPECT_EQ(said.substr(0, closed.size() + stranger.size()), closed + stranger) << said;
    EXPECT_EQ(LogCount(" FAILED Restart Service: a on closed ERROR CODE IS :-1"), 0);
    EXPECT_GE(LogCount(" Service Status: a on closed CODE IS :-1"), 2);
    EXPECT_NE(+ReadService(4).LastChecked, 0);  // the pass went on to sysv1
    // Nothing but sysv1's status ran over there; the stranger was refused before its shell.
    const std::string calls = ReadAll(stubs / "calls");
    EXPECT_EQ(calls.find("start"), std::string::npos) << calls;
}

TEST_F(RemoteOverSsh, HostileNamesRunNothingAndMakeNoConnection) {
    const std::string x = folder / "X";
    WriteServices({{1, "-oProxyCommand=touch " + x, "cron", ""},
                   {2, "sysv1;touch " + x, "cron", ""},
                   {3, "sysv1", "$(touch " + x + ")", ""},
                   {4, "sysv1", "a;touch " + x, ""},
                   {5, "sysv1", "a'b", ""},
                   {6, "sysv1", "a\nb", ""},
                   {7, "sysv1", "a b", ""},
                   {8, "sysv1", "-h", ""}});
    auto p = Checker();
    ASSERT_TRUE(WaitStamped(*p, {1, 2, 3, 4, 5, 6, 7, 8})) << p->Stderr();
    p->Stop();
    EXPECT_EQ(server_->Connections(), 0);
    EXPECT_EQ(ReadAll(stubs / "calls"), "");
    EXPECT_GE(LogCount(" Service Status: cron on -oProxyCommand=touch " + x + " CODE IS :-1"), 1);
}

// A checker whose list names no other computer makes no folder for shared connections: one
// ended by a signal could not remove it.
TEST_F(CheckerEndToEnd, ALocalListMakesNoFolderForSharedConnections) {
    TempFolder runtime{"tarn-rt"};
    WriteSettings(1, 1);
    WriteServices({{1, "localhost", "tarn-no-such-service", ""}});
    const std::string path = runtime.Path();
    CheckerProcess p(folder.Path(), "", -1,
                     [path] { setenv("RUNTIME_DIRECTORY", path.c_str(), 1); });
    ASSERT_TRUE(WaitStamped(p, {1})) << p.Stderr();
    p.Stop();
    EXPECT_TRUE(std::filesystem::is_empty(runtime.Path()));
}

}  // namespace
}  // namespace tarn::checker::test
