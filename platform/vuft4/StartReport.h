#pragma once
// What one start of a service did, so that a start that did not take can say why.
#include <string>

#include "platform/vuft4/ChildProcess.h"

namespace tarn::vuft4 {

struct StartReport {
    StartReport() = default;
    StartReport(std::string command, ChildResult result)
        : command(std::move(command)), result(std::move(result)) {}

    std::string command;  // the start as an operator would type it; empty when nothing was run
    ChildResult result;   // its end, with standard output and error (at most 64 KiB)
    // How a start that ran no tool ended, in words after the command; empty for a tool's start.
    std::string ending;
};

// A tool's name as the start is told: the last part of its path.
std::string ToolName(const std::string& program);

// "StartUnit x.service " and the ending, for a start that ran no tool; else
// "systemctl start x.service exited with 1: <first line of its output>", or "... was ended by a
// signal", "... did not end within 90 s", "... could not be run"; empty when nothing was run.
// The line is the first that is not blank, its control characters escaped (ControlEscape.h).
std::string StartReason(const StartReport& report);

}  // namespace tarn::vuft4
