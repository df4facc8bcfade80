#pragma once
// Turns a record value into a percentage between the first and the last value of a pass.
#include <cstdint>

namespace tarn::framework {

class ProgressStepper {
  public:
    static constexpr uint8_t kDescending = 16;

    // ---- fields ----
    uint8_t Controls = 0;  // bit 16: the order is descending
    int32_t Low = 0;
    int32_t High = 0;

    // ---- virtual operations, in slot order ----
    virtual ~ProgressStepper() = default;
    void Init(uint8_t controls) { Controls = controls; }
    // 1..100; 50 when the limits are equal; 0 never shows (it becomes 1).
    virtual uint8_t Percentile(double value);
    // The value at a percentage (the inverse of Percentile).
    virtual double Value(uint8_t percent);
    virtual void Kill() {}
    // Sets the limits, whole numbers, swapped for a descending order.
    virtual void SetLimits(double low, double high);
    virtual bool Numeric() { return true; }
};

}  // namespace tarn::framework
