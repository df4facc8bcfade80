#include "checker/ServiceCheck.h"

#include <cstring>

#include "platform/system/Clock.h"
#include "platform/system/TextCut.h"
#include "platform/vuft4/RemoteHosts.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {

std::string Clipped(const char* field, size_t size) {
    return std::string(platform::TrimTrailingBlanks(std::string_view(field, strnlen(field, size))));
}

namespace {

// Copies text into a zero-terminated field, at most size-1 bytes, never half a character.
void Assign(char* field, size_t size, const std::string& text) {
    std::string cut = platform::CutText(text, static_cast<long>(size) - 1);
    std::memset(field, 0, size);
    std::memcpy(field, cut.data(), cut.size());
}

std::string ServiceName() {
    auto& r = records::ServicesToCheck();
    return Clipped(r.ServiceName, sizeof r.ServiceName);
}

std::string ServiceKey() {
    auto& r = records::ServicesToCheck();
    return RestartBackoff::Key(Clipped(r.ServerName, sizeof r.ServerName), ServiceName());
}

// Asks the backoff whether to start the service in this pass; logs a pause as it begins.
bool StartNow(RestartBackoff& restarts, const std::string& name, DailyLog& log) {
    const RestartBackoff::Decision d = restarts.NotRunning(ServiceKey());
    if (d.step == RestartBackoff::Step::PauseBegins)
        log.RestartPaused(name, d.starts, d.pauseCycles,
                          int64_t{d.pauseCycles} * restarts.CycleSeconds());
    return d.step == RestartBackoff::Step::Start;
}

int32_t QueryStatus() {
    auto& r = records::ServicesToCheck();
    // The fields are passed as stored: zero-terminated, at most 127 characters.
    char server[sizeof r.ServerName];
    char service[sizeof r.ServiceName];
    std::memcpy(server, r.ServerName, sizeof server);
    std::memcpy(service, r.ServiceName, sizeof service);
    server[sizeof server - 1] = '\0';
    service[sizeof service - 1] = '\0';
    return vuft4::VUSERVICESTATUS(server, service);
}

}  // namespace

std::string RestartKeyOf(const records::ServicesToCheckRecord& record) {
    std::string server = Clipped(record.ServerName, sizeof record.ServerName);
    if (server.empty()) server = Clipped(vuft4::VUCOMPUTERNAME(), sizeof record.ServerName);
    return RestartBackoff::Key(server, Clipped(record.ServiceName, sizeof record.ServiceName));
}

void CheckService(ServiceCheckLocals& locals, DailyLog& log) {
    auto& r = records::ServicesToCheck();
    if (Clipped(r.ServerName, sizeof r.ServerName).empty())
        Assign(r.ServerName, sizeof r.ServerName, vuft4::VUCOMPUTERNAME());
    if (ServiceName().empty()) return;
    r.LastChecked = platform::Today();
    r.LastCheckedTime = platform::Clock();
    locals.ServiceStatus = QueryStatus();
    ++locals.Counts.services;
    if (locals.ServiceStatus == 6) {
        ++locals.Counts.running;
        if (locals.Restarts) locals.Restarts->Running(ServiceKey());
    }
    if (locals.ServiceStatus == -1 || locals.ServiceStatus == 0) RestartService(locals, log);
}

std::string RestartCommand(const std::string& clippedName) {
    return platform::CutText("net start \"" + clippedName + "\"", 254);
}

void RestartService(ServiceCheckLocals& locals, DailyLog& log) {
    const auto& r = records::ServicesToCheck();
    const std::string name = ServiceName();
    const bool here = vuft4::IsThisComputer(r.ServerName);
    const std::string server = Clipped(r.ServerName, sizeof r.ServerName);
    const std::string shown = here ? name : ServiceOnServer(name, server);
    log.ServiceNotRunning(shown, locals.ServiceStatus);
    // A computer that did not answer in this pass, or names never sent to one, leave nothing
    // that could be started, so no outcome of a start to log.
    vuft4::RemoteHosts& remote = vuft4::CurrentRemoteHosts();
    if (!here && !remote.Reachable(server, name)) return;
    // While its starts pause, a service is still checked and its status logged, but nothing is
    // started, so there is no outcome of a start to log: neither success nor failure.
    if (locals.Restarts && !StartNow(*locals.Restarts, shown, log)) {
        ++locals.Counts.paused;
        return;
    }
    // This computer's services start here through VURUN's way, keeping what the start said for
    // the journal; another computer's start there, by its own service manager.
    vuft4::CommandOutcome started;
    if (here) {
        locals.CommandLine = RestartCommand(name);
        started = vuft4::RunCommand(locals.CommandLine.c_str());
    } else {
        remote.Start(server, name);
    }
    locals.ServiceStatus = QueryStatus();
    if (locals.ServiceStatus == 6) {
        ++locals.Counts.restarted;
        log.Restarted(shown);
    } else {
        ++locals.Counts.failed;
        log.RestartFailed(shown, locals.ServiceStatus, started.startReason);
    }
}

PassChanges ChangesMade(const records::ServicesToCheckRecord& before,
                        const records::ServicesToCheckRecord& after) {
    PassChanges c;
    if (std::memcmp(before.ServerName, after.ServerName, sizeof before.ServerName) != 0) {
        c.serverFilled = true;
        std::memcpy(c.serverName, after.ServerName, sizeof c.serverName);
    }
    if (before.LastChecked != after.LastChecked ||
        before.LastCheckedTime != after.LastCheckedTime) {
        c.stamped = true;
        c.lastChecked = after.LastChecked;
        c.lastCheckedTime = after.LastCheckedTime;
    }
    return c;
}

void ApplyChanges(const PassChanges& changes, records::ServicesToCheckRecord& record) {
    if (changes.serverFilled && Clipped(record.ServerName, sizeof record.ServerName).empty())
        std::memcpy(record.ServerName, changes.serverName, sizeof record.ServerName);
    if (changes.stamped) {
        record.LastChecked = changes.lastChecked;
        record.LastCheckedTime = changes.lastCheckedTime;
    }
}

}  // namespace tarn::checker
