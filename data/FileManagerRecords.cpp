// Record operations: reading, sequential reading, insert, update, delete and validation.
#include "data/FileManager.h"
#include "data/FileRegistry.h"
#include "data/RecordMerge.h"
#include "data/RelationManager.h"
#include "platform/system/LastError.h"
#include "platform/system/TextCut.h"

namespace tarn::data {

ReadAheadPause::ReadAheadPause(storage::RecordFile& file) : file_(file), saved_(file.ReadAhead()) {
    file_.SetReadAhead(0);
}

ReadAheadPause::~ReadAheadPause() { file_.SetReadAhead(saved_); }

Level FileManager::GetByKeyQuiet(int key) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    return File->GetByKey(key) == 0 ? LevelQuiet : LevelNotice;
}

Level FileManager::GetByKey(int key) {
    Level result = GetByKeyQuiet(key);
    if (result != LevelQuiet) File->ClearBuffer(false);
    return result;
}

Level FileManager::Next() { return ReadSequential(true, 1); }
Level FileManager::NextQuiet() { return ReadSequential(true, 0); }
Level FileManager::Previous() { return ReadSequential(false, 1); }
Level FileManager::PreviousQuiet() { return ReadSequential(false, 0); }

Level FileManager::ReadSequential(bool forward, uint8_t report) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    AtEof = 0;
    // The driver keeps at least one record per read, so 1 means no read-ahead.
    if (UseMrp == 1 && File->ReadAhead() <= 1) File->SetReadAhead(MrpSize);
    switch (forward ? File->Next() : File->Previous()) {
        case 0:
            return LevelQuiet;
        case platform::kEndOfFile:
            AtEof = 1;
            return LevelNotice;
        case platform::kRecordHeld:
            NoteError(MsgRecordLocked);
            return report ? ReportLast() : LevelNotice;
        default:
            NoteError(MsgReadError);
            return report ? ReportLast() : LevelFatal;
    }
}

Level FileManager::PrepareNewRecord(uint8_t keepBuffer) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    // The files of this system declare no default values: a cleared buffer is the new record.
    if (keepBuffer == 0) File->ClearBuffer(false);
    if (HasAutoInc == 0) return LevelQuiet;
    AutoIncDone = 0;
    return AutoNumber();
}

Level FileManager::Insert() { return InsertCore(1); }
Level FileManager::InsertQuiet() { return InsertCore(0); }
Level FileManager::InsertAsNumbered(uint8_t report) { return InsertCore(report, false); }

Level FileManager::InsertCore(uint8_t report, bool number) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    int failing = 0;
    if (CheckRecord(failing) != LevelQuiet) return LevelNotice;
    ReadAheadPause pause(*File);
    int code;
    if (HasAutoInc == 0 || !number) {
        code = File->Add();
    } else if (AutoIncDone == 1) {
        code = File->Put();
    } else {
        if ((report ? AutoNumber() : AutoNumberQuiet()) != LevelQuiet) return LevelNotice;
        code = 0;
    }
    if (code == 0) {
        AutoIncDone = 0;
        return LevelQuiet;
    }
    if (code == platform::kDuplicateKey) {
        if (report == 0) {
            NoteError(MsgDuplicateEntry);
            return LevelNotice;
        }
        if (HasAutoInc == 0 || !number) File->GetRecordZero();
        if (const KeyEntry* key = FirstDuplicateKey()) {
            SetKeyNameFor(*key);
            ReportWithText(MsgDuplicateEntry, key->Description);
        }
        return LevelNotice;
    }
    NoteError(MsgInsertError);
    return report ? ReportLast() : LevelNotice;
}

const KeyEntry* FileManager::FirstDuplicateKey() {
    for (const KeyEntry& key : Keys) {
        if (File->Duplicate(key.Key)) return &key;
    }
    return nullptr;
}

void FileManager::SetKeyNameFor(const KeyEntry& key) {
    std::string name = key.Description;
    name = platform::TrimTrailingBlanks(name);
    if (name.empty()) name = File->Desc().keys[key.Key].name;
    Errors->SetKeyName(name);
}

Level FileManager::Update() { return UpdateCore(1); }
Level FileManager::UpdateQuiet() { return UpdateCore(0); }

Level FileManager::UpdateCore(uint8_t report) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    int failing = 0;
    if (CheckRecord(failing) != LevelQuiet) return LevelQuestion;
    std::string position = CurrentPosition();
    int code = File->Put();
    if (code == 0) return LevelQuiet;
    if (code == platform::kChangedByOther) {
        NoteError(MsgChangedElsewhere);
        if (report) ReportLast();
        File->Watch();
        RereadAt(position);
        return LevelNotice;
    }
    NoteError(MsgUpdateError);
    return report ? ReportLast() : LevelNotice;
}

Level FileManager::UpdateMerging(const std::string& original) {
    if (original.size() != BufferSize) return UpdateQuiet();
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    int failing = 0;
    if (CheckRecord(failing) != LevelQuiet) return LevelQuestion;
    // Bounded: a record rewritten elsewhere faster than this can write is refused as before.
    constexpr int kAttempts = 10;
    const std::string position = CurrentPosition();
    const auto* was = reinterpret_cast<const uint8_t*>(original.data());
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int code = File->Put();
        if (code == 0) return LevelQuiet;
        if (code != platform::kChangedByOther) break;
        const std::string mine(reinterpret_cast<const char*>(Buffer), BufferSize);
        File->Watch();
        if (RereadAt(position) != LevelQuiet) break;
        // The re-read record is what the next Put compares with: it writes only the operator's
        // fields, under watch again.
        if (!MergeRecord(File->Desc(), was, reinterpret_cast<const uint8_t*>(mine.data()),
                         Buffer)) {
            platform::SetLastError(platform::kChangedByOther, File->Name());
            NoteError(MsgChangedElsewhere);
            return LevelNotice;
        }
    }
    NoteError(MsgUpdateError);
    return LevelNotice;
}

Level FileManager::Delete(uint8_t askFirst) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    if (askFirst == 1 && Report(MsgDeleteQuestion) != LevelQuiet) return LevelDeclined;
    if (File->Delete() == 0) return LevelQuiet;
    NoteError(MsgDeleteError);
    return LevelNotice;
}

Level FileManager::UndoAutoNumber(RelationManager* relations) {
    if (EnsureUsable(2) != LevelQuiet) return LevelQuiet;
    if (HasAutoInc != 1 || AutoIncDone != 1) return LevelQuiet;
    Level result = relations ? relations->Delete(0) : Delete(0);
    if (result == LevelQuiet) AutoIncDone = 0;
    return result;
}

Level FileManager::CheckField(int field) { return CheckFieldCore(field, 1); }
Level FileManager::CheckFieldQuiet(int field) { return CheckFieldCore(field, 0); }

Level FileManager::CheckFieldCore(int, uint8_t) { return LevelQuiet; }

Level FileManager::CheckFieldRange(int first, int last, int& failingField) {
    for (int n = first; n <= last; ++n) {
        Level result = CheckField(n);
        if (result != LevelQuiet) {
            failingField = n;
            return result;
        }
    }
    return LevelQuiet;
}

Level FileManager::CheckRecord(int& failingField) {
    return CheckFieldRange(1, static_cast<int>(File->Desc().fields.size()), failingField);
}

std::string FileManager::CurrentPosition() {
    if (EnsureUsable(2) != LevelQuiet) return {};
    return File->Position(PositionKey());
}

Level FileManager::RereadAt(const std::string& position) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    return File->Reget(position, PositionKey()) == 0 ? LevelQuiet : LevelNotice;
}

Level FileManager::UpdateKeeping(const std::function<void()>& reapply) {
    // Bounded: a record rewritten elsewhere faster than this can write fails as any write would.
    constexpr int kAttempts = 10;
    const std::string position = CurrentPosition();
    if (position.empty()) return LevelFatal;
    File->Watch();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int code = File->Put();
        if (code == 0 || code == platform::kRecordNotFound) return LevelQuiet;
        if (code != platform::kChangedByOther) break;
        if (RereadAt(position) != LevelQuiet) {
            if (platform::LastErrorCode() == platform::kRecordNotFound) return LevelQuiet;
            break;
        }
        reapply();
    }
    NoteError(MsgUpdateError);
    return LevelNotice;
}

}  // namespace tarn::data
