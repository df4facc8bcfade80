#pragma once
// Between two passes: the services of this computer in the list, watched for a stop, so that a
// service that stops is checked at once instead of at the next pass.
#include <cstdint>
#include <string>
#include <vector>

namespace tarn::vuft4 {

class UnitWatch {
  public:
    struct Stopped {
        std::string name;  // as handed to the watch
        // It had been running for a while (kStayedUpMs) before it stopped: as good as a pass
        // finding it running in between.
        bool stayedUp = false;
    };
    static constexpr int64_t kStayedUpMs = 1000;

    virtual ~UnitWatch() = default;
    // Waits at most milliseconds for a watched service to become inactive or failed; returns
    // those that did (each name once), empty when none did in that time or the watch was lost.
    virtual std::vector<Stopped> Wait(int64_t milliseconds) = 0;
    // Drops the stops of names seen until now: a check just looked at these services, and its
    // own start must not look like a new stop.
    virtual void Forget(const std::vector<std::string>& names) = 0;
    // Whether the connection to the service manager was lost: nothing more will be seen.
    virtual bool Lost() const = 0;
};

}  // namespace tarn::vuft4
