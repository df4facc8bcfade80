#include "platform/vuft4/StatusAtOnce.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace tarn::vuft4 {

namespace {

// What the askers share: the next name to ask and the answers so far.
struct Asking {
    Asking(const std::vector<std::string>& n, const std::function<int32_t(const std::string&)>& a)
        : names(n), ask(a), answers(n.size()) {}

    const std::vector<std::string>& names;
    const std::function<int32_t(const std::string&)>& ask;
    std::vector<int32_t> answers;
    std::mutex lock;
    std::condition_variable answered;
    size_t next = 0;
    size_t done = 0;

    // One asker: takes the next name until none is left.
    void AskUntilDone() {
        for (;;) {
            size_t i = 0;
            {
                std::lock_guard<std::mutex> hold(lock);
                if (next >= names.size()) return;
                i = next++;
            }
            const int32_t answer = ask(names[i]);
            {
                std::lock_guard<std::mutex> hold(lock);
                answers[i] = answer;
                ++done;
            }
            answered.notify_all();
        }
    }
};

bool AddAsker(std::vector<std::thread>& threads, Asking& asking) {
    try {
        threads.emplace_back([&asking] { asking.AskUntilDone(); });
        return true;
    } catch (const std::system_error&) {
        return false;  // no thread to be had: the askers there are go on
    }
}

}  // namespace

std::vector<int32_t> AskAtOnce(const std::vector<std::string>& names, size_t atOnce,
                               const std::function<int32_t(const std::string&)>& ask) {
    Asking asking(names, ask);
    const size_t bound = std::min(std::max<size_t>(atOnce, 1), names.size());
    std::vector<std::thread> threads;
    if (bound <= 1 || !AddAsker(threads, asking)) {
        asking.AskUntilDone();
        return std::move(asking.answers);
    }
    std::unique_lock<std::mutex> hold(asking.lock);
    for (size_t seen = 0; asking.done < names.size();) {
        const bool progress = asking.answered.wait_for(hold, std::chrono::milliseconds(kStallMs),
                                                       [&] { return asking.done != seen; });
        seen = asking.done;
        if (progress || asking.next >= names.size() || threads.size() >= bound) continue;
        hold.unlock();
        AddAsker(threads, asking);
        hold.lock();
    }
    hold.unlock();
    for (std::thread& thread : threads) thread.join();
    return std::move(asking.answers);
}

}  // namespace tarn::vuft4
