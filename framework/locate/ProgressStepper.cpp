#include "framework/locate/ProgressStepper.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace tarn::framework {

uint8_t ProgressStepper::Percentile(double value) {
    if (High == Low) return 50;
    double span = static_cast<double>(High) - static_cast<double>(Low);
    double p = (value - Low) * (100.0 / span);
    long whole = static_cast<long>(p);
    if (Controls & kDescending) whole = 100 - whole;
    // Values outside the limits (records added during the pass) stay within the bar.
    if (whole < 0) whole = 0;
    if (whole > 100) whole = 100;
    if (whole == 0) whole = 1;
    return static_cast<uint8_t>(whole);
}

double ProgressStepper::Value(uint8_t percent) {
    double p = (Controls & kDescending) ? 100.0 - percent : percent;
    return Low + (static_cast<double>(High) - Low) * p / 100.0;
}

void ProgressStepper::SetLimits(double low, double high) {
    Low = static_cast<int32_t>(low);
    High = static_cast<int32_t>(high);
    if (Controls & kDescending) std::swap(Low, High);
}

uint8_t ProgressStepper::PercentileOf(const std::string& value) {
    return Percentile(std::strtod(value.c_str(), nullptr));
}

std::string ProgressStepper::ValueAt(uint8_t percentile) {
    return std::to_string(std::llround(Value(percentile)));
}

void ProgressStepper::SetLimits(const std::string& first, const std::string& last) {
    SetLimits(std::strtod(first.c_str(), nullptr), std::strtod(last.c_str(), nullptr));
}

}  // namespace tarn::framework
