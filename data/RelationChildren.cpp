// Deleting a record and carrying changes and deletions over to related records.
#include "data/FileRegistry.h"
#include "data/RecordMerge.h"
#include "data/RelationManager.h"
#include "platform/system/LastError.h"
#include "platform/ui/Runtime.h"

namespace tarn::data {

Level RelationManager::Delete(uint8_t askFirst, const std::vector<int>* guarded) {
    if (askFirst == 1 && Me->Report(MsgDeleteQuestion) != LevelQuiet) return LevelDeclined;
    for (;;) {
        bool retry = false;
        bool waiting = ui::WaitCursor();
        ui::SetWaitCursor(true);
        Level result = DeleteOnce(retry, guarded);
        ui::SetWaitCursor(waiting);
        if (result == LevelQuiet || !retry) return result;
        if (Me->Report(MsgDeleteRetryQuestion) != LevelQuiet) return result;
    }
}

bool RelationManager::ChangedSinceConfirmed(const std::string& confirmed,
                                            const std::vector<int>* guarded) const {
    if (!guarded || confirmed.size() != Me->BufferSize) return false;
    return FieldsDiffer(Me->File->Desc(), *guarded,
                        reinterpret_cast<const uint8_t*>(confirmed.data()), Me->Buffer);
}

Level RelationManager::DeleteOnce(bool& retry, const std::vector<int>* guarded) {
    std::string position = Me->CurrentPosition();
    const std::string confirmed(reinterpret_cast<const char*>(Me->Buffer), Me->BufferSize);
    std::vector<storage::RecordFile*> files;
    bool framed = false;
    Level result = OpenFramed(FrameDelete, files, framed);
    if (result != LevelQuiet) return result;
    Me->RereadAt(position);
    if (ChangedSinceConfirmed(confirmed, guarded)) {
        AbortFramed();
        (void)EndFramed(framed, false, files, MsgDeleteError);
        platform::SetLastError(platform::kChangedByOther, Me->File->Name());
        Me->NoteError(MsgDeleteError);
        Me->ReportLast();
        Close(0);
        return LevelNotice;
    }
    result = DeleteRelated();
    bool deleteFailed = false;
    if (result == LevelQuiet) {
        deleteFailed = Me->Delete(0) != LevelQuiet;
        if (deleteFailed) AbortFramed();
    }
    bool ended = EndFramed(framed, result == LevelQuiet && !deleteFailed, files, MsgDeleteError);
    if (deleteFailed || !ended) {
        Me->ReportLast();
        result = LevelNotice;
        retry = true;
    }
    Close(0);
    return result;
}

Level RelationManager::DeleteRelated() {
    for (Relation& rel : Relations) {
        if (rel.DeleteMode < RelationClear || rel.DeleteMode > RelationCascade) continue;
        Level result = rel.File->DeleteChildren(rel.HisKey, *rel.Fields, rel.DeleteMode, 0);
        if (result != LevelQuiet) return result;
    }
    return LevelQuiet;
}

Level RelationManager::WalkChildren(int key, BufferedPairs& pairs, bool oldValues,
                                    const std::function<Level(bool& moved)>& perRecord) {
    if (Me->EnsureUsable(2) != LevelQuiet) return LevelFatal;
    uint16_t hold = Me->SaveFileState();
    auto linkValue = [&](int i) -> const FieldRef& {
        return oldValues ? pairs.Buffer(i) : pairs.Left(i);
    };
    auto setStart = [&] {
        Me->File->ClearBuffer(false);
        for (int i = 1; i <= pairs.Count(); ++i) pairs.Right(i).Assign(linkValue(i));
        Me->SetKeyToLimit(key, pairs.Count() + 1, Me->KeyComponentCount(key), 0);
        Me->File->SetToKey(key);
    };
    setStart();
    Level result = LevelQuiet;
    for (;;) {
        Level read = Me->NextQuiet();
        if (read == LevelFatal) {
            AbortFramed();
            Me->ReportLast();
            result = LevelNotice;
            break;
        }
        if (read != LevelQuiet) break;
        bool linked = true;
        for (int i = 1; i <= pairs.Count() && linked; ++i)
            linked = pairs.Right(i).Equals(linkValue(i));
        if (!linked) break;
        bool moved = false;
        result = perRecord(moved);
        if (result != LevelQuiet) break;
        // A changed or deleted record left the linked range: start again from its beginning.
        if (moved) setStart();
    }
    Me->RestoreFileState(hold, 1);
    return result;
}

// Writes the current related record after its linking fields changed.
Level RelationManager::WriteChild() {
    Level result = UpdateRelated();
    if (result != LevelQuiet) return result;
    if (Me->UpdateQuiet() != LevelQuiet) {
        AbortFramed();
        Me->ReportLast();
        return LevelNotice;
    }
    return LevelQuiet;
}

Level RelationManager::UpdateChildren(int key, BufferedPairs& pairs, uint8_t mode) {
    return WalkChildren(key, pairs, true, [&](bool& moved) -> Level {
        SnapshotLinks();
        if (mode == RelationRestrict) {
            Me->NoteError(MsgLinkedUpdateBlocked);
            AbortFramed();
            Me->ReportLast();
            pairs.AssignBufferToLeft();
            return LevelNotice;
        }
        for (int i = 1; i <= pairs.Count(); ++i) {
            if (mode == RelationClear) {
                pairs.Right(i).Clear();
            } else {
                pairs.Right(i).Assign(pairs.Left(i));
            }
        }
        moved = true;
        return WriteChild();
    });
}

Level RelationManager::DeleteChildren(int key, BufferedPairs& pairs, uint8_t mode, uint8_t ask) {
    return WalkChildren(key, pairs, false, [&](bool& moved) -> Level {
        if (mode == RelationRestrict) {
            Me->NoteError(MsgLinkedDeleteBlocked);
            AbortFramed();
            Me->ReportLast();
            return LevelNotice;
        }
        moved = true;
        if (mode == RelationClear) {
            SnapshotLinks();
            pairs.ClearRight();
            return WriteChild();
        }
        Level result = DeleteRelated();
        if (result != LevelQuiet) return result;
        result = Me->Delete(ask);
        if (result != LevelQuiet) AbortFramed();
        return result;
    });
}

void RelationManager::Shutdown() {
    ThreadRegistry().RemoveRelationManager(this);
    for (Relation& rel : Relations) {
        if (rel.Fields) rel.Fields->Kill();
    }
    Relations.clear();
}

}  // namespace tarn::data
