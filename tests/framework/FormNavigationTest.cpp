// The form-navigation loop and the toolbar manager's choice of target.
#include <vector>

#include "WindowTestSupport.h"
#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/FormNavigationLoop.h"

namespace tarn::framework::test {
namespace {

class FormNavigationTest : public HeadlessTest {};

// A form that ends through its OK button answering completed; it may leave a navigation code.
uint8_t RunSmallForm(uint8_t request, int32_t leave) {
    struct Form : RecordingWindow {
        int32_t leave = 0;
        Level Initialise() override {
            Request = request;
            RecordingWindow::Initialise();
            AddResponseButton(TC_OK, ResponseCompleted);
            return LevelQuiet;
        }
        Level OnAccepted() override {
            if (leave) FormNavigationRequest() = leave;
            return RecordingWindow::OnAccepted();
        }
        uint8_t request = 0;
    } form;
    form.request = request;
    form.leave = leave;
    return form.Run();
}

TEST_F(FormNavigationTest, FormThatLeavesNoNavigationRequestEndsTheLoopAfterOneRun) {
    FormNavigationRequest() = NavigationLast;  // left over from before: cleared by the loop
    int runs = 0, moves = 0;
    ui.Press("?OK");
    uint8_t response = RunWithFormNavigation(
        RequestChange,
        [&](uint8_t request) {
            ++runs;
            return RunSmallForm(request, 0);
        },
        [&](int32_t, uint8_t) { ++moves; });
    EXPECT_EQ(response, ResponseCompleted);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(ui.Titles().size(), 1u);
}

TEST_F(FormNavigationTest, NavigationCodesRunTheFormAgainWithTheRightRequest) {
    // Change: 3009 moves and runs change again; 3001 turns into an insert; then 3009 after an
    // insert inserts again; the last run leaves nothing.
    std::vector<int32_t> leaves{NavigationNext, NavigationInsertAnother, NavigationNext, 0};
    std::vector<uint8_t> requests;
    std::vector<std::pair<int32_t, uint8_t>> moves;
    for (size_t i = 0; i < leaves.size(); ++i) ui.Press("?OK");
    size_t run = 0;
    RunWithFormNavigation(
        RequestChange,
        [&](uint8_t request) {
            requests.push_back(request);
            return RunSmallForm(request, leaves[run++]);
        },
        [&](int32_t code, uint8_t request) { moves.emplace_back(code, request); });
    EXPECT_EQ(requests,
              (std::vector<uint8_t>{RequestChange, RequestChange, RequestInsert, RequestInsert}));
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0], std::make_pair(int32_t{NavigationNext}, uint8_t{RequestChange}));
    EXPECT_EQ(FormNavigationRequest(), 0);
}

TEST(RequestAfterNavigationTest, OnlyInsertCodesTurnARequestIntoAnInsert) {
    EXPECT_EQ(RequestAfterNavigation(NavigationInsertAnother, RequestChange), RequestInsert);
    EXPECT_EQ(RequestAfterNavigation(NavigationNext, RequestInsert), RequestInsert);
    EXPECT_EQ(RequestAfterNavigation(NavigationNext, RequestChange), RequestChange);
    EXPECT_EQ(RequestAfterNavigation(NavigationPrevious, RequestInsert), RequestInsert);
    EXPECT_EQ(RequestAfterNavigation(NavigationFirst, RequestView), RequestView);
}

struct Target : ToolbarTarget {
    bool wants = false;
    int shown = 0, current = 0, handled = 0;
    void ShowButtons() override { ++shown; }
    void MakeCurrent() override { ++current; }
    bool WantsToolbar() override { return wants; }
    void HandleEvent(int32_t&) override { ++handled; }
};

TEST(ToolbarManagerTest, ChoosesTargetsByIdOrByWhoWantsTheToolbar) {
    ToolbarManager toolbar;
    toolbar.Initialise();
    int32_t request = 0;
    toolbar.HandleEvent(request);  // no targets: nothing to do
    toolbar.ShowButtons();

    Target a, b, c;
    toolbar.AddTarget(a, 1);
    toolbar.AddTarget(b, 2);
    toolbar.AddTarget(c, 3);
    EXPECT_EQ(toolbar.Current(), &a);

    toolbar.SetTarget(2);
    EXPECT_EQ(toolbar.Current(), &b);
    EXPECT_EQ(b.current, 1);
    toolbar.HandleEvent(request);
    toolbar.ShowButtons();
    EXPECT_EQ(b.handled, 1);
    EXPECT_EQ(b.shown, 1);

    a.wants = true;
    c.wants = true;
    toolbar.SetTarget(0);  // the last that wants it
    EXPECT_EQ(toolbar.Current(), &c);
    toolbar.SetTarget(99);  // unknown: unchanged
    EXPECT_EQ(toolbar.Current(), &c);

    toolbar.Dispose();
    EXPECT_EQ(toolbar.List, nullptr);
    EXPECT_EQ(toolbar.Current(), nullptr);
    toolbar.Dispose();
}

}  // namespace
}  // namespace tarn::framework::test
