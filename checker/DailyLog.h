#pragma once
// The checker's daily log: one CR LF line per event, headed by the date and time, in the file
// named after the day the checker started. The wording of every line the checker logs is here.
//
// The log never stops the checker. A log that cannot be opened is said once on standard error
// and tried again at the start of every pass; lines that cannot be written are said once per
// pass. Either way the services are still checked.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::checker {

class DailyLog {
  public:
    explicit DailyLog(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }
    bool IsOpen() const { return open_; }

    // Opens the file for appending through its file manager (creating it when missing), without
    // a message box; true when it is open.
    bool Open();
    // Called as each pass starts: retries a log that is not open or was removed (making its
    // folder again when it is missing) and lets a failed append be said once more.
    void BeginPass();

    // The four lines of every pass, and the one for a damaged list.
    void SettingsLoaded(int32_t sleepSeconds);
    void ServiceNotRunning(std::string_view service, int32_t status);
    void Restarted(std::string_view service);
    void RestartFailed(std::string_view service, int32_t status);
    // The list of services is damaged; what says how is after the colon.
    void ListDamaged(std::string_view what);

  private:
    void Write(std::string_view eventText);

    std::string fileName_;
    bool open_ = false;
    bool openFailureSaid_ = false;
    bool lossSaidThisPass_ = false;
};

// "dd-Mon-yyyy hh:mm:ssAM" + eventText (which brings its own leading blank or blanks).
std::string LogLine(std::string_view eventText, int32_t day, int32_t time);

}  // namespace tarn::checker
