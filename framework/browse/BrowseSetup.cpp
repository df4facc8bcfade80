// Browse set-up and shutdown: binding to the list, sort orders with their locators and step
// objects, field pairs, selecting mode.
#include <algorithm>

#include "framework/browse/BrowseManager.h"
#include "framework/window/Requests.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Control.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

BrowseManager::BrowseManager() = default;

// The view manager's destructor would only run its own Shutdown.
BrowseManager::~BrowseManager() { Destroy(); }

void BrowseManager::Initialise(int32_t listControl, storage::View& view, BrowseQueue& queue,
                               data::RelationManager& primary, WindowManager& window) {
    ListControl = listControl;
    ListQueue = &queue;
    Window = &window;
    UseWaitCursor = 1;
    UseMrp = 1;
    RetainRow = 1;
    PrevChoice = 0;
    Popup.Init();
    Attach(view, primary);
    window.AddBrowse(*this);
    BindList();
}

// The list shows the queue and sends its scrolling keys as scroll events: it holds a page only.
void BrowseManager::BindList() {
    ui::Control* list = List();
    if (!list || list->rows == ListQueue) return;
    list->rows = ListQueue;
    list->immediate = true;
    LastItems = VisibleRows();
}

void BrowseManager::SetSelecting(bool selecting) {
    Selecting = selecting ? 1 : 0;
    if (Selecting && Primary && Primary->Me) Buffer = Primary->Me->TakeSnapshot();
}

int BrowseManager::AddSortOrder(std::unique_ptr<StepObject> thumb, int key) {
    int n = NewSortOrder(key);
    extras_.resize(Order->Entries.size());
    extras_[n - 1].Thumb = thumb.get();
    if (thumb) steps_.push_back(std::move(thumb));
    return n;
}

BrowseSortExtras* BrowseManager::CurrentExtras() {
    if (!Order || Order->Entries.empty()) return nullptr;
    if (extras_.size() < Order->Entries.size()) extras_.resize(Order->Entries.size());
    return &extras_[Order->Current];
}

void BrowseManager::AddLocator(std::unique_ptr<Locator> locator) {
    CurrentOrder();
    CurrentExtras()->LocatorObject = locator.get();
    locators_.push_back(std::move(locator));
}

void BrowseManager::AddField(const data::FieldRef& recordField, const data::FieldRef& queueField) {
    Fields.AddPair(recordField, queueField);
}

void BrowseManager::AddResetField(const data::FieldRef& field) {
    CurrentOrder();
    BrowseSortExtras* x = CurrentExtras();
    if (!x->Resets) x->Resets = std::make_unique<data::BufferedPairs>();
    x->Resets->AddPair(field, field);
}

void BrowseManager::SaveResetValues() {
    BrowseSortExtras* x = CurrentExtras();
    if (x && x->Resets) x->Resets->AssignLeftToBuffer();
}

// Closing while selecting: a completed selection leaves the chosen record in the buffer, a
// cancelled one the record the caller had.
void BrowseManager::Shutdown() {
    if (Killed || !Inited) return;
    if (Selecting && Primary && Primary->Me) {
        if (Window && Window->Response == ResponseCompleted) {
            Primary->Me->RecallSnapshot(Buffer, 0);
            LoadHighlightedRow();
            if (SelectWholeRecord && RowCount() > 0)
                Primary->Me->File->Reget(ListQueue->PositionOf(CurrentChoice), -1);
        } else {
            Primary->Me->RecallSnapshot(Buffer, 1);
        }
    }
    if (ui::Control* list = List()) list->rows = nullptr;
    ViewManager::Shutdown();
    for (BrowseSortExtras& x : extras_)
        if (x.Resets) x.Resets->Kill();
    extras_.clear();
    locators_.clear();
    steps_.clear();
    Popup.Kill();
    Fields.Kill();
    if (ListQueue) ListQueue->Free();
}

ui::Control* BrowseManager::List() const {
    if (!Window || !Window->MyWindow || ListControl == 0) return nullptr;
    return Window->MyWindow->Get(ListControl);
}

bool BrowseManager::ListVisible() const {
    const ui::Control* list = List();
    return list && !list->hidden;
}

int BrowseManager::VisibleRows() const {
    const ui::Control* list = List();
    return list ? std::max(1, list->VisibleRows()) : 1;
}

int BrowseManager::RowCount() const { return ListQueue ? ListQueue->Records() : 0; }

bool BrowseManager::FieldAscendingInOrder(const data::FieldRef& field) const {
    return ViewManager::FieldAscendingInOrder(field) != 0;
}

void BrowseManager::SetBusyCursor(bool on) {
    if (UseWaitCursor) ui::SetWaitCursor(on);
}

}  // namespace tarn::framework
