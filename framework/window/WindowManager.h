#pragma once
// WindowManager: runs one procedure window from opening to closing and carries out the record
// request a form was called with.
//
// Life:  created (fields 0) --Initialise--> ready (lists exist, defaults set; the procedure opens
//        its files and window, registers components, calls PrepareRequest for a form)
//        --EventLoop--> running (HandleEvent per event, until the window closes or a handler
//        returns LevelFatal) --Shutdown--> dead (components, lists, snapshots, toolbar, resizer
//        released). Run does all three; Shutdown of a dead manager does nothing.
//
// Request and response within a form: the response starts at 0 and becomes cancelled whenever
// a write is attempted, completed when it succeeds. insert --Save--> change --OK--> completed;
// insert with INSERTACTION 3 or 4 --OK--> the next insert; a delete is usually carried out by
// PrepareRequest before the window is shown. SAVED is the primary buffer's snapshot taken when
// the request was prepared (and after each save that keeps the form open): leaving the form asks
// about changes only when the buffer differs from it.
//
// A save (insert, change, Save) first checks Rules; a broken rule reports, focuses its entry and
// leaves the request and the response as they were.
//
// Handler results: LevelQuiet lets the runtime handle the event in its own way; LevelFatal ends
// the loop; any other level consumes the event (a consumed close leaves the window open).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/FieldRef.h"
#include "errors/ErrorManager.h"
#include "errors/Levels.h"
#include "framework/window/FieldRules.h"
#include "framework/window/Requests.h"
#include "framework/window/WindowComponent.h"

namespace tarn::ui {
class Window;
}

namespace tarn::data {
class FileManager;
class RelationManager;
}  // namespace tarn::data

namespace tarn::framework {

class ToolbarManager;

// The runtime's control type of a tab sheet, whose new selection retargets the toolbar.
inline constexpr int kTabSheetKind = 37;
inline constexpr size_t kPositionWidth = 1024;

class WindowManager {
  public:
    struct ResponseButton {
        int32_t Control = 0;
        uint8_t Response = 0;
    };
    struct ComponentEntry {
        int32_t Kind = 0;  // 0: an ordinary component
        WindowComponent* Component = nullptr;
    };
    struct SecondaryFile {
        data::FileManager* File = nullptr;
        uint16_t Saved = 0;
    };
    // The memory behind the recall key: the field's record and its history copy.
    struct HistoryField {
        uint8_t* Record = nullptr;
        uint8_t* HistoryRecord = nullptr;
        uint32_t RecordSize = 0;
        data::FieldRef Field;
        data::FieldRef HistoryCopy;
        int32_t Control = 0;
    };

    WindowManager();
    virtual ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // ---- what a procedure sets after the base Initialise ----
    // What the request buttons do.
    uint8_t InsertAction = 0;          // 0 none, 1 stay, 2 close, 3 next insert, 4 ask for another
    uint8_t ChangeAction = 0;          // 2: close after a successful save
    uint8_t DeleteAction = 0;          // 2: delete with confirmation, 4: without
    uint8_t CancelAction = 0;          // bit 1: leaving saves; bits 1 and 2: ask first; 2: warn
    uint8_t BatchProcessing = 0;       // completed requests move on instead of closing
    int32_t OkControl = 0;             // the OK button, 0 none
    int32_t SaveControl = 0;           // the Save button (saves, stays open), 0 none
    uint8_t DisableCancelButton = 0;   // cancel buttons off after a save that stays open
    FormNavigator* FormVcr = nullptr;  // moves a batch on to its next record
    // Focus, keys and refreshing.
    int32_t FirstField = 0;        // focused at opening and after a failed save
    int32_t HistoryKey = 0;        // the recall key (Ctrl+H), 0 none
    uint8_t AutoRefresh = 0;       // components asked for a refresh after each event
    uint8_t AutoToolbar = 0;       // a new tab retargets the toolbar
    uint8_t ResetOnGainFocus = 0;  // losing the focus forces the next refresh
    // What the window works on.
    ui::Window* MyWindow = nullptr;
    data::RelationManager* Primary = nullptr;  // the form's primary file
    uint8_t FilesOpened = 0;  // the procedure opened its files (its Shutdown closes them)
    // The primary record's fields (0-based) the operator edits here. A delete is refused when
    // another program changed one of them since the record was read; a change of any other field
    // (the checker's stamps) does not stand in the way.
    std::vector<int> OperatorFields;

    // ---- the request and its outcome ----
    uint8_t Request = 0;          // the current request
    uint8_t OriginalRequest = 0;  // the request the procedure was called with
    uint8_t Response = 0;         // the response so far

    // ---- state ----
    uint8_t Dead = 0;         // shut down: no loop, no second shutdown
    uint8_t ForcedReset = 0;  // the next refresh is forced

    // ---- operations a window of its own overrides ----
    // Runs HandleEvent for every event until the window closes or a handler returns LevelFatal.
    virtual void EventLoop();
    // Sets the defaults and creates the lists; a descendant calls it first. LevelQuiet.
    virtual Level Initialise();
    // Releases components, lists, snapshots, toolbar and resizer; LevelNotice when already dead.
    virtual Level Shutdown();
    virtual void OnFirstOpen();
    // Gives a new record its first values; may set Response to cancelled to refuse the insert.
    virtual void FillNewRecord();
    // Runs the window's procedure number `procedure` (a form the window calls) with the request
    // and returns its response. The base has no procedures: ResponseCancelled.
    virtual uint8_t RunProcedure(int32_t procedure, uint8_t request);
    // The dispatch of one event and its handlers (see HandleEvent in WindowDispatch.cpp). The
    // tests' windows script their events through HandleEvent and watch OnNotification.
    virtual Level HandleEvent();
    virtual Level OnWindowEvent();
    virtual Level OnAccepted();
    virtual Level OnNotification(int code, int thread, int parameter);
    Level OnCloseRequest();

    // ---- operations ----
    // Initialise, EventLoop (when Initialise gave LevelQuiet), Shutdown; returns the response
    // (cancelled when none was set) and leaves it in the shared response.
    uint8_t Run();
    // Opens the window on this thread, above the thread's other windows.
    void OpenWindow(ui::Window& window);
    // Prepares the form's request before its window is shown; LevelFatal ends the form at once.
    Level PrepareRequest();
    void Refresh(int force);
    // Puts the remembered value of the control's field back; nothing without a history entry.
    void RecallField(int32_t control);
    void RegisterKeys();
    // Sets the response and asks the window to close.
    void Finish(uint8_t response);
    void UpdateAll();
    void SetControlDisabled(int32_t control, bool disabled);
    void FocusFirstField();
    // Validates the fields (or not, by the request) and leads to event 549.
    void RequestCompletion();
    // True for the events that never ask the components for a refresh.
    static bool IsQuietEvent(int event, bool immediateControl);

    // ---- registration, after the base Initialise ----
    void AddComponent(WindowComponent& component);
    void AddBrowse(BrowseComponent& browse);
    void AddResponseButton(int32_t control, uint8_t response);
    void AddSecondaryFile(data::FileManager& file);
    // Remembers a field for the recall key; record and history copy hold recordSize bytes.
    void AddHistoryField(uint8_t* record, uint8_t* historyRecord, uint32_t recordSize,
                         const data::FieldRef& field, const data::FieldRef& historyCopy,
                         int32_t control);
    void SetResizer(ResizerHandle& resizer);
    // Attaches and initialises the toolbar; its navigation request is the thread's.
    void SetToolbar(ToolbarManager& toolbar);
    void SetTranslator(WindowTranslator& translator);
    void SetPrimary(data::RelationManager& primary);
    // What the form's entries take; a save with a broken rule keeps the form open on that entry
    // with a message, and an entry that refuses its text says what it takes.
    FieldRules Rules;

  protected:
    data::FileManager* PrimaryFile() const;
    // True when the primary buffer differs from SAVED.
    bool PrimaryChanged() const;
    void TakeSavedSnapshot();
    void SetCancelButtonsDisabled(bool disabled);
    void Redisplay();
    void PostClose();

    errors::ErrorManager* Errors = nullptr;  // where questions and failures go

  private:
    // Bit of Inited: the first open has been handled.
    static constexpr uint8_t kInitedOpen = 1;

    Level OnCompleted();
    // False (the operator told, the entry focused) when a save would break a field rule.
    bool RulesHold();
    Level OnNewSelection();
    Level OnRejected();
    Level CompleteInsert();
    Level CompleteChange();
    Level CompleteDelete();
    Level SaveChangeKeepOpen();
    Level SaveInsertKeepOpen();
    void RememberHistory();
    Level NextInsert();
    Level AfterWrittenChange(bool written);
    Level ChangeRetryLoop(bool keepOpen);
    Level MoveOnInBatch();
    Level AskToLeave();

    // Lists, each made by Initialise and disposed of by Shutdown.
    std::unique_ptr<std::vector<ComponentEntry>> CL;       // components, in dispatch order
    std::unique_ptr<std::vector<ResponseButton>> Buttons;  // buttons that finish the form
    std::unique_ptr<std::vector<SecondaryFile>> Files;     // secondary files snapshotted
    std::unique_ptr<std::vector<HistoryField>> History;    // fields the recall key knows
    // Attached helpers.
    ResizerHandle* Resize = nullptr;
    ToolbarManager* Toolbar = nullptr;
    int32_t* VcrRequest = nullptr;  // the toolbar's navigation request
    WindowTranslator* Translator = nullptr;
    // Progress of the request.
    uint8_t BeforeSaveRequest = 0;     // the request when Save was pressed
    uint16_t Saved = 0;                // the primary buffer's snapshot the form compares with
    std::string LastInsertedPosition;  // at most kPositionWidth characters; "" none
    uint8_t Inited = 0;                // kInitedOpen once the first open is handled
};

}  // namespace tarn::framework
