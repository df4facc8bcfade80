#pragma once
// The calls the checker makes to systemd's manager over an sd-bus connection (SystemdBus.h).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/vuft4/StartReport.h"
#include "platform/vuft4/UnitNames.h"

struct sd_bus;

namespace tarn::vuft4 {

// ListUnitsByNames for units (loading those not loaded), within limitMs; none when the call
// failed (connection lost, refused, no answer in time).
std::optional<std::vector<UnitState>> ListUnits(sd_bus* bus, const std::vector<std::string>& units,
                                                int64_t limitMs);
// Asks systemd to send this connection the manager's and the units' signals. A connection
// already subscribed (or a direct one, always sent them) is no failure; false when the call
// itself failed.
bool Subscribe(sd_bus* bus);
// StartUnit(unit, "replace"), then waits for that job's JobRemoved within limitMs, keeping the
// watchdog fed. The report's command is "StartUnit UNIT"; its ending says how it went: "ended
// with job result done" (or failed, timeout, dependency, ...), "was refused: <systemd's
// message>", "did not end within N s", "lost its connection to systemd".
StartReport StartUnit(sd_bus* bus, const std::string& unit, int64_t limitMs);

}  // namespace tarn::vuft4
