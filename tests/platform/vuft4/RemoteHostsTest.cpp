// Asking other computers over SSH, against a stub `ssh` first on PATH (StubSsh.h): one call per
// host per pass, answers kept for the pass, hosts that do not answer, and names that never reach
// a shell.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "StubSsh.h"
#include "platform/vuft4/RemoteHosts.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/SshControlFolder.h"
#include "platform/vuft4/SshRunner.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {
namespace {

using testing::PathFirst;
using testing::StubFolder;

const char* const kHostile[] = {
    "-oProxyCommand=touch X", "a;b", "$(touch X)", "a'b", "a\nb", "a b", "`touch X`"};

class RemoteHostsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(getcwd(savedCwd_, sizeof savedCwd_), nullptr);
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);  // an X made by a shell would appear here
        testing::WriteStubSsh(dir_);
        Systemd("web01", "nginx=active cron=inactive");
        Systemd("db01", "postgresql=active");
    }
    void TearDown() override {
        hosts_.EndPass();
        EXPECT_FALSE(dir_.Exists("X"));
        EXPECT_EQ(chdir(savedCwd_), 0);
    }
    void Systemd(const std::string& host, const std::string& states) {
        dir_.Write("answer-" + host, testing::SystemdAnswer(states));
    }
    // The calls made so far, the host's name of each first, sorted (hosts are asked at once).
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        std::istringstream lines(dir_.Read("calls"));
        for (std::string line; std::getline(lines, line);) calls.push_back(line);
        std::sort(calls.begin(), calls.end());
        return calls;
    }
    static std::string Call(const std::string& host, const std::string& command) {
        return "[" + host + "][" + command + "]";
    }
    // The ssh clients started so far, each its words.
    std::vector<std::string> Sessions() const {
        std::vector<std::string> sessions;
        std::istringstream lines(dir_.Read("sessions"));
        for (std::string line; std::getline(lines, line);) sessions.push_back(line);
        return sessions;
    }

    StubFolder dir_;
    PathFirst path_{dir_.Path()};
    char savedCwd_[4096];
    RemoteHosts hosts_;
};

TEST_F(RemoteHostsTest, OneCallPerHostAnswersThePassAndNamesOutsideItAreAskedAlone) {
    hosts_.BeginPass({{"web01", "nginx"},
                      {"db01", "postgresql"},
                      {" web01 ", "cron   "},
                      {"web01", "nginx"},
                      {"localhost", "cron"},
                      {"", "cron"},
                      {"web01", "a;b"},
                      {"-oProxyCommand=touch X", "cron"}});
    const std::vector<std::string> pass = {
        Call("db01", StatusCommand({"postgresql"})),
        Call("web01", StatusCommand({"nginx", "cron"})),
    };
    EXPECT_EQ(Calls(), pass);
    EXPECT_EQ(hosts_.Status("web01", "nginx"), 6);
    EXPECT_EQ(hosts_.Status("web01", "cron"), 0);
    EXPECT_EQ(hosts_.Status("db01", "postgresql"), 6);
    EXPECT_EQ(hosts_.Status("web01", "a;b"), -1);
    EXPECT_EQ(Calls(), pass);
    // A record the pass did not see (added meanwhile) costs one call of its own.
    Systemd("web01", "redis=active");
    EXPECT_EQ(hosts_.Status("web01", "redis"), 6);
    EXPECT_EQ(Calls().size(), 3u);
    // The next pass asks again, in the shell kept open there; a host gone from the list keeps
    // none.
    hosts_.EndPass();
    hosts_.BeginPass({{"db01", "postgresql"}});
    EXPECT_EQ(Calls().size(), 4u);
    std::string words;
    for (const std::string& word : SshArguments("db01", "exec sh", "", SshControlFolder(), 5))
        if (word != "ssh") words += "[" + word + "]";
    const std::vector<std::string> sessions = Sessions();
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(std::count(sessions.begin(), sessions.end(), words), 1);
    hosts_.BeginPass({{"web01", "nginx"}});
    EXPECT_EQ(Sessions().size(), 3u) << "web01's shell was kept after it left the list";
}

TEST_F(RemoteHostsTest, AHostThatDoesNotAnswerIsAskedOnceAndNothingStartsThere) {
    dir_.Write("refused-down", "");
    hosts_.BeginPass({{"down", "a"}, {"down", "b"}, {"web01", "cron"}});
    EXPECT_EQ(Sessions().size(), 2u);
    EXPECT_EQ(Calls().size(), 1u);
    EXPECT_EQ(hosts_.Status("down", "a"), -1);
    EXPECT_EQ(hosts_.Status("down", "b"), -1);
    EXPECT_EQ(hosts_.Status("down", "c"), -1);
    EXPECT_FALSE(hosts_.Reachable("down", "a"));
    hosts_.Start("down", "a");
    EXPECT_EQ(Sessions().size(), 2u);
    EXPECT_EQ(Calls().size(), 1u);
    EXPECT_FALSE(dir_.Exists("up-down"));
    const std::vector<HostFailure> failures = hosts_.TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].host, "down");
    EXPECT_EQ(failures[0].reason, "connection refused");
    EXPECT_TRUE(hosts_.TakeFailures().empty());  // said once per pass
}

TEST_F(RemoteHostsTest, AStartedServiceIsAskedAgainThere) {
    dir_.Write("after-web01",
               "tarn-manager=systemd\nId=cron.service\nLoadState=loaded\n"
               "ActiveState=active\n");
    hosts_.BeginPass({{"web01", "cron"}});
    ASSERT_EQ(hosts_.Status("web01", "cron"), 0);
    ASSERT_TRUE(hosts_.Reachable("web01", "cron"));
    hosts_.Start("web01", "cron");
    EXPECT_EQ(hosts_.Status("web01", "cron"), 6);
    std::vector<std::string> expected = {
        Call("web01", StatusCommand({"cron"})),
        Call("web01", StartCommand(RemoteManager::Systemd, "cron")),
        Call("web01", StatusCommand({"cron"})),
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Calls(), expected);
}

// Through the library's own entry: a hostile server or name is -1, and no ssh ever runs.
TEST_F(RemoteHostsTest, HostileNamesRunNothing) {
    std::vector<ServerService> pairs;
    for (const char* hostile : kHostile) {
        pairs.push_back({hostile, "cron"});
        pairs.push_back({"web01", hostile});
    }
    CurrentRemoteHosts().BeginPass(pairs);
    for (const ServerService& pair : pairs) {
        EXPECT_EQ(VUSERVICESTATUS(pair.server.c_str(), pair.service.c_str()), -1)
            << pair.server << " " << pair.service;
        EXPECT_FALSE(CurrentRemoteHosts().Reachable(pair.server, pair.service));
        CurrentRemoteHosts().Start(pair.server, pair.service);
    }
    CurrentRemoteHosts().EndPass();
    EXPECT_FALSE(dir_.Exists("calls"));
}

}  // namespace
}  // namespace tarn::vuft4
