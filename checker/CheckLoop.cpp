#include "checker/CheckLoop.h"

#include <fcntl.h>
#include <unistd.h>

#include "checker/BetweenPasses.h"
#include "checker/DataFolderTrust.h"
#include "checker/FolderLock.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/ini/IniStore.h"
#include "framework/window/HistoryWindow.h"
#include "platform/system/Clock.h"
#include "platform/system/Folders.h"
#include "platform/system/LastError.h"
#include "platform/system/Process.h"
#include "platform/system/SafeOpen.h"
#include "platform/system/ServiceNotify.h"
#include "platform/system/Watchdog.h"
#include "platform/ui/Runtime.h"
#include "platform/vuft4/ChildProcess.h"

namespace tarn::checker {

std::string StartUp() {
    // Before anything else: a stop asked for by systemd while the checker starts is said too.
    platform::NotifyStoppingOnSigterm();
    // Root takes no orders from files another user could have written.
    if (geteuid() == 0) {
        const std::string refusal = DataFolderRefusal(0);
        if (!refusal.empty()) platform::Halt(1, "tarnwatch: " + refusal);
    }
    if (LockDataFolder() == FolderLock::HeldElsewhere)
        platform::Halt(1, "tarnwatch: another checker is already running in " +
                              platform::CurrentFolder() +
                              " (it holds the lock on that folder); this one ends");
    errors::GlobalErrors().Init();
    framework::InstallHistoryWindow(errors::GlobalErrors());
    framework::GlobalIniStore().Open("./Tarnwatch.INI");
    data::DictionaryInit(true);
    return SetUpLogFolder();
}

std::string SetUpLogFolder() {
    // Relative to the folder the checker was started in, which stays its current folder: a
    // renamed data folder is followed instead of its old path being made again.
    const std::string logFolder = "logfiles";
    const platform::SafeOpened made = platform::MakeOwnFolder(AT_FDCWD, logFolder);
    if (made.fd >= 0) ::close(made.fd);
    return logFolder;
}

int32_t LoadSettings(DailyLog& log) {
    // A Settings file that cannot be used has been reported by its manager (a fatal message
    // ends the checker); otherwise the cycle time falls back to the default below.
    data::FileManager& settingsFile = *data::Access_Settings;
    const bool settingsUsable =
        settingsFile.Open() == LevelQuiet && settingsFile.EnsureUsable(2) == LevelQuiet;
    log.Open();

    records::SettingsRecord& settings = records::Settings();
    settings.RecordID = 1;
    if (settingsUsable && settingsFile.GetByKeyQuiet(records::SET_KeyRecID) != LevelQuiet &&
        platform::LastErrorCode() == platform::kRecordNotFound) {
        // Made with the number 1 itself, not the next free one: the editor saves the cycle time
        // into record 1. A failed insert is not reported; the 60 seconds stay in the buffer.
        settings.RecordID = 1;
        settings.TimeBetweenCyclesInSeconds = 60;
        static_cast<void>(settingsFile.InsertAsNumbered(0));
    }

    // Cycle times that do not fit in milliseconds, and negative ones, fall back to the default
    // instead of spinning or overflowing.
    int32_t seconds = settings.TimeBetweenCyclesInSeconds;
    if (seconds <= 0 || seconds > INT32_MAX / 1000) seconds = 60;
    log.SettingsLoaded(seconds);
    return seconds * 1000;
}

void CheckLoop(const std::string& logFolder) {
    DailyLog log(logFolder);
    const int32_t sleepMilliseconds = LoadSettings(log);
    const int32_t sleepSeconds = sleepMilliseconds / 1000;
    RestartBackoff restarts(sleepSeconds);
    // A start may take up to its limit (90 s), longer than the watchdog waits: the wait for it
    // keeps the watchdog fed, as the sleep between passes does.
    vuft4::SetChildWaitHook(platform::KeepAlive);
    platform::NotifyService("READY=1\nSTATUS=Settings loaded (cycle time " +
                            std::to_string(sleepSeconds) + " s); first pass");
    platform::KeepAlive();
    for (;;) {
        ui::Yield();
        restarts.PassBegins();
        const PassCounts counts = ReadThroughServices(log, &restarts);
        platform::NotifyService("STATUS=" +
                                PassStatusText(counts, platform::Clock(), sleepSeconds));
        WaitForNextPass(log, restarts, static_cast<uint32_t>(sleepMilliseconds));
    }
}

}  // namespace tarn::checker
