#include "platform/vuft4/SysvServiceManager.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "platform/system/FileTrust.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/ProgramSearch.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

namespace {

constexpr int kLsbUnknown = 4;

// What `service` hands on (env -i with each of these, set or not), in its order.
constexpr const char* kServiceVariables[] = {
    "LANG",       "LANGUAGE",     "LC_CTYPE",       "LC_NUMERIC",        "LC_TIME",
    "LC_COLLATE", "LC_MONETARY",  "LC_MESSAGES",    "LC_PAPER",          "LC_NAME",
    "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION", "LC_ALL"};

bool PlainScriptName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.front() != '-' &&
           name.find('/') == std::string::npos;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return std::string(name) + "=" + (value ? value : "");
}

int32_t StatusOfExit(const ChildResult& r) {
    if (r.outcome != ChildResult::Outcome::Exited) return kServiceUnknown;
    if (r.exitCode == 0) return kServiceRunning;
    if (r.exitCode == kLsbUnknown) return kServiceUnknown;
    // 3 (not running), 1 and 2 (dead, a pid or lock file left) and the rest: restart it.
    return kServiceStopped;
}

}  // namespace

std::vector<std::string> InitScriptEnvironment(const std::string& searchPath) {
    std::vector<std::string> variables;
    for (const char* name : kServiceVariables) variables.push_back(Variable(name));
    variables.push_back("PATH=" + searchPath);
    variables.push_back(Variable("TERM"));
    return variables;
}

SysvServiceManager::Script SysvServiceManager::Examine(const std::string& name) {
    const std::string path = initDir_ + "/" + name;
    struct stat st {};
    if (!PlainScriptName(name) || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Script::Missing;
    if (geteuid() == 0) {
        // The script runs as root: only one that nobody but root could have written.
        const std::string reason = platform::UntrustedReason(st, 0);
        if (!reason.empty()) {
            std::lock_guard<std::mutex> hold(lock_);
            if (refused_.insert(name).second)
                notices_.push_back("will not run the init script " + path + ": it is " + reason +
                                   "; as root the checker runs only init scripts owned by uid 0 "
                                   "and not writable by group or others; " +
                                   name + " is logged as unknown (-1) and not started");
            return Script::Refused;
        }
    }
    return access(path.c_str(), X_OK) == 0 ? Script::Direct : Script::ThroughTool;
}

int32_t SysvServiceManager::Status(const std::string& name) {
    const int64_t limit = CurrentTimeLimits().statusMs;
    switch (Examine(name)) {
        case Script::Missing:
        case Script::Refused:
            return kServiceUnknown;
        case Script::ThroughTool:
            return StatusOfExit(RunChild({tool_, name, "status"}, limit, false));
        case Script::Direct:
            break;
    }
    const ChildSetting setting{InitScriptEnvironment(ProgramSearchPath()), "/"};
    return StatusOfExit(RunChildWith({initDir_ + "/" + name, "status"}, setting, limit));
}

// Starts are rare (a stopped service, once per pass): they stay with the tool, whose name the
// start's report gives.
StartReport SysvServiceManager::Start(const std::string& name) {
    const Script script = Examine(name);
    if (script == Script::Missing || script == Script::Refused) return {};
    return {ToolName(tool_) + " " + name + " start",
            RunChild({tool_, name, "start"}, CurrentTimeLimits().startMs, true, true)};
}

std::vector<std::string> SysvServiceManager::TakeNotices() {
    std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(notices_, {});
}

}  // namespace tarn::vuft4
