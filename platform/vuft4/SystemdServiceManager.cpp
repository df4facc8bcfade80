#include "platform/vuft4/SystemdServiceManager.h"

#include <sstream>

#include "platform/system/NoCase.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

int32_t SystemdStatusOfStates(std::string_view loadState, std::string_view activeState) {
    if (loadState.empty() || loadState == "not-found" || loadState == "bad-setting" ||
        loadState == "error") {
        return kServiceUnknown;
    }
    if (activeState == "active" || activeState == "reloading") return kServiceRunning;
    if (activeState == "inactive" || activeState == "failed") return kServiceStopped;
    if (activeState == "activating") return kServiceStartPending;
    if (activeState == "deactivating") return kServiceStopPending;
    return kServiceUnknown;
}

int32_t SystemdStatusOf(const std::string& showOutput) {
    std::string loadState, activeState;
    std::istringstream lines(showOutput);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("LoadState=", 0) == 0) loadState = line.substr(10);
        if (line.rfind("ActiveState=", 0) == 0) activeState = line.substr(12);
    }
    return SystemdStatusOfStates(loadState, activeState);
}

namespace {

// Unit types other than services; systemctl takes a name ending in one of these as that unit.
constexpr const char* kOtherUnitTypes[] = {"socket", "device", "mount", "automount", "swap",
                                           "target", "path",   "timer", "slice",     "scope"};

}  // namespace

std::optional<std::string> ServiceUnitOf(const std::string& name) {
    if (name.find_first_of("*?[") != std::string::npos) return std::nullopt;
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        const std::string suffix = name.substr(dot + 1);
        if (platform::EqualNoCase(suffix, "service")) return name;
        for (const char* type : kOtherUnitTypes)
            if (platform::EqualNoCase(suffix, type)) return std::nullopt;
    }
    return name + ".service";
}

int32_t SystemdServiceManager::Status(const std::string& name) {
    const std::optional<std::string> unit = ServiceUnitOf(name);
    if (!unit) return kServiceUnknown;
    const ChildResult r =
        RunChild({tool_, "show", "-p", "LoadState,ActiveState,SubState", "--", *unit},
                 CurrentTimeLimits().statusMs, true);
    if (r.outcome != ChildResult::Outcome::Exited || r.exitCode != 0) return kServiceUnknown;
    return SystemdStatusOf(r.output);
}

StartReport SystemdServiceManager::Start(const std::string& name) {
    const std::optional<std::string> unit = ServiceUnitOf(name);
    if (!unit) return {};
    return {ToolName(tool_) + " start " + *unit,
            RunChild({tool_, "start", "--", *unit}, CurrentTimeLimits().startMs, true, true)};
}

}  // namespace tarn::vuft4
