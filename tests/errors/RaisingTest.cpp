// Raising messages: dispatch by level, silent mode, questions, the history and fatal messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors/ErrorManager.h"
#include "platform/system/LastError.h"
#include "platform/ui/MessageBox.h"

namespace tarn::errors {
namespace {

class Raising : public ::testing::Test {
  protected:
    void SetUp() override {
        manager.Init();
        platform::ClearLastError();
        ui::SetMessageBoxFrontEnd(&box);
    }
    void TearDown() override {
        ui::SetMessageBoxFrontEnd(nullptr);
        manager.Shutdown();
    }
    ui::MessageBoxRequest Last() { return box.Requests().back(); }

    ErrorManager manager;
    ui::ScriptedMessageBox box;
};

TEST_F(Raising, NoticeShowsTheSubstitutedTextWithOk) {
    manager.SetFileName("ServicesToCheck");
    EXPECT_EQ(manager.Raise(MsgRecordLocked), LevelNotice);
    ASSERT_EQ(box.Count(), 1u);
    ui::MessageBoxRequest r = Last();
    EXPECT_EQ(r.text,
              "A record held by another station was encountered reading from the "
              "ServicesToCheck file.");
    EXPECT_EQ(r.title, "Record not read");
    EXPECT_EQ(r.icon, IconExclamation);
    EXPECT_EQ(r.buttons, ButtonOk);
    EXPECT_EQ(r.defaultButton, ButtonOk);
    EXPECT_EQ(r.style, 0);
}

TEST_F(Raising, QuestionYesIsQuietNoOrClosedIsDeclined) {
    box.Push(ButtonYes);
    box.Push(ButtonNo);
    box.Push(0);
    EXPECT_EQ(manager.Raise(MsgDeleteQuestion), LevelQuiet);
    EXPECT_EQ(manager.Raise(MsgDeleteQuestion), LevelDeclined);
    EXPECT_EQ(manager.Raise(MsgDeleteQuestion), LevelDeclined);
    ui::MessageBoxRequest r = Last();
    EXPECT_EQ(r.text, "Are you sure you want to delete the highlighted record?");
    EXPECT_EQ(r.icon, IconQuestion);
    EXPECT_EQ(r.buttons, ButtonYes + ButtonNo);
    EXPECT_EQ(r.defaultButton, ButtonYes);
}

TEST_F(Raising, DeclinedLevelAsksLikeAQuestion) {
    manager.AddMessage(1000, "Sure?", "Q", LevelDeclined);
    box.Push(ButtonNo);
    EXPECT_EQ(manager.Raise(1000), LevelDeclined);
    EXPECT_EQ(Last().buttons, ButtonYes + ButtonNo);
}

TEST_F(Raising, QuietAndUnknownShowNothing) {
    manager.AddMessage(1000, "hidden", "Q", LevelQuiet);
    EXPECT_EQ(manager.Raise(1000), LevelQuiet);
    EXPECT_EQ(manager.Raise(4321), LevelQuiet);
    EXPECT_EQ(box.Count(), 0u);
}

TEST_F(Raising, AddedMessageOverridesUntilRemoved) {
    manager.AddMessage(MsgOpenError, "Mine: %File", "Own", LevelNotice);
    EXPECT_EQ(manager.RaiseWithFile(MsgOpenError, "Settings  "), LevelNotice);
    EXPECT_EQ(Last().text, "Mine: Settings");
    manager.RemoveMessage(MsgOpenError);
    manager.SetSilent(true);  // the catalog's 29 is fatal: keep the process alive
    manager.SelectMessage(MsgOpenError);
    EXPECT_EQ(manager.Status().errorBuffer.title, "File Access Error");
}

TEST_F(Raising, SilentModeAnswersTheDefault) {
    manager.SetSilent(true);
    EXPECT_EQ(manager.Raise(MsgDeleteQuestion), LevelQuiet);
    EXPECT_EQ(manager.Raise(MsgRecordLocked), LevelNotice);
    EXPECT_EQ(
        manager.AskQuestion(MsgSaveQuestion, ButtonYes + ButtonNo + ButtonCancel, ButtonCancel),
        ButtonCancel);
    EXPECT_EQ(box.Count(), 0u);
}

TEST_F(Raising, AskQuestionKeepsTheContextAndIgnoresTheLevel) {
    platform::SetLastError(2, "before");
    manager.CaptureRuntimeError();
    platform::SetLastError(35, "after");
    box.Push(ButtonCancel);
    EXPECT_EQ(manager.AskQuestion(MsgOpenError, ButtonYes + ButtonCancel, ButtonYes), ButtonCancel);
    EXPECT_EQ(manager.Status().saveErrorCode, 2);
    EXPECT_EQ(Last().icon, IconQuestion);
    EXPECT_EQ(Last().buttons, ButtonYes + ButtonCancel);
    EXPECT_EQ(Last().defaultButton, ButtonYes);
    EXPECT_EQ(Last().title, "File Access Error");
}

TEST_F(Raising, LevelOperationsAreReplaceable) {
    struct Quieter : ErrorManager {
        int fatal = 0;
        Level OnFatal() override {
            ++fatal;
            return LevelFatal;
        }
    } quieter;
    quieter.Init();
    quieter.AddMessage(1000, "odd", "T", 9);
    EXPECT_EQ(quieter.Raise(MsgOpenError), LevelFatal);
    EXPECT_EQ(quieter.Raise(MsgFileUsedUnopened), LevelFatal);  // level 2
    EXPECT_EQ(quieter.Raise(1000), LevelFatal);                 // any other level
    EXPECT_EQ(quieter.fatal, 3);
}

using RaisingDeathTest = Raising;

TEST_F(RaisingDeathTest, FatalEndsTheProgramWithCodeOneAfterTheBox) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    manager.SetFileName("Settings");
    // The message box line goes to standard error before the halt; no button can be pressed
    // there, so the line names none.
    ui::SetMessageBoxFrontEnd(nullptr);
    EXPECT_EXIT(manager.Raise(MsgOpenError), ::testing::ExitedWithCode(1),
                "File Access Error: File Settings could not be opened.  Error: [^\n]*"
                "  This application ends\\.\nFile Access Error\n");
    EXPECT_EXIT(manager.Raise(MsgFileUsedUnopened), ::testing::ExitedWithCode(1),
                "Attempt to use file \\(Settings\\) before it was opened  This application ends");
    manager.SetSilent(true);
    EXPECT_EXIT(manager.Raise(MsgOpenError), ::testing::ExitedWithCode(1), "File Access Error");
}

// --- history ---

TEST_F(Raising, HistoryOfThreeKeepsTheLastThree) {
    manager.SetHistoryThreshold(3);
    for (int i = 1; i <= 5; ++i) manager.RaiseWithMessage(MsgSocketError, "m" + std::to_string(i));
    std::vector<HistoryEntry> h = manager.History();
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[0].txt, "m3 ");
    EXPECT_EQ(h[2].txt, "m5 ");
    EXPECT_EQ(h[2].id, MsgSocketError);
    EXPECT_EQ(h[2].category, "QEL");
    // Not the view level (3): nothing is shown.
    EXPECT_EQ(box.Count(), 0u);
}

TEST_F(Raising, UnlimitedAndNoHistory) {
    manager.SetHistoryThreshold(-1);
    for (int i = 0; i < 40; ++i) manager.Raise(MsgRecordLocked);
    EXPECT_EQ(manager.History().size(), 40u);
    manager.ClearHistory();
    manager.SetHistoryThreshold(0);
    manager.Raise(MsgRecordLocked);
    EXPECT_EQ(manager.History().size(), 0u);
    EXPECT_EQ(box.Count(), 1u) << "without a history every message is shown";
}

TEST_F(Raising, HistoryWindowShowsOnlyTheViewLevel) {
    manager.SetHistoryThreshold(1);
    manager.SetHistoryViewLevel(LevelNotice);
    std::vector<std::vector<HistoryEntry>> shown;
    std::string caption;
    manager.SetHistoryWindowHook([&](const std::vector<HistoryEntry>& h, std::string_view c,
                                     std::string_view, int, int def) {
        shown.push_back(h);
        caption = c;
        return def;
    });
    EXPECT_EQ(manager.Raise(MsgRecordLocked), LevelNotice);
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].size(), 1u);
    EXPECT_EQ(caption, "Record not read");
    EXPECT_EQ(manager.Raise(MsgDeleteQuestion), LevelQuiet) << "not shown: default Yes";
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(box.Count(), 0u);

    manager.SetHistoryResetOnView(true);
    manager.Raise(MsgRecordLocked);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(manager.History().empty());
}

}  // namespace
}  // namespace tarn::errors
