#include <gtest/gtest.h>

#include <thread>

#include "UiTestSupport.h"

namespace tarn::ui {
namespace {

using namespace testing;  // the runtime tests' own helpers

enum { Prompt = 1, Name, Number, Ok, Cancel };

WindowDef FormDef() {
    WindowDef def;
    def.title = "Form";
    def.rect = {0, 0, 200, 100};
    def.controls = {
        {.kind = KindPrompt, .name = "?Name:Prompt", .text = "Name:", .rect = {3, 5, 30, 10}},
        {.kind = KindEntry, .name = "?Name", .rect = {40, 5, 100, 10}},
        {.kind = KindEntry, .name = "?Number", .text = "@n14@", .rect = {40, 20, 60, 10}},
        {.kind = KindButton,
         .name = "?OK",
         .text = "&OK",
         .rect = {40, 80, 40, 14},
         .flags = FlagDefault},
        {.kind = KindButton, .name = "?Cancel", .text = "&Cancel", .rect = {90, 80, 40, 14}},
    };
    return def;
}

class AcceptLoopTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        w = std::make_unique<Window>(FormDef());
        w->Bind(Name, Binding::Str(&name, "s20"));
        w->Bind(Number, Binding::Int(&number, ""));
    }

    std::string name;
    int32_t number = 0;
    std::unique_ptr<Window> w;
};

TEST_F(AcceptLoopTest, OpensWithEvent515AndClosesWhenTheScriptRunsOut) {
    auto events = RunLoop(*w);
    EXPECT_EQ(Codes(events), (std::vector<int>{EventOpenWindow, EventCloseWindow}));
    EXPECT_FALSE(w->IsOpen());
    EXPECT_EQ(CurrentWindow(), nullptr);
    EXPECT_EQ(ui.Titles(), std::vector<std::string>{"Form"});
    EXPECT_TRUE(ui.Failures().empty());
}

TEST_F(AcceptLoopTest, TabMovesTheFocusOverControlsThatCanHoldIt) {
    ui.Key(TabKey).Key(TabKey).Key(TabKey).Key(TabKey).Key(ShiftTab);
    auto events = RunLoop(*w);
    // The prompt never takes the focus; the focus wraps from Cancel to the first entry.
    EXPECT_EQ(Only(events, {EventSelected}),
              (Pairs{{257, Number}, {257, Ok}, {257, Cancel}, {257, Name}, {257, Cancel}}));
}

TEST_F(AcceptLoopTest, SelectingAPromptFocusesTheControlAfterIt) {
    auto events = RunLoop(*w, [](Window& win) {
        if (Event() == EventOpenWindow) win.Select(Prompt);
        return false;
    });
    EXPECT_EQ(Only(events, {EventSelected}), (Pairs{{257, Name}}));
    EXPECT_EQ(ui.LastView()->Control(Name)->focused, true);
}

TEST_F(AcceptLoopTest, EnterPressesTheDefaultButtonOrTheFocusedOne) {
    ui.Key(EnterKey).Key(TabKey).Key(TabKey).Key(TabKey).Key(EnterKey);
    std::vector<int> keys;
    auto events = RunLoop(*w, [&](Window&) {
        if (Event() == EventAccepted) keys.push_back(Keycode());
        return false;
    });
    EXPECT_EQ(Only(events, {EventAccepted}), (Pairs{{1, Ok}, {1, Cancel}}));
    EXPECT_EQ(keys, (std::vector<int>{EnterKey, EnterKey}));
}

TEST_F(AcceptLoopTest, AltWithAMarkedLetterPressesThatButton) {
    w->Get(Prompt)->text = "&Name:";
    w->Get(Ok)->disabled = true;
    // Alt+O finds only the disabled OK; Alt+N focuses the entry after the prompt.
    ui.Key(AltKey + 'C').Key(AltKey + 'O').Key(AltKey + 'N').Key(AltKey + 'Z');
    auto events = RunLoop(*w);
    EXPECT_EQ(Only(events, {EventAccepted, EventSelected}), (Pairs{{1, Cancel}, {257, Name}}));
}

// Close and Change share their letter: Alt moves between them and presses neither; Space or
// Enter presses the one with the focus.
TEST_F(AcceptLoopTest, AltWithALetterTwoButtonsShareMovesTheFocusBetweenThem) {
    w->Get(Ok)->text = "&Close";
    w->Get(Cancel)->text = "&Change";
    ui.Key(AltKey + 'C').Key(AltKey + 'C').Key(AltKey + 'C').Key(SpaceKey);
    ui.Key(AltKey + 'C').Key(EnterKey);
    auto events = RunLoop(*w);
    EXPECT_EQ(Only(events, {EventAccepted, EventSelected}),
              (Pairs{{257, Ok}, {257, Cancel}, {257, Ok}, {1, Ok}, {257, Cancel}, {1, Cancel}}));
}

TEST_F(AcceptLoopTest, EscapeAsksToCloseAndAConsumedCloseKeepsTheWindowOpen) {
    ui.Key(EscKey).Key(EscKey);
    int closes = 0;
    auto events = RunLoop(*w, [&](Window&) {
        return Event() == EventCloseWindow && ++closes == 1;  // refuse the first close only
    });
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 513, 513}));
    EXPECT_EQ(events[1].keycode, EscKey);
    EXPECT_FALSE(w->IsOpen());
    EXPECT_EQ(ui.Remaining(), 0u);
}

TEST_F(AcceptLoopTest, TypingUpdatesTheVariableOrRejectsTheText) {
    ui.Type("?Name", "Alice").Type(Number, "42").Type(Number, "forty");
    auto events = RunLoop(*w);
    EXPECT_EQ(Only(events, {EventAccepted, EventRejected}),
              (Pairs{{1, Name}, {1, Number}, {26, Number}}));
    EXPECT_EQ(name, "Alice");
    EXPECT_EQ(number, 42);
}

TEST_F(AcceptLoopTest, AcceptAllValidatesEveryEntryThenCompletes) {
    ui.Type(Name, "Bob").Press("OK");
    w->Get(Number)->text = "7";
    auto events = RunLoop(*w, [](Window& win) {
        if (Event() == EventAccepted && Field() == Ok) win.AcceptAll();
        if (Event() == EventCompleted) win.Post(EventCloseWindow);
        return false;
    });
    EXPECT_EQ(Only(events, {EventAccepted, EventCompleted}),
              (Pairs{{1, Name}, {1, Ok}, {1, Name}, {1, Number}, {549, 0}}));
    EXPECT_EQ(number, 7);
    EXPECT_EQ(ui.Remaining(), 0u);
}

TEST_F(AcceptLoopTest, SelectingAControlAbandonsTheAcceptAllPass) {
    ui.Press(Ok);
    auto events = RunLoop(*w, [](Window& win) {
        if (Event() == EventAccepted && Field() == Ok) win.AcceptAll();
        if (Event() == EventAccepted && Field() == Name && win.AcceptingAll()) win.Select(Name);
        return false;
    });
    // Number is never validated and 549 never comes; the focus lands on Name.
    EXPECT_EQ(Only(events, {EventAccepted, EventCompleted, EventSelected}),
              (Pairs{{1, Ok}, {1, Name}, {257, Name}}));
    EXPECT_FALSE(w->AcceptingAll());
}

TEST_F(AcceptLoopTest, AnEntryThatDoesNotFitStopsTheAcceptAllPass) {
    ui.Press(Ok);
    w->Get(Number)->text = "abc";
    auto events = RunLoop(*w, [](Window& win) {
        if (Event() == EventAccepted && Field() == Ok) win.AcceptAll();
        return false;
    });
    EXPECT_EQ(Only(events, {EventAccepted, EventRejected, EventCompleted}),
              (Pairs{{1, Ok}, {1, Name}, {26, Number}}));
}

TEST_F(AcceptLoopTest, PostedEventsComeInOrderBeforeInputWithoutReentry) {
    ui.Press(Cancel);
    int depth = 0;
    int maxDepth = 0;
    auto events = RunLoop(*w, [&](Window& win) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (Event() == EventOpenWindow) {
            win.Post(1000, Name, 5);
            win.Post(1001);
        }
        --depth;
        return false;
    });
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 1000, 1001, 1, 513}));
    EXPECT_EQ(events[1].control, Name);
    EXPECT_EQ(events[1].parameter, 5);
    EXPECT_EQ(maxDepth, 1);
}

TEST_F(AcceptLoopTest, TimerFiresEveryIntervalWhileTimePasses) {
    w->SetTimer(10);
    ui.Wait(35).Close();
    ui.SetIdleTimerLimit(0);
    auto events = RunLoop(*w);
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 523, 523, 523, 513}));
    EXPECT_EQ(ui.Now(), 35);
}

TEST_F(AcceptLoopTest, AHiddenWindowKeepsItsTimerAndCanBeShownAgain) {
    w->SetTimer(100);
    w->Hide();
    ui.SetIdleTimerLimit(4);
    int timers = 0;
    std::vector<bool> hiddenAtTimer;
    auto events = RunLoop(*w, [&](Window& win) {
        if (Event() == EventTimer) {
            hiddenAtTimer.push_back(win.IsHidden());
            if (++timers == 3) win.Show();
        }
        return false;
    });
    EXPECT_EQ(timers, 4);
    EXPECT_EQ(hiddenAtTimer, (std::vector<bool>{true, true, true, false}));
    EXPECT_FALSE(ui.LastView()->hidden);
    EXPECT_EQ(ui.Now(), 400);
}

TEST_F(AcceptLoopTest, AHiddenWindowCannotBePressedUntilItIsShown) {
    w->SetTimer(10);
    w->Hide();
    ui.Wait(50).Press(Cancel);
    int timers = 0;
    auto events = RunLoop(*w, [&](Window& win) {
        if (Event() == EventTimer && ++timers == 5) win.Show();
        return false;
    });
    EXPECT_EQ(Only(events, {EventAccepted}), (Pairs{{1, Cancel}}));
    ASSERT_EQ(ui.Failures().size(), 0u);

    HeadlessFrontEnd other;
    other.Attach();
    Window hidden(FormDef());
    hidden.Hide();
    other.Press(Cancel);
    RunLoop(hidden);
    other.Detach();
    ASSERT_EQ(other.Failures().size(), 1u);
    EXPECT_EQ(other.Failures()[0], "step 1 (press 5): window \"Form\" is hidden");
}

TEST_F(AcceptLoopTest, SizeAndStateChangesDeliver561To563) {
    w->minWidth = 150;
    w->minHeight = 80;
    ui.Resize(300, 200).Resize(10, 10).Maximize(640, 480).Restore();
    std::vector<Rect> rects;
    auto events = RunLoop(*w, [&](Window& win) {
        if (Event() >= EventSized && Event() <= EventMaximized) rects.push_back(win.rect);
        return false;
    });
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 561, 561, 563, 562, 513}));
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[0], (Rect{0, 0, 300, 200}));
    EXPECT_EQ(rects[1], (Rect{0, 0, 150, 80}));  // held at the minimum size
    EXPECT_EQ(rects[2], (Rect{0, 0, 640, 480}));
    EXPECT_EQ(rects[3], (Rect{0, 0, 150, 80}));  // restored to the size before maximising
    EXPECT_EQ(w->State(), WindowState::Normal);
}

TEST(AcceptLoopThreads, NotificationFromAnotherThreadCarriesCodeThreadAndParameter) {
    FrontEnd* old = SetFrontEnd(nullptr);  // no front end: only posts wake the window
    Window w(FormDef());
    int mainThread = ThreadNumber();
    int senderThread = 0;
    std::thread sender;
    std::vector<std::array<int, 3>> notes;
    auto events = RunLoop(w, [&](Window&) {
        if (Event() == EventOpenWindow) {
            sender = std::thread([&] {
                senderThread = ThreadNumber();
                EXPECT_TRUE(Notify(518, mainThread, 42));
                EXPECT_TRUE(PostToThread(mainThread, EventCloseWindow));
            });
        }
        int code, thread, parameter;
        if (Notification(code, thread, parameter)) notes.push_back({code, thread, parameter});
        return false;
    });
    sender.join();
    SetFrontEnd(old);
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 522, 513}));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], (std::array<int, 3>{518, senderThread, 42}));
    EXPECT_NE(senderThread, mainThread);
    EXPECT_FALSE(Notify(1, mainThread, 0));  // no window open any more
}

TEST(AcceptLoopThreads, WithoutAFrontEndATimerWakesTheWindow) {
    FrontEnd* old = SetFrontEnd(nullptr);
    Window w(FormDef());
    w.SetTimer(2);
    int64_t start = UiNow();
    auto events = RunLoop(w, [](Window& win) {
        if (Event() == EventTimer) win.Post(EventCloseWindow);
        return false;
    });
    SetFrontEnd(old);
    EXPECT_EQ(Codes(events), (std::vector<int>{515, 523, 513}));
    EXPECT_GE(UiNow() - start, 2);
}

}  // namespace
}  // namespace tarn::ui
