// A shell kept open on another computer, against a stub `ssh` first on PATH that reads the
// commands as a shell would: answers come back with their exit codes, and a shell that hangs or
// ends is replaced by a new one on the next command.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "StubFolder.h"
#include "platform/vuft4/SshSession.h"

namespace tarn::vuft4 {
namespace {

TEST(SshSession, AnswersUntilItHangsOrEndsThenANewShellIsOpened) {
    testing::StubFolder dir;
    testing::PathFirst path(dir.Path());
    dir.Script("ssh", R"sh(echo >> @DIR@/opened
while IFS= read -r command && IFS= read -r mark; do
  case "$command" in
    hang) sleep 30;; quit) exit 3;; bye) eval "$mark"; exit 0;;
    deaf) eval "$mark"; exec 0<&-; sleep 0.3; echo late answer; exit 0;;
    *) printf 'said %s' "$command"; false;;
  esac
  eval "$mark"
done
)sh");
    SshSession session("web01");
    auto opened = [&] {
        const std::string text = dir.Read("opened");
        return std::count(text.begin(), text.end(), '\n');
    };
    SshReply reply = session.Run("one", 5000);
    EXPECT_TRUE(reply.reached);
    EXPECT_EQ(reply.output, "said one");  // no newline of its own: the mark still ends it
    EXPECT_EQ(reply.exitCode, 1);
    EXPECT_EQ(session.Run("two", 5000).output, "said two");
    EXPECT_EQ(opened(), 1);

    reply = session.Run("hang", 300);
    EXPECT_FALSE(reply.reached);
    EXPECT_EQ(reply.failure, "timed out (no answer in time)");
    EXPECT_EQ(session.Run("three", 5000).output, "said three");
    EXPECT_EQ(opened(), 2);

    reply = session.Run("quit", 5000);  // the shell there ended: its code, and no answer
    EXPECT_TRUE(reply.reached);
    EXPECT_EQ(reply.exitCode, 3);
    EXPECT_EQ(reply.output, "");
    EXPECT_EQ(session.Run("four", 5000).output, "said four");
    EXPECT_EQ(opened(), 3);

    EXPECT_TRUE(session.Run("bye", 5000).reached);  // answered, then the shell was lost
    usleep(200 * 1000);
    reply = session.Run("five", 5000);  // a new shell, not a failure
    EXPECT_TRUE(reply.reached) << reply.failure;
    EXPECT_EQ(reply.output, "said five");
    EXPECT_EQ(opened(), 4);

    // A shell that stops reading and then answers, as a forced command does: its answer counts.
    EXPECT_TRUE(session.Run("deaf", 5000).reached);
    usleep(100 * 1000);
    reply = session.Run("six", 5000);
    EXPECT_TRUE(reply.reached) << reply.failure;
    EXPECT_EQ(reply.output, "late answer\n");
}

}  // namespace
}  // namespace tarn::vuft4
