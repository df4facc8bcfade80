#pragma once
// Where the shared SSH connections of the checker keep their sockets: one connection per host,
// reused from pass to pass, reachable only by the checker's own user.
#include <string>

namespace tarn::vuft4 {

// A folder made once (mode 0700, by mkdtemp) in $RUNTIME_DIRECTORY when systemd gives one, else
// in /tmp, and removed with its sockets when the program exits normally; "" when none can be
// made (connections are then not shared). The path leaves room for a socket named by ssh's %C
// within the 108 bytes a socket path may take.
std::string SshControlFolder();

// The folder a control folder is made in: runtimeDirectory (first of a ':'-separated list) when
// it is absolute and short enough, else /tmp.
std::string ControlFolderBase(const char* runtimeDirectory);

}  // namespace tarn::vuft4
