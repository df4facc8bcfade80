#pragma once
// Services of systemd, through systemctl.
#include "platform/vuft4/ServiceManager.h"

namespace tarn::vuft4 {

class SystemdServiceManager : public ServiceManager {
  public:
    explicit SystemdServiceManager(std::string tool = "systemctl") : tool_(std::move(tool)) {}

    // From `systemctl show -p LoadState,ActiveState,SubState -- NAME`: not-found -1, active or
    // reloading 6, inactive or failed 0, activating 2, deactivating 3; no answer in time -1.
    int32_t Status(const std::string& name) override;
    // `systemctl start -- NAME`.
    void Start(const std::string& name) override;

  private:
    std::string tool_;
};

// The status code of systemctl show's "Key=Value" lines.
int32_t SystemdStatusOf(const std::string& showOutput);

}  // namespace tarn::vuft4
