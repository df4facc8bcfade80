#pragma once
// The checker's daily log: one CR LF line per event, headed by the date and time, in the file of
// the day the line is written on (<folder>/TarnwatchYYYYMMDD.log). The wording of every line the
// checker logs is here; control characters in a line are written escaped, so a service's name
// can neither forge a line nor reach the terminal of whoever reads the log.
//
// The log never stops the checker. A log that cannot be opened (or that is refused: a symbolic
// link, something not ours) is said once on standard error and tried again at the start of
// every pass; lines that cannot be written are said once per pass. Either way the services are
// still checked.
//
// The file manager opens the log once (Open) and the pass holds it open too, so a change of
// file (a new day, a file renamed away by a rotation) exchanges only the driver's file at the
// new name (SwitchFile); the file manager keeps its state.
//
// Under systemd each line also goes to the journal (StderrNotice.h), without the date, with the
// priority of its event: a restart notice, a failed or paused restart and a damaged list
// warnings, the rest information. The file's lines are the same either way.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/system/Clock.h"
#include "platform/system/JournalStream.h"

namespace tarn::checker {

class DailyLog {
  public:
    using DayClock = std::function<int32_t()>;

    // Logs into folder (relative to the current folder, or absolute), made when missing; the
    // day of each line comes from today.
    explicit DailyLog(std::string folder, DayClock today = platform::Today)
        : folder_(std::move(folder)), today_(std::move(today)) {}

    // The file of the day the log is open on, or of today while it is not open.
    std::string FileName() const;
    bool IsOpen() const { return open_; }

    // Opens today's file for appending through its file manager (creating it and the folder
    // when missing), without a message box; true when it is open.
    bool Open();
    // Called as each pass starts: retries a log that is not open, and starts the file again at
    // its name when the open one was renamed away, removed or replaced, or the day changed; lets
    // a failed append be said once more.
    void BeginPass();

    // The four lines of every pass, and those of a paused restart and a damaged list.
    void SettingsLoaded(int32_t sleepSeconds);
    void ServiceNotRunning(std::string_view service, int32_t status);
    void Restarted(std::string_view service);
    // why: what the start said (StartReport.h), for the journal only; the file's line is as ever.
    void RestartFailed(std::string_view service, int32_t status, std::string_view why = {});
    // A service's starts pause (RestartBackoff.h) after starts in a row that did not take.
    void RestartPaused(std::string_view service, int32_t starts, int32_t cycles, int64_t seconds);
    // The list of services is damaged; what says how is after the colon.
    void ListDamaged(std::string_view what);

  private:
    void Write(std::string_view eventText, platform::JournalPriority priority,
               std::string_view journalTail = {});
    std::string FileNameOn(int32_t day) const;
    void MakeFolder() const;
    bool FileStillAtItsName() const;
    void SwitchFile(int32_t day);
    void SayOpenFailure(const std::string& fileName);

    std::string folder_;
    DayClock today_;
    int32_t openDay_ = 0;
    bool open_ = false;
    bool openFailureSaid_ = false;
    bool lossSaidThisPass_ = false;
};

// How a service of another computer is named in the lines: "SERVICE on SERVER". A service of
// this computer is named by its name alone.
std::string ServiceOnServer(std::string_view service, std::string_view server);

// "dd-Mon-yyyy hh:mm:ssAM" + eventText (which brings its own leading blank or blanks).
std::string LogLine(std::string_view eventText, int32_t day, int32_t time);

}  // namespace tarn::checker
