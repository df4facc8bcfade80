#pragma once
// The message-box service: one question to the user, answered with a button bit.
//
// Front ends plug in through SetMessageBoxFrontEnd. Without one, StderrMessageBox answers: it
// writes the box as one line to standard error and takes the default button, which is what the
// checker needs when no terminal is attached. Nobody reads that line in front of a window, so it
// names no button, and the same line is written at most once an hour: a record that fails at
// every pass must not flood the journal.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tarn::ui {

struct MessageBoxRequest {
    std::string text;  // '|' is a line break
    std::string title;
    std::string icon;
    int buttons = 0;  // sum of button bits
    int defaultButton = 0;
    int style = 0;
    // What a reader who cannot press a button is told instead of text ("" means text).
    std::string unattendedText = "";
    // The program ends after this box: the journal files its line as an error, not a warning.
    bool fatal = false;
};

class MessageBoxFrontEnd {
  public:
    virtual ~MessageBoxFrontEnd();
    // Returns the pressed button bit; 0 when the box was closed without a button.
    virtual int Ask(const MessageBoxRequest& request) = 0;
};

// Asks the current front end.
int ShowMessageBox(const MessageBoxRequest& request);
// nullptr restores the default (standard error) front end. The caller keeps ownership.
void SetMessageBoxFrontEnd(MessageBoxFrontEnd* frontEnd);
MessageBoxFrontEnd* CurrentMessageBoxFrontEnd();

// The one line StderrMessageBox writes: "title: text" (the unattended text when there is one)
// with each '|' shown as " | ".
std::string MessageBoxLine(const MessageBoxRequest& request);

// Writes one line per box to standard error (prefixed with its priority when that is the journal),
// unless the same line was written less than an hour
// before, and answers the default button.
class StderrMessageBox : public MessageBoxFrontEnd {
  public:
    static constexpr int64_t kRepeatAfterMilliseconds = 60 * 60 * 1000;

    // now: the clock of the repeat guard, in milliseconds.
    explicit StderrMessageBox(std::function<int64_t()> now = nullptr);
    int Ask(const MessageBoxRequest& request) override;

  private:
    // True when line is to be written now; forgets lines older than the repeat time.
    bool Due(const std::string& line);

    std::function<int64_t()> now_;
    std::mutex mutex_;
    std::map<std::string, int64_t> lastWritten_;
};

// Answers from a script of button bits, for tests; records every request. With the script used
// up it answers the default button.
class ScriptedMessageBox : public MessageBoxFrontEnd {
  public:
    ScriptedMessageBox() = default;
    explicit ScriptedMessageBox(std::vector<int> answers);

    int Ask(const MessageBoxRequest& request) override;
    void Push(int answer);
    std::vector<MessageBoxRequest> Requests() const;
    size_t Count() const;

  private:
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> requests_;
};

}  // namespace tarn::ui
