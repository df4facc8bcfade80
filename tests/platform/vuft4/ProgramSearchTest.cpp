// Programs are looked up in absolute folders only: the checker's current folder is its data
// folder, and an empty or relative PATH entry would run a file placed there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "StubFolder.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/ProgramSearch.h"
#include "platform/vuft4/ServiceManager.h"
#include "tests/support/TestFolder.h"

namespace tarn::vuft4 {
namespace {

using testing::StubFolder;

// Sets PATH (unsets it for nullopt) for the life of the object.
class PathIs {
  public:
    explicit PathIs(std::optional<std::string> value) {
        if (const char* old = std::getenv("PATH")) saved_ = old;
        if (value)
            setenv("PATH", value->c_str(), 1);
        else
            unsetenv("PATH");
    }
    ~PathIs() {
        if (saved_)
            setenv("PATH", saved_->c_str(), 1);
        else
            unsetenv("PATH");
    }

  private:
    std::optional<std::string> saved_;
};

// A current folder holding executable "probe" and "service", also in its subfolder "bin".
class ProgramSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mkdir(dir_.File("bin").c_str(), 0755);
        for (const char* name : {"probe", "service", "bin/probe", "bin/service"})
            dir_.Script(name, "echo planted\n");
    }
    StubFolder dir_;
    tarn::test::CurrentFolder here_{dir_.Path()};
};

const char* const kRelativePaths[] = {"", ":", ".", "bin", "./bin", "::bin:"};

TEST_F(ProgramSearchTest, EmptyAndRelativeEntriesAreSkipped) {
    for (const char* path : kRelativePaths) {
        EXPECT_EQ(FindProgram("probe", path), "") << path;
        EXPECT_EQ(SelectServiceManagerKind(dir_.File("no-systemd"), path), ServiceManagerKind::None)
            << path;
    }
    EXPECT_EQ(FindProgram("probe", ".:" + dir_.File("bin") + ":" + dir_.Path()),
              dir_.File("bin/probe"));
    EXPECT_EQ(CleanSearchPath("/a::b:/c:./d:"), "/a:/c");
    for (const char* path : {static_cast<const char*>(nullptr), "", ":", "bin:."})
        EXPECT_EQ(CleanSearchPath(path), kSystemSearchPath) << (path ? path : "unset");
}

TEST_F(ProgramSearchTest, ToolsAreNotRunFromTheCurrentFolder) {
    for (const char* path : kRelativePaths) {
        PathIs p(path);
        EXPECT_EQ(RunChild({"probe"}, 5000, true).outcome, ChildResult::Outcome::NotStarted)
            << path;
    }
    PathIs unset(std::nullopt);
    EXPECT_EQ(RunChild({"probe"}, 5000, true).outcome, ChildResult::Outcome::NotStarted);
    // The system's path is searched instead, and handed on: the tools run more tools.
    const ChildResult r = RunChild({"sh", "-c", "echo \"$PATH\""}, 5000, true);
    EXPECT_EQ(r.output, std::string(kSystemSearchPath) + "\n");
}

TEST_F(ProgramSearchTest, AbsoluteEntriesAreKeptInOrder) {
    PathIs p(".:" + dir_.File("bin") + "::/usr/bin:/bin");
    ChildResult r = RunChild({"probe"}, 5000, true);
    EXPECT_EQ(r.output, "planted\n");
    r = RunChild({"sh", "-c", "echo \"$PATH\""}, 5000, true);
    EXPECT_EQ(r.output, dir_.File("bin") + ":/usr/bin:/bin\n");
}

}  // namespace
}  // namespace tarn::vuft4
