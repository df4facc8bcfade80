#pragma once
// The step table of a text key: 100 steps of TestLen characters after a common Root, so that a
// thumb position names a key value and a key value a thumb position.
//
// Lookup modes: 1 a fixed table of three-letter name prefixes, 2 a fixed table of two-character
// steps, 3 a table computed from the first and last key values of the order (SetLimits): their
// common prefix becomes Root and the next four characters of each are read as base-N numbers over
// SortChars, the characters the flags admit; the 100 steps divide that span evenly.
//
// Invariants: Table always holds 100 entries in ascending order, so a value's percentile is the
// number of entries at or before it. A descending order only mirrors percentiles (100 - p); its
// limits arrive as (larger, smaller), so mode 3 fills the table from entry 100 down to keep it
// ascending.
#include <array>
#include <cstdint>
#include <string>

#include "framework/locate/StepObject.h"

namespace tarn::framework {

class StepString : public StepObject {
  public:
    // Character-class flags (Controls).
    static constexpr uint8_t kLetters = 1;      // A-Z, and a-z with kCaseSensitive
    static constexpr uint8_t kPunctuation = 2;  // the 31 characters of Punctuation()
    static constexpr uint8_t kDigits = 4;
    static constexpr uint8_t kCaseSensitive = 8;  // values are compared as they are
    static constexpr int kSteps = 100;

    // ---- fields ----
    uint8_t Controls = 0;
    uint8_t LookupMode = 3;
    std::array<std::string, kSteps> Table;  // entry p of the table is Table[p - 1]
    std::string Root;                       // at most 40 characters
    std::string SortChars;                  // mode 3: the run-time alphabet, in code order
    uint8_t TestLen = 4;

    // Sets the flags and the mode (1, 2 or 3; anything else counts as 3) and fills the table:
    // the fixed one, or for mode 3 the span of the whole alphabet until limits are set.
    void Init(uint8_t controls, uint8_t lookupMode);

    uint8_t PercentileOf(const std::string& value) override;
    std::string ValueAt(uint8_t percentile) override;
    // Mode 3 only; the fixed tables ignore limits.
    void SetLimits(const std::string& first, const std::string& last) override;
    bool NeedsRuntimeLimits() const override { return LookupMode == 3; }

    // The punctuation admitted by kPunctuation, in its listed order ('%' appears twice).
    static const std::string& Punctuation();
    // The fixed tables of modes 1 and 2.
    static const std::array<std::string, kSteps>& NamePrefixTable();
    static const std::array<std::string, kSteps>& TwoCharTable();

  private:
    bool Descending() const { return (Controls & kDescending) != 0; }
    std::string Folded(std::string text) const;
    int64_t ReadBaseN(const std::string& digits) const;
    std::string WriteBaseN(int64_t value) const;
};

}  // namespace tarn::framework
