#include "platform/vuft4/UnitEvents.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <list>

#include "platform/system/Process.h"
#include "platform/vuft4/BusCalls.h"
#include "platform/vuft4/SystemdBus.h"
#include "platform/vuft4/TimeLimits.h"

namespace tarn::vuft4 {

void UnitActivity::Saw(const std::string& activeState, int64_t nowMs) {
    if (activeState == "inactive" || activeState == "failed") {
        // The same stop said again (with other properties, or after a re-execution) is one stop.
        if (!down) {
            stopped = true;
            stayedUp = activeSince && nowMs - *activeSince >= UnitWatch::kStayedUpMs;
        }
        down = true;
        activeSince.reset();
        return;
    }
    if (activeState == "activating" || activeState == "active" || activeState == "reloading")
        down = false;
    if (activeState == "active" && !activeSince) activeSince = nowMs;
}

namespace {

// The ActiveState a PropertiesChanged signal of the unit interface carries; "" for none.
std::string ActiveStateIn(sd_bus_message* m) {
    const char* interface = nullptr;
    if (sd_bus_message_read(m, "s", &interface) < 0 || std::string(interface) != kUnitInterface)
        return "";
    if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return "";
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(m, "s", &key) < 0) return "";
        if (std::string(key) == "ActiveState") {
            const char* state = nullptr;
            if (sd_bus_message_read(m, "v", "s", &state) < 0) return "";
            return state;
        }
        if (sd_bus_message_skip(m, "v") < 0 || sd_bus_message_exit_container(m) < 0) return "";
    }
    return "";
}

class BusUnitWatch : public UnitWatch {
  public:
    explicit BusUnitWatch(sd_bus* bus) : bus_(sd_bus_ref(bus)) {}
    ~BusUnitWatch() override {
        for (Unit& unit : units_) sd_bus_slot_unref(unit.slot);
        sd_bus_unref(bus_);
    }

    // Adds a unit at path, meant by names, in activeState now; false when no match could be made.
    bool Add(const std::string& path, std::vector<std::string> names,
             const std::string& activeState) {
        units_.push_back({std::move(names), {}, nullptr});
        Unit& unit = units_.back();
        // Where it stands as the watch begins: down already is no stop.
        unit.activity.Saw(activeState, platform::MonotonicMilliseconds());
        unit.activity.stopped = false;
        return sd_bus_match_signal(bus_, &unit.slot, nullptr, path.c_str(),
                                   "org.freedesktop.DBus.Properties", "PropertiesChanged", OnChange,
                                   &unit.activity) >= 0;
    }

    std::vector<Stopped> Wait(int64_t milliseconds) override {
        const int64_t until = platform::MonotonicMilliseconds() + milliseconds;
        for (;;) {
            std::vector<Stopped> stopped = TakeStopped();
            if (!stopped.empty() || lost_) return stopped;
            const int r = sd_bus_process(bus_, nullptr);
            if (r < 0) lost_ = true;
            if (r != 0) continue;
            const int64_t left = until - platform::MonotonicMilliseconds();
            if (left <= 0) return {};
            if (sd_bus_wait(bus_, static_cast<uint64_t>(left) * 1000) < 0) lost_ = true;
        }
    }

    void Forget(const std::vector<std::string>& names) override {
        int r;
        while ((r = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (r < 0) lost_ = true;
        for (Unit& unit : units_)
            for (const std::string& name : unit.names)
                if (std::find(names.begin(), names.end(), name) != names.end())
                    unit.activity.stopped = false;
    }

    bool Lost() const override { return lost_ || !sd_bus_is_open(bus_); }

  private:
    struct Unit {
        std::vector<std::string> names;
        UnitActivity activity;
        sd_bus_slot* slot;
    };

    static int OnChange(sd_bus_message* m, void* data, sd_bus_error*) {
        const std::string state = ActiveStateIn(m);
        if (!state.empty())
            static_cast<UnitActivity*>(data)->Saw(state, platform::MonotonicMilliseconds());
        return 0;
    }

    std::vector<Stopped> TakeStopped() {
        std::vector<Stopped> out;
        for (Unit& unit : units_) {
            if (!unit.activity.stopped) continue;
            unit.activity.stopped = false;
            for (const std::string& name : unit.names)
                out.push_back({name, unit.activity.stayedUp});
        }
        return out;
    }

    sd_bus* bus_;
    // A list: the activities' addresses are the matches' data and must not move.
    std::list<Unit> units_;
    bool lost_ = false;
};

}  // namespace

std::unique_ptr<UnitWatch> WatchUnitsOverBus(sd_bus* bus, const std::vector<std::string>& names) {
    const UnitNames asked = UnitsOfNames(names);
    if (!Subscribe(bus)) return nullptr;
    const auto answers = ListUnits(bus, asked.units, CurrentTimeLimits().statusMs);
    if (!answers) return nullptr;
    const std::vector<std::optional<size_t>> answerOf = AnswersOfUnits(asked.units, *answers);
    auto watch = std::make_unique<BusUnitWatch>(bus);
    for (size_t u = 0; u < asked.units.size(); ++u) {
        if (!answerOf[u]) continue;
        std::vector<std::string> meaning;
        for (size_t n = 0; n < names.size(); ++n)
            if (asked.unitOf[n] == static_cast<int>(u)) meaning.push_back(names[n]);
        const UnitState& state = (*answers)[*answerOf[u]];
        if (!watch->Add(state.path, std::move(meaning), state.activeState)) return nullptr;
    }
    return watch;
}

}  // namespace tarn::vuft4
