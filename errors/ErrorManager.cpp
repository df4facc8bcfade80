// Error manager: lifecycle, catalog, the per-thread context, procedure names and switches.
#include "errors/ErrorManager.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

#include "errors/Catalog.h"
#include "errors/Text.h"
#include "platform/system/LastError.h"

namespace tarn::errors {

namespace {

using Hold = platform::CriticalSectionHold;

std::atomic<uint64_t> nextSerial{1};
std::atomic<int32_t> nextThread{1};

// The runtime's thread number of the calling thread.
int32_t ThreadNumber() {
    thread_local int32_t number = nextThread++;
    return number;
}

}  // namespace

ErrorManager::ErrorManager() : serial_(nextSerial++) {}

ErrorManager::~ErrorManager() = default;

ErrorManager& GlobalErrors() {
    static ErrorManager manager;
    return manager;
}

// --- lifecycle ---

void ErrorManager::Init() {
    Hold hold(critSect_);
    if (stdErrorLog_) return;
    stdErrorLog_ = std::make_unique<StandardErrorLog>();
    defaultCategory_ = "QEL";
    errors_.reset();
    history_.reset();
    procNames_.reset();
    historyThreshold_ = 0;
    historyViewLevel_ = LevelFatal;
    historyResetOnView_ = false;
    Initialise(stdErrorLog_.get());
}

void ErrorManager::Initialise(ErrorLogInterface* errorLog) {
    Hold hold(critSect_);
    errorLog_ = errorLog;
    if (!errors_) {
        errors_ = std::make_unique<std::vector<ErrorEntry>>();
        LoadMessages(StandardCatalog());
    }
    if (!procNames_) procNames_ = std::make_unique<std::vector<ProcNameEntry>>();
    if (!history_) history_ = std::make_unique<std::vector<HistoryEntry>>();
}

void ErrorManager::Shutdown() {
    Hold hold(critSect_);
    errors_.reset();
    history_.reset();
    procNames_.reset();
    if (errorLog_ == stdErrorLog_.get()) errorLog_ = nullptr;
    stdErrorLog_.reset();  // closes the log by force
}

// --- catalog ---

void ErrorManager::LoadMessages(std::span<const uint8_t> table) {
    Hold hold(critSect_);
    if (!errors_) errors_ = std::make_unique<std::vector<ErrorEntry>>();
    if (table.size() < 2) return;
    size_t count = table[0] | (table[1] << 8);
    size_t at = 2;
    auto text = [&](std::string& out) {
        if (at >= table.size() || at + 1 + table[at] > table.size()) return false;
        out.assign(reinterpret_cast<const char*>(&table[at + 1]), table[at]);
        at += 1 + table[at];
        return true;
    };
    for (size_t i = 0; i < count; ++i) {
        if (at + 3 > table.size()) return;  // a cut table keeps what came before the cut
        ErrorEntry entry;
        entry.id = table[at] | (table[at + 1] << 8);
        entry.fatality = table[at + 2];
        at += 3;
        if (!text(entry.title) || !text(entry.message)) return;
        errors_->push_back(std::move(entry));
    }
}

void ErrorManager::AddMessage(int32_t id, std::string_view text, std::string_view title,
                              uint8_t level, std::string_view category) {
    Hold hold(critSect_);
    if (!errors_) errors_ = std::make_unique<std::vector<ErrorEntry>>();
    errors_->push_back(
        ErrorEntry{id, std::string(text), std::string(title), level, std::string(category)});
}

void ErrorManager::RemoveMessage(int32_t id) {
    Hold hold(critSect_);
    if (const ErrorEntry* entry = Find(id, false)) {
        errors_->erase(errors_->begin() + (entry - errors_->data()));
    }
}

ErrorEntry* ErrorManager::Find(int32_t id, bool asUnsigned16) {
    if (!errors_) return nullptr;
    int32_t wanted = asUnsigned16 ? static_cast<int32_t>(static_cast<uint16_t>(id)) : id;
    // Newest first: a later entry overrides an older one with the same id.
    for (auto it = errors_->rbegin(); it != errors_->rend(); ++it) {
        if (it->id == wanted) return &*it;
    }
    return nullptr;
}

bool ErrorManager::FindMessage(uint16_t id, ErrorEntry& out) {
    Hold hold(critSect_);
    const ErrorEntry* entry = Find(id, true);
    if (entry) out = *entry;
    return entry != nullptr;
}

size_t ErrorManager::MessageCount() {
    Hold hold(critSect_);
    return errors_ ? errors_->size() : 0;
}

void ErrorManager::SetMessageCategory(int32_t id, std::string_view category) {
    Hold hold(critSect_);
    if (id == -1) {
        defaultCategory_ = category;
    } else if (ErrorEntry* entry = Find(id, false)) {
        entry->category = category;
    }
}

std::string ErrorManager::MessageCategory(int32_t id) {
    Hold hold(critSect_);
    if (id != -1) {
        const ErrorEntry* entry = Find(id, false);
        if (entry && !entry->category.empty()) return entry->category;
    }
    return defaultCategory_;
}

// --- the calling thread's context ---

ErrorStatus& ErrorManager::Context() {
    // One context per thread and manager, created in the initial state on first use.
    thread_local std::unordered_map<uint64_t, ErrorStatus> contexts;
    return contexts[serial_];
}

const ErrorStatus& ErrorManager::Status() { return Context(); }

void ErrorManager::SetFieldName(std::string_view name) {
    Context().fieldName = Clip(name, kNameWidth);
}

void ErrorManager::SetFileName(std::string_view name) {
    Context().fileName = Clip(name, kNameWidth);
}

void ErrorManager::SetKeyName(std::string_view name) { Context().keyName = Clip(name, kNameWidth); }

void ErrorManager::SetMessageText(std::string_view text) {
    Context().messageText = Clip(text, kNameWidth);
}

void ErrorManager::CaptureRuntimeError() {
    const platform::RuntimeError& error = platform::LastError();
    ErrorStatus& s = Context();
    s.saveErrorFile = Clip(error.fileName, kSaveWidth);
    s.saveErrorCode = error.code;
    s.saveError = Clip(error.text, kSaveWidth);
    s.saveFileErrorCode = Clip(error.driverCode, kSaveWidth);
    s.saveFileError = Clip(error.driverText, kSaveWidth);
}

void ErrorManager::SelectMessage(uint16_t id) {
    ErrorStatus& s = Context();
    s.prevErrorId = s.errorBuffer.id;
    Hold hold(critSect_);
    const ErrorEntry* entry = Find(id, true);
    s.errorBuffer = entry ? *entry : ErrorEntry{};
}

// --- procedure names ---

void ErrorManager::PushProcedureName(std::string_view name) {
    Hold hold(critSect_);
    if (!procNames_) procNames_ = std::make_unique<std::vector<ProcNameEntry>>();
    procNames_->push_back(ProcNameEntry{ThreadNumber(), Clip(name, std::string::npos)});
}

void ErrorManager::PopProcedureName(std::string_view) {
    Hold hold(critSect_);
    if (!procNames_) return;
    int32_t thread = ThreadNumber();
    auto it = std::find_if(procNames_->rbegin(), procNames_->rend(),
                           [thread](const ProcNameEntry& e) { return e.thread == thread; });
    if (it != procNames_->rend()) procNames_->erase(std::next(it).base());
}

std::string ErrorManager::CurrentProcedureName() {
    Hold hold(critSect_);
    if (!procNames_) return {};
    int32_t thread = ThreadNumber();
    for (auto it = procNames_->rbegin(); it != procNames_->rend(); ++it) {
        if (it->thread == thread) return it->name;
    }
    return {};
}

// --- switches ---

int32_t ErrorManager::HistoryThreshold() {
    Hold hold(critSect_);
    return historyThreshold_;
}
void ErrorManager::SetHistoryThreshold(int32_t threshold) {
    Hold hold(critSect_);
    historyThreshold_ = threshold;
}
int32_t ErrorManager::HistoryViewLevel() {
    Hold hold(critSect_);
    return historyViewLevel_;
}
void ErrorManager::SetHistoryViewLevel(int32_t level) {
    Hold hold(critSect_);
    historyViewLevel_ = level;
}
bool ErrorManager::HistoryResetOnView() {
    Hold hold(critSect_);
    return historyResetOnView_;
}
void ErrorManager::SetHistoryResetOnView(bool reset) {
    Hold hold(critSect_);
    historyResetOnView_ = reset;
}
std::string ErrorManager::DefaultCategory() {
    Hold hold(critSect_);
    return defaultCategory_;
}
void ErrorManager::SetDefaultCategory(std::string_view category) {
    Hold hold(critSect_);
    defaultCategory_ = category;
}
bool ErrorManager::Silent() {
    Hold hold(critSect_);
    return silent_;
}
void ErrorManager::SetSilent(bool silent) {
    Hold hold(critSect_);
    silent_ = silent;
}
bool ErrorManager::LogErrors() {
    Hold hold(critSect_);
    return logErrors_;
}
void ErrorManager::SetLogErrors(bool log) {
    Hold hold(critSect_);
    logErrors_ = log;
}
int16_t ErrorManager::MsgStyle() {
    Hold hold(critSect_);
    return msgStyle_;
}
void ErrorManager::SetMsgStyle(int16_t style) {
    Hold hold(critSect_);
    msgStyle_ = style;
}

}  // namespace tarn::errors
