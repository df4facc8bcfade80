// Filling the list from the view: a page in one direction, and the refill around the highlight.
#include <algorithm>

#include "framework/browse/BrowseManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Control.h"
#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

namespace {
constexpr int kMostReadAhead = 60;
}

void BrowseManager::CopyRecordToRow() {
    Fields.AssignLeftToRight();
    ListQueue->Mark = 0;
    ListQueue->ViewPosition = View->Position();
}

bool BrowseManager::RestoreViewTo(const std::string& position) {
    return !position.empty() && RestartAt(position) == LevelQuiet;
}

void BrowseManager::FillPage(int direction) {
    const bool forward = direction == FillForward;
    std::string start;
    if (ListQueue->Records() > 0) {
        start = ListQueue->PositionOf(forward ? ListQueue->Records() : 1);
        // The row at that end is gone (another program deleted it): nothing can be read beyond
        // it, and the list is rebuilt at the end of this event rather than at the next timer.
        if (!RestoreViewTo(start)) {
            NeedRefresh = 1;
            return;
        }
    }
    if (UseMrp)
        View->SetPageBuffer(std::clamp(ItemsToFill, 1, kMostReadAhead), PagesBehind, PagesAhead,
                            Timeout);
    bool first = true;
    while (ItemsToFill > 0) {
        Level read = forward ? Next() : Previous();
        if (read == LevelNotice) break;
        if (read != LevelQuiet) {
            // The read error was reported; the list keeps what it has and the window closes.
            if (Window && Window->MyWindow) Window->MyWindow->Post(ui::EventCloseWindow);
            return;
        }
        const bool again = first && !start.empty() && View->Position() == start;
        first = false;
        if (again) continue;
        if (ListQueue->Records() >= LastItems)
            ListQueue->Delete(forward ? 1 : ListQueue->Records());
        CopyRecordToRow();
        if (forward) {
            ListQueue->Add();
        } else {
            ListQueue->Insert(1);
        }
        --ItemsToFill;
    }
}

// Puts the view on the first listed record that is still there; at the start when none is.
void BrowseManager::RefillAroundHighlight(int mode) {
    if (!ActiveInvisible && !ListVisible()) {
        LoadPending = 1;
        return;
    }
    Loaded = 1;
    LoadPending = 0;
    SetBusyCursor(true);
    if (LastItems < 1) LastItems = VisibleRows();
    CurrentChoice = std::max(1, CurrentChoice);
    const int target = std::min(CurrentChoice, LastItems);
    std::string remembered;
    int keepAbove = 0;
    if (mode == RefillFromList) {
        const int rows = ListQueue->Records();
        if (rows > 0) remembered = ListQueue->PositionOf(std::min(CurrentChoice, rows));
        bool placed = false;
        for (int r = 1; r <= rows && !placed; ++r) placed = RestoreViewTo(ListQueue->PositionOf(r));
        if (!placed) Restart();
    } else if (RetainRow) {
        keepAbove = target - 1;
    }
    ListQueue->Free();
    ItemsToFill = LastItems - keepAbove;
    FillPage(FillForward);
    CurrentChoice = remembered.empty() ? 1 : ListQueue->Find(remembered);
    // A view placed past its last record reads nothing forward: the highlight goes to the last.
    const bool pastEnd = mode == RefillFromView && ListQueue->Records() == 0;
    const int addAbove = RetainRow && CurrentChoice > 0 ? std::max(0, target - CurrentChoice) : 0;
    if (!AllowUnfilled) {
        const std::string highlighted = ListQueue->PositionOf(CurrentChoice);
        ItemsToFill = std::max(LastItems - ListQueue->Records(), addAbove);
        if (ItemsToFill > 0) FillPage(FillBackward);
        if (!highlighted.empty()) CurrentChoice = ListQueue->Find(highlighted);
        if (pastEnd) CurrentChoice = ListQueue->Records();
        if (RetainRow && (CurrentChoice > target || ListQueue->Records() < LastItems)) {
            ItemsToFill = std::max(CurrentChoice - target, LastItems - ListQueue->Records());
            FillPage(FillForward);
            if (!highlighted.empty()) CurrentChoice = ListQueue->Find(highlighted);
        }
    }
    TrimTo(LastItems, target);
    CurrentChoice = std::clamp(CurrentChoice, 1, std::max(1, ListQueue->Records()));
    if (ListQueue->Records() > 0) {
        LoadHighlightedRow();
    } else {
        Primary->Me->File->ClearBuffer(false);
    }
    ShowHighlight();
    seenStamp_ = Primary->Me->File->ChangeStamp();
    SetBusyCursor(false);
}

// Drops rows at the top while the highlight stands below its row, else at the bottom.
void BrowseManager::TrimTo(int rows, int targetRow) {
    while (ListQueue->Records() > rows) {
        if (CurrentChoice > targetRow) {
            ListQueue->Delete(1);
            --CurrentChoice;
        } else {
            ListQueue->Delete(ListQueue->Records());
        }
    }
}

void BrowseManager::LoadHighlightedRow() {
    if (!ListQueue || !ListQueue->Get(CurrentChoice)) return;
    Fields.AssignRightToLeft();
}

void BrowseManager::ShowHighlight() {
    if (ui::Control* list = List()) list->selected = ListQueue->Records() > 0 ? CurrentChoice : 0;
}

// Rebuilds the list from where the highlighted record stands now; when that record is gone, the
// row goes and its neighbour takes the highlight.
void BrowseManager::RefillAtHighlight() {
    if (ListQueue->Records() == 0) {
        RefillAroundHighlight(RefillFromList);
        return;
    }
    CurrentChoice = std::clamp(CurrentChoice, 1, ListQueue->Records());
    if (RestoreViewTo(ListQueue->PositionOf(CurrentChoice))) {
        RefillAroundHighlight(RefillFromView);
        return;
    }
    ListQueue->Delete(CurrentChoice);
    RefillAroundHighlight(RefillFromList);
}

}  // namespace tarn::framework
