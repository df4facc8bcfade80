#pragma once
// One pass over ServicesToCheck in record-number order, run by the process engine.

#include "checker/DailyLog.h"
#include "checker/PassStatus.h"
#include "checker/RestartBackoff.h"

namespace tarn::checker {

// Runs one complete pass, logging to log; its response is left in the thread's shared response.
// restarts (kept across passes) decides when a service that will not stay up is started again;
// without it every service found not running is started. Returns what the pass found.
PassCounts ReadThroughServices(DailyLog& log, RestartBackoff* restarts = nullptr);

}  // namespace tarn::checker
