#pragma once
// Services of systemd, through systemctl.
//
// Only service units are asked about or started: systemctl would take any unit type (a record
// "reboot.target" would reboot the machine) and glob patterns ("ssh*" starts whatever matches).
#include <optional>
#include <string_view>

#include "platform/vuft4/ServiceManager.h"

namespace tarn::vuft4 {

class SystemdServiceManager : public ServiceManager {
  public:
    explicit SystemdServiceManager(std::string tool = "systemctl") : tool_(std::move(tool)) {}

    // From `systemctl show -p LoadState,ActiveState,SubState -- UNIT`: not-found -1, active or
    // reloading 6, inactive or failed 0, activating 2, deactivating 3; no answer in time or no
    // service unit -1.
    int32_t Status(const std::string& name) override;
    // `systemctl start -- UNIT`, its output and errors kept; nothing when name is no service
    // unit.
    StartReport Start(const std::string& name) override;

  private:
    std::string tool_;
};

// The service unit a name means: NAME.service for a name without a unit suffix, the name itself
// when it ends in ".service"; none for another unit type or a name with a glob character.
std::optional<std::string> ServiceUnitOf(const std::string& name);

// The status code of a unit in these states: a load state of not-found, bad-setting or error (or
// none) -1; active or reloading 6, inactive or failed 0, activating 2, deactivating 3, else -1.
int32_t SystemdStatusOfStates(std::string_view loadState, std::string_view activeState);
// The status code of systemctl show's "Key=Value" lines.
int32_t SystemdStatusOf(const std::string& showOutput);

}  // namespace tarn::vuft4
