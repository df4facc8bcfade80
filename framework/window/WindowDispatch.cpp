// Event dispatch of the window manager: the loop, HandleEvent and the per-event handlers.
#include <thread>

#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

void WindowManager::EventLoop() {
    if (Dead || !MyWindow) return;
    LastInsertedPosition.clear();
    while (ui::Accept(*MyWindow)) {
        Level result = HandleEvent();
        if (result == LevelFatal) break;
        if (result != LevelQuiet) ui::Consume();
    }
}

Level WindowManager::HandleEvent() {
    const int event = ui::Event();
    const int control = ui::Field();
    Level result = LevelQuiet;
    if (control == 0) {
        // The layout follows the size first, so that what refreshes next sees the new places.
        if (Resize) Resize->OnWindowEvent(event);
        result = OnWindowEvent();
        if (result != LevelQuiet) return result;
    }
    switch (event) {
        case ui::EventAccepted:
            result = OnAccepted();
            break;
        case ui::EventNewSelection:
            result = OnNewSelection();
            break;
        case ui::EventAlertKey:
            // The key arrives on the control that had the focus when it was pressed.
            if (HistoryKey != 0 && ui::Keycode() == HistoryKey && MyWindow) {
                RecallField(control ? control : MyWindow->Focus());
            }
            break;
        case ui::EventRejected:
            result = OnRejected();
            break;
        case ui::EventSized:
            if (MyWindow) MyWindow->Post(ui::EventDoResize, 0, 1);
            break;
        default:
            break;
    }
    if (result != LevelQuiet) return result;
    // Components may register or leave while they handle the event: index, never iterate.
    for (size_t i = 0; CL && i < CL->size(); ++i) {
        result = (*CL)[i].Component->HandleEvent();
        if (result != LevelQuiet) return result;
    }
    const ui::Control* c = (MyWindow && control) ? MyWindow->Get(control) : nullptr;
    if (AutoRefresh && !IsQuietEvent(event, c && c->immediate)) {
        for (size_t i = 0; CL && i < CL->size(); ++i) {
            if ((*CL)[i].Component->NeedsRefresh()) {
                Refresh(0);
                break;
            }
        }
    }
    return LevelQuiet;
}

bool WindowManager::IsQuietEvent(int event, bool immediateControl) {
    switch (event) {
        case 11:
        case 12:
        case 16:
        case 17:
        case 21:
        case 22:
        case 23:
        case 27:
        case 258:
        case ui::EventLoseFocus:
        case ui::EventGainFocus:
            return true;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 20:
        case 29:
            return immediateControl;
        default:
            return event >= 544 && event <= 548;
    }
}

Level WindowManager::OnWindowEvent() {
    switch (ui::Event()) {
        case ui::EventCloseWindow:
        case ui::EventCloseDown:
            return OnCloseRequest();
        case ui::EventOpenWindow:
            if (!(Inited & kInitedOpen)) OnFirstOpen();
            if (FirstField) FocusFirstField();
            return LevelQuiet;
        case ui::EventLoseFocus:
            if (ResetOnGainFocus) ForcedReset = 1;
            return LevelQuiet;
        case ui::EventGainFocus:
            if (Inited & kInitedOpen) {
                Refresh(0);
            } else {
                OnFirstOpen();
            }
            return LevelQuiet;
        case ui::EventNotify: {
            int code = 0, thread = 0, parameter = 0;
            ui::Notification(code, thread, parameter);
            Level result = OnNotification(code, thread, parameter);
            if (result == LevelQuiet && code == ui::EventGainFocus && MyWindow) {
                // Another thread asks this window to come forward.
                std::this_thread::yield();
                if (MyWindow->State() == ui::WindowState::Iconized) MyWindow->Restore();
                MyWindow->Show();
                ui::PostToThread(MyWindow->Thread(), ui::EventGainFocus);
            }
            return result;
        }
        case ui::EventCompleted:
            return OnCompleted();
        case ui::EventSized:
            // Opening a window posts no size event here: every 561 is a real change of size.
            Refresh(0);
            return LevelQuiet;
        default:
            return LevelQuiet;
    }
}

Level WindowManager::OnNotification(int, int, int) { return LevelQuiet; }

// An entry with a rule keeps what was typed and says what it takes, so the value is neither lost
// nor replaced unseen; any other goes back to its variable's value with a beep.
Level WindowManager::OnRejected() {
    int control = ui::Field();
    if (!Rules.Report(control, *Errors)) {
        ui::Beep();
        if (MyWindow) MyWindow->Display(control);
    }
    if (MyWindow) MyWindow->Select(control);
    return LevelQuiet;
}

Level WindowManager::OnNewSelection() {
    const ui::Control* c = MyWindow ? MyWindow->Get(ui::Field()) : nullptr;
    if (c && static_cast<int>(c->kind) == kTabSheetKind) {
        Refresh(0);
        if (AutoToolbar && Toolbar) Toolbar->SetTarget(0);
    }
    return LevelQuiet;
}

Level WindowManager::OnAccepted() {
    const int control = ui::Field();
    if (Toolbar) {
        int32_t none = 0;
        Toolbar->HandleEvent(VcrRequest ? *VcrRequest : none);
        if (control == NavigationHistoryButton && MyWindow) RecallField(MyWindow->Focus());
    }
    if (Buttons) {
        for (const ResponseButton& b : *Buttons) {
            if (b.Control == control) {
                Finish(b.Response);
                return LevelNotice;
            }
        }
    }
    if (OkControl != 0 && control == OkControl) RequestCompletion();
    if (SaveControl != 0 && control == SaveControl) {
        if (Request == RequestView) return LevelNotice;
        BeforeSaveRequest = Request;
        Request = RequestSave;
        RequestCompletion();
    }
    if (DisableCancelButton) SetCancelButtonsDisabled(false);
    return LevelQuiet;
}

void WindowManager::RequestCompletion() {
    if (!MyWindow) return;
    switch (OriginalRequest) {
        case RequestInsert:
        case RequestChange:
        case RequestView:
            MyWindow->AcceptAll();
            if (OriginalRequest == RequestView && !BatchProcessing)
                MyWindow->Post(ui::EventCompleted);
            break;
        default:
            if (BatchProcessing) {
                MyWindow->AcceptAll();
            } else {
                MyWindow->Post(ui::EventCompleted);
            }
            break;
    }
}

}  // namespace tarn::framework
