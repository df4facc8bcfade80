// Auto-numbering and the key operations the views and relations build on.
#include <cerrno>
#include <cstring>
#include <limits>

#include "data/FileManager.h"
#include "platform/system/LastError.h"

namespace tarn::data {

namespace {

constexpr int kNumberingAttempts = 3;

// The values of all components but the last, each followed by "|".
std::string KeyPrefix(const KeyEntry& key) {
    std::string prefix;
    for (size_t i = 0; i + 1 < key.Fields.size(); ++i) prefix += key.Fields[i].Field.Text() + "|";
    return prefix;
}

}  // namespace

Level FileManager::AutoNumber() { return AutoNumberCore(1); }
Level FileManager::AutoNumberQuiet() { return AutoNumberCore(0); }

Level FileManager::AutoNumberCore(uint8_t report) {
    if (EnsureUsable(2) != LevelQuiet) return LevelFatal;
    if (HasAutoInc == 0 || AutoIncDone == 1) return LevelQuiet;
    ReadAheadPause pause(*File);
    int attempts = 0;
    for (;;) {
        KeyNumbering numbering = KeyNumbering::Numbered;
        for (const KeyEntry& key : Keys) {
            if (key.AutoInc == 1) numbering = NumberKey(key);
            if (numbering != KeyNumbering::Numbered) break;
        }
        if (numbering == KeyNumbering::ReadFailed) return report ? ReportLast() : LevelNotice;
        int code = 0;
        if (numbering == KeyNumbering::Numbered) {
            code = File->Add();
            if (code == 0) {
                AutoIncDone = 1;
                return LevelQuiet;
            }
            // Another station took the number meanwhile: compute it afresh.
            if (++attempts < kNumberingAttempts) continue;
        }
        // The error of the add (or of the used-up key) is kept: the duplicate tests below would
        // overwrite it.
        NoteError(MsgNumberingRetryQuestion);
        if (code == platform::kDuplicateKey) {
            File->GetRecordZero();  // the record read for numbering is not ours to skip
            if (const KeyEntry* dup = FirstDuplicateKey()) SetKeyNameFor(*dup);
        }
        if (report == 0) return LevelNotice;
        if (ReportLast() != LevelQuiet) return LevelNotice;
        attempts = 0;
    }
}

// Stores the next free number in the key's last component. A failed read is noted as message 1;
// a key whose next number would pass the highest number sets the runtime's error to say so.
FileManager::KeyNumbering FileManager::NumberKey(const KeyEntry& key) {
    if (key.Fields.empty()) return KeyNumbering::Numbered;
    SetKeyNameFor(key);
    uint16_t snapshot = TakeSnapshot();
    File->SkipBlobsOnNextRead();
    const KeyComponentEntry& last = key.Fields.back();
    std::string prefix;
    int code;
    if (key.Fields.size() == 1) {
        File->SetToStart(key.Key);
        code = last.Ascend ? File->Previous() : File->Next();
    } else {
        prefix = KeyPrefix(key);
        last.Field.SetLimit(true);
        File->SetToKey(key.Key);
        code = last.Ascend ? File->Previous() : File->Next();
    }
    double number = 1;
    if (code == 0) {
        if (KeyPrefix(key) == prefix) number = static_cast<double>(last.Field.Number()) + 1;
    } else if (code != platform::kEndOfFile) {
        NoteError(MsgReadError);
        RecallSnapshot(snapshot, 1);
        return KeyNumbering::ReadFailed;
    }
    RecallSnapshot(snapshot, 1);
    // Boundary: the record numbered 2,147,483,647 is the last one a key can number.
    if (number > std::numeric_limits<int32_t>::max()) {
        platform::SetLastError(platform::kDriverError, File->Name(), std::to_string(ERANGE),
                               std::strerror(ERANGE));
        return KeyNumbering::UsedUp;
    }
    last.Field.SetNumber(static_cast<int32_t>(number));
    return KeyNumbering::Numbered;
}

const KeyEntry* FileManager::FindKey(int key) const {
    for (const KeyEntry& k : Keys) {
        if (k.Key == key) return &k;
    }
    return nullptr;
}

int FileManager::KeyComponentCount(int key) const {
    const KeyEntry* k = FindKey(key);
    return k ? static_cast<int>(k->Fields.size()) : 0;
}

std::string FileManager::KeyComponentName(int key, int component) const {
    const KeyEntry* k = FindKey(key);
    if (!k || component < 1 || component > static_cast<int>(k->Fields.size())) return {};
    return k->Fields[component - 1].FieldName;
}

uint8_t FileManager::KeyComponentAscending(int key, int component) const {
    const KeyEntry* k = FindKey(key);
    if (!k || component < 1 || component > static_cast<int>(k->Fields.size())) return 1;
    return k->Fields[component - 1].Ascend;
}

FieldRef FileManager::KeyComponentField(int key, int component) const {
    const KeyEntry* k = FindKey(key);
    if (!k || component < 1 || component > static_cast<int>(k->Fields.size())) return {};
    return k->Fields[component - 1].Field;
}

void FileManager::SetKeyToLimit(int key, int first, int last, uint8_t high) {
    const KeyEntry* k = FindKey(key);
    if (!k) return;
    int count = static_cast<int>(k->Fields.size());
    for (int c = std::max(first, 1); c <= last && c <= count; ++c) {
        const KeyComponentEntry& comp = k->Fields[c - 1];
        // high 0 gives the values that sort first in the key's own direction.
        comp.Field.SetLimit(comp.Ascend ? high == 1 : high == 0);
    }
}

std::string FileManager::KeyOrderText(int key, int first) const {
    const KeyEntry* k = FindKey(key);
    if (!k) return {};
    std::string text;
    for (int c = std::max(first, 1); c <= static_cast<int>(k->Fields.size()); ++c) {
        const KeyComponentEntry& comp = k->Fields[c - 1];
        if (!text.empty()) text += ",";
        if (!comp.Ascend) text += "-";
        text += comp.FieldName;
    }
    return text;
}

}  // namespace tarn::data
