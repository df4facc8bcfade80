#pragma once
// The checker's start-up and its first procedure: load the cycle time once, then pass and sleep
// for ever.
#include <cstdint>
#include <string>

#include "checker/DailyLog.h"

namespace tarn::checker {

// Start-up in the fixed order: the data folder's trust (as root) and lock, error manager, INI
// store, data managers, log folder. Returns the daily log's folder. A data folder root cannot
// trust (DataFolderTrust.h), or another checker holding it, ends this one with a message and
// exit code 1.
std::string StartUp();
// Makes "logfiles" in the current folder when it is missing (0755, not following a link) and
// returns its name relative to the current folder.
std::string SetUpLogFolder();
// Reads (or creates) the settings record 1, opens the log and writes the settings line. Returns
// the pause between passes in milliseconds.
int32_t LoadSettings(DailyLog& log);
// Never returns: yield, one pass over the services, sleep.
[[noreturn]] void CheckLoop(const std::string& logFolder);

}  // namespace tarn::checker
