#include "platform/vuft4/SystemdBus.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

namespace tarn::vuft4 {

namespace {

constexpr const char* kPrivateSocket = "unix:path=/run/systemd/private";

sd_bus* OpenAt(const char* address) {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return nullptr;
    if (sd_bus_set_address(bus, address) < 0 || sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    return bus;
}

sd_bus* OpenOn(int fd) {
    if (fd < 0) return nullptr;
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) {
        close(fd);
        return nullptr;
    }
    if (sd_bus_set_fd(bus, fd, fd) < 0) {
        close(fd);
        sd_bus_unref(bus);
        return nullptr;
    }
    if (sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    return bus;
}

}  // namespace

SystemdBus::~SystemdBus() { sd_bus_flush_close_unref(bus_); }

sd_bus* SystemdBus::Open() const {
    if (connect_) return OpenOn(connect_());
    if (sd_bus* bus = OpenAt(kPrivateSocket)) return bus;
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return nullptr;
    return bus;
}

sd_bus* SystemdBus::Get() {
    if (bus_ && !sd_bus_is_open(bus_)) bus_ = sd_bus_close_unref(bus_);
    if (!bus_) bus_ = Open();
    if (!bus_) return nullptr;
    // Dispatching with no match installed drops what is queued; a failure means the connection
    // is gone, and it is made again.
    int r;
    while ((r = sd_bus_process(bus_, nullptr)) > 0) {
    }
    if (r < 0) {
        bus_ = sd_bus_close_unref(bus_);
        bus_ = Open();
    }
    return bus_;
}

}  // namespace tarn::vuft4
