#pragma once
// A connection to a lab's systemd (SystemdLab.h) over its private D-Bus socket, from this
// process. systemd accepts a connection only from a process it can see, so the socket is
// connected by a process inside the lab's PID namespace and handed over.
#include <sys/types.h>

namespace tarn::test {

// A socket connected to the private bus of the systemd whose PID (as this machine numbers it)
// is labPid; -1 when that failed.
int ConnectLabBus(pid_t labPid);

}  // namespace tarn::test
