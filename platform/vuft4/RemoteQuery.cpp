#include "platform/vuft4/RemoteQuery.h"

#include <optional>
#include <sstream>

#include "platform/vuft4/RemoteNames.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

namespace {

// The tools live in sbin folders that a remote login's PATH may lack; they come after its own.
constexpr const char* kPathLine = "PATH=\"$PATH:/usr/sbin:/sbin\"; ";
constexpr const char* kSystemdMarker = "tarn-manager=systemd";
constexpr const char* kSysvMarker = "tarn-manager=sysv";
constexpr const char* kExitPrefix = "tarn-exit=";
constexpr int kLsbUnknown = 4;

// The SysV part for the name at index: a script that is not there is unknown, as here.
std::string SysvStatusPart(const std::string& name, size_t index) {
    const std::string quoted = SingleQuoted(name);
    return "if [ -f /etc/init.d/" + quoted + " ]; then service " + quoted +
           " status </dev/null >/dev/null 2>&1; echo " + kExitPrefix + std::to_string(index) +
           ":$?; fi; ";
}

int32_t SysvStatusOf(int exitCode) {
    if (exitCode == 0) return kServiceRunning;
    if (exitCode == kLsbUnknown) return kServiceUnknown;
    return kServiceStopped;
}

// The blocks of systemctl show, one per unit, separated by blank lines.
std::vector<std::string> ShowBlocks(std::istream& lines) {
    std::vector<std::string> blocks;
    std::string block;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) {
            if (!block.empty()) blocks.push_back(std::move(block));
            block.clear();
        } else {
            block += line + "\n";
        }
    }
    if (!block.empty()) blocks.push_back(std::move(block));
    return blocks;
}

std::string IdOf(const std::string& block) {
    std::istringstream lines(block);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Id=", 0) == 0) return line.substr(3);
    return "";
}

// Blocks answer the units in the order asked; when some are missing, only a block whose Id is
// the unit asked answers for it.
void ReadSystemd(std::istream& lines, const std::vector<std::string>& names, RemoteAnswer& answer) {
    std::vector<std::pair<std::string, std::string>> asked;  // (name, unit)
    for (const std::string& name : names)
        if (std::optional<std::string> unit = ServiceUnitOf(name)) asked.emplace_back(name, *unit);
    const std::vector<std::string> blocks = ShowBlocks(lines);
    for (size_t i = 0; i < asked.size(); ++i) {
        for (size_t b = 0; b < blocks.size(); ++b) {
            const bool inOrder = blocks.size() == asked.size() && b == i;
            if (inOrder || (blocks.size() != asked.size() && IdOf(blocks[b]) == asked[i].second)) {
                answer.status[asked[i].first] = SystemdStatusOf(blocks[b]);
                break;
            }
        }
    }
}

void ReadSysv(std::istream& lines, const std::vector<std::string>& names, RemoteAnswer& answer) {
    const std::string prefix = kExitPrefix;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        size_t index = 0, code = 0;
        char colon = 0;
        std::istringstream fields(line.substr(prefix.size()));
        if (fields >> index >> colon >> code && colon == ':' && index < names.size())
            answer.status[names[index]] = SysvStatusOf(static_cast<int>(code));
    }
}

}  // namespace

std::string StatusCommand(const std::vector<std::string>& names) {
    std::string units;
    for (const std::string& name : names)
        if (std::optional<std::string> unit = ServiceUnitOf(name))
            units += " " + SingleQuoted(*unit);
    std::string command = std::string(kPathLine) + "if [ -d /run/systemd/system ]; then echo " +
                          kSystemdMarker + "; ";
    // Without a unit systemctl show would describe the manager itself.
    if (!units.empty()) command += "systemctl show -p Id,LoadState,ActiveState --" + units + "; ";
    command += std::string("else echo ") + kSysvMarker + "; ";
    for (size_t i = 0; i < names.size(); ++i) command += SysvStatusPart(names[i], i);
    return command + "fi";
}

RemoteAnswer ReadStatusAnswer(const std::string& output, const std::vector<std::string>& names) {
    RemoteAnswer answer;
    std::istringstream lines(output);
    std::string first;
    while (std::getline(lines, first) && first != kSystemdMarker && first != kSysvMarker) {
    }
    if (first == kSystemdMarker) {
        answer.manager = RemoteManager::Systemd;
        ReadSystemd(lines, names, answer);
    } else if (first == kSysvMarker) {
        answer.manager = RemoteManager::Sysv;
        ReadSysv(lines, names, answer);
    }
    return answer;
}

std::string StartCommand(RemoteManager manager, const std::string& name) {
    // A daemon keeping the session's output open would hold the connection until the limit.
    const std::string quiet = " </dev/null >/dev/null 2>&1";
    if (manager == RemoteManager::Systemd) {
        const std::optional<std::string> unit = ServiceUnitOf(name);
        if (!unit) return "";
        return std::string(kPathLine) + "systemctl start -- " + SingleQuoted(*unit) + quiet;
    }
    if (manager == RemoteManager::Sysv)
        return std::string(kPathLine) + "service " + SingleQuoted(name) + " start" + quiet;
    return "";
}

}  // namespace tarn::vuft4
