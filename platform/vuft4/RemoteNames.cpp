#include "platform/vuft4/RemoteNames.h"

namespace tarn::vuft4 {

namespace {

bool Alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool HostPart(std::string_view part) {
    if (part.empty() || part.front() == '-') return false;
    for (char c : part)
        if (!Alnum(c) && c != '.' && c != '-' && c != '_') return false;
    return true;
}

}  // namespace

bool PlainDestination(std::string_view server) {
    const size_t at = server.find('@');
    if (at == std::string_view::npos) return HostPart(server);
    return HostPart(server.substr(0, at)) && HostPart(server.substr(at + 1));
}

bool PlainRemoteServiceName(std::string_view name) {
    if (name.empty() || name.front() == '-' || name == "." || name == "..") return false;
    for (char c : name)
        if (!Alnum(c) && c != ':' && c != '_' && c != '.' && c != '@' && c != '-') return false;
    return true;
}

std::string SingleQuoted(std::string_view text) {
    // Only checked names get here; a quote is still closed, escaped and reopened, so that no
    // caller's slip can end the quoting.
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace tarn::vuft4
