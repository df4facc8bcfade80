#pragma once
// HistoryList: the window component that feeds the history window's list box from a copy of the
// error manager's history. Column 1 is the message text, column 2 its category.
#include <cstdint>
#include <vector>

#include "errors/ErrorManager.h"
#include "framework/window/WindowComponent.h"
#include "platform/ui/RowSource.h"

namespace tarn::framework {

class HistoryList : public WindowComponent, public ui::RowSource {
  public:
    // Shows history, which must outlive the list.
    HistoryList(errors::ErrorManager& err, const std::vector<errors::HistoryEntry>& history);

    // ---- fields ----
    errors::ErrorManager* Err = nullptr;
    const std::vector<errors::HistoryEntry>* History = nullptr;
    int16_t LbColumns = 0;
    ui::Window* Win = nullptr;

    // Binds the list control of an open window to the history.
    void Attach(ui::Window& window, int listControl);

    // WindowComponent
    void Shutdown() override;
    void Refresh(int force) override;
    // Always true: the list is redrawn whenever the window asks.
    bool NeedsRefresh() override;
    void RegisterKeys() override;
    Level HandleEvent() override;
    void Update() override;
    void Redisplay() override;

    // RowSource
    int RowCount() const override;
    ui::CellValue Cell(int row, int field) const override;

  private:
    int list_ = 0;
};

}  // namespace tarn::framework
