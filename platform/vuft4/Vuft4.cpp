#include "platform/vuft4/Vuft4.h"

#include <string>

#include "platform/system/Folders.h"
#include "platform/system/NoCase.h"
#include "platform/system/TextCut.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/CommandLine.h"
#include "platform/vuft4/LocalServices.h"
#include "platform/vuft4/RemoteHosts.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/TimeLimits.h"

namespace tarn::vuft4 {

namespace {

constexpr long kComputerNameBytes = 127;

std::string TextOf(const char* s) { return s ? s : ""; }

}  // namespace

bool IsThisComputer(const char* serverName) {
    const std::string server(platform::TrimSpaces(TextOf(serverName)));
    if (server.empty() || server == "." || platform::EqualNoCase(server, "localhost")) return true;
    const std::string host = platform::ComputerName();
    // The host name may be fully qualified while the operator types only its first label.
    return !host.empty() && (platform::EqualNoCase(server, host) ||
                             platform::EqualNoCase(server, host.substr(0, host.find('.'))));
}

int32_t VUSERVICESTATUS(const char* server, const char* service) {
    if (!IsThisComputer(server))
        return CurrentRemoteHosts().Status(TextOf(server), TextOf(service));
    // A name the restart command cannot carry intact is never asked about, so never started.
    const std::optional<std::string> name = UsableLocalName(TextOf(service));
    if (!name) return kServiceUnknown;
    if (const std::optional<int32_t> answer = CurrentLocalServices().Answer(*name)) return *answer;
    return CurrentServiceManager()->Status(*name);
}

CommandOutcome RunCommand(const char* commandLine) {
    const NetStartLine netStart = ReadNetStart(TextOf(commandLine));
    if (netStart.isNetStart) {
        if (!netStart.name) return {};
        CurrentLocalServices().Forget(*netStart.name);
        return {0, StartReason(CurrentServiceManager()->Start(*netStart.name))};
    }
    const std::vector<std::string> words = SplitCommandLine(TextOf(commandLine));
    if (words.empty()) return {};
    const ChildResult r = RunChild(words, CurrentTimeLimits().runMs, false);
    return {r.outcome == ChildResult::Outcome::Exited ? r.exitCode : -1, ""};
}

int32_t VURUN(const char* commandLine, int32_t, int32_t) { return RunCommand(commandLine).code; }

int32_t VUFOLDEREXISTS(const char* path) { return platform::FolderExists(TextOf(path)) ? 1 : 0; }

int32_t VUCREATEDIRECTORY(const char* path) { return platform::CreateFolder(TextOf(path)) ? 1 : 0; }

const char* VUCOMPUTERNAME() {
    thread_local std::string name;
    name = platform::CutText(platform::ComputerName(), kComputerNameBytes);
    return name.c_str();
}

}  // namespace tarn::vuft4
