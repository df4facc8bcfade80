#include "checker/DailyLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "checker/StderrNotice.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "platform/storage/AsciiFile.h"
#include "platform/system/ControlEscape.h"
#include "platform/system/LastError.h"
#include "platform/system/Picture.h"
#include "platform/system/SafeOpen.h"
#include "platform/system/TextCut.h"

namespace tarn::checker {

std::string LogLine(std::string_view eventText, int32_t day, int32_t time) {
    std::string line = platform::FormatPicture("D08-b", day);
    line += ' ';
    line += platform::FormatPicture("t06b", time);
    line += eventText;
    return line;
}

std::string ServiceOnServer(std::string_view service, std::string_view server) {
    return std::string(service) + " on " + std::string(server);
}

std::string DailyLog::FileNameOn(int32_t day) const {
    return folder_ + "/Tarnwatch" + platform::FormatPicture("d12", day) + ".log";
}

std::string DailyLog::FileName() const { return FileNameOn(open_ ? openDay_ : today_()); }

// A folder that cannot be made, or is refused, is not said here: the file's open fails with the
// reason.
void DailyLog::MakeFolder() const {
    const platform::SafeOpened folder = platform::MakeOwnFolder(AT_FDCWD, folder_);
    if (folder.fd >= 0) ::close(folder.fd);
}

void DailyLog::SayOpenFailure(const std::string& fileName) {
    if (openFailureSaid_) return;
    openFailureSaid_ = true;
    SayOnStderr("cannot open the daily log " + fileName + " (" + LastErrorInWords() +
                "); services are still checked, the log is tried again at every pass");
}

bool DailyLog::Open() {
    if (open_) return true;
    const int32_t day = today_();
    MakeFolder();
    records::QuorvelCheckServiceLogFile().SetName(FileNameOn(day));
    data::FileManager& manager = *data::Access_QuorvelCheckServiceLog;
    // Opened at once and quietly: a log failure is said here, never as a fatal message box.
    manager.LazyOpen = 0;
    open_ = manager.OpenQuiet() == LevelQuiet && manager.EnsureUsable(2) == LevelQuiet;
    if (!open_) {
        SayOpenFailure(FileNameOn(day));
        return false;
    }
    openDay_ = day;
    openFailureSaid_ = false;
    return true;
}

bool DailyLog::FileStillAtItsName() const {
    const auto* file =
        dynamic_cast<const storage::AsciiFile*>(&records::QuorvelCheckServiceLogFile());
    return !file || file->StillAtItsName();
}

void DailyLog::SwitchFile(int32_t day) {
    storage::RecordFile& file = records::QuorvelCheckServiceLogFile();
    file.Close();
    MakeFolder();
    file.SetName(FileNameOn(day));
    int rc = file.Open(0x42);
    if (rc == platform::kFileNotFound && file.Create() == 0) rc = file.Open(0x42);
    if (rc == 0) {
        openDay_ = day;
        openFailureSaid_ = false;
        return;
    }
    SayOpenFailure(FileNameOn(day));
    // Given back, so that the next pass, once nothing holds it, opens it afresh.
    (void)data::Access_QuorvelCheckServiceLog->Close();
    open_ = false;
}

void DailyLog::BeginPass() {
    lossSaidThisPass_ = false;
    // Lines written to a file renamed away (a log rotation) or removed would go unseen.
    const int32_t day = today_();
    if (open_ && (day != openDay_ || !FileStillAtItsName())) SwitchFile(day);
    Open();
}

void DailyLog::Write(std::string_view eventText, platform::JournalPriority priority,
                     std::string_view journalTail) {
    // Said in the journal whatever becomes of the file: the journal dates lines itself.
    const size_t words = eventText.find_first_not_of(' ');
    SayToJournal(priority, std::string(eventText.substr(std::min(words, eventText.size()))) +
                               std::string(journalTail));
    const int32_t day = today_();
    if (open_ && day != openDay_) SwitchFile(day);
    if (!open_) return;  // said when the open failed
    auto& record = records::QuorvelCheckServiceLog();
    const std::string line =
        platform::CutText(LogLine(platform::EscapeControls(eventText), day, platform::Clock()),
                          sizeof(record.Field1));
    std::memset(record.Field1, ' ', sizeof(record.Field1));
    std::memcpy(record.Field1, line.data(), line.size());
    if (records::QuorvelCheckServiceLogFile().Add() == 0 || lossSaidThisPass_) return;
    lossSaidThisPass_ = true;
    SayOnStderr("cannot write to the daily log " + FileName() + " (" + LastErrorInWords() +
                "); the lines of this pass are lost, services are still checked");
}

void DailyLog::SettingsLoaded(int32_t sleepSeconds) {
    Write("  Loaded Settings. Sleep Time = " + std::to_string(sleepSeconds),
          platform::JournalPriority::Info);
}

void DailyLog::ServiceNotRunning(std::string_view service, int32_t status) {
    Write(" Service Status: " + std::string(service) + " CODE IS :" + std::to_string(status),
          platform::JournalPriority::Info);
}

void DailyLog::Restarted(std::string_view service) {
    Write(" Successfully Restarted Service: " + std::string(service),
          platform::JournalPriority::Notice);
}

void DailyLog::RestartFailed(std::string_view service, int32_t status, std::string_view why) {
    Write(" FAILED Restart Service: " + std::string(service) +
              " ERROR CODE IS :" + std::to_string(status),
          platform::JournalPriority::Warning, why.empty() ? "" : " (" + std::string(why) + ")");
}

void DailyLog::RestartPaused(std::string_view service, int32_t starts, int32_t cycles,
                             int64_t seconds) {
    Write(" Restart paused: " + std::string(service) + " not running after " +
              std::to_string(starts) + " starts, next start in " + std::to_string(cycles) +
              (cycles == 1 ? " cycle (" : " cycles (") + std::to_string(seconds) + " seconds)",
          platform::JournalPriority::Warning);
}

void DailyLog::ListDamaged(std::string_view what) {
    Write(" Service list damaged: " + std::string(what), platform::JournalPriority::Warning);
}

}  // namespace tarn::checker
