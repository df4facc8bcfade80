#include "platform/vuft4/StatusAtOnce.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace tarn::vuft4 {

std::vector<int32_t> AskAtOnce(const std::vector<std::string>& names, size_t atOnce,
                               const std::function<int32_t(const std::string&)>& ask) {
    std::vector<int32_t> answers(names.size());
    if (names.empty()) return answers;
    std::atomic<size_t> next{0};
    auto askNext = [&] {
        for (size_t i; (i = next++) < names.size();) answers[i] = ask(names[i]);
    };
    const size_t helpers = std::min(std::max<size_t>(atOnce, 1), names.size()) - 1;
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (size_t t = 0; t < helpers; ++t) {
        try {
            threads.emplace_back(askNext);
        } catch (const std::system_error&) {
            break;  // no thread to be had: fewer ask at once, none is left out
        }
    }
    askNext();
    for (std::thread& thread : threads) thread.join();
    return answers;
}

}  // namespace tarn::vuft4
