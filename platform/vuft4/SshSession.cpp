#include "platform/vuft4/SshSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/system/Process.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/ChildWait.h"
#include "platform/vuft4/ProgramSearch.h"
#include "platform/vuft4/SshControlFolder.h"
#include "platform/vuft4/TimeLimits.h"

namespace tarn::vuft4 {

namespace {

constexpr int kSliceMs = 100;
// A session that answers more than this is not answering a status query: it is ended.
constexpr size_t kMaxAnswer = 4 * 1024 * 1024;

bool SendAll(int fd, const std::string& text) {
    for (size_t sent = 0; sent < text.size();) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// The exit code after marker at the start of a line of output, and what came before it; -1
// while the marked line is not complete.
int MarkedEnd(const std::string& output, const std::string& marker, std::string& before) {
    const size_t at = output.find("\n" + marker);
    if (at == std::string::npos) return -1;
    const size_t digits = at + 1 + marker.size();
    const size_t end = output.find('\n', digits);
    if (end == std::string::npos) return -1;
    before = output.substr(0, at);
    return std::atoi(output.c_str() + digits);
}

}  // namespace

bool SshSession::Open() {
    const std::string searchPath = ProgramSearchPath();
    const std::string program = FindProgram("ssh", searchPath);
    if (program.empty()) return false;
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) return false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return false;
    }
    const char* config = std::getenv("TARN_SSH_CONFIG");
    const int connectSeconds =
        static_cast<int>(std::max<int64_t>(1, (CurrentTimeLimits().connectMs + 999) / 1000));
    pid_ = StartChild(program,
                      SshArguments(destination_, "exec sh", config ? config : "",
                                   SshControlFolder(), connectSeconds),
                      ChildEnvironment(searchPath), "", in[1], out[1], true);
    close(in[1]);
    close(out[1]);
    if (pid_ < 0) {
        close(in[0]);
        close(out[0]);
        return false;
    }
    input_ = in[0];
    output_ = out[0];
    return true;
}

void SshSession::Close() {
    if (input_ >= 0) close(input_);
    if (output_ >= 0) close(output_);
    input_ = output_ = -1;
    if (pid_ < 0) return;
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

SshReply SshSession::Ended(std::string output) {
    int status = 0;
    // Its output closed: the client is ending; one that lingers is ended.
    for (int tries = 0; waitpid(pid_, &status, WNOHANG) == 0; ++tries) {
        if (tries == 50) kill(-pid_, SIGKILL);
        poll(nullptr, 0, 10);
    }
    pid_ = -1;
    Close();
    ChildResult result;
    result.outcome =
        WIFEXITED(status) ? ChildResult::Outcome::Exited : ChildResult::Outcome::Signalled;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = std::move(output);
    SshReply reply;
    // The shell there ended (a forced command, a shell that is no shell): what it said is the
    // answer, and the caller sees that it is not one.
    if (result.outcome == ChildResult::Outcome::Exited && result.exitCode != 255) {
        reply.reached = true;
        reply.exitCode = result.exitCode;
        reply.output = std::move(result.output);
        return reply;
    }
    reply.failure = SshFailure(result);
    return reply;
}

bool SshSession::Idle() const {
    // Between commands a live session says nothing: output or its end means the client ended.
    pollfd p{output_, POLLIN, 0};
    return output_ >= 0 && poll(&p, 1, 0) == 0;
}

SshReply SshSession::Run(const std::string& command, int64_t timeLimitMs) {
    const int64_t deadline = platform::MonotonicMilliseconds() + timeLimitMs;
    // A shell lost since the last command (the computer restarted, the link dropped) is replaced
    // at once: the computer may well answer a new one.
    if (pid_ >= 0 && !Idle()) Close();
    if (pid_ < 0 && !Open()) return {false, -1, "", SshFailure(ChildResult{})};
    const std::string marker =
        "tarn-end-" + std::to_string(getpid()) + "-" + std::to_string(++serial_) + "=";
    // The line before the mark ends whatever the command printed without a newline.
    // A shell that ends without reading its input (a forced command) may still have answered:
    // when the command cannot be sent, what it said is read to its end all the same.
    SendAll(input_, command + "\nprintf '\\n%s%d\\n' '" + marker + "' \"$?\"\n");
    std::string output;
    for (;;) {
        CallChildWaitHook();
        std::string before;
        const int code = MarkedEnd(output, marker, before);
        if (code >= 0) return {true, code, before, ""};
        const int64_t left = deadline - platform::MonotonicMilliseconds();
        if (left <= 0 || output.size() > kMaxAnswer) {
            Close();
            return {false, -1, "",
                    left <= 0 ? "timed out (no answer in time)"
                              : "it answered more than a status query can"};
        }
        pollfd p{output_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::min<int64_t>(left, kSliceMs))) <= 0) continue;
        char buffer[8192];
        const ssize_t n = read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Ended(std::move(output));
        output.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace tarn::vuft4
