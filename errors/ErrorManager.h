#pragma once
// The error manager: the single channel for failure reports and yes/no questions.
//
// A raising operation makes a catalog message the calling thread's current message, fills its
// placeholders from the thread's error context and acts on the message's level: nothing (0), a
// question (1, 4), a notice with OK (5), or a fatal message that ends the program (2, 3, other).
// Shown messages can be written to the error log and kept in a history.
//
// Locking: the catalog, the procedure-name stack, the history, the switches and the log writer
// are shared and touched only under the manager's critical section. The error context is per
// thread and needs no lock. The lock is never held while a message box or window is shown.
//
// Lifecycle: construct (static) -> Init() (creates the standard log writer, sets the default
// category and calls Initialise) -> raising -> Shutdown(). Init again after Shutdown is allowed.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "errors/ErrorLog.h"
#include "errors/ErrorTypes.h"
#include "errors/Levels.h"
#include "errors/MessageIds.h"
#include "platform/system/CriticalSection.h"

namespace tarn::errors {

class ErrorManager {
  public:
    // Shows the history in place of a message box while a history is kept; returns the button
    // pressed. The default hook shows nothing and answers the default button.
    using HistoryWindowHook =
        std::function<int(const std::vector<HistoryEntry>& history, std::string_view caption,
                          std::string_view icon, int buttons, int defaultButton)>;

    ErrorManager();
    virtual ~ErrorManager();
    ErrorManager(const ErrorManager&) = delete;
    ErrorManager& operator=(const ErrorManager&) = delete;

    // --- lifecycle ---
    // The program's first step: creates the standard error log (once), sets the default category
    // "QEL", the history switches (threshold 0, view level 3, no reset) and calls Initialise.
    void Init();
    // Binds the log writer, loads the standard catalog, creates the queues.
    virtual void Initialise(ErrorLogInterface* errorLog);
    // Empties catalog, history and procedure names and disposes of the standard log writer.
    virtual void Shutdown();

    // --- catalog ---
    // Appends the entries of a packed table (count, then id, level, title, text per entry).
    // A truncated table loads the complete entries before the cut and ignores the rest.
    virtual void LoadMessages(std::span<const uint8_t> table);
    virtual void AddMessage(int32_t id, std::string_view text, std::string_view title,
                            uint8_t level, std::string_view category = {});
    // Removes the last-added entry with this id; nothing when there is none.
    virtual void RemoveMessage(int32_t id);
    // id -1 addresses the default category.
    void SetMessageCategory(int32_t id, std::string_view category);
    std::string MessageCategory(int32_t id);
    // The last-added entry with this id (compared as an unsigned 16-bit number); false when none.
    bool FindMessage(uint16_t id, ErrorEntry& out);
    size_t MessageCount();

    // --- the calling thread's error context ---
    void SetFieldName(std::string_view name);
    void SetFileName(std::string_view name);
    void SetKeyName(std::string_view name);
    void SetMessageText(std::string_view text);
    // Snapshot of the runtime's last error (platform LastError()) into the context.
    void CaptureRuntimeError();
    // Makes id the current message (a blank entry of level 0 when the catalog lacks it).
    void SelectMessage(uint16_t id);
    // The current message's template with its placeholders filled; at most 1999 characters.
    virtual std::string SubstitutedText();
    // The calling thread's context (read-only view, for callers that need the raw values).
    const ErrorStatus& Status();

    // --- procedure names ---
    void PushProcedureName(std::string_view name);
    // Pops the calling thread's newest name; name is not compared.
    void PopProcedureName(std::string_view name = {});
    // The calling thread's innermost procedure; "" when none.
    std::string CurrentProcedureName();

    // --- raising; each returns the level the caller acts on ---
    Level Raise(uint16_t id);
    Level RaiseWithMessage(uint16_t id, std::string_view text);
    Level RaiseWithFile(uint16_t id, std::string_view file);
    // Selects id and acts on its level, without taking a new snapshot of the runtime's error.
    Level HandleLevel(uint16_t id);
    // A plain question from the catalog's text and title: no log, no history, no level.
    // Returns the button pressed (default in silent mode).
    int AskQuestion(uint16_t id, int buttons, int defaultButton);

    // --- showing ---
    // Log, history and display of one message; returns the button pressed or the default.
    virtual int ShowMessage(std::string_view text, std::string_view title, std::string_view icon,
                            int buttons, int defaultButton, int style);
    // The plain message box; returns the button pressed (0 when the box was closed).
    virtual int StandardBox(std::string_view text, std::string_view title, std::string_view icon,
                            int buttons, int defaultButton, int style);
    // Shows a copy of the history through the history-window hook.
    virtual int ShowHistoryWindow(std::string_view caption, std::string_view icon, int buttons,
                                  int defaultButton);
    virtual int ShowErrorHistory();
    virtual void AppendHistory(HistoryEntry entry);
    void ClearHistory();
    std::vector<HistoryEntry> History();
    void SetHistoryWindowHook(HistoryWindowHook hook);

    // --- level operations, one per level; descendants may change what a level does ---
    virtual Level OnQuiet();
    virtual Level OnFatal();
    virtual Level OnNotice();
    virtual Level OnOther();
    virtual Level OnInternal();
    virtual Level OnQuestion();

    // --- switches, each read and written under the lock ---
    int32_t HistoryThreshold();
    void SetHistoryThreshold(int32_t threshold);
    int32_t HistoryViewLevel();
    void SetHistoryViewLevel(int32_t level);
    bool HistoryResetOnView();
    void SetHistoryResetOnView(bool reset);
    std::string DefaultCategory();
    void SetDefaultCategory(std::string_view category);
    bool Silent();
    void SetSilent(bool silent);
    bool LogErrors();
    void SetLogErrors(bool log);
    int16_t MsgStyle();
    void SetMsgStyle(int16_t style);

  private:
    ErrorStatus& Context();
    ErrorEntry* Find(int32_t id, bool asUnsigned16);
    void WriteLog(std::string_view text);
    void KeepHistory(std::string_view text, int32_t id);

    platform::CriticalSection critSect_;
    uint64_t serial_;  // tells this manager's per-thread contexts from another's
    std::string defaultCategory_;
    std::unique_ptr<std::vector<ErrorEntry>> errors_;
    ErrorLogInterface* errorLog_ = nullptr;
    std::unique_ptr<std::vector<HistoryEntry>> history_;
    std::unique_ptr<std::vector<ProcNameEntry>> procNames_;
    std::unique_ptr<StandardErrorLog> stdErrorLog_;
    bool silent_ = false;
    bool logErrors_ = false;
    int32_t historyThreshold_ = 0;
    int32_t historyViewLevel_ = LevelFatal;
    bool historyResetOnView_ = false;
    int16_t msgStyle_ = 0;
    HistoryWindowHook historyWindowHook_;
};

// The program's single error manager (constructed on first use).
ErrorManager& GlobalErrors();

}  // namespace tarn::errors
