#include "data/ViewManager.h"

#include "data/FileRegistry.h"
#include "platform/system/LastError.h"

namespace tarn::data {

namespace {
const char kStandardFilter[] = "5 Standard";
}

ViewManager::~ViewManager() { Destroy(); }

void ViewManager::Attach(storage::View& view, RelationManager& primary, SortOrderList* list) {
    Inited = 1;
    View = &view;
    Primary = &primary;
    DisposeOrder = list ? 0 : 1;
    Order = list ? list : new SortOrderList;
    SavedBuffers.clear();
    PageSize = 20;
    PagesBehind = 2;
    PagesAhead = 0;
    Timeout = 60;
    Killed = 0;
    for (FileManager* fm : ViewFiles()) {
        RelationManager* rm = ThreadRegistry().RelationManagerOf(fm->File);
        // A file that did not open was reported there; its use would only add message 45.
        if ((rm ? rm : Primary)->Open() != LevelQuiet) break;
        Used = 1;
        if (fm->EnsureUsable(2) != LevelQuiet) break;
    }
}

std::vector<FileManager*> ViewManager::ViewFiles() const {
    return Primary && Primary->Me ? std::vector<FileManager*>{Primary->Me}
                                  : std::vector<FileManager*>{};
}

SortOrder& ViewManager::CurrentOrder() {
    if (Order->Entries.empty()) NewSortOrder(-1);
    return Order->Entries[Order->Current];
}

int ViewManager::NewSortOrder(int key) {
    SortOrder entry;
    entry.MainKey = key;
    entry.RangeList = std::make_unique<FieldPairs>();
    FileManager* fm = Primary->Me;
    if (key >= 0 && fm->KeyComponentCount(key) > 0)
        entry.FreeElement = fm->KeyComponentField(key, 1);
    Order->Entries.push_back(std::move(entry));
    Order->Current = static_cast<int>(Order->Entries.size()) - 1;
    if (key >= 0) SetOrder(fm->KeyOrderText(key, 1));
    return static_cast<int>(Order->Entries.size());
}

uint8_t ViewManager::SelectSortOrder(int number) {
    if (number == 0) number = 1;
    if (number < 1 || number > static_cast<int>(Order->Entries.size())) return 0;
    if (number - 1 == Order->Current) return 0;
    Order->Current = number - 1;
    return 1;
}

void ViewManager::SetOrder(const std::string& text) { CurrentOrder().Order = text; }

void ViewManager::ExtendOrder(const std::string& text) {
    SortOrder& order = CurrentOrder();
    if (order.Order.empty()) {
        order.Order = text;
    } else if (!text.empty() && text[0] == '*') {
        order.Order = text.substr(1);
    } else {
        order.Order += "," + text;
    }
}

void ViewManager::SetNamedFilter(const std::string& text, const std::string& id) {
    SortOrder& order = CurrentOrder();
    if (!order.Filter) order.Filter = std::make_unique<std::vector<NamedFilter>>();
    std::string key = id.substr(0, 30);
    auto& filters = *order.Filter;
    auto it = filters.begin();
    while (it != filters.end() && it->Id < key) ++it;
    bool found = it != filters.end() && it->Id == key;
    if (text.empty()) {
        if (found) filters.erase(it);
    } else if (found) {
        it->Filter = text;
    } else {
        filters.insert(it, NamedFilter{key, text});
    }
}

void ViewManager::SetFilter(const std::string& text) { SetNamedFilter(text, kStandardFilter); }

void ViewManager::AddRange(const FieldRef& source) {
    SortOrder& order = CurrentOrder();
    auto block = std::make_unique<uint8_t[]>(source.size);
    FieldRef value{source.kind, block.get(), source.size, {}};
    value.Assign(source);
    order.RangeValues.push_back(std::move(block));
    order.RangeList->AddPair(source, value);
}

void ViewManager::PushOrder() { View->SetOrder(CurrentOrder().Order); }

void ViewManager::BuildFilter() { View->SetFilter(FilterText()); }

void ViewManager::RaiseViewError() { Primary->Me->Report(MsgViewError); }

// Opens the storage view; a refused order or filter text is reported and dropped.
int ViewManager::OpenView() {
    int rc = View->Open();
    if (rc == platform::kInvalidExpression) {
        RaiseViewError();
        View->SetFilter("");
        rc = View->Open();
        if (rc == platform::kInvalidExpression) {
            View->SetOrder("");
            rc = View->Open();
        }
    }
    return rc;
}

void ViewManager::Open() {
    PushOrder();
    BuildFilter();
    if (Opened && (View->Order() != openedOrder_ || View->Filter() != openedFilter_)) {
        View->Close();
        Opened = 0;
    }
    openedOrder_ = View->Order();
    openedFilter_ = View->Filter();
    if (Opened == 0) {
        int rc = OpenView();
        if (rc == 0) {
            Opened = 1;
        } else if (rc != platform::kAlreadyOpen) {
            RaiseViewError();
        }
    }
    View->SetPageBuffer(PageSize, PagesBehind, PagesAhead, Timeout);
}

void ViewManager::Restart(int components) {
    Open();
    int rc;
    if (components == 0) {
        rc = View->SetToStart();
    } else {
        // Components past the first n must not narrow the start: they take their lowest values.
        FileManager* fm = Primary->Me;
        uint16_t snapshot = fm->TakeSnapshot();
        SortOrder& order = CurrentOrder();
        if (order.MainKey >= 0) {
            fm->SetKeyToLimit(order.MainKey, components + 1, fm->KeyComponentCount(order.MainKey),
                              0);
        }
        rc = View->SetToBuffer();
        fm->RecallSnapshot(snapshot, 1);
    }
    if (rc != 0) RaiseViewError();
}

void ViewManager::Restart() { Restart(0); }

Level ViewManager::RestartAt(const std::string& position) {
    Open();
    const int rc = View->SetToPosition(position);
    if (rc == 0) return LevelQuiet;
    if (rc == platform::kRecordNotFound) return LevelNotice;
    const Level level = Primary->Me->Report(MsgViewError);
    return level == LevelQuiet ? LevelNotice : level;
}

Level ViewManager::Next() { return Read(true); }

Level ViewManager::Previous() { return Read(false); }

Level ViewManager::Read(bool forward) {
    for (;;) {
        int rc = forward ? View->Next() : View->Previous();
        if (rc == platform::kEndOfFile) return LevelNotice;
        if (rc != 0) {
            Primary->Me->Report(MsgReadError);
            return LevelFatal;
        }
        uint8_t accept = AcceptRecord();
        if (accept == 0) return LevelQuiet;
        if (accept == 1) return LevelNotice;
    }
}

uint8_t ViewManager::AcceptRecord() { return 0; }

Level ViewManager::PrepareNewRecord(uint8_t keepBuffers) {
    if (keepBuffers == 0) ClearRecordBuffers();
    SortOrder& order = CurrentOrder();
    if (order.LimitType != RangeNone && order.LimitType < 5 && order.MainKey >= 0) {
        int fixed = order.RangeList->Count();
        if (order.LimitType == RangeBetween) fixed -= 2;
        for (int i = 1; i <= fixed; ++i) {
            Primary->Me->KeyComponentField(order.MainKey, i).Assign(order.RangeList->Right(i));
        }
    }
    return Primary->Me->PrepareNewRecord(1);
}

void ViewManager::ClearRecordBuffers() {
    for (FileManager* fm : ViewFiles()) fm->File->ClearBuffer(false);
}

void ViewManager::TakeSnapshots() {
    SavedBuffers.clear();
    for (FileManager* fm : ViewFiles()) SavedBuffers.push_back({fm->TakeSnapshot(), fm});
}

void ViewManager::RecallSnapshots() {
    for (SavedSnapshot& s : SavedBuffers) s.Fm->RecallSnapshot(s.Buff, 1);
    SavedBuffers.clear();
}

void ViewManager::Close() { CloseForced(0); }

void ViewManager::CloseForced(uint8_t force) {
    if (Opened == 1 || force == 1) {
        if (View) View->Close();
        Opened = 0;
    }
}

void ViewManager::Shutdown() {
    if (Order) {
        for (SortOrder& order : Order->Entries) {
            if (order.RangeList) order.RangeList->Kill();
            order.RangeList.reset();
            order.RangeValues.clear();
            order.Filter.reset();
            order.Order.clear();
            order.FreeElement = FieldRef{};
        }
        if (DisposeOrder == 1) delete Order;
        Order = nullptr;
    }
    SavedBuffers.clear();
    Close();
    if (Used == 1) {
        for (FileManager* fm : ViewFiles()) {
            RelationManager* rm = ThreadRegistry().RelationManagerOf(fm->File);
            (rm ? rm : Primary)->Close();
        }
        Used = 0;
    }
    Killed = 1;
}

void ViewManager::Destroy() {
    if (Inited == 1 && Killed == 0) Shutdown();
}

}  // namespace tarn::data
