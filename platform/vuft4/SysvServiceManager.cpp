#include "platform/vuft4/SysvServiceManager.h"

#include <sys/stat.h>

#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

namespace {

constexpr int kLsbUnknown = 4;

bool PlainScriptName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.front() != '-' &&
           name.find('/') == std::string::npos;
}

}  // namespace

bool SysvServiceManager::Known(const std::string& name) const {
    struct stat st {};
    return PlainScriptName(name) && stat((initDir_ + "/" + name).c_str(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

int32_t SysvServiceManager::Status(const std::string& name) {
    if (!Known(name)) return kServiceUnknown;
    const ChildResult r = RunChild({tool_, name, "status"}, CurrentTimeLimits().statusMs, false);
    if (r.outcome != ChildResult::Outcome::Exited) return kServiceUnknown;
    if (r.exitCode == 0) return kServiceRunning;
    if (r.exitCode == kLsbUnknown) return kServiceUnknown;
    // 3 (not running), 1 and 2 (dead, a pid or lock file left) and the rest: restart it.
    return kServiceStopped;
}

StartReport SysvServiceManager::Start(const std::string& name) {
    if (!Known(name)) return {};
    return {ToolName(tool_) + " " + name + " start",
            RunChild({tool_, name, "start"}, CurrentTimeLimits().startMs, true, true)};
}

}  // namespace tarn::vuft4
