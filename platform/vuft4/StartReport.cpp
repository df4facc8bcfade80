#include "platform/vuft4/StartReport.h"

#include "platform/system/ControlEscape.h"
#include "platform/system/TextCut.h"
#include "platform/vuft4/TimeLimits.h"

namespace tarn::vuft4 {

namespace {

std::string FirstLine(const std::string& output) {
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string_view line(output.data() + start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!platform::TrimSpaces(line).empty()) return platform::EscapeControls(line);
        start = end + 1;
    }
    return "";
}

}  // namespace

std::string ToolName(const std::string& program) {
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? program : program.substr(slash + 1);
}

std::string StartReason(const StartReport& report) {
    if (report.command.empty()) return "";
    if (!report.ending.empty()) return report.command + " " + report.ending;
    const ChildResult& r = report.result;
    switch (r.outcome) {
        case ChildResult::Outcome::Exited: {
            const std::string line = FirstLine(r.output);
            return report.command + " exited with " + std::to_string(r.exitCode) +
                   (line.empty() ? "" : ": " + line);
        }
        case ChildResult::Outcome::Signalled:
            return report.command + " was ended by a signal";
        case ChildResult::Outcome::TimedOut:
            return report.command + " did not end within " +
                   std::to_string(CurrentTimeLimits().startMs / 1000) + " s";
        case ChildResult::Outcome::NotStarted:
            break;
    }
    return report.command + " could not be run";
}

}  // namespace tarn::vuft4
