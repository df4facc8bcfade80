// The window manager's event dispatch, driven through real windows and the headless front end.
#include <algorithm>
#include <cstring>

#include "WindowTestSupport.h"
#include "data/FieldRef.h"
#include "framework/toolbar/ToolbarManager.h"

namespace tarn::framework::test {
namespace {

class WindowDispatchTest : public HeadlessTest {};

TEST_F(WindowDispatchTest, EverySizedEventRefreshesAndIsAnsweredWithARelayoutRequest) {
    CountingComponent c;
    struct Form : RecordingWindow {
        CountingComponent* c = nullptr;
        Level Initialise() override {
            RecordingWindow::Initialise();
            AddComponent(*c);
            return LevelQuiet;
        }
    } form;
    form.c = &c;
    ui.Resize(220, 120).Resize(240, 130);
    form.Run();

    // One refresh when the window first opens, then one for each resize: the operator's first
    // resize counts like any other.
    EXPECT_EQ(c.refreshes, 3);
    ASSERT_EQ(form.Seen(ui::EventSized).size(), 2u);
    auto answers = form.Seen(ui::EventDoResize);
    ASSERT_EQ(answers.size(), 2u);
    for (const ui::EventRecord& e : answers) EXPECT_EQ(e.parameter, 1);
}

struct RecordingTarget : ToolbarTarget {
    int shown = 0, current = 0, handled = 0;
    int32_t setTo = 0;
    void ShowButtons() override { ++shown; }
    void MakeCurrent() override { ++current; }
    bool WantsToolbar() override { return true; }
    void HandleEvent(int32_t& request) override {
        ++handled;
        if (setTo) request = setTo;
    }
};

// A window with a toolbar, a component, OK answering completed and Cancel answering cancelled.
struct ToolbarForm : RecordingWindow {
    ToolbarManager toolbar;
    CountingComponent component;
    RecordingTarget* target = nullptr;
    Level Initialise() override {
        RecordingWindow::Initialise();
        SetToolbar(toolbar);
        if (target) toolbar.AddTarget(*target, 7);
        AddComponent(component);
        AddResponseButton(TC_OK, ResponseCompleted);
        AddResponseButton(TC_Cancel, ResponseCancelled);
        return LevelQuiet;
    }
};

TEST_F(WindowDispatchTest, ToolbarWithoutTargetsPassesAcceptedEventsThroughUnchanged) {
    FormNavigationRequest() = NavigationPageDown;
    ToolbarForm form;
    ui.Press("?Help").Press("?OK");
    EXPECT_EQ(form.Run(), ResponseCompleted);
    EXPECT_EQ(FormNavigationRequest(), NavigationPageDown);
    int accepted = 0;
    for (int e : form.component.events) accepted += e == ui::EventAccepted;
    EXPECT_EQ(accepted, 1);  // Help reached the component; OK was taken by its response
    EXPECT_EQ(form.toolbar.List, nullptr);  // disposed with the window
    FormNavigationRequest() = 0;
}

TEST_F(WindowDispatchTest, ToolbarTargetSeesEveryAcceptedEventAndSetsTheNavigationRequest) {
    RecordingTarget target;
    target.setTo = NavigationNext;
    ToolbarForm form;
    form.target = &target;
    ui.Press("?Help").Press("?OK");
    EXPECT_EQ(form.Run(), ResponseCompleted);
    EXPECT_EQ(target.handled, 2);
    EXPECT_EQ(FormNavigationRequest(), NavigationNext);
    FormNavigationRequest() = 0;
}

TEST_F(WindowDispatchTest, CancelButtonFinishesCancelledAndClearsTheNavigationRequest) {
    RecordingTarget target;
    target.setTo = NavigationLast;
    ToolbarForm form;
    form.target = &target;
    ui.Press("?Cancel");
    EXPECT_EQ(form.Run(), ResponseCancelled);
    EXPECT_EQ(form.Response, ResponseCancelled);
    EXPECT_EQ(FormNavigationRequest(), 0);
    // A response button consumes its event: the component never sees it.
    for (int e : form.component.events) EXPECT_NE(e, ui::EventAccepted);
}

struct TwoComponentForm : RecordingWindow {
    CountingComponent first, second;
    Level Initialise() override {
        RecordingWindow::Initialise();
        AddComponent(first);
        AddComponent(second);
        return LevelQuiet;
    }
};

TEST_F(WindowDispatchTest, FirstComponentThatAnswersEndsTheDispatch) {
    struct Answering : TwoComponentForm {
        Level HandleEvent() override {
            first.answer = ui::Event() == ui::EventAccepted ? LevelNotice : LevelQuiet;
            return TwoComponentForm::HandleEvent();
        }
    } form;
    ui.Press("?Help");
    form.Run();
    int firstAccepted = 0, secondAccepted = 0;
    for (int e : form.first.events) firstAccepted += e == ui::EventAccepted;
    for (int e : form.second.events) secondAccepted += e == ui::EventAccepted;
    EXPECT_EQ(firstAccepted, 1);
    EXPECT_EQ(secondAccepted, 0);
    EXPECT_FALSE(form.second.events.empty());  // it still saw the other events
}

TEST_F(WindowDispatchTest, ComponentsAreAskedForRefreshOnlyOnEventsThatAreNotQuiet) {
    struct Form : TwoComponentForm {
        Level OnAccepted() override {
            if (ui::Field() == TC_Help) {
                for (int e : {11, 12, 546, int(ui::EventScrollDown)}) MyWindow->Post(e, TC_Name);
            }
            return TwoComponentForm::OnAccepted();
        }
    } form;
    form.first.needsRefresh = true;
    form.second.needsRefresh = true;
    ui.Press("?Help");
    form.Run();
    auto refreshesOn = [&](int event) {
        return std::count(form.first.refreshedOn.begin(), form.first.refreshedOn.end(), event);
    };
    EXPECT_EQ(refreshesOn(11), 0);
    EXPECT_EQ(refreshesOn(12), 0);
    EXPECT_EQ(refreshesOn(546), 0);
    // Not quiet on a control that is not in immediate mode; one refresh although both ask.
    EXPECT_EQ(refreshesOn(ui::EventScrollDown), 1);
    EXPECT_EQ(refreshesOn(ui::EventAccepted), 1);

    EXPECT_TRUE(WindowManager::IsQuietEvent(ui::EventLoseFocus, false));
    EXPECT_TRUE(WindowManager::IsQuietEvent(ui::EventGainFocus, false));
    EXPECT_TRUE(WindowManager::IsQuietEvent(546, false));
    EXPECT_FALSE(WindowManager::IsQuietEvent(549, false));
    EXPECT_FALSE(WindowManager::IsQuietEvent(ui::EventScrollDown, false));
    EXPECT_TRUE(WindowManager::IsQuietEvent(ui::EventScrollDown, true));
    EXPECT_FALSE(WindowManager::IsQuietEvent(ui::EventAccepted, true));
}

TEST_F(WindowDispatchTest, ShutdownReleasesEverythingOnceAndRefusesASecondTime) {
    struct Resizer : ResizerHandle {
        int shutdowns = 0;
        void Shutdown() override { ++shutdowns; }
        void OnWindowEvent(int) override {}
    } resizer;
    struct Form : TwoComponentForm {
        Resizer* r = nullptr;
        Level Initialise() override {
            TwoComponentForm::Initialise();
            SetResizer(*r);
            return LevelQuiet;
        }
    } form;
    form.r = &resizer;
    ui.Close();
    EXPECT_EQ(form.Run(), ResponseCancelled);  // nothing set a response
    EXPECT_EQ(form.first.shutdowns, 1);
    EXPECT_EQ(form.second.shutdowns, 1);
    EXPECT_EQ(resizer.shutdowns, 1);
    EXPECT_TRUE(form.Dead);
    EXPECT_EQ(form.Shutdown(), LevelNotice);
    EXPECT_EQ(form.first.shutdowns, 1);
    EXPECT_EQ(resizer.shutdowns, 1);
}

TEST_F(WindowDispatchTest, FailedInitialisationSkipsTheLoopButStillShutsDown) {
    struct Failing : TwoComponentForm {
        Level Initialise() override {
            TwoComponentForm::Initialise();
            return LevelNotice;
        }
    } form;
    EXPECT_EQ(form.Run(), ResponseCancelled);
    EXPECT_TRUE(form.seen.empty());
    EXPECT_EQ(form.first.shutdowns, 1);
    EXPECT_FALSE(form.window.IsOpen());
}

TEST_F(WindowDispatchTest, BrowseIsPutIntoSelectingModeOnlyForTheSelectRequest) {
    for (uint8_t request : {RequestSelect, RequestChange}) {
        struct Form : RecordingWindow {
            CountingComponent browse;
            Level Initialise() override {
                RecordingWindow::Initialise();
                AddBrowse(browse);
                return LevelQuiet;
            }
        } form;
        form.Request = request;
        ui.Close();
        form.Run();
        EXPECT_EQ(form.browse.selecting, request == RequestSelect);
        EXPECT_EQ(form.OriginalRequest, request);
    }
}

#pragma pack(push, 1)
struct NoteRecord {
    char name[20];
    char note[20];
};
#pragma pack(pop)

// A window whose OK completes a change request and whose two entries remember their values.
struct HistoryForm : RecordingWindow {
    NoteRecord* rec = nullptr;
    NoteRecord* copy = nullptr;
    Level Initialise() override {
        RecordingWindow::Initialise();
        window.Bind(TC_Name, ui::Binding::Chars(rec->name, sizeof rec->name, "s19"));
        window.Bind(TC_Note, ui::Binding::Chars(rec->note, sizeof rec->note, "s19"));
        OkControl = TC_OK;
        HistoryKey = ui::CtrlH;
        AddHistoryField(reinterpret_cast<uint8_t*>(rec), reinterpret_cast<uint8_t*>(copy),
                        sizeof(NoteRecord), data::TextVariable(rec->name, sizeof rec->name),
                        data::TextVariable(copy->name, sizeof copy->name), TC_Name);
        AddHistoryField(reinterpret_cast<uint8_t*>(rec), reinterpret_cast<uint8_t*>(copy),
                        sizeof(NoteRecord), data::TextVariable(rec->note, sizeof rec->note),
                        data::TextVariable(copy->note, sizeof copy->note), TC_Note);
        RegisterKeys();
        return LevelQuiet;
    }
};

TEST_F(WindowDispatchTest, RecallKeyPutsBackTheFocusedFieldsValueFromTheLastCompletion) {
    NoteRecord rec{}, copy{};
    HistoryForm form;
    form.rec = &rec;
    form.copy = &copy;
    form.Request = RequestChange;
    ui.Type("?Name", "first")
        .Type("?Note", "kept")
        .Press("?OK")
        .Type("?Name", "second")
        .Type("?Note", "changed")
        .Key(ui::CtrlH, TC_Name);
    form.Run();
    EXPECT_STREQ(copy.name, "first");  // remembered whole when OK completed
    EXPECT_STREQ(rec.name, "first");   // recalled into the focused field only
    EXPECT_STREQ(rec.note, "changed");
    EXPECT_EQ(form.window.Get(TC_Name)->text, "first");
    EXPECT_TRUE(form.window.Get(TC_Name)->HasAlert(ui::CtrlH));
    EXPECT_FALSE(form.window.Get(TC_OK)->HasAlert(ui::CtrlH));
}

TEST_F(WindowDispatchTest, ToolbarHistoryButtonRecallsTheFocusedField) {
    NoteRecord rec{}, copy{};
    std::strcpy(copy.name, "remembered");
    struct Form : HistoryForm {
        ToolbarManager toolbar;
        Level Initialise() override {
            HistoryForm::Initialise();
            SetToolbar(toolbar);
            return LevelQuiet;
        }
        Level OnAccepted() override {
            // The toolbar's history button has its own number; the test window lacks it.
            if (ui::Field() == TC_Help) {
                window.Select(TC_Name);
                MyWindow->Post(ui::EventAccepted, NavigationHistoryButton);
            }
            return HistoryForm::OnAccepted();
        }
    } form;
    form.rec = &rec;
    form.copy = &copy;
    form.Request = RequestChange;
    ui.Type("?Name", "typed").Press("?Help");
    form.Run();
    EXPECT_STREQ(rec.name, "remembered");
}

TEST_F(WindowDispatchTest, LosingTheFocusToANestedWindowForcesTheNextRefresh) {
    struct Form : TwoComponentForm {
        Level Initialise() override {
            TwoComponentForm::Initialise();
            ResetOnGainFocus = 1;
            FirstField = TC_Note;
            return LevelQuiet;
        }
        Level OnAccepted() override {
            if (ui::Field() == TC_Help) {
                RecordingWindow inner("Inner");
                inner.Run();
            }
            return TwoComponentForm::OnAccepted();
        }
    } form;
    ui.Press("?Help").In("Inner").Close().In("Test").Press("?Cancel");
    form.Run();
    EXPECT_EQ(form.Seen(ui::EventLoseFocus).size(), 1u);
    EXPECT_EQ(form.Seen(ui::EventGainFocus).size(), 1u);
    EXPECT_EQ(form.first.lastForce, 1);  // the refresh on regaining the focus was forced
    EXPECT_EQ(form.ForcedReset, 0);
    EXPECT_EQ(ui.Titles(), (std::vector<std::string>{"Test", "Inner"}));
}

TEST_F(WindowDispatchTest, OpeningFocusesTheFirstField) {
    struct Form : RecordingWindow {
        Level Initialise() override {
            RecordingWindow::Initialise();
            FirstField = TC_Name_Prompt;  // a prompt passes the focus on to its entry
            return LevelQuiet;
        }
    } first;
    ui.Close();
    first.Run();
    ASSERT_NE(ui.LastView("Test"), nullptr);
    EXPECT_TRUE(ui.LastView("Test")->Control(TC_Name)->focused);
}

TEST_F(WindowDispatchTest, NotificationAskingForTheFocusRestoresAndBringsTheWindowForward) {
    struct Form : RecordingWindow {
        std::vector<int> notified;
        Level OnWindowEvent() override {
            if (ui::Event() == ui::EventIconized) MyWindow->PostNotify(ui::EventGainFocus, 5, 9);
            return RecordingWindow::OnWindowEvent();
        }
        Level OnNotification(int code, int thread, int parameter) override {
            notified = {code, thread, parameter};
            return LevelQuiet;
        }
    } form;
    ui.Iconize().Close();
    form.Run();
    EXPECT_EQ(form.notified, (std::vector<int>{ui::EventGainFocus, 5, 9}));
    EXPECT_EQ(form.window.State(), ui::WindowState::Normal);
    // The window posts itself the focus event after the notification.
    bool notifySeen = false, gainAfter = false;
    for (const ui::EventRecord& e : form.seen) {
        if (e.event == ui::EventNotify) notifySeen = true;
        if (notifySeen && e.event == ui::EventGainFocus) gainAfter = true;
    }
    EXPECT_TRUE(gainAfter);
}

}  // namespace
}  // namespace tarn::framework::test
