#pragma once
// Service names of a list turned into the systemd units asked about in one call, and systemd's
// answers turned back into status codes, name by name.
//
// Only service units are sent (ServiceUnitOf): another unit type or a pattern answers -1 without
// reaching systemd. Each unit is sent once, however many names mean it ("cron", "cron.service").
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::vuft4 {

struct UnitNames {
    std::vector<std::string> units;  // each unit to send, once, in the order first met
    std::vector<int> unitOf;         // per name: its index in units, -1 when it is not sent
};

UnitNames UnitsOfNames(const std::vector<std::string>& names);

// One unit as systemd's ListUnitsByNames describes it.
struct UnitState {
    std::string name;  // the unit's own name (an alias asked for answers with the unit's name)
    std::string loadState;
    std::string activeState;
    std::string path;  // its object path
};

// Which answer belongs to each unit sent: systemd answers one unit per name in order, but
// leaves out names it holds invalid; then answers are matched by name. None for a unit with no
// answer of its own.
std::vector<std::optional<size_t>> AnswersOfUnits(const std::vector<std::string>& units,
                                                  const std::vector<UnitState>& answers);

}  // namespace tarn::vuft4
