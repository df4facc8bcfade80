#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/PopupMenu.h"

namespace tarn::ui {
namespace {

using namespace testing;  // the runtime tests' own helpers

enum { Name = 1, Ok, Cancel };

WindowDef Def(std::string title) {
    WindowDef def;
    def.title = std::move(title);
    def.controls = {
        {.kind = KindEntry, .name = "?Name", .rect = {40, 5, 100, 10}},
        {.kind = KindButton, .name = "?OK", .text = "&OK", .rect = {40, 80, 40, 14}},
        {.kind = KindButton, .name = "?Cancel", .text = "&Cancel", .rect = {90, 80, 40, 14}},
    };
    return def;
}

TEST_F(HeadlessTest, AStepNamingAMissingControlFailsAndClosesTheWindow) {
    Window w(Def("Form"));
    ui.Press("Apply").Press(Ok);
    auto events = RunLoop(w);
    EXPECT_EQ(Codes(events), std::vector<int>{EventOpenWindow});
    EXPECT_FALSE(w.IsOpen());
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_EQ(ui.Failures()[0], "step 1 (press \"Apply\"): window \"Form\" has no such control");
}

TEST_F(HeadlessTest, PressingADisabledOrHiddenControlFails) {
    Window w(Def("Form"));
    w.Get(Ok)->disabled = true;
    ui.Press(Ok);
    RunLoop(w);
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_EQ(ui.Failures()[0], "step 1 (press 2): control 2 of window \"Form\" is disabled");

    HeadlessFrontEnd other;
    other.Attach();
    Window v(Def("Other"));
    v.Get(Name)->hidden = true;
    other.Type("?Name", "x");
    RunLoop(v);
    other.Detach();
    ASSERT_EQ(other.Failures().size(), 1u);
    EXPECT_NE(other.Failures()[0].find("is hidden"), std::string::npos);
}

TEST_F(HeadlessTest, ControlsAreFoundByNameOrByCaptionWithoutTheAmpersand) {
    Window w(Def("Form"));
    ui.Press("cancel").Press("?ok");
    auto events = RunLoop(w);
    EXPECT_EQ(Only(events, {EventAccepted}), (Pairs{{1, Cancel}, {1, Ok}}));
    EXPECT_TRUE(ui.Failures().empty());
}

// The outer window opens the inner one from its OK handler, as a procedure would.
TEST_F(HeadlessTest, NestedWindowsConsumeOneScriptInOrder) {
    ui.In("Outer")
        .Type(Name, "a")
        .In("Outer")
        .Press(Ok)
        .In("Inner")
        .Type(Name, "b")
        .In("Inner")
        .Press(Ok)
        .In("Outer")
        .Type(Name, "c");
    Window outer(Def("Outer"));
    std::vector<std::string> seen;
    std::vector<int> innerEvents;
    RunLoop(outer, [&](Window& w) {
        if (Event() == EventAccepted && Field() == Name) seen.push_back(w.Get(Name)->text);
        if (Event() == EventAccepted && Field() == Ok) {
            Window inner(Def("Inner"));
            auto events = RunLoop(inner, [&](Window& iw) {
                if (Event() == EventAccepted && Field() == Name) seen.push_back(iw.Get(Name)->text);
                if (Event() == EventAccepted && Field() == Ok) iw.Post(EventCloseWindow);
                return false;
            });
            innerEvents = Codes(events);
            EXPECT_EQ(Event(), EventAccepted);  // the outer window's event again
            EXPECT_EQ(Field(), Ok);
        }
        return false;
    });
    EXPECT_TRUE(ui.Failures().empty()) << ui.Failures()[0];
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(innerEvents, (std::vector<int>{515, 1, 1, 513}));
    EXPECT_EQ(ui.Titles(), (std::vector<std::string>{"Outer", "Inner"}));
}

TEST_F(HeadlessTest, TheOuterWindowLosesAndRegainsTheFocusAroundAnInnerOne) {
    ui.Press(Ok);
    Window outer(Def("Outer"));
    auto events = RunLoop(outer, [](Window&) {
        if (Event() == EventAccepted) {
            Window inner(Def("Inner"));
            RunLoop(inner);
        }
        return false;
    });
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 1, 517, 518, 513}));
}

TEST_F(HeadlessTest, AFailureInAnInnerWindowUnwindsEveryWindow) {
    ui.In("Outer").Press(Ok).In("Outer").Press(Cancel);  // the second step meets Inner
    Window outer(Def("Outer"));
    bool innerRan = false;
    RunLoop(outer, [&](Window&) {
        if (Event() == EventAccepted && Field() == Ok) {
            Window inner(Def("Inner"));
            RunLoop(inner);
            innerRan = true;
        }
        return false;
    });
    EXPECT_TRUE(innerRan);
    EXPECT_FALSE(outer.IsOpen());
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_EQ(ui.Failures()[0],
              "step 2 (press 3) expects window \"Outer\" but window \"Inner\" asks for input");
}

TEST_F(HeadlessTest, MessageBoxesAreAnsweredFromTheScript) {
    ui.Press(Ok).Answer(4).Press(Ok).Press(Cancel);
    Window w(Def("Form"));
    std::vector<int> answers;
    RunLoop(w, [&](Window&) {
        if (Event() == EventAccepted) {
            MessageBoxRequest box;
            box.title = "Changes will be lost!";
            box.text = "Are you sure you want to cancel?";
            box.buttons = 2 + 4;
            box.defaultButton = 2;
            answers.push_back(ShowMessageBox(box));
        }
        return false;
    });
    // The second box finds a window step next: a failure, answered with the default button.
    EXPECT_EQ(answers, (std::vector<int>{4, 2}));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].title, "Changes will be lost!");
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_EQ(ui.Failures()[0],
              "message box \"Changes will be lost!: Are you sure you want to cancel?\" was asked "
              "but step 4 is press 3");
}

TEST_F(HeadlessTest, AnAnswerWhereAWindowStepIsExpectedFails) {
    ui.Answer(2);
    Window w(Def("Form"));
    RunLoop(w);
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_EQ(ui.Failures()[0],
              "step 1 (answer 2) waits for a message box but window \"Form\" asks for input");
}

TEST_F(HeadlessTest, PopupMenusAreAnsweredFromTheScript) {
    ui.Press(Ok).ChoosePopupItem("change").Press(Ok).ChoosePopupItem(4).Press(Ok).ChoosePopupItem(
        "Print");
    Window w(Def("Form"));
    std::vector<int> chosen;
    RunLoop(w, [&](Window&) {
        if (Event() == EventAccepted)
            chosen.push_back(PopupMenu("&Insert|&Change|-|~&Delete|More{A|B}"));
        return false;
    });
    // Delete is item 3 and disabled; "More" opens a submenu and is no choice; A is item 4.
    EXPECT_EQ(chosen, (std::vector<int>{2, 4, 0}));
    ASSERT_EQ(ui.Failures().size(), 1u);
    EXPECT_NE(ui.Failures()[0].find("the menu has no such item"), std::string::npos);
}

TEST(PopupItems, MarkersSeparatorsAndNumbering) {
    auto items = ParsePopupItems("+Checked|-|~Off|Sub{X|Y}|Z");
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].text, "Checked");
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[0].number, 1);
    EXPECT_EQ(items[1].text, "-");
    EXPECT_EQ(items[1].number, 0);
    EXPECT_FALSE(items[2].enabled);
    EXPECT_EQ(items[2].number, 2);
    EXPECT_EQ(items[3].number, 0);  // submenu header
    EXPECT_EQ(items[4].depth, 2);
    EXPECT_EQ(items[4].number, 3);
    EXPECT_EQ(items[6].depth, 1);
    EXPECT_EQ(items[6].number, 5);
}

}  // namespace
}  // namespace tarn::ui
