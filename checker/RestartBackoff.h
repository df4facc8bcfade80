#pragma once
// When a service that will not stay up is started again. A start that never takes must not be
// repeated every pass (each start may leave another half-started instance behind): once a
// service has been started three passes in a row and is found not running again, its starts
// pause for two cycles, then four, eight, ... (never more than an hour of cycles, at least one
// cycle), and it is started at once again as soon as a pass finds it running.
//
// The state lives in memory only, per service (server and service name). Passes are counted by
// the caller through PassBegins: the schedule is in passes, not in clock time.
#include <cstdint>
#include <map>
#include <string>

namespace tarn::checker {

class RestartBackoff {
  public:
    static constexpr int32_t kStartsBeforePause = 3;
    static constexpr int32_t kLongestPauseSeconds = 3600;

    // cycleSeconds: the pause between two passes (at least 1).
    explicit RestartBackoff(int32_t cycleSeconds);

    enum class Step {
        Start,        // start it now
        PauseBegins,  // not started: its starts pause from this pass on
        Wait,         // not started: its pause runs
    };
    struct Decision {
        Step step = Step::Start;
        int32_t starts = 0;       // starts in a row so far
        int32_t pauseCycles = 0;  // with PauseBegins: passes until the next start
    };

    // Counts one more pass; called before the pass checks its first service.
    void PassBegins() { ++pass_; }
    // For a service found not running in this pass: whether to start it (a Start is counted).
    Decision NotRunning(const std::string& key);
    // For a service found running: it is started at once whenever it is next found not running.
    void Running(const std::string& key) { states_.erase(key); }

    int32_t CycleSeconds() const { return cycleSeconds_; }
    // The key of a service: its server and service name as stored, trailing blanks removed.
    static std::string Key(const std::string& server, const std::string& service);

  private:
    struct State {
        int32_t starts = 0;         // starts in a row without finding it running
        bool lastWasStart = false;  // the previous finding started it
        int32_t pauseCycles = 0;    // length of the last pause; doubles with each one
        int64_t nextStartPass = 0;
    };

    int32_t cycleSeconds_;
    int32_t longestPauseCycles_;
    int64_t pass_ = 0;
    std::map<std::string, State> states_;
};

}  // namespace tarn::checker
