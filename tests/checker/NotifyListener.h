#pragma once
// The receiving end of a notify socket, as systemd holds it: every datagram the checker sends,
// with the time it arrived.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarn::checker::test {

class NotifyListener {
  public:
    struct Message {
        std::chrono::steady_clock::time_point at;
        std::string text;
    };

    // Listens on a socket at path (a file that must not exist yet).
    explicit NotifyListener(const std::string& path);
    ~NotifyListener();
    NotifyListener(const NotifyListener&) = delete;
    NotifyListener& operator=(const NotifyListener&) = delete;

    bool Listening() const { return fd_ >= 0; }
    std::vector<Message> Messages() const;
    // The texts of the messages that start with prefix, in order.
    std::vector<std::string> Starting(const std::string& prefix) const;

  private:
    void Receive();

    int fd_ = -1;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::thread thread_;
};

}  // namespace tarn::checker::test
