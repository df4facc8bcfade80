// The SysV back end runs an executable init script itself for a status, with exactly what the
// `service` tool would hand it, leaves other names to the tool, and as root refuses a script that
// someone besides root could have written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "StubFolder.h"
#include "platform/vuft4/ProgramSearch.h"
#include "platform/vuft4/SysvServiceManager.h"

namespace tarn::vuft4 {
namespace {

using testing::PathFirst;
using testing::StubFolder;

const char* const kLocale[] = {"LANG",           "LANGUAGE",          "LC_CTYPE",    "LC_NUMERIC",
                               "LC_TIME",        "LC_COLLATE",        "LC_MONETARY", "LC_MESSAGES",
                               "LC_PAPER",       "LC_NAME",           "LC_ADDRESS",  "LC_TELEPHONE",
                               "LC_MEASUREMENT", "LC_IDENTIFICATION", "LC_ALL"};

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class SysvScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mkdir(dir_.File("init.d").c_str(), 0755);
        dir_.Script("service",
                    "printf '[%s]' \"$@\" >> @DIR@/calls\necho >> @DIR@/calls\nexit 3\n");
        dir_.Write("exit", "0");
    }
    // An init script that writes its environment and folder, then exits as the file "exit" says.
    void Script(const std::string& name, mode_t mode = 0755) {
        dir_.Script("init.d/" + name,
                    "env > @DIR@/env\npwd > @DIR@/pwd\necho \"$@\" > @DIR@/args\n"
                    "exit $(cat @DIR@/exit)\n");
        chmod(dir_.File("init.d/" + name).c_str(), mode);
    }

    StubFolder dir_;
    PathFirst path_{dir_.Path()};
    SysvServiceManager sysv_{"service", dir_.File("init.d")};
};

TEST_F(SysvScriptTest, StatusRunsTheScriptWithTheToolsEnvironment) {
    Script("svc");
    for (const char* name : kLocale) unsetenv(name);
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_TIME", "POSIX", 1);
    setenv("TERM", "xterm-256color", 1);
    setenv("TARN_PRIVATE", "kept here", 1);
    const std::pair<const char*, int32_t> cases[] = {{"0", 6}, {"3", 0}, {"1", 0}, {"4", -1}};
    for (const auto& [code, expected] : cases) {
        dir_.Write("exit", code);
        EXPECT_EQ(sysv_.Status("svc"), expected) << code;
    }
    unsetenv("TARN_PRIVATE");
    std::vector<std::string> expected = {"PATH=" + ProgramSearchPath(), "TERM=xterm-256color",
                                         "PWD=/"};  // the shell adds PWD itself
    for (const char* name : kLocale) {
        const char* value = std::getenv(name);
        expected.push_back(std::string(name) + "=" + (value ? value : ""));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedLines(dir_.Read("env")), expected);
    EXPECT_EQ(dir_.Read("pwd"), "/\n");
    EXPECT_EQ(dir_.Read("args"), "status\n");
    EXPECT_FALSE(dir_.Exists("calls")) << dir_.Read("calls");
    unsetenv("LANG");
    unsetenv("LC_TIME");
}

// A script that is not executable is the tool's to judge; starts always go through the tool.
TEST_F(SysvScriptTest, TheToolAnswersForAScriptThatCannotRunAndStartsEveryScript) {
    Script("plain", 0644);
    Script("svc");
    EXPECT_EQ(sysv_.Status("plain"), 0);  // the tool's answer (3)
    EXPECT_EQ(sysv_.Start("svc").command, "service svc start");
    EXPECT_EQ(dir_.Read("calls"), "[plain][status]\n[svc][start]\n");
    EXPECT_FALSE(dir_.Exists("env"));
}

TEST_F(SysvScriptTest, AsRootAScriptOthersCouldHaveWrittenIsNeitherRunNorStarted) {
    if (geteuid() != 0) GTEST_SKIP() << "only a checker run as root refuses scripts";
    Script("theirs");
    ASSERT_EQ(chown(dir_.File("init.d/theirs").c_str(), 1000, 1000), 0);
    Script("shared", 0775);
    for (const char* name : {"theirs", "shared"}) {
        EXPECT_EQ(sysv_.Status(name), -1) << name;
        EXPECT_EQ(sysv_.Start(name).command, "") << name;
    }
    EXPECT_FALSE(dir_.Exists("env"));
    EXPECT_FALSE(dir_.Exists("calls"));
    const std::vector<std::string> notices = sysv_.TakeNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], "will not run the init script " + dir_.File("init.d/theirs") +
                              ": it is owned by another user (owner uid 1000, mode 0755); as root "
                              "the checker runs only init scripts owned by uid 0 and not writable "
                              "by group or others; theirs is logged as unknown (-1) and not "
                              "started");
    EXPECT_NE(notices[1].find("it is writable by its group (owner uid 0, mode 0775)"),
              std::string::npos)
        << notices[1];
    sysv_.Status("theirs");
    EXPECT_TRUE(sysv_.TakeNotices().empty());  // said once
}

// Each script answers "running" only once all of them have started (or gives up after 2 s): a
// pass's scripts must run together, on several threads, each answer in its name's place.
TEST_F(SysvScriptTest, APassRunsItsScriptsTogether) {
    mkdir(dir_.File("started").c_str(), 0755);
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) {
        names.push_back("svc" + std::to_string(i));
        dir_.Script("init.d/" + names.back(),
                    "touch @DIR@/started/${0##*/}\n"
                    "for i in $(seq 40); do\n"
                    "  [ $(ls @DIR@/started | wc -l) -ge 8 ] && exit $((${0##*svc} % 2 * 3))\n"
                    "  sleep 0.05\n"
                    "done\n"
                    "exit 4\n");
    }
    EXPECT_EQ(sysv_.StatusOfAll(names), (std::vector<int32_t>{6, 0, 6, 0, 6, 0, 6, 0}));
}

}  // namespace
}  // namespace tarn::vuft4
