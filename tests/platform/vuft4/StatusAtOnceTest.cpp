// A pass's statuses asked several at a time when they are slow: answers stay in the list's order,
// no more than the bound are asked at once, quick ones are asked one after the other, and one
// slow status does not hold up the others.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/StatusAtOnce.h"

namespace tarn::vuft4 {
namespace {

// Answers the number in the name ("s7" -> 7) after delayMs, and counts how many of its calls run
// at the same time.
class ConcurrencyCounter : public ServiceManager {
  public:
    explicit ConcurrencyCounter(int delayMs) : delayMs_(delayMs) {}
    int32_t Status(const std::string& name) override {
        const int now = ++running_;
        for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
        --running_;
        return std::stoi(name.substr(1));
    }
    StartReport Start(const std::string&) override { return {}; }

    std::atomic<int> most{0};

  private:
    const int delayMs_;
    std::atomic<int> running_{0};
};

std::vector<std::string> Names(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("s" + std::to_string(i));
    return names;
}

// Statuses slower than kStallMs: more are asked at once, up to the bound, answers in order.
TEST(StatusAtOnceTest, SlowAnswersAreAskedTogetherUpToTheBoundInOrder) {
    for (size_t bound : {size_t{1}, size_t{3}, ServiceManager::kStatusesAtOnce}) {
        ConcurrencyCounter manager(2 * kStallMs);
        manager.SetStatusesAtOnce(bound);
        const std::vector<int32_t> codes = manager.StatusOfAll(Names(16));
        ASSERT_EQ(codes.size(), 16u);
        for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(codes[i], i) << bound;
        EXPECT_LE(manager.most.load(), static_cast<int>(bound));
        if (bound > 1) {
            EXPECT_GT(manager.most.load(), 1) << "asked one after the other";
        }
    }
    EXPECT_TRUE(ConcurrencyCounter(0).StatusOfAll({}).empty());
}

// Quick statuses keep coming: side by side they would only cost more processor time.
TEST(StatusAtOnceTest, QuickAnswersAreAskedOneAfterTheOther) {
    ConcurrencyCounter manager(5);
    const std::vector<int32_t> codes = manager.StatusOfAll(Names(40));
    ASSERT_EQ(codes.size(), 40u);
    EXPECT_EQ(codes[39], 39);
    EXPECT_LE(manager.most.load(), 2) << "one more only after a pause of " << kStallMs << " ms";
}

// The first status answers only once every other one has been asked (or gives up after 5 s):
// asked one after the other, the others would wait for it.
class OneSlow : public ServiceManager {
  public:
    int32_t Status(const std::string& name) override {
        std::unique_lock<std::mutex> hold(lock_);
        if (name != "s0") {
            ++others_;
            changed_.notify_all();
            return 6;
        }
        const bool all = changed_.wait_for(hold, std::chrono::seconds(5),
                                           [&] { return others_ == expectedOthers; });
        return all ? 6 : -1;
    }
    StartReport Start(const std::string&) override { return {}; }

    int expectedOthers = 0;

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    int others_ = 0;
};

TEST(StatusAtOnceTest, ASlowStatusDoesNotHoldUpTheOthers) {
    OneSlow manager;
    manager.expectedOthers = 49;
    const std::vector<int32_t> codes = manager.StatusOfAll(Names(50));
    EXPECT_EQ(codes, std::vector<int32_t>(50, 6));
}

}  // namespace
}  // namespace tarn::vuft4
