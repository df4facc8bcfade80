// The ssh client's words, and why it failed in the words it said.
#include <gtest/gtest.h>

#include "platform/vuft4/SshRunner.h"

namespace tarn::vuft4 {
namespace {

TEST(SshRunnerTest, NeverAPromptAndTheDestinationIsNeverAnOption) {
    EXPECT_EQ(
        SshArguments("web01", "true", "", "/run/tarnwatch/ssh-x", 5),
        (std::vector<std::string>{"ssh", "-o", "BatchMode=yes", "-o", "ConnectTimeout=5", "-o",
                                  "ControlMaster=auto", "-o", "ControlPersist=300", "-o",
                                  "ControlPath=/run/tarnwatch/ssh-x/%C", "--", "web01", "true"}));
    EXPECT_EQ(SshArguments("a@b", "true", "/etc/tarn/ssh_config", "", 3),
              (std::vector<std::string>{"ssh", "-F", "/etc/tarn/ssh_config", "-o", "BatchMode=yes",
                                        "-o", "ConnectTimeout=3", "--", "a@b", "true"}));
}

TEST(SshRunnerTest, FailuresAreNamedFromWhatSshSaid) {
    auto failure = [](const char* said) {
        ChildResult r;
        r.outcome = ChildResult::Outcome::Exited;
        r.exitCode = 255;
        r.output = said;
        return SshFailure(r);
    };
    EXPECT_EQ(failure("ssh: connect to host 127.0.0.9 port 2222: Connection refused\r\n"),
              "connection refused");
    EXPECT_EQ(failure("ssh: connect to host 192.0.2.1 port 22: Connection timed out\r\n"),
              "timed out (no answer in time)");
    EXPECT_EQ(failure("No ED25519 host key is known for [127.0.0.9]:2222 and you have requested "
                      "strict checking.\r\nHost key verification failed.\r\n"),
              "host key unknown (not in known_hosts)");
    EXPECT_EQ(failure("@@@@@@@@@@@@\r\n@    WARNING: REMOTE HOST IDENTIFICATION HAS CHANGED!     "
                      "@\r\nHost key verification failed.\r\n"),
              "host key changed (not the machine known_hosts names)");
    EXPECT_EQ(failure("root@127.0.0.9: Permission denied (publickey).\r\n"),
              "permission denied (no key accepted)");
    EXPECT_EQ(failure("ssh: Could not resolve hostname nosuch: Name or service not known\r\n"),
              "name unknown");
    EXPECT_EQ(failure("Warning: Permanently added x\r\nkex_exchange_identification: read: "
                      "Connection reset by peer\r\n"),
              "ssh failed (exit code 255): kex_exchange_identification: read: Connection reset "
              "by peer");
    ChildResult late;
    late.outcome = ChildResult::Outcome::TimedOut;
    EXPECT_EQ(SshFailure(late), "timed out (no answer in time)");
    EXPECT_EQ(SshFailure(ChildResult{}), "no ssh client (ssh) found on PATH");
}

}  // namespace
}  // namespace tarn::vuft4
