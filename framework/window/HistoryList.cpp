#include "framework/window/HistoryList.h"

#include "platform/ui/Window.h"

namespace tarn::framework {

HistoryList::HistoryList(errors::ErrorManager& err,
                         const std::vector<errors::HistoryEntry>& history)
    : Err(&err), History(&history) {}

void HistoryList::Attach(ui::Window& window, int listControl) {
    Win = &window;
    list_ = listControl;
    window.SetRows(listControl, this);
    if (const ui::Control* c = window.Get(listControl))
        LbColumns = static_cast<int16_t>(c->columns.columns);
}

void HistoryList::Shutdown() {
    if (Win && list_) Win->SetRows(list_, nullptr);
    Win = nullptr;
}

void HistoryList::Refresh(int) {}
bool HistoryList::NeedsRefresh() { return true; }
void HistoryList::RegisterKeys() {}
Level HistoryList::HandleEvent() { return LevelQuiet; }
void HistoryList::Update() {}

void HistoryList::Redisplay() {
    if (Win && list_) Win->Display(list_);
}

int HistoryList::RowCount() const { return History ? static_cast<int>(History->size()) : 0; }

ui::CellValue HistoryList::Cell(int row, int field) const {
    if (!History || row < 1 || row > RowCount()) return std::string();
    const errors::HistoryEntry& e = (*History)[row - 1];
    if (field == 1) return e.txt;
    if (field == 2) return e.category;
    return std::string();
}

}  // namespace tarn::framework
