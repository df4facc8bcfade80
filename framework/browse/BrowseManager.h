#pragma once
// BrowseManager: shows the records of a view in a list control, a page at a time.
//
// The list queue holds only the rows the list shows (at most LastItems); scrolling fetches rows
// from the view at one end and drops them at the other. Every row carries its record's view
// position, so the browse can restore the view to any row and keep the highlight on the same
// record across refreshes.
//
// Load states:
//   never loaded (Loaded 0) --RefillAroundHighlight--> loaded
//   any --refill while the list is hidden (ActiveInvisible 0)--> LoadPending 1
//   LoadPending 1 --next NeedsRefresh/Refresh--> refilled, LoadPending 0
// Refills: mode 1 rebuilds from the rows already shown (the view is put back on the first row);
// mode 2 builds from where the view stands (relocating, after an update, after a re-read). With
// RetainRow the highlighted record keeps its screen row where the records around it allow.
//
// Records written by another program are noticed by every refill and, between refills, by the
// needs-refresh check: it compares the primary file's change stamp with the one seen at the last
// refill, so a window that asks on a timer shows what the checker wrote without a key press.
//
// Invariants: CurrentChoice is between 1 and the number of rows (1 when the list is empty); the
// list control's highlight follows CurrentChoice; a row's fields were copied from its record
// through the field pairs.
//
// Updates: an accepted Insert, Change, Delete or View control re-reads the highlighted record
// (Update, through the window's UpdateAll) and runs the update procedure through the window's
// RunProcedure; afterwards the list is rebuilt around the record the form left. A form that
// leaves a navigation code (3001, 3005 to 3010) is run again after the browse moved.
//
// The popup menu offers the update controls (and Select, Toolbox where the window has them) as
// items that mimic them: a chosen item presses its control, so its accepted event arrives
// through the window's queue like a button press. The Toolbox control shows the same items
// as a toolbox window. Print and query belong to subsystems this system does not have.
//
// Not built: editing rows in place and query by example belong to window aids that this system
// does not have; the places that would call them say so.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/FieldPairs.h"
#include "data/ViewManager.h"
#include "framework/browse/BrowseQueue.h"
#include "framework/locate/Locator.h"
#include "framework/locate/StepObject.h"
#include "framework/popup/PopupMenu.h"
#include "framework/window/WindowComponent.h"

namespace tarn::ui {
class Control;
}

namespace tarn::framework {

class WindowManager;

// What the browse adds to each sort order of its view: a locator, a step object for the thumb,
// and the fields whose change asks for a refill. Kept beside the view's own entry of the same
// number.
struct BrowseSortExtras {
    Locator* LocatorObject = nullptr;
    std::unique_ptr<data::BufferedPairs> Resets;
    StepObject* Thumb = nullptr;
};

class BrowseManager : public data::ViewManager, public BrowseComponent, public LocatorList {
  public:
    enum FillDirection : int { FillBackward = 1, FillForward = 2 };
    enum RefillMode : int { RefillFromList = 1, RefillFromView = 2 };

    BrowseManager();
    ~BrowseManager() override;

    // ---- fields ----
    uint8_t ActiveInvisible = 0;
    uint8_t AllowUnfilled = 0;
    int32_t AskProcedure = 0;  // 0: the rows would be edited in place
    uint16_t Buffer = 0;       // the primary buffer saved while selecting
    int32_t ChangeControl = 0;
    int32_t CurrentChoice = 1;
    int32_t CurrentEvent = 0;
    int32_t DeleteControl = 0;
    data::FieldPairs Fields;  // left: record field; right: queue field
    uint8_t FileLoaded = 0;
    uint8_t UseMrp = 0;
    uint8_t HasThumb = 0;
    uint8_t HideSelect = 0;
    int32_t InsertControl = 0;
    int32_t ItemsToFill = 0;
    int32_t LastChoice = 0;
    int32_t LastItems = 0;
    BrowseQueue* ListQueue = nullptr;
    int32_t ListControl = 0;
    uint8_t LoadPending = 0;
    uint8_t Loaded = 0;
    uint8_t NeedRefresh = 0;
    PopupMenu Popup;  // the update actions as a context menu or a toolbox
    uint8_t UsePopup = 0;
    uint8_t EditViaPopup = 0;
    int32_t PrevChoice = 0;
    uint8_t RetainRow = 0;
    uint8_t SavedSort = 0;
    std::string SavedSortString;
    Locator* SavedLocator = nullptr;
    StepObject* SavedThumb = nullptr;
    std::string SavedLocatorField;
    uint8_t UseWaitCursor = 0;
    int32_t SelectControl = 0;
    uint8_t SelectWholeRecord = 0;
    uint8_t Selecting = 0;
    uint8_t StartAtCurrent = 0;
    int32_t ToolControl = 0;
    int32_t ViewControl = 0;
    WindowManager* Window = nullptr;

    // ---- set-up, in this order ----
    // Binds the browse to its list control, queue, view and window and registers it with the
    // window (which tells it whether it was opened to select).
    void Initialise(int32_t listControl, storage::View& view, BrowseQueue& queue,
                    data::RelationManager& primary, WindowManager& window);
    // Adds a sort order on a key with its step object (or none); it becomes the one in force.
    int AddSortOrder(std::unique_ptr<StepObject> thumb, int key);
    // Gives the order in force its locator.
    void AddLocator(std::unique_ptr<Locator> locator);
    void AddField(const data::FieldRef& recordField, const data::FieldRef& queueField);
    // A field of the order in force whose change refills the list.
    void AddResetField(const data::FieldRef& field);

    // ---- window component ----
    void Shutdown() override;
    // Reapplies the order in force (force > 0: refill even when nothing changed).
    void Refresh(int force) override;
    bool NeedsRefresh() override;
    void RegisterKeys() override { RegisterAlertedKeys(); }
    Level HandleEvent() override;
    // Re-reads the highlighted record before the window acts on it.
    void Update() override {
        if (!skipReread_) RereadHighlightedRecord();
    }
    void Redisplay() override { RefreshControls(); }
    void SetSelecting(bool selecting) override;

    // ---- browse operations ----
    // Runs the update procedure for a request (1 insert, 2 change, 3 delete, 6 view) and again
    // for as long as it leaves a navigation code; returns the last response.
    uint8_t RunUpdate(uint8_t request);
    // Fetches up to ItemsToFill rows; ItemsToFill is left with the rows that could not be read.
    void FillPage(int direction);
    // Makes order n the one in force; true when it changed.
    bool SwitchSortOrder(int n);
    // "This record was changed or deleted by another station."
    Level ReportChangedRecord();
    // Replaces the order in force (the first call saves the original one).
    void ChangeCurrentOrder(const std::string& order, Locator* locator, StepObject* thumb);
    void AfterUpdate(uint8_t request, uint8_t response);
    // Restarts the view on the record buffer's values of the first components of the order's key
    // (0: all of them) and rebuilds the list there.
    void RelocateFromKey(int components = 0);
    // Rebuilds the list around the primary file's current record.
    void RelocateFromFile();
    void RecomputeThumbLimits();
    void RefillAroundHighlight(int mode);
    void ScrollToEnd(int event);
    void ScrollByLine(int event);
    void ScrollByPage(int event);
    void RegisterAlertedKeys();
    // Copies the record buffer into the queue buffer with the view's position. A list may
    // override it to show a record differently from its fields.
    virtual void CopyRecordToRow();
    void ReapplySortOrder(int n, int force);
    Level HandleKey();
    void SelectionChanged();
    void HandleScroll(int event);
    void HandleThumbDrag();
    void HandleFormNavigation(int32_t code);
    // Loads the highlighted row's fields into the record buffer (nothing with no rows).
    void LoadHighlightedRow() override;
    void SaveResetValues();
    void PlaceThumbFromStep();
    void PlaceThumb();
    void RereadHighlightedRecord();
    void RefreshControls();
    void SetBusyCursor(bool on);

    // ---- LocatorList ----
    int RowCount() const override;
    int Highlight() const override { return RowCount() > 0 ? CurrentChoice : 0; }
    void MoveHighlightDown() override;
    bool FieldAscendingInOrder(const data::FieldRef& field) const override;

    // The extras of the order in force; nullptr before the first order.
    BrowseSortExtras* CurrentExtras();

  private:
    ui::Control* List() const;
    bool ListVisible() const;
    int VisibleRows() const;
    // Restores the view to a row's position so that Next and Previous read that row first.
    // False when the record is no longer there.
    bool RestoreViewTo(const std::string& position);
    // Puts the view back on the first row still there (or its start) and refills from the list.
    void RefillAtHighlight();
    void ShowHighlight();
    void PostNewSelection();
    void Press(int32_t control);
    bool Enabled(int32_t control) const;
    void ShowPopup();
    void TrimTo(int rows, int targetRow);
    Level HandleAccepted(int32_t control);
    uint8_t RunFormOnce(uint8_t request);

    void AddPopupItems();
    void BindList();
    bool RecordInView(const std::string& position);

    int64_t seenStamp_ = 0;    // the primary file's change stamp when the list was last filled
    bool skipReread_ = false;  // while an insert updates the window
    std::vector<BrowseSortExtras> extras_;
    std::vector<std::unique_ptr<Locator>> locators_;
    std::vector<std::unique_ptr<StepObject>> steps_;
    std::string lastPosted_;  // the record last posted as new selection
};

}  // namespace tarn::framework
