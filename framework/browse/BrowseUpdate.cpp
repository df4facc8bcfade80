// Running the update procedure from the list: the re-read before it, the form itself, the
// rebuild after it and the form-navigation codes that run it again.
#include "framework/browse/BrowseManager.h"
#include "framework/window/FormNavigationLoop.h"
#include "framework/window/Requests.h"
#include "framework/window/WindowManager.h"
#include "platform/system/LastError.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

uint8_t BrowseManager::RunUpdate(uint8_t request) {
    return RunWithFormNavigation(
        request, [this](uint8_t r) { return RunFormOnce(r); },
        [this](int32_t code, uint8_t next) {
            if (code == NavigationInsertAnother ||
                (code == NavigationNext && next == RequestInsert)) {
                Primary->Me->File->ClearBuffer(false);
                return;
            }
            HandleFormNavigation(code);
            Window->Refresh(0);
            Window->UpdateAll();
        });
}

uint8_t BrowseManager::RunFormOnce(uint8_t request) {
    // A right click that opened the popup must not reach the form as its first key.
    if (ui::Keycode() == ui::MouseRight) ui::SetKeycode(0);
    if (AskProcedure == 0) {
        // The rows would be edited in place here; this system's browse always has its form.
        return ResponseCancelled;
    }
    if (request == RequestInsert && PrepareNewRecord(0) != LevelQuiet) return ResponseCancelled;
    const uint8_t response = Window->RunProcedure(AskProcedure, request);
    AfterUpdate(request, response);
    return response;
}

// True when the view, read from the record at position, still reads that record first: the
// record is there and passes the view's filter and range.
bool BrowseManager::RecordInView(const std::string& position) {
    if (!RestoreViewTo(position)) return false;
    return Next() == LevelQuiet && View->Position() == position;
}

void BrowseManager::AfterUpdate(uint8_t request, uint8_t response) {
    if (response == ResponseCompleted) {
        CloseForced(0);
        const std::string position = Primary->Me->File->Position(-1);
        if (request == RequestDelete || (request == RequestChange && !RecordInView(position))) {
            ListQueue->Delete(CurrentChoice);
            RefillAroundHighlight(RefillFromList);
        } else {
            RelocateFromFile();
        }
    } else {
        RefillAroundHighlight(RefillFromList);
    }
    if (FormNavigationRequest() != NavigationNone) return;
    RecomputeThumbLimits();
    PlaceThumbFromStep();
    RefreshControls();
    PostNewSelection();
    if (Window->MyWindow) Window->MyWindow->Select(ListControl);
}

void BrowseManager::HandleFormNavigation(int32_t code) {
    switch (code) {
        case NavigationLast:
            ScrollToEnd(ui::EventScrollBottom);
            break;
        case NavigationFirst:
            ScrollToEnd(ui::EventScrollTop);
            break;
        case NavigationPageDown:
            ScrollByPage(ui::EventPageDown);
            break;
        case NavigationPageUp:
            ScrollByPage(ui::EventPageUp);
            break;
        case NavigationNext:
            ScrollByLine(ui::EventScrollDown);
            break;
        case NavigationPrevious:
            ScrollByLine(ui::EventScrollUp);
            break;
        default:
            return;
    }
    ShowHighlight();
    LoadHighlightedRow();
}

// The row's record is read again with change detection armed, so that a form saving it notices a
// later change. A record that is gone, or whose place in the order changed, was changed by
// someone else: the operator is told and the list is rebuilt.
void BrowseManager::RereadHighlightedRecord() {
    if (!ListQueue || ListQueue->Records() == 0) return;
    const std::string position = ListQueue->PositionOf(CurrentChoice);
    LoadHighlightedRow();
    const int key = CurrentOrder().MainKey;
    data::FileManager* fm = Primary->Me;
    std::vector<std::string> shown;
    const int components = key >= 0 ? fm->KeyComponentCount(key) : 0;
    for (int i = 1; i <= components; ++i) shown.push_back(fm->KeyComponentField(key, i).Text());
    fm->File->Watch();
    int rc = fm->File->Reget(position, -1);
    if (rc == platform::kNotSupported) {
        rc = RestoreViewTo(position) && Next() == LevelQuiet && View->Position() == position
                 ? 0
                 : platform::kRecordNotFound;
    }
    bool moved = false;
    for (int i = 1; rc == 0 && i <= components; ++i)
        moved = moved || fm->KeyComponentField(key, i).Text() != shown[i - 1];
    if (rc == 0 && !moved) return;
    ReportChangedRecord();
    NeedRefresh = 1;
}

Level BrowseManager::ReportChangedRecord() {
    return Primary->Me->Report(MsgChangedOrDeletedElsewhere);
}

}  // namespace tarn::framework
