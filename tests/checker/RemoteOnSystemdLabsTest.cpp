// The real checker reaching two throwaway systemd machines (tests/lab/systemd-lab), each with a
// real OpenSSH server as one of its units: the login shell there sees the lab's systemd, so the
// services are asked with systemctl show and started with systemctl start, on the machine the
// record names and on no other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CheckerFixture.h"
#include "tests/support/SshServer.h"
#include "tests/support/SystemdLab.h"

namespace tarn::checker::test {
namespace {

using tarn::test::LabFolder;
using tarn::test::SshServer;
using tarn::test::SystemdLab;

const std::string kSleeper = "[Service]\nExecStart=/bin/sleep infinity\n";

// A lab reached over SSH as alias: its sshd, a stopped tarn-web and a stopped tarn-db.
struct Machine {
    Machine(const std::string& alias, SshServer& client)
        : server("127.0.0.1", "", 1, LabFolder()),
          lab({{"tarn-sshd.service", server.Unit()},
               {"tarn-web.service", kSleeper},
               {"tarn-db.service", kSleeper}}) {
        if (!lab.Ready()) return;
        lab.Systemctl("start", "tarn-sshd.service");
        listening = server.WaitListening();
        // The one client configuration the checker reads holds both machines.
        server.Alias(alias);
        std::ofstream(client.ClientConfig(), std::ios::app)
            << tarn::test::ReadAll(server.ClientConfig());
    }
    std::string State(const std::string& unit) const {
        std::string out = lab.Systemctl("show", "-p", "ActiveState", "--value", unit).output;
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }

    SshServer server;
    SystemdLab lab;
    bool listening = false;
};

class RemoteOnSystemdLabs : public CheckerEndToEnd {
  protected:
    RemoteOnSystemdLabs() { std::filesystem::create_directories(LabFolder()); }
};

TEST_F(RemoteOnSystemdLabs, AStoppedUnitIsStartedOnItsMachineAndNowhereElse) {
    const std::string why = SshServer::CannotRun();
    if (!why.empty()) GTEST_SKIP() << why;
    SshServer client("127.0.0.1", "", 1, LabFolder());  // holds the checker's configuration
    Machine a("laba", client), b("labb", client);
    TARN_REQUIRE_LAB(a.lab);
    TARN_REQUIRE_LAB(b.lab);
    ASSERT_TRUE(a.listening && b.listening) << ReadAll(a.server.File("sshd.log"));
    b.lab.Systemctl("start", "tarn-db.service");
    // Here, a stub `service` would tell of any start on this computer.
    WriteScript(stubs / "service", "echo \"[$1][$2]\" >> " + stubs / "calls" + "\n");
    WriteSettings(1, 1);
    WriteServices({{1, "laba", "tarn-web", ""}, {2, "labb", "tarn-db", ""}});
    TempFolder runtime{"tarn-rt"};
    const std::string config = client.ClientConfig(), folderOfRuntime = runtime.Path();
    CheckerProcess p(folder.Path(), stubs.Path(), -1, [config, folderOfRuntime] {
        setenv("TARN_SSH_CONFIG", config.c_str(), 1);
        setenv("RUNTIME_DIRECTORY", folderOfRuntime.c_str(), 1);
    });
    ASSERT_TRUE(
        p.WaitFor([&] { return LogHas(" Successfully Restarted Service: tarn-web on laba"); }, 30s))
        << p.Stderr() << ReadAll(a.server.File("sshd.log"));
    ASSERT_TRUE(WaitStamped(p, {1, 2}));
    p.Stop();
    a.server.Stop(runtime.Path());
    EXPECT_EQ(a.State("tarn-web.service"), "active");
    EXPECT_EQ(b.State("tarn-web.service"), "inactive");  // the same unit on the other machine
    EXPECT_EQ(ReadAll(stubs / "calls"), "");             // and nothing here
    const std::vector<std::string> lines = Log();
    auto count = [&](const std::string& text) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    };
    EXPECT_EQ(count(" Service Status: tarn-web on laba CODE IS :0"), 1);
    EXPECT_EQ(count(" on labb"), 0);  // running: nothing logged
    EXPECT_EQ(p.Stderr(), "");
}

}  // namespace
}  // namespace tarn::checker::test
