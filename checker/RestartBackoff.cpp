#include "checker/RestartBackoff.h"

#include <algorithm>

namespace tarn::checker {

RestartBackoff::RestartBackoff(int32_t cycleSeconds)
    : cycleSeconds_(std::max(cycleSeconds, 1)),
      longestPauseCycles_(std::max(kLongestPauseSeconds / cycleSeconds_, 1)) {}

std::string RestartBackoff::Key(const std::string& server, const std::string& service) {
    return server + '\0' + service;
}

RestartBackoff::Decision RestartBackoff::NotRunning(const std::string& key) {
    State& s = states_[key];
    Decision d;
    d.starts = s.starts;
    if (pass_ < s.nextStartPass) {
        d.step = Step::Wait;
    } else if (s.starts >= kStartsBeforePause && s.lastWasStart) {
        // The last start did not take either: pause, twice as long as the last time.
        s.pauseCycles = std::min(s.pauseCycles == 0 ? 2 : s.pauseCycles * 2, longestPauseCycles_);
        s.nextStartPass = pass_ + s.pauseCycles;
        s.lastWasStart = false;
        d.step = Step::PauseBegins;
        d.pauseCycles = s.pauseCycles;
    } else {
        ++s.starts;
        s.lastWasStart = true;
        d.step = Step::Start;
        d.starts = s.starts;
    }
    return d;
}

}  // namespace tarn::checker
