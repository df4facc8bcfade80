#include "platform/vuft4/BusServiceManager.h"

#include "platform/vuft4/BusCalls.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/UnitEvents.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

namespace {

int32_t CodeOf(const UnitState& unit) {
    return SystemdStatusOfStates(unit.loadState, unit.activeState);
}

}  // namespace

int32_t BusServiceManager::Status(const std::string& name) { return StatusOfAll({name})[0]; }

// The code of each unit asked; none when the bus failed.
std::optional<std::vector<int32_t>> BusServiceManager::CodesOverBus(const UnitNames& asked) {
    sd_bus* bus = bus_.Get();
    if (!bus) return std::nullopt;
    const int64_t limit = CurrentTimeLimits().statusMs;
    const std::optional<std::vector<UnitState>> answers = ListUnits(bus, asked.units, limit);
    if (!answers) return std::nullopt;
    const std::vector<std::optional<size_t>> answerOf = AnswersOfUnits(asked.units, *answers);
    std::vector<int32_t> codes;
    for (size_t i = 0; i < asked.units.size(); ++i) {
        if (answerOf[i]) {
            codes.push_back(CodeOf((*answers)[*answerOf[i]]));
            continue;
        }
        // Left out of the answer (an alias, or a name systemd holds invalid): asked alone.
        const auto alone = ListUnits(bus, {asked.units[i]}, limit);
        codes.push_back(alone && alone->size() == 1 ? CodeOf(alone->front()) : kServiceUnknown);
    }
    return codes;
}

std::vector<int32_t> BusServiceManager::StatusOfAll(const std::vector<std::string>& names) {
    const UnitNames asked = UnitsOfNames(names);
    std::vector<int32_t> codes(names.size(), kServiceUnknown);
    if (asked.units.empty()) return codes;
    std::lock_guard<std::mutex> hold(lock_);
    const std::optional<std::vector<int32_t>> unitCodes = CodesOverBus(asked);
    if (!unitCodes) return fallback_->StatusOfAll(names);
    for (size_t i = 0; i < names.size(); ++i)
        if (asked.unitOf[i] >= 0) codes[i] = (*unitCodes)[static_cast<size_t>(asked.unitOf[i])];
    return codes;
}

StartReport BusServiceManager::Start(const std::string& name) {
    const std::optional<std::string> unit = ServiceUnitOf(name);
    if (!unit) return {};
    std::lock_guard<std::mutex> hold(lock_);
    sd_bus* bus = bus_.Get();
    if (!bus) return fallback_->Start(name);
    return StartUnit(bus, *unit, CurrentTimeLimits().startMs);
}

std::unique_ptr<UnitWatch> BusServiceManager::WatchUnits(const std::vector<std::string>& names) {
    std::lock_guard<std::mutex> hold(lock_);
    sd_bus* bus = bus_.Get();
    if (!bus) return nullptr;
    return WatchUnitsOverBus(bus, names);
}

}  // namespace tarn::vuft4
