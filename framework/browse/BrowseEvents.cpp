// The browse's part in its window's events: keys, new selections, accepted controls, the popup
// menu, alerted keys and the state of the update controls.
#include "framework/browse/BrowseManager.h"
#include "framework/window/Requests.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Control.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

Level BrowseManager::HandleEvent() {
    const int event = ui::Event();
    const int control = ui::Field();
    Level result = LevelQuiet;
    if (control != 0 && control == ListControl) {
        switch (event) {
            case ui::EventAlertKey:
                result = HandleKey();
                break;
            case ui::EventNewSelection:
                SelectionChanged();
                break;
            case ui::EventScrollUp:
            case ui::EventScrollDown:
            case ui::EventPageUp:
            case ui::EventPageDown:
            case ui::EventScrollTop:
            case ui::EventScrollBottom:
                HandleScroll(event);
                break;
            case ui::EventScrollDrag:
                HandleThumbDrag();
                break;
            default:
                break;
        }
    } else if (event == ui::EventAccepted) {
        result = HandleAccepted(control);
    }
    if (NeedRefresh) {
        NeedRefresh = 0;
        RefillAtHighlight();
        RefreshControls();
    }
    return result;
}

Level BrowseManager::HandleAccepted(int32_t control) {
    if (control == 0) return LevelQuiet;
    uint8_t request = 0;
    if (control == DeleteControl) request = RequestDelete;
    if (control == ChangeControl) request = RequestChange;
    if (control == InsertControl) request = RequestInsert;
    if (control == ViewControl) request = RequestView;
    if (request != 0) {
        // An insert acts on no listed record: re-reading one would arm its change detection for
        // the new record's first save.
        skipReread_ = request == RequestInsert;
        Window->UpdateAll();
        skipReread_ = false;
        if (!NeedRefresh) RunUpdate(request);
        return LevelNotice;
    }
    if (control == SelectControl) {
        Window->Response = ResponseCompleted;
        if (Window->MyWindow) Window->MyWindow->Post(ui::EventCloseWindow);
        return LevelNotice;
    }
    // Print and Query controls (and their popup items) would be handled here; reports and
    // queries are not part of this system.
    if (control == ToolControl) {
        Popup.Toolbox("Browse Actions");
        return LevelNotice;
    }
    BrowseSortExtras* x = CurrentExtras();
    if (x && x->LocatorObject && x->LocatorObject->TakeAccepted(control)) {
        RelocateFromKey(OpenComponentNumber());
        return LevelNotice;
    }
    return LevelQuiet;
}

Level BrowseManager::HandleKey() {
    const int key = ui::Keycode();
    const bool rows = ListQueue->Records() > 0;
    const std::string before = ListQueue->PositionOf(CurrentChoice);
    const ui::Control* list = List();
    bool handled = true;
    bool posted = false;
    switch (key) {
        case ui::MouseRight:
        case ui::AppsKey:
            // The popup menu follows with the new selection; on an empty list too, where its
            // items stand for Insert and the disabled buttons.
            if (rows && key == ui::MouseRight && list && list->selected >= 1)
                CurrentChoice = std::min(list->selected, ListQueue->Records());
            PostNewSelection();
            posted = true;
            break;
        case ui::MouseLeft2:
            if (list && list->selected >= 1 && rows)
                CurrentChoice = std::min(list->selected, ListQueue->Records());
            if (Selecting) {
                if (rows && Enabled(SelectControl)) Press(SelectControl);
            } else if (rows && Enabled(ChangeControl)) {
                Press(ChangeControl);
            }
            break;
        case ui::CtrlEnter:
            if (rows && Enabled(ChangeControl)) Press(ChangeControl);
            break;
        case ui::InsertKey:
            if (Enabled(InsertControl)) Press(InsertControl);
            break;
        case ui::DeleteKey:
            if (rows && Enabled(DeleteControl)) Press(DeleteControl);
            break;
        case ui::ShiftEnter:
            if (rows && Enabled(ViewControl)) Press(ViewControl);
            break;
        default: {
            BrowseSortExtras* x = CurrentExtras();
            if (!x || !x->LocatorObject) {
                handled = false;
                break;
            }
            const LocateResult r = x->LocatorObject->TakeKey(ui::Keychar());
            if (r == LocateResult::Ignored) handled = false;
            if (r == LocateResult::Changed) RelocateFromKey(OpenComponentNumber());
            break;
        }
    }
    if (!handled) return LevelQuiet;
    RefreshControls();
    if (!posted && ListQueue->PositionOf(CurrentChoice) != before) PostNewSelection();
    return LevelNotice;
}

void BrowseManager::SelectionChanged() {
    const ui::Control* list = List();
    if (list && list->selected >= 1 && list->selected <= ListQueue->Records())
        CurrentChoice = list->selected;
    LastChoice = CurrentChoice;
    LoadHighlightedRow();
    const int key = ui::Keycode();
    if ((key == ui::MouseRight || key == ui::AppsKey) && UsePopup) {
        ui::SetKeycode(0);
        ShowPopup();
    } else {
        RefreshControls();
    }
}

void BrowseManager::PostNewSelection() {
    if (!Window || !Window->MyWindow || ListControl == 0) return;
    PrevChoice = CurrentChoice;
    Window->MyWindow->Post(ui::EventNewSelection, ListControl);
}

bool BrowseManager::Enabled(int32_t control) const {
    if (control == 0 || !Window || !Window->MyWindow) return false;
    const ui::Control* c = Window->MyWindow->Get(control);
    return c && !c->disabled && !c->hidden;
}

void BrowseManager::Press(int32_t control) {
    if (Window && Window->MyWindow) Window->MyWindow->Post(ui::EventAccepted, control);
}

// The menu opens just below the highlighted row, so that the record it acts on stays in sight.
void BrowseManager::ShowPopup() {
    const ui::Control* list = List();
    if (!list) return;
    Popup.Ask(list->rect.x + 4, list->RowTop(CurrentChoice + 1));
}

void BrowseManager::RegisterAlertedKeys() {
    BindList();
    ui::Control* list = List();
    if (!list) return;
    ui::Window& w = *Window->MyWindow;
    w.Alert(ListControl, ui::MouseLeft2);
    w.Alert(ListControl, ui::MouseRight);
    w.Alert(ListControl, ui::AppsKey);
    HasThumb = list->vscroll ? 1 : 0;
    list->vscroll = false;
    for (BrowseSortExtras& x : extras_)
        if (x.LocatorObject) x.LocatorObject->SetAlerts(w, ListControl);
    AddPopupItems();
}

// The update controls as items that mimic them (their text, icon and enabled state as shown),
// then the other actions the window offers. Registering again rebuilds the menu.
void BrowseManager::AddPopupItems() {
    Popup.Clear();
    if (!EditViaPopup) return;
    const struct {
        int32_t control;
        int key;
        const char* name;
        const char* text;
    } actions[] = {{InsertControl, ui::InsertKey, "Insert", "!&Insert"},
                   {ChangeControl, ui::CtrlEnter, "Change", "!&Change"},
                   {DeleteControl, ui::DeleteKey, "Delete", "!&Delete"},
                   {ViewControl, ui::ShiftEnter, "View", "!&View"}};
    for (const auto& a : actions) {
        if (a.control == 0) continue;
        Window->MyWindow->Alert(ListControl, a.key);
        Popup.AddItemMimic(a.name, a.control, a.text);
    }
    if (SelectControl != 0 && Selecting) Popup.AddItemMimic("Select", SelectControl, "&Select");
    if (ToolControl != 0) {
        Popup.AddSeparator();
        Popup.AddItemMimic("Toolbox", ToolControl, "&Toolbox");
    }
}

void BrowseManager::RefreshControls() {
    BrowseSortExtras* x = CurrentExtras();
    if (x && x->LocatorObject) x->LocatorObject->UpdateWindow();
    const bool rows = ListQueue && ListQueue->Records() > 0;
    for (int32_t c : {ChangeControl, DeleteControl, ViewControl})
        Window->SetControlDisabled(c, !rows);
    if (SelectControl != 0) {
        if (Selecting) {
            Window->SetControlDisabled(SelectControl, !(rows && Window->Request == RequestSelect));
        } else if (HideSelect) {
            Window->SetControlDisabled(SelectControl, true);
            if (ui::Control* c = Window->MyWindow ? Window->MyWindow->Get(SelectControl) : nullptr)
                c->hidden = true;
        }
    }
    PlaceThumbFromStep();
    ShowHighlight();
}

}  // namespace tarn::framework
