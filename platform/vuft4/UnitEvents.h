#pragma once
// The bus side of the watch between passes: systemd's PropertiesChanged signals of the watched
// service units, read from the connection's descriptor while the checker waits.
//
// Per unit: "active" starts its time up; "inactive" or "failed" after any other state marks it
// stopped, saying whether it had been up kStayedUpMs or longer. A unit inactive when the watch
// begins is not a stop.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/vuft4/UnitWatch.h"

struct sd_bus;

namespace tarn::vuft4 {

// Watches the service units that names mean (names that are no service unit are left out) on
// bus, which the watch keeps a reference to. Null when systemd did not answer.
std::unique_ptr<UnitWatch> WatchUnitsOverBus(sd_bus* bus, const std::vector<std::string>& names);

// What the watch knows of one unit from the ActiveState values its signals carried.
struct UnitActivity {
    std::optional<int64_t> activeSince;  // monotonic milliseconds
    bool down = false;                   // inactive or failed when last seen
    bool stopped = false;                // became so since the stop was last taken
    bool stayedUp = false;
    // Takes a new ActiveState seen at nowMs.
    void Saw(const std::string& activeState, int64_t nowMs);
};

}  // namespace tarn::vuft4
