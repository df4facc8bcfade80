#include "data/FileManager.h"

#include "data/FileOpener.h"
#include "data/FileRegistry.h"
#include "platform/system/LastError.h"
#include "platform/system/TextCut.h"

namespace tarn::data {

FileManager::FileManager(storage::RecordFile& file, errors::ErrorManager& errors)
    : File(&file), Errors(&errors) {}

FileManager::~FileManager() {
    if (!Killed) Shutdown();
    // A manager that was set up but never used is still in the registry.
    ThreadRegistry().RemoveFileManager(this);
    ThreadRegistry().RemoveUsageOf(File);
}

void FileManager::Setup() {
    Initialized = 0;
    Buffer = File->Buffer();
    BufferSize = File->Desc().recordSize;
    FileNameValue = File->Desc().label.substr(0, 256);
    Opened = 0;
    LazyOpen = 1;
    Killed = 0;
    UseMrp = 0;
    MrpSize = 10;
    ThreadRegistry().AddFileManager(File, this);
    ThreadRegistry().Errs = Errors;
}

void FileManager::Initialise() {
    Buffer = File->Buffer();
    BufferSize = File->Desc().recordSize;
    if (Opener) Opener->Release();
    Opener = ChooseOpener(*File);
    Keys.clear();
    Buffers.clear();
    Saved.clear();
    PrimaryKey = 0;
    FileNameValue = File->Desc().label.substr(0, 256);
    CleanedUp = 0;
    Initialized = 1;
    Killed = 0;
    UseMrp = 0;
    MrpSize = 20;
    File->SetObserver(&FileCallbackInterface);
    const std::vector<storage::KeyDesc>& keys = File->Desc().keys;
    for (int k = 0; k < static_cast<int>(keys.size()); ++k) {
        const std::string& name = keys[k].description.empty() ? keys[k].name : keys[k].description;
        RegisterKey(name, k, keys[k].autoNumber ? 1 : 0);
    }
}

void FileManager::RegisterKey(const std::string& name, int key, uint8_t autoNumbered) {
    const storage::FileDesc& desc = File->Desc();
    if (key < 0 || key >= static_cast<int>(desc.keys.size())) return;
    const storage::KeyDesc& kd = desc.keys[key];
    KeyEntry entry;
    entry.Key = key;
    entry.Description = name.substr(0, 80);
    entry.AutoInc = autoNumbered;
    entry.Dups = kd.duplicates;
    entry.NoCase = kd.noCase;
    if (autoNumbered == 1) HasAutoInc = 1;
    for (const storage::KeyComponent& c : kd.components) {
        const storage::FieldDesc& fd = desc.fields[c.field - 1];
        KeyComponentEntry comp;
        comp.Ascend = c.ascending;
        comp.Field = RecordField(fd, Buffer);
        bool upper = kd.noCase && fd.kind != storage::FieldKind::Long;
        comp.FieldName = upper ? "UPPER(" + fd.name + ")" : fd.name;
        entry.Fields.push_back(std::move(comp));
    }
    Keys.push_back(std::move(entry));
    if (kd.primary) PrimaryKey = static_cast<uint8_t>(Keys.size());
}

std::string FileManager::DisplayName() const {
    if (FileName) return *FileName;
    std::string clipped(platform::TrimTrailingBlanks(FileNameValue));
    if (!clipped.empty()) return clipped;
    if (File && !File->Name().empty()) return File->Name();
    return "Unknown File";
}

void FileManager::NoteError(long id) {
    Errors->CaptureRuntimeError();
    LastError = id;
}

Level FileManager::Report(long id) {
    NoteError(id);
    return ReportLast();
}

Level FileManager::ReportLast() {
    // The snapshot taken by NoteError stays: later driver calls must not change the error shown.
    Errors->SetFileName(DisplayName());
    return Errors->HandleLevel(static_cast<uint16_t>(LastError));
}

Level FileManager::ReportWithText(long id, const std::string& text) {
    NoteError(id);
    Errors->SetFileName(DisplayName());
    Errors->SetMessageText(text);
    return Errors->HandleLevel(static_cast<uint16_t>(LastError));
}

Level FileManager::Open() { return OpenCore(1, 0); }

Level FileManager::OpenQuiet() { return OpenCore(0, 0); }

Level FileManager::OpenCore(uint8_t report, uint8_t force) {
    UsageEntry* entry = ThreadRegistry().DeepestUsage(File);
    if (entry && entry->Proc == Errors->CurrentProcedureName()) ++entry->NestedOpen;
    if (force == 1 || (LazyOpen == 0 && Opened == 0)) {
        Level result = PhysicalOpen(report);
        if (result != LevelQuiet) return result;
    }
    ++Opened;
    return LevelQuiet;
}

Level FileManager::PhysicalOpen(uint8_t report) {
    if (EnsureUsable(5) != LevelQuiet) {
        NoteError(MsgOpenError);
        Level result = report ? ReportLast() : LevelNotice;
        if (result != LevelQuiet) return result;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        OpenAttemptResult tried = OpenAttempt(report);
        if (tried.outcome == OpenAttemptResult::Opened) return LevelQuiet;
        if (tried.outcome == OpenAttemptResult::Ends) return tried.level;
        if (tried.outcome == OpenAttemptResult::Fails) break;
    }
    NoteError(MsgOpenError);
    return report ? ReportLast() : LevelNotice;
}

FileManager::OpenAttemptResult FileManager::OpenAttempt(uint8_t report) {
    using Result = OpenAttemptResult;
    // A shown failure answered LevelQuiet lets the open fail with message 29; any other answer,
    // or LevelNotice when nothing is shown, ends the open with it.
    auto reported = [&](Level result) {
        return result != LevelQuiet ? Result{Result::Ends, result} : Result{Result::Fails};
    };
    int code = Opener->Open(OpenMode);
    if (code == platform::kAccessDenied) {
        File->SendCommand("Recover=" + std::to_string(LockRecover));
        code = Opener->Open(OpenMode);
    }
    switch (code) {
        case 0:
            Used = 1;
            AtEof = 0;
            AutoIncDone = 0;
            return {Result::Opened};
        case platform::kAccessDenied:
            if ((OpenMode & 0x03) == 0) return {Result::Fails};
            OpenMode &= 0xF0;
            Report(MsgReadOnlyFallback);
            return {Result::TryAgain};
        case platform::kFileNotFound:
            if (Create == 0) return {Result::Fails};
            if (File->Create() == 0) return {Result::TryAgain};
            NoteError(MsgFileCreateError);
            return reported(report ? ReportLast() : LevelNotice);
        case platform::kInvalidFile:
            NoteError(MsgFileStructureInvalid);
            return reported(report ? ReportLast() : LevelNotice);
        case platform::kKeysNeedRebuild:
            NoteError(MsgKeyInvalid);
            if (!report) return {Result::Ends, LevelNotice};
            ReportLast();
            if (File->BuildKeys() == 0) return {Result::TryAgain};
            return {Result::Ends, Report(MsgKeyRepairFailed)};
        default:
            return {Result::Fails};
    }
}

Level FileManager::Close() {
    FileRegistry& registry = ThreadRegistry();
    UsageEntry* entry = registry.DeepestUsage(File);
    if (entry && entry->Proc == Errors->CurrentProcedureName()) {
        if (entry->NestedOpen > 0) {
            --entry->NestedOpen;
        } else {
            // Restored while the entry still stands, so the restore's own usage check finds this
            // procedure's entry instead of registering a new one.
            uint16_t hold = entry->Hold;
            uint8_t restore = entry->UStat < 3 ? 1 : 0;
            if (hold != 0) RestoreFileState(hold, restore);
            registry.RemoveUsage(registry.DeepestUsage(File));
        }
    }
    if (UseMrp == 1) {
        UseMrp = 0;
        File->SetReadAhead(0);
    }
    if (Opened != 0) {
        if (Opened-- == 1) {
            if (Initialized && Opener) Opener->Close();
            Used = 0;
        }
    }
    return LevelQuiet;
}

Level FileManager::EnsureUsable(uint8_t kind) {
    if (Initialized == 0) Initialise();
    Level result = LevelQuiet;
    if (kind == 5) {
        if (LazyOpen == 1 && Opened < 1) {
            if (Used == 0) {
                ++Opened;
                OpenCore(1, 1);
                --Opened;
            } else {
                OpenCore(1, 0);
            }
        }
    } else {
        if (kind <= 3) RegisterUsage(kind);
        if (LazyOpen == 1 && Used == 0) {
            if (Opened < 1) {
                result = Report(MsgFileUsedUnopened);
            } else {
                uint16_t id = TakeSnapshot();
                result = PhysicalOpen(1);
                RecallSnapshot(id, 1);
            }
        }
    }
    return result;
}

void FileManager::RegisterUsage(uint8_t kind) {
    FileRegistry& registry = ThreadRegistry();
    std::string proc = Errors->CurrentProcedureName();
    UsageEntry* entry = registry.DeepestUsage(File);
    if (!entry) {
        registry.StatusQ.push_back({ThreadNumber(), proc, File, kind, 0, 1, 0});
    } else if (entry->Proc != proc) {
        UsageEntry added{
            ThreadNumber(), proc, File, kind, 0, static_cast<uint16_t>(entry->ScopeLevel + 1), 0};
        // The new entry goes in first so the saved state's own usage check finds it.
        registry.StatusQ.push_back(added);
        if (kind <= 2) {
            uint16_t hold = SaveFileState();
            UsageEntry* mine = registry.DeepestUsage(File);
            if (mine) mine->Hold = hold;
        }
    } else if (kind > entry->UStat) {
        entry->UStat = kind;
    }
}

}  // namespace tarn::data
