#include "platform/system/ServiceNotify.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace tarn::platform {

NotifySocket::NotifySocket(std::string_view address) {
    if (address.empty() || address.size() >= sizeof address_.sun_path) return;
    if (address[0] != '/' && address[0] != '@') return;
    address_.sun_family = AF_UNIX;
    std::memcpy(address_.sun_path, address.data(), address.size());
    // An abstract name starts with a zero byte and is exactly as long as given.
    if (address[0] == '@') address_.sun_path[0] = '\0';
    length_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size() +
                                     (address[0] == '/' ? 1 : 0));
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

NotifySocket::~NotifySocket() {
    if (fd_ >= 0) ::close(fd_);
}

bool NotifySocket::Send(const char* message, size_t size) const {
    if (fd_ < 0) return false;
    const sockaddr* to = reinterpret_cast<const sockaddr*>(&address_);
    ssize_t sent = -1;
    do {
        sent = ::sendto(fd_, message, size, MSG_NOSIGNAL, to, length_);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(size);
}

const NotifySocket& ServiceNotifySocket() {
    static const NotifySocket socket(std::getenv("NOTIFY_SOCKET") ? std::getenv("NOTIFY_SOCKET")
                                                                  : "");
    return socket;
}

bool NotifyService(std::string_view state) {
    return ServiceNotifySocket().Send(state.data(), state.size());
}

namespace {

// Set before the handler is installed: the handler itself runs no static initialisation.
const NotifySocket* stopSocket = nullptr;

void SayStoppingAndEnd(int signal) {
    const int savedErrno = errno;
    static constexpr char kStopping[] = "STOPPING=1";
    stopSocket->Send(kStopping, sizeof kStopping - 1);
    // The default action, delivered as the handler returns: the process ends by SIGTERM, as it
    // would have without the handler.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    sigaction(signal, &defaults, nullptr);
    raise(signal);
    errno = savedErrno;
}

}  // namespace

void NotifyStoppingOnSigterm() {
    if (!ServiceNotifySocket().Usable()) return;
    stopSocket = &ServiceNotifySocket();
    struct sigaction action {};
    action.sa_handler = SayStoppingAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace tarn::platform
