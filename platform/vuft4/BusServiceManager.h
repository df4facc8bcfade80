#pragma once
// Services of systemd, asked and started over D-Bus (SystemdBus.h): the status of all of a
// pass's services in one ListUnitsByNames call, a start as StartUnit and the wait for its job,
// and a watch for stops between passes (UnitEvents.h). While systemd cannot be reached over the
// bus, the systemctl back end does the work.
//
// Only service units are asked about or started, as with systemctl (SystemdServiceManager.h).
#include <memory>
#include <mutex>
#include <optional>

#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/SystemdBus.h"
#include "platform/vuft4/UnitNames.h"

namespace tarn::vuft4 {

class BusServiceManager : public ServiceManager {
  public:
    // fallback: used for a call while the bus cannot be reached. connect: see SystemdBus.
    explicit BusServiceManager(std::shared_ptr<ServiceManager> fallback,
                               SystemdBus::Connector connect = {})
        : bus_(std::move(connect)), fallback_(std::move(fallback)) {}

    // Codes as SystemdStatusOfStates gives them; -1 for a name that is no service unit.
    int32_t Status(const std::string& name) override;
    // One call for all names (each unit sent once; names that are no service unit never sent).
    std::vector<int32_t> StatusOfAll(const std::vector<std::string>& names) override;
    // StartUnit and the wait for its job (BusCalls.h); nothing when name is no service unit.
    StartReport Start(const std::string& name) override;
    // Null when the bus cannot be reached or systemd does not answer.
    std::unique_ptr<UnitWatch> WatchUnits(const std::vector<std::string>& names) override;

  private:
    std::optional<std::vector<int32_t>> CodesOverBus(const UnitNames& asked);

    std::mutex lock_;
    SystemdBus bus_;
    std::shared_ptr<ServiceManager> fallback_;
};

}  // namespace tarn::vuft4
