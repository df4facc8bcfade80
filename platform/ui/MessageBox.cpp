#include "platform/ui/MessageBox.h"

#include <atomic>
#include <cstdio>

#include "platform/system/JournalStream.h"
#include "platform/system/Process.h"

namespace tarn::ui {

namespace {

StderrMessageBox& DefaultFrontEnd() {
    static StderrMessageBox box;
    return box;
}

std::atomic<MessageBoxFrontEnd*> current{nullptr};

}  // namespace

MessageBoxFrontEnd::~MessageBoxFrontEnd() = default;

int ShowMessageBox(const MessageBoxRequest& request) {
    return CurrentMessageBoxFrontEnd()->Ask(request);
}

void SetMessageBoxFrontEnd(MessageBoxFrontEnd* frontEnd) { current.store(frontEnd); }

MessageBoxFrontEnd* CurrentMessageBoxFrontEnd() {
    MessageBoxFrontEnd* frontEnd = current.load();
    return frontEnd ? frontEnd : &DefaultFrontEnd();
}

std::string MessageBoxLine(const MessageBoxRequest& request) {
    std::string line = request.title;
    if (!line.empty()) line += ": ";
    for (char c : request.unattendedText.empty() ? request.text : request.unattendedText) {
        if (c == '|') {
            line += " | ";
        } else if (c == '\n' || c == '\r') {
            line += ' ';  // keep it one line
        } else {
            line += c;
        }
    }
    return line;
}

StderrMessageBox::StderrMessageBox(std::function<int64_t()> now)
    : now_(now ? std::move(now) : platform::MonotonicMilliseconds) {}

bool StderrMessageBox::Due(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int64_t now = now_();
    std::erase_if(lastWritten_, [&](const auto& entry) {
        return now - entry.second >= kRepeatAfterMilliseconds;
    });
    return lastWritten_.emplace(line, now).second;
}

int StderrMessageBox::Ask(const MessageBoxRequest& request) {
    std::string line = MessageBoxLine(request) + "\n";
    if (!Due(line)) return request.defaultButton;
    line.insert(0, platform::JournalPrefix(request.fatal ? platform::JournalPriority::Error
                                                         : platform::JournalPriority::Warning));
    // One write, so lines of concurrent boxes never interleave.
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return request.defaultButton;
}

ScriptedMessageBox::ScriptedMessageBox(std::vector<int> answers)
    : answers_(answers.begin(), answers.end()) {}

int ScriptedMessageBox::Ask(const MessageBoxRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    if (answers_.empty()) return request.defaultButton;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedMessageBox::Push(int answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(answer);
}

std::vector<MessageBoxRequest> ScriptedMessageBox::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

size_t ScriptedMessageBox::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

}  // namespace tarn::ui
