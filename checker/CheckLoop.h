#pragma once
// The checker's first procedure: load the cycle time once, then pass and sleep for ever.

namespace tarn::checker {

// Start-up in the fixed order: error manager, INI store, data managers, folders and log name.
void StartUp();
// Reads (or creates) the settings record, opens the log and writes the settings line.
void LoadSettings();
// Never returns: yield, one pass over the services, sleep.
[[noreturn]] void CheckLoop();

}  // namespace tarn::checker
