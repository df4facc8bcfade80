#pragma once
// Services of SysV init scripts, through the `service` tool.
//
// Only a plain script name of initDir is passed on: a name that is empty, ".", "..", holds '/'
// or starts with '-' (the tool would read it as an option) answers -1 and is never started.
#include "platform/vuft4/ServiceManager.h"

namespace tarn::vuft4 {

class SysvServiceManager : public ServiceManager {
  public:
    explicit SysvServiceManager(std::string tool = "service", std::string initDir = "/etc/init.d")
        : tool_(std::move(tool)), initDir_(std::move(initDir)) {}

    // The exit code of `service NAME status`: 0 -> 6; 1, 2, 3 and other codes -> 0;
    // 4 (unknown), no script in initDir or no answer in time -> -1.
    int32_t Status(const std::string& name) override;
    // `service NAME start`, its output and errors kept.
    StartReport Start(const std::string& name) override;

  private:
    bool Known(const std::string& name) const;

    std::string tool_;
    std::string initDir_;
};

}  // namespace tarn::vuft4
