#pragma once
// One connection to systemd's manager over D-Bus (libsystemd's sd-bus), as systemctl makes it as
// root: systemd's private socket first, the system bus otherwise. A connection that was lost
// (systemd re-executed or closed it) is made again on the next Get.
#include <functional>

struct sd_bus;

namespace tarn::vuft4 {

class SystemdBus {
  public:
    // Makes a socket connected to systemd's manager, or -1; used alone instead of the two above
    // when set (tests reach a systemd in other namespaces).
    using Connector = std::function<int()>;
    explicit SystemdBus(Connector connect = {}) : connect_(std::move(connect)) {}
    ~SystemdBus();
    SystemdBus(const SystemdBus&) = delete;
    SystemdBus& operator=(const SystemdBus&) = delete;

    // The open connection, made when there is none or the last one was lost; null when systemd
    // cannot be reached. Messages nobody waits for are dropped first, so that the signals systemd
    // sends to every direct connection never pile up.
    sd_bus* Get();

  private:
    sd_bus* Open() const;

    Connector connect_;
    sd_bus* bus_ = nullptr;
};

// The manager's object and interface, and the interface every unit object has.
constexpr const char* kSystemdService = "org.freedesktop.systemd1";
constexpr const char* kManagerPath = "/org/freedesktop/systemd1";
constexpr const char* kManagerInterface = "org.freedesktop.systemd1.Manager";
constexpr const char* kUnitInterface = "org.freedesktop.systemd1.Unit";

}  // namespace tarn::vuft4
