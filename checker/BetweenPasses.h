#pragma once
// The time between two passes. Where the service manager can tell when a service stops (systemd
// over D-Bus), the services of this computer in the list are watched, and one that becomes
// inactive or failed is checked at once, as a pass would check it; the next pass still comes
// when the cycle time says. Elsewhere the checker sleeps until the next pass.
#include <cstdint>

#include "checker/DailyLog.h"
#include "checker/RestartBackoff.h"

namespace tarn::checker {

// Returns after milliseconds (counted from the call), keeping the watchdog fed.
void WaitForNextPass(DailyLog& log, RestartBackoff& restarts, uint32_t milliseconds);

}  // namespace tarn::checker
