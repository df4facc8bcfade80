// The error log: one line per shown message, and a log that fails never stops the message.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "errors/ErrorManager.h"
#include "platform/system/LastError.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestFolder.h"

namespace tarn::errors {
namespace {

namespace fs = std::filesystem;

using tarn::test::ReadAll;

// Runs each test in a fresh temporary folder: the log lives in the current folder.
class ErrorLog : public ::testing::Test {
  protected:
    void SetUp() override {
        manager.Init();
        manager.SetLogErrors(true);
        ui::SetMessageBoxFrontEnd(&box);
    }
    void TearDown() override {
        ui::SetMessageBoxFrontEnd(nullptr);
        manager.Shutdown();
    }

    tarn::test::TempFolder folder{"tarn-errlog"};
    tarn::test::CurrentFolder inFolder{folder.Path()};
    ErrorManager manager;
    ui::ScriptedMessageBox box;
};

TEST_F(ErrorLog, OneLinePerMessageInAFileCreatedWhenMissing) {
    ASSERT_FALSE(fs::exists("QELError.Log"));
    manager.SetFileName("Settings");
    EXPECT_EQ(manager.Raise(MsgRecordLocked), LevelNotice);
    ASSERT_TRUE(fs::exists("QELError.Log"));
    std::string first = ReadAll("QELError.Log");
    const std::regex line(
        "[^@\r\n]+@[^@\r\n]+ --> A record held by another station was encountered reading "
        "from the Settings file\\.\r\n");
    EXPECT_TRUE(std::regex_match(first, line)) << first;

    box.Push(ButtonNo);
    EXPECT_EQ(manager.Raise(MsgSaveQuestion), LevelDeclined);
    std::string both = ReadAll("QELError.Log");
    ASSERT_EQ(both.substr(0, first.size()), first) << "appended, not rewritten";
    EXPECT_NE(both.find(" --> Do you want to save the changes to this record?\r\n"),
              std::string::npos);
    EXPECT_EQ(box.Count(), 2u);
}

TEST_F(ErrorLog, QuestionsAskedDirectlyAreNotLogged) {
    manager.AskQuestion(MsgDeleteQuestion, ButtonYes + ButtonNo, ButtonNo);
    EXPECT_FALSE(fs::exists("QELError.Log"));
}

TEST_F(ErrorLog, LogThatCannotBeOpenedNeverStopsTheMessage) {
    // A folder in the log's place cannot be opened for writing, even by root.
    fs::create_directory("QELError.Log");
    platform::SetLastError(35, "Services");
    EXPECT_EQ(manager.Raise(MsgRecordLocked), LevelNotice);
    EXPECT_EQ(box.Count(), 1u);
    EXPECT_EQ(platform::LastErrorCode(), 35) << "the log's failure does not replace it";
    EXPECT_TRUE(fs::is_empty("QELError.Log"));
}

TEST_F(ErrorLog, ReadOnlyLogNeverStopsTheMessage) {
    { std::ofstream("QELError.Log") << "old\r\n"; }
    fs::permissions("QELError.Log", fs::perms::owner_read);
    if (access("QELError.Log", W_OK) == 0) GTEST_SKIP() << "running as root";
    EXPECT_EQ(manager.Raise(MsgRecordLocked), LevelNotice);
    EXPECT_EQ(box.Count(), 1u);
    EXPECT_EQ(ReadAll("QELError.Log"), "old\r\n");
}

// A writer whose every operation fails, as a locked log would.
struct FailingLog : ErrorLogInterface {
    int calls = 0;
    Level Open(bool) override {
        ++calls;
        return LevelNotice;
    }
    Level Append(std::string_view) override {
        ++calls;
        return LevelNotice;
    }
    Level Close(bool) override {
        ++calls;
        return LevelNotice;
    }
};

TEST_F(ErrorLog, FailingWriterNeverStopsTheMessage) {
    FailingLog failing;
    manager.Initialise(&failing);
    box.Push(ButtonNo);
    EXPECT_EQ(manager.Raise(MsgSaveQuestion), LevelDeclined);
    EXPECT_EQ(failing.calls, 1) << "a failed open appends nothing";
    EXPECT_EQ(box.Count(), 1u);
    manager.Shutdown();
}

TEST_F(ErrorLog, WriterCountsItsOpens) {
    StandardErrorLog log("direct.log");
    EXPECT_EQ(log.Append("not open"), LevelNotice);
    ASSERT_EQ(log.Open(false), LevelQuiet);
    ASSERT_EQ(log.Open(false), LevelQuiet);
    EXPECT_EQ(log.Usage(), 2);
    EXPECT_EQ(log.Append("one"), LevelQuiet);
    EXPECT_EQ(log.Close(false), LevelQuiet);
    EXPECT_EQ(log.Usage(), 1);
    EXPECT_EQ(log.Append(std::string(1100, 'x')), LevelQuiet);
    EXPECT_EQ(log.Close(false), LevelQuiet);
    EXPECT_EQ(log.Usage(), 0);
    EXPECT_EQ(log.Append("closed"), LevelNotice);
    EXPECT_EQ(ReadAll("direct.log"), "one\r\n" + std::string(1024, 'x') + "\r\n");
}

}  // namespace
}  // namespace tarn::errors
