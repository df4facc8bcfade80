#pragma once
// What the program tells systemd over the notify socket named in NOTIFY_SOCKET: "READY=1",
// "STATUS=...", "STOPPING=1" and the watchdog's "WATCHDOG=1" (Watchdog.h).
//
// The protocol is written here rather than taken from libsystemd's sd_notify: it is one AF_UNIX
// datagram per message to a path, or to an abstract name when the address starts with '@', and
// STOPPING=1 is sent from a signal handler, where only async-signal-safe calls may run (sendto on
// a socket opened in advance is one; sd_notify promises no such thing). No library is added for
// it either.
//
// Without NOTIFY_SOCKET (not started by systemd) nothing is sent and SIGTERM keeps its default.
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <string_view>

namespace tarn::platform {

// One datagram socket aimed at a notify address.
class NotifySocket {
  public:
    // address: an absolute path, or '@' and an abstract name. Not usable when empty, relative,
    // too long, or when no socket can be made.
    explicit NotifySocket(std::string_view address);
    ~NotifySocket();
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    bool Usable() const { return fd_ >= 0; }
    // Sends message as one datagram; false when not usable or the send failed.
    // Async-signal-safe.
    bool Send(const char* message, size_t size) const;

  private:
    int fd_ = -1;
    sockaddr_un address_{};
    socklen_t length_ = 0;
};

// The process's socket to systemd, made from NOTIFY_SOCKET on the first call (call it at start,
// before any thread). The service tools started later do not get the variable (ChildProcess.h).
const NotifySocket& ServiceNotifySocket();
// Sends state (lines of "KEY=value") to systemd; false when there is no socket or the send
// failed.
bool NotifyService(std::string_view state);
// When there is a socket: SIGTERM first sends STOPPING=1, then ends the process as its default
// action would (the data files are left as a kill leaves them: whole).
void NotifyStoppingOnSigterm();

}  // namespace tarn::platform
