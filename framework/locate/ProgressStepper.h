#pragma once
// The step object of a numeric key: a value's place between the first and the last value of the
// order as a percentage. The process engine shows its progress with it; a browse can place its
// thumb with it.
#include <cstdint>
#include <string>

#include "framework/locate/StepObject.h"

namespace tarn::framework {

class ProgressStepper : public StepObject {
  public:
    // ---- fields ----
    uint8_t Controls = 0;  // bit 16: the order is descending
    int32_t Low = 0;
    int32_t High = 0;

    void Init(uint8_t controls) { Controls = controls; }
    // 1..100; 50 when the limits are equal; 0 never shows (it becomes 1).
    virtual uint8_t Percentile(double value);
    // The value at a percentage (the inverse of Percentile).
    virtual double Value(uint8_t percent);
    // Sets the limits, whole numbers, swapped for a descending order.
    virtual void SetLimits(double low, double high);

    // The same through the browse's text values.
    uint8_t PercentileOf(const std::string& value) override;
    std::string ValueAt(uint8_t percentile) override;
    void SetLimits(const std::string& first, const std::string& last) override;
    bool NeedsRuntimeLimits() const override { return true; }
};

}  // namespace tarn::framework
