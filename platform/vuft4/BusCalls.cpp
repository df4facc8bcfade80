#include "platform/vuft4/BusCalls.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <memory>

#include "platform/system/ControlEscape.h"
#include "platform/system/Process.h"
#include "platform/system/Watchdog.h"
#include "platform/vuft4/SystemdBus.h"

namespace tarn::vuft4 {

namespace {

struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

struct SlotUnref {
    void operator()(sd_bus_slot* s) const { sd_bus_slot_unref(s); }
};
using Slot = std::unique_ptr<sd_bus_slot, SlotUnref>;

// The longest wait between two keep-alive chances while a job runs.
constexpr int64_t kWaitSliceMs = 100;

std::string ErrorText(const sd_bus_error& error, int r) {
    if (error.message) return platform::EscapeControls(error.message);
    return std::strerror(-r);
}

std::vector<UnitState> ReadUnits(sd_bus_message* reply) {
    std::vector<UnitState> units;
    if (sd_bus_message_enter_container(reply, 'a', "(ssssssouso)") < 0) return units;
    const char *name, *description, *load, *active, *sub, *following, *path, *jobType, *jobPath;
    uint32_t jobId;
    while (sd_bus_message_read(reply, "(ssssssouso)", &name, &description, &load, &active, &sub,
                               &following, &path, &jobId, &jobType, &jobPath) > 0)
        units.push_back({name, load, active, path});
    return units;
}

struct JobWait {
    std::string path;
    bool ended = false;
    std::string result;
};

int OnJobRemoved(sd_bus_message* m, void* data, sd_bus_error*) {
    auto* wait = static_cast<JobWait*>(data);
    uint32_t id;
    const char *path, *unit, *result;
    if (sd_bus_message_read(m, "uoss", &id, &path, &unit, &result) < 0) return 0;
    if (wait->path == path) {
        wait->ended = true;
        wait->result = result;
    }
    return 0;
}

// Dispatches until the job has ended; "" then, else why it did not.
std::string AwaitJob(sd_bus* bus, const JobWait& wait, int64_t limitMs) {
    const int64_t until = platform::MonotonicMilliseconds() + limitMs;
    while (!wait.ended) {
        platform::KeepAlive();
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) return "lost its connection to systemd";
        if (r > 0) continue;
        const int64_t left = until - platform::MonotonicMilliseconds();
        if (left <= 0) return "did not end within " + std::to_string(limitMs / 1000) + " s";
        if (sd_bus_wait(bus, static_cast<uint64_t>(std::min(left, kWaitSliceMs)) * 1000) < 0)
            return "lost its connection to systemd";
    }
    return "";
}

}  // namespace

std::optional<std::vector<UnitState>> ListUnits(sd_bus* bus, const std::vector<std::string>& units,
                                                int64_t limitMs) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, kSystemdService, kManagerPath, kManagerInterface,
                                       "ListUnitsByNames") < 0)
        return std::nullopt;
    Message call(raw);
    std::vector<char*> strv;
    for (const std::string& unit : units) strv.push_back(const_cast<char*>(unit.c_str()));
    strv.push_back(nullptr);
    if (sd_bus_message_append_strv(call.get(), strv.data()) < 0) return std::nullopt;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int r =
        sd_bus_call(bus, call.get(), static_cast<uint64_t>(limitMs) * 1000, &error, &reply);
    sd_bus_error_free(&error);
    if (r < 0) return std::nullopt;
    Message answer(reply);
    return ReadUnits(answer.get());
}

bool Subscribe(sd_bus* bus) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(bus, kSystemdService, kManagerPath, kManagerInterface,
                                     "Subscribe", &error, nullptr, "");
    const bool fine =
        r >= 0 || sd_bus_error_has_name(&error, "org.freedesktop.systemd1.AlreadySubscribed");
    sd_bus_error_free(&error);
    return fine;
}

StartReport StartUnit(sd_bus* bus, const std::string& unit, int64_t limitMs) {
    StartReport report;
    report.command = "StartUnit " + unit;
    JobWait wait;
    sd_bus_slot* rawSlot = nullptr;
    // The match is in place before the job exists, so that its end cannot be missed.
    if (sd_bus_match_signal(bus, &rawSlot, nullptr, kManagerPath, kManagerInterface, "JobRemoved",
                            OnJobRemoved, &wait) < 0 ||
        !Subscribe(bus)) {
        report.ending = "lost its connection to systemd";
        return report;
    }
    Slot slot(rawSlot);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int r = sd_bus_call_method(bus, kSystemdService, kManagerPath, kManagerInterface,
                                     "StartUnit", &error, &reply, "ss", unit.c_str(), "replace");
    if (r < 0) {
        report.ending = "was refused: " + ErrorText(error, r);
        sd_bus_error_free(&error);
        return report;
    }
    Message answer(reply);
    const char* job = nullptr;
    if (sd_bus_message_read(answer.get(), "o", &job) < 0) {
        report.ending = "was refused: no job in systemd's answer";
        return report;
    }
    wait.path = job;
    const std::string notEnded = AwaitJob(bus, wait, limitMs);
    report.ending = notEnded.empty() ? "ended with job result " + wait.result : notEnded;
    return report;
}

}  // namespace tarn::vuft4
