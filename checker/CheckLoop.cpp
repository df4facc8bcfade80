#include "checker/CheckLoop.h"

#include "checker/CheckerGlobals.h"
#include "checker/DailyLog.h"
#include "checker/ReadThroughServices.h"
#include "data/DataFileManagers.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/HistoryWindow.h"
#include "framework/IniStore.h"
#include "platform/system/Clock.h"
#include "platform/system/LastError.h"
#include "platform/system/Process.h"
#include "platform/ui/Runtime.h"

namespace tarn::checker {

void StartUp() {
    errors::GlobalErrors().Init();
    framework::InstallHistoryWindow(errors::GlobalErrors());
    framework::GlobalIniStore().Open("./Tarnwatch.INI");
    data::DictionaryInit(true);
    SetUpFolders(platform::Today());
}

void LoadSettings() {
    CheckerGlobals& g = Globals();
    records::QuorvelCheckServiceLogFile().SetName(g.LogFileName);

    data::Access_Settings->Open();
    data::Access_Settings->EnsureUsable(2);
    data::Access_QuorvelCheckServiceLog->Open();
    data::Access_QuorvelCheckServiceLog->EnsureUsable(2);

    records::SettingsRecord& settings = records::Settings();
    settings.RecordID = 1;
    if (data::Access_Settings->GetByKeyQuiet(records::SET_KeyRecID) != LevelQuiet &&
        platform::LastErrorCode() == platform::kRecordNotFound) {
        settings.RecordID = 1;
        settings.TimeBetweenCyclesInSeconds = 60;
        data::Access_Settings->InsertQuiet();
    }

    // Cycle times that do not fit in milliseconds, and negative ones, fall back to the default
    // instead of spinning or overflowing.
    int32_t seconds = settings.TimeBetweenCyclesInSeconds;
    if (seconds <= 0 || seconds > INT32_MAX / 1000) seconds = 60;
    g.SleepMilliseconds = seconds * 1000;
    WriteLogLine("  Loaded Settings. Sleep Time = " + std::to_string(g.SleepMilliseconds / 1000));
}

void CheckLoop() {
    LoadSettings();
    for (;;) {
        ui::Yield();
        ReadThroughServices();
        platform::Sleep(static_cast<uint32_t>(Globals().SleepMilliseconds));
    }
}

}  // namespace tarn::checker
