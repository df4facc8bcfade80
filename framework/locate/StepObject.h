#pragma once
// What the browse asks of a sort order's step object: turning the list's scroll-thumb position
// into a key value to locate on, and a key value back into a thumb position.
//
// Values travel as text (a number in decimal for a numeric key), as the locate field's own Text()
// and SetText() give and take them. Percentiles run from 1 (top) to 100 (bottom).
//
// Use by the browse: after the list is filled, when NeedsRuntimeLimits(), it reads the locate
// field at the first and the last record of the current order and calls SetLimits(first, last);
// a thumb drag locates on ValueAt(thumb); the thumb is placed at PercentileOf(highlighted value).
#include <cstdint>
#include <string>

namespace tarn::framework {

class StepObject {
  public:
    static constexpr uint8_t kDescending = 16;  // character-class flag: the order is descending

    virtual ~StepObject() = default;
    // Where a value stands in the current order: 1..100, never 0.
    virtual uint8_t PercentileOf(const std::string& value) = 0;
    // The key value at a percentile (0 counts as 1, above 100 as 100).
    virtual std::string ValueAt(uint8_t percentile) = 0;
    // The locate field's values at the first and the last record of the current order (for a
    // descending order the first is the larger).
    virtual void SetLimits(const std::string& first, const std::string& last) = 0;
    // True when the steps come from the limits, so SetLimits must be called after each load.
    virtual bool NeedsRuntimeLimits() const = 0;
    // Releases what the object holds; safe to call twice.
    virtual void Kill() {}
};

}  // namespace tarn::framework
