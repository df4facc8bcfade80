// The schedule of starts for a service that will not stay up, on a clock of counted passes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "checker/RestartBackoff.h"

namespace tarn::checker {
namespace {

using Step = RestartBackoff::Step;

struct Schedule {
    std::vector<int> starts;                  // passes that start the service
    std::vector<std::pair<int, int>> pauses;  // (pass, cycles) where a pause begins
};

// Runs passes first..last finding the service not running in each.
Schedule NeverRunning(RestartBackoff& backoff, const std::string& key, int first, int last) {
    Schedule s;
    for (int pass = first; pass <= last; ++pass) {
        backoff.PassBegins();
        const RestartBackoff::Decision d = backoff.NotRunning(key);
        if (d.step == Step::Start) s.starts.push_back(pass);
        if (d.step == Step::PauseBegins) s.pauses.push_back({pass, d.pauseCycles});
    }
    return s;
}

TEST(RestartBackoffTest, ThreeStartsThenPausesThatDouble) {
    RestartBackoff backoff(60);
    const Schedule s = NeverRunning(backoff, "k", 1, 40);
    EXPECT_EQ(s.starts, (std::vector<int>{1, 2, 3, 6, 11, 20, 37}));
    EXPECT_EQ(s.pauses,
              (std::vector<std::pair<int, int>>{{4, 2}, {7, 4}, {12, 8}, {21, 16}, {38, 32}}));
}

TEST(RestartBackoffTest, PausesStopAtAnHourOfCycles) {
    RestartBackoff quarterHours(900);
    const Schedule s = NeverRunning(quarterHours, "k", 1, 25);
    EXPECT_EQ(s.pauses,
              (std::vector<std::pair<int, int>>{{4, 2}, {7, 4}, {12, 4}, {17, 4}, {22, 4}}));
    // A cycle longer than an hour still pauses one cycle.
    RestartBackoff twoHours(7200);
    EXPECT_EQ(NeverRunning(twoHours, "k", 1, 8).pauses,
              (std::vector<std::pair<int, int>>{{4, 1}, {6, 1}, {8, 1}}));
}

TEST(RestartBackoffTest, FoundRunningStartsItAtOnceAndCountsAgain) {
    RestartBackoff backoff(60);
    NeverRunning(backoff, "k", 1, 8);  // in the pause of four cycles that began at pass 7
    backoff.PassBegins();              // pass 9: found running
    backoff.Running("k");
    const Schedule s = NeverRunning(backoff, "k", 10, 16);
    EXPECT_EQ(s.starts, (std::vector<int>{10, 11, 12, 15}));
    EXPECT_EQ(s.pauses, (std::vector<std::pair<int, int>>{{13, 2}, {16, 4}}));
}

TEST(RestartBackoffTest, EachServiceHasItsOwnSchedule) {
    RestartBackoff backoff(60);
    const std::string a = RestartBackoff::Key("host", "a");
    const std::string b = RestartBackoff::Key("host", "b");
    EXPECT_NE(a, RestartBackoff::Key("hosta", ""));
    for (int pass = 1; pass <= 4; ++pass) {
        backoff.PassBegins();
        backoff.NotRunning(a);
    }
    EXPECT_EQ(backoff.NotRunning(b).step, Step::Start);  // a's pause is not b's
    backoff.PassBegins();
    EXPECT_EQ(backoff.NotRunning(a).step, Step::Wait);
}

}  // namespace
}  // namespace tarn::checker
