// The message-box service the error manager shows its messages through.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/MessageBox.h"

namespace tarn::ui {
namespace {

TEST(MessageBox, StderrFrontEndWritesOneLineAndAnswersTheDefault) {
    MessageBoxRequest request{
        "Error on|two lines", "File Access Error", "exclamation", 2 + 4, 4, 0};
    ::testing::internal::CaptureStderr();
    int answer = ShowMessageBox(request);  // no front end set: the standard-error one
    std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, 4);
    EXPECT_EQ(written, "File Access Error: Error on | two lines\n");
}

TEST(MessageBox, StderrFrontEndWritesTheSameLineAtMostOnceAnHour) {
    int64_t now = 5000;
    StderrMessageBox box([&] { return now; });
    MessageBoxRequest failed{"Record 2 was not updated", "Error", "", 1, 1, 0};
    MessageBoxRequest other{"Record 3 was not updated", "Error", "", 1, 1, 0};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(box.Ask(failed), 1);
    now += 60 * 1000;               // the next pass
    EXPECT_EQ(box.Ask(failed), 1);  // still answered
    EXPECT_EQ(box.Ask(other), 1);
    now += StderrMessageBox::kRepeatAfterMilliseconds - 60 * 1000 - 1;
    EXPECT_EQ(box.Ask(failed), 1);
    now += 1;  // an hour after it was written
    EXPECT_EQ(box.Ask(failed), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error: Record 2 was not updated\n"
              "Error: Record 3 was not updated\n"
              "Error: Record 2 was not updated\n");
}

TEST(MessageBox, ScriptedFrontEndAnswersInOrderThenTheDefault) {
    ScriptedMessageBox box({2, 0});
    SetMessageBoxFrontEnd(&box);
    MessageBoxRequest request{"q", "t", "", 2 + 4, 4, 0};
    EXPECT_EQ(ShowMessageBox(request), 2);
    EXPECT_EQ(ShowMessageBox(request), 0) << "a closed box";
    EXPECT_EQ(ShowMessageBox(request), 4) << "script used up";
    EXPECT_EQ(box.Count(), 3u);
    EXPECT_EQ(box.Requests()[2].text, "q");
    SetMessageBoxFrontEnd(nullptr);
    EXPECT_EQ(CurrentMessageBoxFrontEnd() == &box, false);
}

}  // namespace
}  // namespace tarn::ui
