#include "platform/vuft4/UnitNames.h"

#include <algorithm>

#include "platform/vuft4/SystemdServiceManager.h"

namespace tarn::vuft4 {

UnitNames UnitsOfNames(const std::vector<std::string>& names) {
    UnitNames out;
    for (const std::string& name : names) {
        const std::optional<std::string> unit = ServiceUnitOf(name);
        if (!unit) {
            out.unitOf.push_back(-1);
            continue;
        }
        auto found = std::find(out.units.begin(), out.units.end(), *unit);
        if (found == out.units.end()) found = out.units.insert(out.units.end(), *unit);
        out.unitOf.push_back(static_cast<int>(found - out.units.begin()));
    }
    return out;
}

std::vector<std::optional<size_t>> AnswersOfUnits(const std::vector<std::string>& units,
                                                  const std::vector<UnitState>& answers) {
    std::vector<std::optional<size_t>> out(units.size());
    if (answers.size() == units.size()) {
        for (size_t i = 0; i < units.size(); ++i) out[i] = i;
        return out;
    }
    for (size_t i = 0; i < units.size(); ++i)
        for (size_t a = 0; a < answers.size(); ++a)
            if (answers[a].name == units[i]) out[i] = a;
    return out;
}

}  // namespace tarn::vuft4
