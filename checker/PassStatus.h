#pragma once
// What a pass found, counted for the status systemd shows (`systemctl status tarnwatch`).
#include <cstdint>
#include <string>

namespace tarn::checker {

struct PassCounts {
    int32_t services = 0;   // records with a service name, checked
    int32_t running = 0;    // found running
    int32_t restarted = 0;  // found not running and started
    int32_t failed = 0;     // found not running, and not running after the start
    int32_t paused = 0;     // found not running while its starts pause
};

// "Last pass 10:42:31: 12 services, 11 running, 1 restarted, 0 failed; next in 60 s", with
// ", N paused" after the failed ones when there are any. clock: when the pass ended (Clock.h).
std::string PassStatusText(const PassCounts& counts, int32_t clock, int32_t sleepSeconds);

}  // namespace tarn::checker
