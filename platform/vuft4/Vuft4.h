#pragma once
// The service utility library: service status and start, command launcher, folders and the
// computer's name, as the checker and the editor call them.
//
// Status codes: 6 running; 0 stopped or failed; -1 unknown service, unreachable computer or no
// answer in time; 2 start pending; 3 stop pending. A server name that is blank, "." ,
// "localhost" or this computer's name (ignoring case) means this computer; any other is another
// computer, asked over SSH (RemoteHosts.h). A service name is used exactly as stored or not at
// all: here one that a quoted "net start" command cannot carry intact (a quote in it, a trailing
// backslash) answers -1 and is never started. The work is done by the ServiceManager chosen at
// start (ServiceManager.h).
#include <cstdint>
#include <string>

namespace tarn::vuft4 {

enum ServiceStatus : int32_t {
    kServiceUnknown = -1,
    kServiceStopped = 0,
    kServiceStartPending = 2,
    kServiceStopPending = 3,
    kServiceRunning = 6,
};

// The status of service on server (see above). Null pointers count as blank texts.
int32_t VUSERVICESTATUS(const char* server, const char* service);
// How a command line ended: its exit code as VURUN answers it, and for a service start that was
// run, why it may not have taken (StartReason in StartReport.h; empty otherwise).
struct CommandOutcome {
    int32_t code = -1;
    std::string startReason;
};
// What VURUN does, with the start's reason kept for whoever says why a service did not start.
CommandOutcome RunCommand(const char* commandLine);

// Runs the command line and waits for it (within a time limit). net start "NAME" starts NAME
// through the service manager, and answers -1 without starting anything when the rest of the
// line is not one name that reads back exactly (CommandLine.h); anything else is split like a
// Windows command line and run directly, never through a shell. Returns the command's exit code; -1
// when it could not be run, was killed or ran out of time. The two integers are accepted and not
// used.
int32_t VURUN(const char* commandLine, int32_t show, int32_t wait);
// Nonzero when path names an existing folder.
int32_t VUFOLDEREXISTS(const char* path);
// Creates the folder with its missing parents; nonzero when it exists afterwards.
int32_t VUCREATEDIRECTORY(const char* path);
// This computer's name (at most 127 bytes); the text lives until the same thread calls again.
const char* VUCOMPUTERNAME();

// True when serverName (blanks around it ignored) means this computer: its services are started
// with VURUN, those of another computer through RemoteHosts.
bool IsThisComputer(const char* serverName);

}  // namespace tarn::vuft4
