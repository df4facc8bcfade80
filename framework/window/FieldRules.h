#pragma once
// FieldRules: what a form allows in its entries beyond what their pictures take, checked when the
// operator asks to save and when an entry refuses what was typed. A rule names its field in the
// operator's words, so the message says which entry and what it takes.
#include <cstdint>
#include <string>
#include <vector>

namespace tarn::ui {
class Window;
}

namespace tarn::errors {
class ErrorManager;
}

namespace tarn::framework {

class FieldRules {
  public:
    // The entry's text may not be empty or blank.
    void Require(int32_t control, std::string name);
    // The entry's number lies from `low` to `high`; `unit` follows the range in the message.
    void Range(int32_t control, std::string name, int64_t low, int64_t high, std::string unit);
    void Clear() { rules_.clear(); }

    // The first control, in the order registered, whose variable breaks its rule; 0 when none.
    int32_t FirstBroken(const ui::Window& window) const;
    // Says what `control` takes through the error manager; false when it has no rule.
    bool Report(int32_t control, errors::ErrorManager& errors) const;

  private:
    struct Rule {
        int32_t control = 0;
        std::string name;
        bool required = false;
        int64_t low = 0;
        int64_t high = 0;
        std::string unit;
    };
    bool Holds(const Rule& rule, const ui::Window& window) const;

    std::vector<Rule> rules_;
};

}  // namespace tarn::framework
