#include "editor/ConfigChecking.h"

#include <cstdint>

#include "data/Dictionary.h"
#include "data/FieldRef.h"
#include "data/records/Records.h"
#include "editor/EditorWindows.h"
#include "errors/ErrorManager.h"
#include "platform/system/LastError.h"
#include "platform/ui/Events.h"

namespace tarn::editor {

namespace {

// The value Ctrl+H brings back: the record as last saved on this thread, zero before that.
records::SettingsRecord& SettingsHistory() {
    static thread_local records::SettingsRecord history{};
    return history;
}

constexpr int32_t kSettingsId = 1;
constexpr int32_t kDefaultSeconds = 60;

}  // namespace

ConfigCheckingForm::ConfigCheckingForm() : window(SettingsFormDef()) {}

Level ConfigCheckingForm::Initialise() {
    errors::GlobalErrors().PushProcedureName("ConfigChecking");
    // Always a change of the one record, whatever the caller asked.
    framework::SharedRequest() = RequestChange;
    Request = RequestChange;
    framework::WindowManager::Initialise();
    FirstField = SET_TimeBetweenCyclesInSeconds;
    framework::SharedRequest() = RequestNone;
    framework::SharedResponse() = ResponseNone;
    SetToolbar(toolbar_);
    AddSecondaryFile(*data::Access_Settings);

    records::SettingsRecord& settings = records::Settings();
    records::SettingsRecord& history = SettingsHistory();
    HistoryKey = ui::CtrlH;
    AddHistoryField(reinterpret_cast<uint8_t*>(&settings), reinterpret_cast<uint8_t*>(&history),
                    sizeof settings, data::LongAt(&settings.TimeBetweenCyclesInSeconds),
                    data::LongAt(&history.TimeBetweenCyclesInSeconds),
                    SET_TimeBetweenCyclesInSeconds);
    AddResponseButton(Settings_Cancel, ResponseCancelled);
    // The checker pauses at least a second; OK saves what is shown or says what it takes.
    Rules.Range(SET_TimeBetweenCyclesInSeconds, "Time Between Cycles In Seconds", 1, INT32_MAX,
                "seconds");

    // A file that did not open has been reported; the form does not open without it.
    if (data::Relate_Settings->Open() != LevelQuiet) return LevelNotice;
    FilesOpened = 1;
    SetPrimary(*data::Relate_Settings);
    InsertAction = 1;
    DeleteAction = 1;
    ChangeAction = 2;
    CancelAction = 2;
    OkControl = Settings_OK;
    if (PrepareRequest() != LevelQuiet) return LevelNotice;
    FindOrCreateSettings();
    // The cancel question compares with the record as read, so an untouched form closes
    // without asking.
    TakeSavedSnapshot();

    OpenWindow(window);
    window.Bind(SET_TimeBetweenCyclesInSeconds,
                ui::Binding::Int(&settings.TimeBetweenCyclesInSeconds, "n14"));
    // Never smaller than it opened; the entries stretch with a wider window.
    resizer_.Attach(*this);
    RegisterKeys();
    return LevelQuiet;
}

// The checker reads record 1 only: a missing record 1 is made with that id, never with the next
// free number, or an edit here would go to a record the checker never sees.
void ConfigCheckingForm::FindOrCreateSettings() {
    records::SettingsRecord& settings = records::Settings();
    settings.RecordID = kSettingsId;
    if (data::Access_Settings->GetByKey(records::SET_KeyRecID) == LevelQuiet) return;
    if (platform::LastErrorCode() != platform::kRecordNotFound) return;
    settings.RecordID = kSettingsId;
    settings.TimeBetweenCyclesInSeconds = kDefaultSeconds;
    // A failed insert has been reported; the form still shows the default to save.
    static_cast<void>(data::Access_Settings->InsertAsNumbered());
}

void ConfigCheckingForm::EventLoop() {
    window.title = "Edit Settings";
    framework::WindowManager::EventLoop();
}

Level ConfigCheckingForm::Shutdown() {
    Level result = framework::WindowManager::Shutdown();
    if (FilesOpened) data::Relate_Settings->Close();
    FilesOpened = 0;
    errors::GlobalErrors().PopProcedureName("ConfigChecking");
    return result;
}

void ConfigChecking() {
    ConfigCheckingForm form;
    form.Run();
}

}  // namespace tarn::editor
