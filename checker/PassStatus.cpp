#include "checker/PassStatus.h"

#include <cstdio>

namespace tarn::checker {

namespace {

std::string TimeOfDay(int32_t clock) {
    const int32_t seconds = clock > 0 ? (clock - 1) / 100 : 0;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

}  // namespace

std::string PassStatusText(const PassCounts& counts, int32_t clock, int32_t sleepSeconds) {
    std::string text = "Last pass " + TimeOfDay(clock) + ": " + std::to_string(counts.services) +
                       (counts.services == 1 ? " service, " : " services, ") +
                       std::to_string(counts.running) + " running, " +
                       std::to_string(counts.restarted) + " restarted, " +
                       std::to_string(counts.failed) + " failed";
    if (counts.paused > 0) text += ", " + std::to_string(counts.paused) + " paused";
    return text + "; next in " + std::to_string(sleepSeconds) + " s";
}

}  // namespace tarn::checker
