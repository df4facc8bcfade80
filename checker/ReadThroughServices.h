#pragma once
// One pass over ServicesToCheck in record-number order, run by the process engine.

namespace tarn::checker {

// Runs one complete pass; its response is left in the thread's shared response.
void ReadThroughServices();

}  // namespace tarn::checker
