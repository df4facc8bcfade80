#pragma once
// What one pass does with one ServicesToCheck record: fill in the server, stamp, ask the service
// manager, start a stopped service and log what happened.
#include <cstdint>
#include <string>

#include "checker/DailyLog.h"
#include "checker/PassStatus.h"
#include "checker/RestartBackoff.h"
#include "data/records/Records.h"

namespace tarn::checker {

struct ServiceCheckLocals {
    std::string CommandLine;  // the restart command being run, at most 254 characters
    int32_t ServiceStatus = 0;
    RestartBackoff* Restarts = nullptr;  // kept across passes; null starts every time
    PassCounts Counts;                   // what the pass found so far
};

// Works on the thread's ServicesToCheck buffer. A service found running, and one found not
// running whose starts pause, are reported to and asked of locals.Restarts.
void CheckService(ServiceCheckLocals& locals, DailyLog& log);
void RestartService(ServiceCheckLocals& locals, DailyLog& log);
// The restart key of the record's service (RestartBackoff::Key), its server name blank or
// filled in as the check fills it.
std::string RestartKeyOf(const records::ServicesToCheckRecord& record);
// The command that starts a service: net start "NAME", at most 254 characters.
std::string RestartCommand(const std::string& clippedName);

// The pass's own changes to a record, so they can be laid over a newer version of it.
struct PassChanges {
    bool serverFilled = false;
    char serverName[128] = {};
    bool stamped = false;
    int32_t lastChecked = 0;
    int32_t lastCheckedTime = 0;
};
PassChanges ChangesMade(const records::ServicesToCheckRecord& before,
                        const records::ServicesToCheckRecord& after);
// Applies the pass's changes to the record in the buffer: the server name only while it is
// still blank there, the stamps always.
void ApplyChanges(const PassChanges& changes, records::ServicesToCheckRecord& record);

// The field's text without trailing blanks (up to the terminator).
std::string Clipped(const char* field, size_t size);

}  // namespace tarn::checker
