// Scrolling the list: by line, by page, to either end, by dragging the thumb; placing the thumb.
#include <algorithm>
#include <cmath>

#include "framework/browse/BrowseManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Control.h"
#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

void BrowseManager::HandleScroll(int event) {
    if (ListQueue->Records() == 0) return;
    CurrentEvent = event;
    const std::string before = ListQueue->PositionOf(CurrentChoice);
    switch (event) {
        case ui::EventScrollUp:
        case ui::EventScrollDown:
            ScrollByLine(event);
            break;
        case ui::EventPageUp:
        case ui::EventPageDown:
            ScrollByPage(event);
            break;
        case ui::EventScrollTop:
        case ui::EventScrollBottom:
            ScrollToEnd(event);
            break;
        default:
            return;
    }
    BrowseSortExtras* x = CurrentExtras();
    if (x && x->LocatorObject) x->LocatorObject->UpdateWindow();
    ShowHighlight();
    if (ListQueue->PositionOf(CurrentChoice) != before) PostNewSelection();
    if (!x || !x->Thumb) PlaceThumb();
    LoadHighlightedRow();
}

// Within the list only the highlight moves; at either end one record is read in that direction.
void BrowseManager::ScrollByLine(int event) {
    const bool up = event == ui::EventScrollUp;
    const int rows = ListQueue->Records();
    if (up ? CurrentChoice > 1 : CurrentChoice < rows) {
        CurrentChoice += up ? -1 : 1;
        return;
    }
    if (FileLoaded) return;
    ItemsToFill = 1;
    FillPage(up ? FillBackward : FillForward);
    if (!up) CurrentChoice = ListQueue->Records();
}

// Whole pages keep the highlight on its screen row; what could not be read moves it instead.
void BrowseManager::ScrollByPage(int event) {
    const bool up = event == ui::EventPageUp;
    int move = LastItems;
    if (!FileLoaded) {
        ItemsToFill = LastItems;
        FillPage(up ? FillBackward : FillForward);
        move = ItemsToFill;
    }
    CurrentChoice =
        std::clamp(CurrentChoice + (up ? -move : move), 1, std::max(1, ListQueue->Records()));
}

void BrowseManager::ScrollToEnd(int event) {
    const bool top = event == ui::EventScrollTop;
    ListQueue->Free();
    Restart();
    ItemsToFill = LastItems;
    FillPage(top ? FillForward : FillBackward);
    CurrentChoice = top ? 1 : std::max(1, ListQueue->Records());
}

void BrowseManager::HandleThumbDrag() {
    ui::Control* list = List();
    if (!list || !Window->MyWindow) return;
    const int percent = list->thumb;
    ui::Window& w = *Window->MyWindow;
    BrowseSortExtras* x = CurrentExtras();
    data::FieldRef locate =
        Order && !Order->Entries.empty() ? CurrentOrder().FreeElement : data::FieldRef{};
    if (percent <= 1) {
        w.Post(ui::EventScrollTop, ListControl);
    } else if (percent >= 100) {
        w.Post(ui::EventScrollBottom, ListControl);
    } else if (FileLoaded) {
        const int rows = ListQueue->Records();
        CurrentChoice = std::clamp(rows * percent / 100, 1, std::max(1, rows));
        ShowHighlight();
        PostNewSelection();
    } else if (x && x->Thumb && locate.IsSet()) {
        locate.SetText(x->Thumb->ValueAt(static_cast<uint8_t>(percent)));
        RelocateFromKey(OpenComponentNumber());
    } else {
        w.Post(percent < 50 ? ui::EventPageUp : ui::EventPageDown, ListControl);
    }
}

void BrowseManager::PlaceThumbFromStep() {
    ui::Control* list = List();
    if (!HasThumb || !list) return;
    const int rows = ListQueue->Records();
    if (rows < LastItems && !AllowUnfilled) {
        list->vscroll = false;
        return;
    }
    list->vscroll = true;
    BrowseSortExtras* x = CurrentExtras();
    data::FieldRef locate = x ? CurrentOrder().FreeElement : data::FieldRef{};
    if (!x || !x->Thumb || !locate.IsSet()) {
        PlaceThumb();
        return;
    }
    if (!Loaded || LoadPending) return;
    LoadHighlightedRow();
    int percent = x->Thumb->PercentileOf(locate.Text());
    if (rows == LastItems) {
        if (percent == 1) percent = 0;
        if (percent == 99) percent = 100;
    }
    list->thumb = percent;
}

// Without a step object the thumb only tells whether the list stands at an end.
void BrowseManager::PlaceThumb() {
    ui::Control* list = List();
    if (!list) return;
    const int rows = ListQueue->Records();
    int thumb = 50;
    if (FileLoaded && rows > LastItems) {
        if (CurrentChoice == 1) {
            thumb = 0;
        } else if (!list->immediate) {
            thumb = static_cast<int>(std::lround(100.0 * CurrentChoice / rows));
        }
    } else if (ItemsToFill > 0) {
        const bool down = CurrentEvent == ui::EventScrollDown ||
                          CurrentEvent == ui::EventPageDown ||
                          CurrentEvent == ui::EventScrollBottom;
        if (down && CurrentChoice == rows) thumb = 100;
        if (!down && CurrentChoice == 1) thumb = 0;
    }
    if (!(list->immediate && FileLoaded)) list->thumb = thumb;
}

// A step object that works from the first and last values of the order learns them again.
void BrowseManager::RecomputeThumbLimits() {
    BrowseSortExtras* x = CurrentExtras();
    if (!x || !x->Thumb || !x->Thumb->NeedsRuntimeLimits()) return;
    data::FieldRef locate = CurrentOrder().FreeElement;
    if (!locate.IsSet()) return;
    data::FileManager* fm = Primary->Me;
    uint16_t saved = fm->TakeSnapshot();
    std::string low, high;
    // One record at each end: a page of read-ahead would be read for nothing.
    Restart();
    View->SetPageBuffer(1, PagesBehind, 0, Timeout);
    if (Next() == LevelQuiet) low = locate.Text();
    Restart();
    View->SetPageBuffer(1, PagesBehind, 0, Timeout);
    if (Previous() == LevelQuiet) high = locate.Text();
    x->Thumb->SetLimits(low, high);
    fm->RecallSnapshot(saved, 1);
}

void BrowseManager::RelocateFromKey(int components) {
    if (components <= 0) {
        const int key = CurrentOrder().MainKey;
        components = key >= 0 ? std::max(1, Primary->Me->KeyComponentCount(key)) : 1;
    }
    Restart(components);
    RefillAroundHighlight(RefillFromView);
    RefreshControls();
}

void BrowseManager::RelocateFromFile() {
    if (RestoreViewTo(Primary->Me->File->Position(-1))) {
        RefillAroundHighlight(RefillFromView);
    } else {
        RefillAroundHighlight(RefillFromList);
    }
}

void BrowseManager::MoveHighlightDown() {
    if (ListQueue->Records() == 0) return;
    ScrollByLine(ui::EventScrollDown);
    ShowHighlight();
    LoadHighlightedRow();
}

}  // namespace tarn::framework
