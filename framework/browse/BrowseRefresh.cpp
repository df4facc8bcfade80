// Keeping the list current: the needs-refresh check, reapplying the order in force, switching
// and replacing orders.
#include "framework/browse/BrowseManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Control.h"

namespace tarn::framework {

bool BrowseManager::NeedsRefresh() {
    bool need = false;
    if (List()) {
        const int visible = VisibleRows();
        if (visible != LastItems) {
            LastItems = visible;
            need = true;
        }
    }
    if (RefreshRange()) need = true;
    BrowseSortExtras* x = CurrentExtras();
    if (x && x->Resets && !x->Resets->EqualLeftBuffer()) need = true;
    if (Loaded && Primary->Me->File->ChangeStamp() != seenStamp_) need = true;
    if (need) LoadPending = 1;
    return need;
}

void BrowseManager::Refresh(int force) {
    if (!Order || Order->Entries.empty()) return;
    ReapplySortOrder(Order->Current + 1, force);
}

void BrowseManager::ReapplySortOrder(int n, int force) {
    BindList();
    const bool changed = SwitchSortOrder(n);
    const bool check = NeedsRefresh();
    if (changed || force > 0 || check || !Loaded || LoadPending) {
        SaveResetValues();
        PushOrder();
        BuildFilter();
        if (!Loaded && (Selecting || StartAtCurrent)) {
            RelocateFromKey();
        } else {
            RefillAtHighlight();
        }
        if (!LoadPending) {
            PostNewSelection();
            RecomputeThumbLimits();
        }
    }
    LoadHighlightedRow();
}

bool BrowseManager::SwitchSortOrder(int n) {
    if (SelectSortOrder(n) == 0) return false;
    BrowseSortExtras* x = CurrentExtras();
    if (x && x->LocatorObject) x->LocatorObject->UpdateWindow();
    return true;
}

void BrowseManager::ChangeCurrentOrder(const std::string& order, Locator* locator,
                                       StepObject* thumb) {
    data::SortOrder& current = CurrentOrder();
    BrowseSortExtras* x = CurrentExtras();
    if (!SavedSort) {
        SavedSort = 1;
        SavedSortString = current.Order.substr(0, 512);
        SavedLocator = x->LocatorObject;
        SavedLocatorField = current.FreeElement.Text();
        SavedThumb = x->Thumb;
    }
    x->LocatorObject = locator;
    if (locator) current.FreeElement.Clear();
    x->Thumb = thumb;
    SetOrder(order);
    ReapplySortOrder(Order->Current + 1, 1);
}

}  // namespace tarn::framework
