#pragma once
// Services of SysV init scripts. A status runs the script itself (`initDir/NAME status`) when it
// is an executable file, with the environment and folder the `service` tool would give it (only
// the locale variables, TERM and PATH; the root folder): the same answer without the tool's
// shell and its programs. Other names and every start go through the `service` tool.
//
// Only a plain script name of initDir is passed on: a name that is empty, ".", "..", holds '/'
// or starts with '-' (the tool would read it as an option) answers -1 and is never started.
// Run as root, a script that is not owned by root or that its group or others may write is
// neither run nor started (it answers -1) and is said once (TakeNotices).
#include <mutex>
#include <set>

#include "platform/vuft4/ServiceManager.h"

namespace tarn::vuft4 {

class SysvServiceManager : public ServiceManager {
  public:
    explicit SysvServiceManager(std::string tool = "service", std::string initDir = "/etc/init.d")
        : tool_(std::move(tool)), initDir_(std::move(initDir)) {}

    // The exit code of the script's (or `service NAME`'s) status: 0 -> 6; 1, 2, 3 and other
    // codes -> 0; 4 (unknown), no script in initDir, a refused script or no answer in time -> -1.
    int32_t Status(const std::string& name) override;
    // `service NAME start`, its output and errors kept.
    StartReport Start(const std::string& name) override;
    // The scripts refused since the last call, in words, each script once for the process's life.
    std::vector<std::string> TakeNotices() override;

  private:
    enum class Script { Missing, Refused, ThroughTool, Direct };
    Script Examine(const std::string& name);

    std::string tool_;
    std::string initDir_;
    std::mutex lock_;  // Status runs on several threads at once
    std::set<std::string> refused_;
    std::vector<std::string> notices_;
};

// The environment `service` gives an init script, from this process's: LANG, LANGUAGE, the
// LC_ variables and TERM (empty when unset, as the tool passes them), and PATH = searchPath.
std::vector<std::string> InitScriptEnvironment(const std::string& searchPath);

}  // namespace tarn::vuft4
