// The error history window: buttons placed from the right, the list fed from a copy of the
// history, and its place in the error manager's ShowMessage.
#include "WindowTestSupport.h"
#include "framework/window/HistoryWindow.h"
#include "framework/window/MessageWindow.h"

namespace tarn::framework::test {
namespace {

class HistoryWindowTest : public HeadlessTest {
  protected:
    std::vector<errors::HistoryEntry> history{{"QEL", "First message", 7},
                                              {"Mine", "Second message", 3}};

    // The visible buttons of the last view, left to right: (x, caption).
    std::vector<std::pair<int, std::string>> VisibleButtons(const ui::WindowView& view) {
        std::vector<std::pair<int, std::string>> out;
        for (int k = MessageWindow::kMaxButtons - 1; k >= 0; --k) {
            const ui::ControlView* c = view.Control(MessageWindow::ButtonControl(k));
            if (c && !c->hidden) out.emplace_back(284 - 40 * k, c->text);
        }
        return out;
    }
};

TEST_F(HistoryWindowTest, YesAndNoTakeTheTwoRightmostPlacesWithTheDefaultFocused) {
    errors::ErrorManager err;
    SharedResponse() = ResponseCompleted;  // a caller's response survives the message
    ui.Press("&No");
    int result = ShowHistoryWindow(err, history, "Question", "", ButtonYes + ButtonNo, ButtonYes);
    EXPECT_EQ(result, ButtonNo);
    EXPECT_EQ(SharedResponse(), ResponseCompleted);
    SharedResponse() = 0;

    const ui::WindowView* view = ui.LastView("Question");
    ASSERT_NE(view, nullptr);
    auto buttons = VisibleButtons(*view);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0], std::make_pair(244, std::string("&Yes")));
    EXPECT_EQ(buttons[1], std::make_pair(284, std::string("&No")));
    const ui::ControlView* yes = view->Control(MessageWindow::ButtonControl(1));
    EXPECT_TRUE(yes->focused);
    EXPECT_TRUE(yes->isDefault);
    EXPECT_FALSE(view->Control(MessageWindow::ButtonControl(0))->isDefault);
}

TEST_F(HistoryWindowTest, ListShowsEachEntrysTextAndCategory) {
    errors::ErrorManager err;
    ui.Press("O&k");
    EXPECT_EQ(ShowHistoryWindow(err, history, "", "", ButtonOk, ButtonOk), ButtonOk);
    const ui::WindowView* view = ui.LastView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->title, "Error");  // an empty caption keeps the window's own title
    const ui::ControlView* list = view->Control(MessageWindow::kList);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rows.size(), 2u);
    EXPECT_EQ(list->rows[0], (std::vector<std::string>{"First message", "QEL"}));
    EXPECT_EQ(list->rows[1], (std::vector<std::string>{"Second message", "Mine"}));
    EXPECT_EQ(view->Control(MessageWindow::kImage)->kind, ui::KindText);
}

TEST_F(HistoryWindowTest, ClosingWithoutAButtonAnswersTheDefault) {
    errors::ErrorManager err;
    ui.Close();
    EXPECT_EQ(
        ShowHistoryWindow(err, history, "Q", "", ButtonYes + ButtonNo + ButtonCancel, ButtonCancel),
        ButtonCancel);
    auto buttons = VisibleButtons(*ui.LastView("Q"));
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].second, "&Yes");
    EXPECT_EQ(buttons[1].second, "&No");
    EXPECT_EQ(buttons[2].second, "&Cancel");
}

TEST_F(HistoryWindowTest, ErrorHistoryShowsOkAndHelpUnderItsOwnCaption) {
    errors::ErrorManager err;
    err.Init();
    err.SetHistoryThreshold(-1);
    err.AppendHistory({"QEL", "Kept", 1});
    InstallHistoryWindow(err);
    ui.Press("&Help");
    EXPECT_EQ(err.ShowErrorHistory(), ButtonHelp);
    const ui::WindowView* view = ui.LastView("Errors History");
    ASSERT_NE(view, nullptr);
    auto buttons = VisibleButtons(*view);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].second, "O&k");
    EXPECT_EQ(buttons[1].second, "&Help");
    EXPECT_EQ(view->Control(MessageWindow::kList)->rows.size(), 1u);
    err.Shutdown();
}

TEST_F(HistoryWindowTest, NoticeOpensTheWindowWithOneLineAtThresholdOne) {
    errors::ErrorManager err;
    err.Init();
    err.SetHistoryThreshold(1);
    err.SetHistoryViewLevel(LevelNotice);
    InstallHistoryWindow(err);
    ui.Press("O&k").Press("O&k");
    EXPECT_EQ(err.Raise(MsgChangedElsewhere), LevelNotice);
    EXPECT_EQ(err.Raise(MsgChangedElsewhere), LevelNotice);
    ASSERT_EQ(ui.Titles().size(), 2u);
    EXPECT_EQ(ui.Titles()[0], "Record Was Not Updated");
    const ui::WindowView* view = ui.LastView("Record Was Not Updated");
    const ui::ControlView* list = view->Control(MessageWindow::kList);
    ASSERT_EQ(list->rows.size(), 1u);
    EXPECT_EQ(list->rows[0][0], "This record was changed by another station.");

    // A question is not of the viewed level: nothing is shown and its default Yes stands.
    EXPECT_EQ(err.Raise(MsgCancelQuestion), LevelQuiet);
    EXPECT_EQ(ui.Titles().size(), 2u);
    EXPECT_TRUE(ui.Messages().empty());
    err.Shutdown();
}

TEST_F(HistoryWindowTest, WithoutAFrontEndTheDefaultIsAnsweredAndNothingShown) {
    errors::ErrorManager err;
    ui::FrontEnd* old = ui::SetFrontEnd(nullptr);
    int result = ShowHistoryWindow(err, history, "Q", "", ButtonYes + ButtonNo, ButtonNo);
    ui::SetFrontEnd(old);
    EXPECT_EQ(result, ButtonNo);
    EXPECT_TRUE(ui.Titles().empty());
}

}  // namespace
}  // namespace tarn::framework::test
