#pragma once
// One pass over ServicesToCheck in record-number order, run by the process engine.

#include "checker/DailyLog.h"

namespace tarn::checker {

// Runs one complete pass, logging to log; its response is left in the thread's shared response.
void ReadThroughServices(DailyLog& log);

}  // namespace tarn::checker
