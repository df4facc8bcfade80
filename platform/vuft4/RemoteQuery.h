#pragma once
// What is said to another computer's shell, and how its answer is read. One command answers for
// all the services asked of a host in a pass: it finds out there whether systemd runs that
// machine (/run/systemd/system, as here) and asks either `systemctl show` once for all their
// service units or `service NAME status` for each name, printing each exit code.
//
// Every name given must be PlainRemoteServiceName (RemoteNames.h); each is single-quoted.
// Answers map to the codes of Vuft4.h exactly as the local back ends map theirs.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarn::vuft4 {

enum class RemoteManager { Unknown, Systemd, Sysv };

struct RemoteAnswer {
    RemoteManager manager = RemoteManager::Unknown;  // Unknown: the command did not run there
    std::map<std::string, int32_t> status;           // per name answered; a missing name is -1
};

// The command asking for the status of names.
std::string StatusCommand(const std::vector<std::string>& names);
// Reads what StatusCommand printed for names.
RemoteAnswer ReadStatusAnswer(const std::string& output, const std::vector<std::string>& names);
// The command starting name under manager; "" when there is nothing to start (no service unit
// under systemd, or no known manager).
std::string StartCommand(RemoteManager manager, const std::string& name);

}  // namespace tarn::vuft4
