#pragma once
// The back end that asks about and starts services: systemd, SysV init scripts, or none.
//
// One back end is chosen on first use and kept for the life of the process; tests put their own
// in place with SetServiceManager.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vuft4/StartReport.h"
#include "platform/vuft4/UnitWatch.h"

namespace tarn::vuft4 {

class ServiceManager {
  public:
    virtual ~ServiceManager() = default;
    // The status code of the named service on this computer (codes as in Vuft4.h).
    virtual int32_t Status(const std::string& name) = 0;
    // The status of each of names, in their order, as Status answers them: a pass asks all of
    // this computer's services at once. The default calls Status for one name after the other,
    // and for up to kStatusesAtOnce at the same time while answers are slow to come
    // (StatusAtOnce.h), so Status must be safe to call from several threads.
    virtual std::vector<int32_t> StatusOfAll(const std::vector<std::string>& names);
    // Starts the named service and waits until the tool reports back or the start limit passes;
    // returns what was run and how it ended (no command when nothing was run).
    virtual StartReport Start(const std::string& name) = 0;
    // Watches names (usable local names) for a stop until the watch is dropped; null when this
    // back end cannot tell (the checker then sleeps until the next pass).
    virtual std::unique_ptr<UnitWatch> WatchUnits(const std::vector<std::string>&) {
        return nullptr;
    }
    // What the back end has to tell the operator since the last call (a script it will not
    // run), each said once; none by default.
    virtual std::vector<std::string> TakeNotices() { return {}; }

    static constexpr size_t kStatusesAtOnce = 8;
    // How many names the default StatusOfAll asks at the same time (1: one after the other).
    void SetStatusesAtOnce(size_t count) { statusesAtOnce_ = count; }

  private:
    size_t statusesAtOnce_ = kStatusesAtOnce;
};

enum class ServiceManagerKind { Systemd, Sysv, None };

// systemd when systemdMarker is a folder (systemd is the running init), else SysV when "service"
// is an executable in one of the absolute searchPath folders (':'-separated), else none.
ServiceManagerKind SelectServiceManagerKind(const std::string& systemdMarker,
                                            const std::string& searchPath);
// The back end of a kind with its real tools.
std::shared_ptr<ServiceManager> MakeServiceManager(ServiceManagerKind kind);

// The back end in use, chosen from this machine on the first call.
std::shared_ptr<ServiceManager> CurrentServiceManager();
// Puts manager in place (null: choose again from this machine); returns the one it replaces.
std::shared_ptr<ServiceManager> SetServiceManager(std::shared_ptr<ServiceManager> manager);

}  // namespace tarn::vuft4
