#include "platform/vuft4/SshRunner.h"

#include "platform/system/ControlEscape.h"

namespace tarn::vuft4 {

namespace {

// ssh's own exit code for a failure of its own (the remote command's codes pass through).
constexpr int kSshFailed = 255;
constexpr const char* kPersist = "ControlPersist=300";

bool Says(const std::string& text, const char* words) {
    return text.find(words) != std::string::npos;
}

// The first line ssh said that is not a warning, as a hint when no known failure matched.
std::string FirstLine(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.rfind("Warning:", 0) != 0) return platform::EscapeControls(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return "";
}

}  // namespace

std::vector<std::string> SshArguments(const std::string& destination, const std::string& command,
                                      const std::string& configFile,
                                      const std::string& controlFolder, int connectSeconds) {
    std::vector<std::string> words = {"ssh"};
    if (!configFile.empty()) words.insert(words.end(), {"-F", configFile});
    words.insert(words.end(),
                 {"-o", "BatchMode=yes", "-o", "ConnectTimeout=" + std::to_string(connectSeconds)});
    if (!controlFolder.empty())
        words.insert(words.end(), {"-o", "ControlMaster=auto", "-o", kPersist, "-o",
                                   "ControlPath=" + controlFolder + "/%C"});
    words.insert(words.end(), {"--", destination, command});
    return words;
}

std::string SshFailure(const ChildResult& result) {
    using Outcome = ChildResult::Outcome;
    if (result.outcome == Outcome::NotStarted) return "no ssh client (ssh) found on PATH";
    if (result.outcome == Outcome::TimedOut) return "timed out (no answer in time)";
    if (result.outcome == Outcome::Signalled) return "ssh was killed";
    const std::string& said = result.output;  // standard error joins it
    if (Says(said, "IDENTIFICATION HAS CHANGED"))
        return "host key changed (not the machine known_hosts names)";
    if (Says(said, "Host key verification failed") || Says(said, "host key is known"))
        return "host key unknown (not in known_hosts)";
    if (Says(said, "Connection refused")) return "connection refused";
    if (Says(said, "timed out")) return "timed out (no answer in time)";
    if (Says(said, "Permission denied")) return "permission denied (no key accepted)";
    if (Says(said, "Could not resolve hostname") || Says(said, "not known")) return "name unknown";
    if (Says(said, "No route to host") || Says(said, "Network is unreachable"))
        return "no route to the host";
    const std::string hint = FirstLine(said);
    return "ssh failed (exit code " + std::to_string(result.exitCode) + ")" +
           (hint.empty() ? "" : ": " + hint);
}

}  // namespace tarn::vuft4
