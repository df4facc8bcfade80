#pragma once
// How long each outside tool may take before it is killed; one place for all limits.
#include <cstdint>

namespace tarn::vuft4 {

struct TimeLimits {
    int64_t statusMs = 5000;  // a status query
    int64_t startMs = 90000;  // starting a service (units may take long to come up)
    int64_t runMs = 90000;    // any other command run by VURUN
    // Reaching another computer over SSH; a command there gets this on top of its own limit.
    int64_t connectMs = 5000;
};

TimeLimits CurrentTimeLimits();
// Replaces the limits (tests shorten them); returns the previous ones.
TimeLimits SetTimeLimits(const TimeLimits& limits);

}  // namespace tarn::vuft4
