#pragma once
// The checker's program-wide values, set once at start-up.
#include <cstdint>
#include <string>

namespace tarn::checker {

struct CheckerGlobals {
    std::string AppFolder;    // the current folder at start, long form, at most 254 characters
    std::string LogFolder;    // AppFolder + "/logfiles"
    std::string LogFileName;  // LogFolder + "/Tarnwatch" + start date (yyyymmdd) + ".log"
    int32_t SleepMilliseconds = 0;
};

CheckerGlobals& Globals();

// Sets AppFolder, LogFolder (created when missing) and LogFileName for a start on startDay.
void SetUpFolders(int32_t startDay);

}  // namespace tarn::checker
