#pragma once
// One pass over ServicesToCheck in record-number order, run by the process engine.

#include "checker/DailyLog.h"
#include "checker/PassStatus.h"
#include "checker/RestartBackoff.h"
#include "platform/vuft4/UnitWatch.h"

namespace tarn::checker {

// Runs one complete pass, logging to log; its response is left in the thread's shared response.
// restarts (kept across passes) decides when a service that will not stay up is started again;
// without it every service found not running is started. Returns what the pass found.
PassCounts ReadThroughServices(DailyLog& log, RestartBackoff* restarts = nullptr);
// Checks, as a pass would, the records of this computer naming one of the stopped services (the
// list read again now: a record deleted meanwhile is not checked), with the same log lines,
// stamps and restarts. A service that had stayed up before it stopped is first told to restarts
// as running.
PassCounts CheckStoppedServices(DailyLog& log, RestartBackoff* restarts,
                                const std::vector<vuft4::UnitWatch::Stopped>& stopped);

}  // namespace tarn::checker
