#include "platform/vuft4/TimeLimits.h"

#include <mutex>

namespace tarn::vuft4 {

namespace {

std::mutex limitsLock;
TimeLimits limits;

}  // namespace

TimeLimits CurrentTimeLimits() {
    std::lock_guard<std::mutex> hold(limitsLock);
    return limits;
}

TimeLimits SetTimeLimits(const TimeLimits& newLimits) {
    std::lock_guard<std::mutex> hold(limitsLock);
    const TimeLimits previous = limits;
    limits = newLimits;
    return previous;
}

}  // namespace tarn::vuft4
