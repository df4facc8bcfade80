#include "checker/DailyLog.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "checker/StderrNotice.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "platform/system/Clock.h"
#include "platform/system/Picture.h"
#include "platform/system/TextCut.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {

std::string LogLine(std::string_view eventText, int32_t day, int32_t time) {
    std::string line = platform::FormatPicture("D08-b", day);
    line += ' ';
    line += platform::FormatPicture("t06b", time);
    line += eventText;
    return line;
}

bool DailyLog::Open() {
    if (open_) return true;
    records::QuorvelCheckServiceLogFile().SetName(fileName_);
    data::FileManager& manager = *data::Access_QuorvelCheckServiceLog;
    // Opened at once and quietly: a log failure is said here, never as a fatal message box.
    manager.LazyOpen = 0;
    open_ = manager.OpenQuiet() == LevelQuiet && manager.EnsureUsable(2) == LevelQuiet;
    if (open_) {
        openFailureSaid_ = false;
    } else if (!openFailureSaid_) {
        openFailureSaid_ = true;
        SayOnStderr("cannot open the daily log " + fileName_ + " (" + LastErrorInWords() +
                    "); services are still checked, the log is tried again at every pass");
    }
    return open_;
}

void DailyLog::BeginPass() {
    lossSaidThisPass_ = false;
    // Removed or moved away while open (by hand, or by a log rotation): lines written to the
    // old file would be lost unseen, so a new file is started at the name.
    if (open_ && access(fileName_.c_str(), F_OK) != 0 && errno == ENOENT) {
        (void)data::Access_QuorvelCheckServiceLog->Close();
        open_ = false;
    }
    if (open_) return;
    const size_t slash = fileName_.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = fileName_.substr(0, slash);
        if (vuft4::VUFOLDEREXISTS(folder.c_str()) == 0) vuft4::VUCREATEDIRECTORY(folder.c_str());
    }
    Open();
}

void DailyLog::Write(std::string_view eventText) {
    if (!open_) return;  // said when the open failed
    auto& record = records::QuorvelCheckServiceLog();
    const std::string line = platform::CutText(
        LogLine(eventText, platform::Today(), platform::Clock()), sizeof(record.Field1));
    std::memset(record.Field1, ' ', sizeof(record.Field1));
    std::memcpy(record.Field1, line.data(), line.size());
    if (records::QuorvelCheckServiceLogFile().Add() == 0 || lossSaidThisPass_) return;
    lossSaidThisPass_ = true;
    SayOnStderr("cannot write to the daily log " + fileName_ + " (" + LastErrorInWords() +
                "); the lines of this pass are lost, services are still checked");
}

void DailyLog::SettingsLoaded(int32_t sleepSeconds) {
    Write("  Loaded Settings. Sleep Time = " + std::to_string(sleepSeconds));
}

void DailyLog::ServiceNotRunning(std::string_view service, int32_t status) {
    Write(" Service Status: " + std::string(service) + " CODE IS :" + std::to_string(status));
}

void DailyLog::Restarted(std::string_view service) {
    Write(" Successfully Restarted Service: " + std::string(service));
}

void DailyLog::RestartFailed(std::string_view service, int32_t status) {
    Write(" FAILED Restart Service: " + std::string(service) +
          " ERROR CODE IS :" + std::to_string(status));
}

void DailyLog::ListDamaged(std::string_view what) {
    Write(" Service list damaged: " + std::string(what));
}

}  // namespace tarn::checker
