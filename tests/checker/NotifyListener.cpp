#include "NotifyListener.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace tarn::checker::test {

NotifyListener::NotifyListener(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, path.data(), path.size());
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
    }
    if (fd_ >= 0) thread_ = std::thread([this] { Receive(); });
}

NotifyListener::~NotifyListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
}

void NotifyListener::Receive() {
    char buffer[4096];
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0) continue;
        std::lock_guard<std::mutex> hold(mutex_);
        messages_.push_back({std::chrono::steady_clock::now(), std::string(buffer, n)});
    }
}

std::vector<NotifyListener::Message> NotifyListener::Messages() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return messages_;
}

std::vector<std::string> NotifyListener::Starting(const std::string& prefix) const {
    std::vector<std::string> texts;
    for (const Message& m : Messages())
        if (m.text.starts_with(prefix)) texts.push_back(m.text);
    return texts;
}

}  // namespace tarn::checker::test
