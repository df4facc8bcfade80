#pragma once
// The error history window: shows a copy of the error manager's history in a MessageWindow.
#include <string_view>
#include <vector>

#include "errors/ErrorManager.h"

namespace tarn::framework {

// Shows the entries and returns the button pressed, or defaultButton when the window was closed
// otherwise or there is no front end to show it on.
int ShowHistoryWindow(errors::ErrorManager& err, const std::vector<errors::HistoryEntry>& history,
                      std::string_view caption, std::string_view icon, int buttons,
                      int defaultButton);

// Makes err show its history in the history window (done once at program start).
void InstallHistoryWindow(errors::ErrorManager& err);

}  // namespace tarn::framework
