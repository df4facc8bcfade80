#pragma once
// A shell on another computer kept open from pass to pass. One ssh client per host runs
// `exec sh` there (over the host's shared connection, SshRunner.h) and takes the commands of
// every pass on its standard input, each followed by a line that marks its end and exit code. A
// pass so starts no process here and no login there: on a busy machine the start of an ssh
// client and of a login shell cost more than the status query itself.
//
// The session is opened on the first command and again after it was lost; a command that does
// not answer within its time limit ends the session (the next command opens a new one).
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/vuft4/SshRunner.h"

namespace tarn::vuft4 {

class SshSession {
  public:
    explicit SshSession(std::string destination) : destination_(std::move(destination)) {}
    ~SshSession() { Close(); }
    SshSession(const SshSession&) = delete;
    SshSession& operator=(const SshSession&) = delete;

    // Runs command (one or more lines of POSIX shell) there within timeLimitMs, the connection
    // included when the session has to be opened. Not to be called by two threads at once.
    SshReply Run(const std::string& command, int64_t timeLimitMs);

  private:
    bool Open();
    // True when the session is open and waits for a command.
    bool Idle() const;
    // Ends the client and its remote shell.
    void Close();
    // The reply once the client ended (its output closed) before the command's end was marked.
    SshReply Ended(std::string output);

    std::string destination_;
    pid_t pid_ = -1;
    int input_ = -1;   // a socket: writing to a session that ended fails instead of raising SIGPIPE
    int output_ = -1;  // its standard output and error
    uint64_t serial_ = 0;
};

}  // namespace tarn::vuft4
