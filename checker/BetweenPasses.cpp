#include "checker/BetweenPasses.h"

#include <algorithm>

#include "checker/PassServers.h"
#include "checker/ReadThroughServices.h"
#include "data/records/Records.h"
#include "platform/system/Process.h"
#include "platform/system/Watchdog.h"
#include "platform/vuft4/LocalServices.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {

namespace {

// The list's services of this computer, each usable name once; read with the list opened for
// reading only. Empty when the list cannot be read: the next pass says why.
std::vector<std::string> NamesHere() {
    std::vector<std::string> names;
    storage::RecordFile& list = records::ServicesToCheckFile();
    if (list.Open(0x40) != 0) return names;
    for (const vuft4::ServerService& pair : ServicesOfTheList()) {
        if (!vuft4::IsThisComputer(pair.server.c_str())) continue;
        const std::optional<std::string> name = vuft4::UsableLocalName(pair.service);
        if (name && std::find(names.begin(), names.end(), *name) == names.end())
            names.push_back(*name);
    }
    list.Close();
    return names;
}

// Made again after every pass: the list may have changed.
std::unique_ptr<vuft4::UnitWatch> WatchTheList() {
    const std::vector<std::string> names = NamesHere();
    if (names.empty()) return nullptr;
    return vuft4::CurrentServiceManager()->WatchUnits(names);
}

// How long one wait may last: short enough for the watchdog's keep-alives.
int64_t WaitSlice(int64_t left) {
    const int64_t interval = platform::WatchdogInterval();
    return interval > 0 ? std::min(left, std::max<int64_t>(1, interval / 4)) : left;
}

}  // namespace

void WaitForNextPass(DailyLog& log, RestartBackoff& restarts, uint32_t milliseconds) {
    const int64_t until = platform::MonotonicMilliseconds() + milliseconds;
    std::unique_ptr<vuft4::UnitWatch> watch = WatchTheList();
    bool watchedAgain = false;
    for (int64_t left; (left = until - platform::MonotonicMilliseconds()) > 0;) {
        if (!watch) {
            platform::SleepKeepingAlive(static_cast<uint32_t>(left));
            return;
        }
        const std::vector<vuft4::UnitWatch::Stopped> stopped = watch->Wait(WaitSlice(left));
        platform::KeepAlive();
        if (!stopped.empty()) {
            CheckStoppedServices(log, &restarts, stopped);
            std::vector<std::string> checked;
            for (const vuft4::UnitWatch::Stopped& s : stopped) checked.push_back(s.name);
            watch->Forget(checked);
        } else if (watch->Lost()) {
            // systemd re-executed, say: watched once more over a new connection, else slept.
            watch = watchedAgain ? nullptr : WatchTheList();
            watchedAgain = true;
        }
    }
}

}  // namespace tarn::checker
