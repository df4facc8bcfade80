#include "framework/window/FieldRules.h"

#include <cstring>

#include "errors/ErrorManager.h"
#include "errors/MessageIds.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

void FieldRules::Require(int32_t control, std::string name) {
    rules_.push_back(Rule{control, std::move(name), true, 0, 0, {}});
}

void FieldRules::Range(int32_t control, std::string name, int64_t low, int64_t high,
                       std::string unit) {
    rules_.push_back(Rule{control, std::move(name), false, low, high, std::move(unit)});
}

// Rules read the bound variable, which holds what the save will write.
bool FieldRules::Holds(const Rule& rule, const ui::Window& window) const {
    const ui::Control* c = window.Get(rule.control);
    if (!c || c->hidden || c->disabled || c->readOnly) return true;
    const ui::Binding& b = c->binding;
    if (rule.required) {
        std::string text = b.type == ui::Binding::None ? c->text : b.Format();
        return text.find_first_not_of(' ') != std::string::npos;
    }
    if (b.type != ui::Binding::Int32) return true;
    int32_t value;
    std::memcpy(&value, b.target, sizeof value);
    return value >= rule.low && value <= rule.high;
}

int32_t FieldRules::FirstBroken(const ui::Window& window) const {
    for (const Rule& rule : rules_) {
        if (!Holds(rule, window)) return rule.control;
    }
    return 0;
}

bool FieldRules::Report(int32_t control, errors::ErrorManager& errors) const {
    for (const Rule& rule : rules_) {
        if (rule.control != control) continue;
        errors.SetFieldName(rule.name);
        if (rule.required) {
            errors.Raise(MsgValueRequired);
        } else {
            std::string range = std::to_string(rule.low) + " to " + std::to_string(rule.high);
            if (!rule.unit.empty()) range += " " + rule.unit;
            errors.RaiseWithMessage(MsgValueOutOfRange, range);
        }
        return true;
    }
    return false;
}

}  // namespace tarn::framework
