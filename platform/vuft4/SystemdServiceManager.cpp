#include "platform/vuft4/SystemdServiceManager.h"

#include <sstream>

#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

int32_t SystemdStatusOf(const std::string& showOutput) {
    std::string loadState, activeState;
    std::istringstream lines(showOutput);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("LoadState=", 0) == 0) loadState = line.substr(10);
        if (line.rfind("ActiveState=", 0) == 0) activeState = line.substr(12);
    }
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

int32_t SystemdServiceManager::Status(const std::string& name) {
    const ChildResult r =
        RunChild({tool_, "show", "-p", "LoadState,ActiveState,SubState", "--", name},
                 CurrentTimeLimits().statusMs, true);
    if (r.outcome != ChildResult::Outcome::Exited || r.exitCode != 0) return kServiceUnknown;
    return SystemdStatusOf(r.output);
}

void SystemdServiceManager::Start(const std::string& name) {
    RunChild({tool_, "start", "--", name}, CurrentTimeLimits().startMs, false);
}

}  // namespace tarn::vuft4
