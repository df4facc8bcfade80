// Error manager: raising, dispatch by level, showing, the error log and the history.
#include <string>

#include "errors/ErrorManager.h"
#include "errors/Text.h"
#include "platform/system/Clock.h"
#include "platform/system/LastError.h"
#include "platform/system/Picture.h"
#include "platform/system/Process.h"
#include "platform/system/TextCut.h"
#include "platform/ui/MessageBox.h"

namespace tarn::errors {

namespace {

using Hold = platform::CriticalSectionHold;

constexpr std::string_view kFatalSuffix = "  Press OK to end this application";
// The same news for standard error, where no button can be pressed.
constexpr std::string_view kUnattendedFatalSuffix = "  This application ends.";

}  // namespace

Level ErrorManager::Raise(uint16_t id) {
    CaptureRuntimeError();
    return HandleLevel(id);
}

Level ErrorManager::RaiseWithMessage(uint16_t id, std::string_view text) {
    SetMessageText(text);
    return Raise(id);
}

Level ErrorManager::RaiseWithFile(uint16_t id, std::string_view file) {
    SetFileName(file);
    return Raise(id);
}

Level ErrorManager::HandleLevel(uint16_t id) {
    SelectMessage(id);
    switch (Context().errorBuffer.fatality) {
        case LevelQuiet:
            return OnQuiet();
        case LevelQuestion:
        case LevelDeclined:
            return OnQuestion();
        case LevelInternal:
            return OnInternal();
        case LevelFatal:
            return OnFatal();
        case LevelNotice:
            return OnNotice();
        default:
            return OnOther();
    }
}

int ErrorManager::AskQuestion(uint16_t id, int buttons, int defaultButton) {
    if (Silent()) return defaultButton;
    SelectMessage(id);  // the context's error values stay as they were
    return StandardBox(SubstitutedText(), Context().errorBuffer.title, IconQuestion, buttons,
                       defaultButton, MsgStyle());
}

// --- level operations ---

Level ErrorManager::OnQuiet() { return LevelQuiet; }

Level ErrorManager::OnQuestion() {
    int answer = ShowMessage(SubstitutedText(), Context().errorBuffer.title, IconQuestion,
                             ButtonYes + ButtonNo, ButtonYes, MsgStyle());
    return answer == ButtonYes ? LevelQuiet : LevelDeclined;
}

Level ErrorManager::OnInternal() { return OnFatal(); }

Level ErrorManager::OnFatal() {
    std::string title = Context().errorBuffer.title;
    ShowMessage(SubstitutedText() + std::string(kFatalSuffix), title, IconExclamation, ButtonOk,
                ButtonOk, MsgStyle());
    // Exit code 1: whoever started the program must see that it did not end normally.
    platform::Halt(1, title);
}

Level ErrorManager::OnNotice() {
    ShowMessage(SubstitutedText(), Context().errorBuffer.title, IconExclamation, ButtonOk, ButtonOk,
                MsgStyle());
    return LevelNotice;
}

Level ErrorManager::OnOther() { return OnInternal(); }

// --- showing ---

int ErrorManager::ShowMessage(std::string_view text, std::string_view title, std::string_view icon,
                              int buttons, int defaultButton, int style) {
    if (LogErrors()) WriteLog(text);
    if (HistoryThreshold() != 0) KeepHistory(text, Context().errorBuffer.id);
    if (Silent()) return defaultButton;
    if (HistoryThreshold() != 0) {
        if (Context().errorBuffer.fatality != HistoryViewLevel()) return defaultButton;
        int result = ShowHistoryWindow(title, icon, buttons, defaultButton);
        if (HistoryResetOnView()) ClearHistory();
        return result;
    }
    return StandardBox(text, title, icon, buttons, defaultButton, style);
}

void ErrorManager::WriteLog(std::string_view text) {
    std::string line = platform::FormatPicture("D17", platform::Today()) + "@" +
                       platform::FormatPicture("T8", platform::Clock()) + " --> " +
                       std::string(text);
    // The caller may still read the runtime's last error after the message: keep it.
    const platform::RuntimeError saved = platform::LastError();
    {
        Hold hold(critSect_);
        // A log that cannot be opened or written never stops the message.
        if (errorLog_ && errorLog_->Open(false) == LevelQuiet) {
            errorLog_->Append(line);
            errorLog_->Close(false);
        }
    }
    platform::SetLastError(saved.code, saved.fileName, saved.driverCode, saved.driverText);
}

void ErrorManager::KeepHistory(std::string_view text, int32_t id) {
    std::string category = MessageCategory(id);
    Hold hold(critSect_);
    if (!history_) history_ = std::make_unique<std::vector<HistoryEntry>>();
    if (historyThreshold_ > 0) {
        size_t limit = static_cast<size_t>(historyThreshold_);
        if (history_->size() >= limit) {
            history_->erase(history_->begin(), history_->end() - (limit - 1));
        }
    }
    AppendHistory(HistoryEntry{category,
                               platform::CutText(text, static_cast<long>(kHistoryTextWidth)),
                               static_cast<int16_t>(id)});
}

int ErrorManager::StandardBox(std::string_view text, std::string_view title, std::string_view icon,
                              int buttons, int defaultButton, int style) {
    ui::MessageBoxRequest request{std::string(text), std::string(title), std::string(icon),
                                  buttons,           defaultButton,      style};
    if (text.ends_with(kFatalSuffix)) {
        request.unattendedText = std::string(text.substr(0, text.size() - kFatalSuffix.size())) +
                                 std::string(kUnattendedFatalSuffix);
        request.fatal = true;
    }
    return ui::ShowMessageBox(request);
}

int ErrorManager::ShowHistoryWindow(std::string_view caption, std::string_view icon, int buttons,
                                    int defaultButton) {
    std::vector<HistoryEntry> copy = History();
    HistoryWindowHook hook;
    {
        Hold hold(critSect_);
        hook = historyWindowHook_;
    }
    if (!hook) return defaultButton;
    return hook(copy, caption, icon, buttons, defaultButton);
}

int ErrorManager::ShowErrorHistory() {
    return ShowHistoryWindow("Errors History", IconNone, ButtonOk + ButtonHelp, ButtonOk);
}

void ErrorManager::AppendHistory(HistoryEntry entry) {
    Hold hold(critSect_);
    if (!history_) history_ = std::make_unique<std::vector<HistoryEntry>>();
    history_->push_back(std::move(entry));
}

void ErrorManager::ClearHistory() {
    Hold hold(critSect_);
    if (history_) history_->clear();
}

std::vector<HistoryEntry> ErrorManager::History() {
    Hold hold(critSect_);
    return history_ ? *history_ : std::vector<HistoryEntry>{};
}

void ErrorManager::SetHistoryWindowHook(HistoryWindowHook hook) {
    Hold hold(critSect_);
    historyWindowHook_ = std::move(hook);
}

}  // namespace tarn::errors
