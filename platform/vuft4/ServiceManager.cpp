#include "platform/vuft4/ServiceManager.h"

#include <mutex>

#include "platform/system/Folders.h"
#include "platform/vuft4/BusServiceManager.h"
#include "platform/vuft4/ProgramSearch.h"
#include "platform/vuft4/StatusAtOnce.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/SysvServiceManager.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

namespace {

constexpr const char* kSystemdMarker = "/run/systemd/system";
// `service` lives in an sbin folder that an ordinary user's PATH may lack.
constexpr const char* kSystemFolders = "/usr/sbin:/sbin:/usr/bin:/bin";

// Used when the machine has no service manager we know: every service is unknown.
class NoServiceManager : public ServiceManager {
  public:
    int32_t Status(const std::string&) override { return kServiceUnknown; }
    StartReport Start(const std::string&) override { return {}; }
};

std::string SearchPath() { return ProgramSearchPath() + ":" + kSystemFolders; }

std::mutex managerLock;
std::shared_ptr<ServiceManager> manager;

}  // namespace

std::vector<int32_t> ServiceManager::StatusOfAll(const std::vector<std::string>& names) {
    return AskAtOnce(names, statusesAtOnce_,
                     [this](const std::string& name) { return Status(name); });
}

ServiceManagerKind SelectServiceManagerKind(const std::string& systemdMarker,
                                            const std::string& searchPath) {
    if (platform::FolderExists(systemdMarker)) return ServiceManagerKind::Systemd;
    if (!FindProgram("service", searchPath).empty()) return ServiceManagerKind::Sysv;
    return ServiceManagerKind::None;
}

std::shared_ptr<ServiceManager> MakeServiceManager(ServiceManagerKind kind) {
    switch (kind) {
        case ServiceManagerKind::Systemd:
            return std::make_shared<BusServiceManager>(std::make_shared<SystemdServiceManager>());
        case ServiceManagerKind::Sysv:
            return std::make_shared<SysvServiceManager>(FindProgram("service", SearchPath()));
        case ServiceManagerKind::None:
            break;
    }
    return std::make_shared<NoServiceManager>();
}

std::shared_ptr<ServiceManager> CurrentServiceManager() {
    std::lock_guard<std::mutex> hold(managerLock);
    if (!manager)
        manager = MakeServiceManager(SelectServiceManagerKind(kSystemdMarker, SearchPath()));
    return manager;
}

std::shared_ptr<ServiceManager> SetServiceManager(std::shared_ptr<ServiceManager> replacement) {
    std::lock_guard<std::mutex> hold(managerLock);
    std::swap(manager, replacement);
    return replacement;
}

}  // namespace tarn::vuft4
