#include "data/RelationManager.h"

#include "data/FileRegistry.h"
#include "platform/system/LastError.h"

namespace tarn::data {

namespace {

// The transaction in force on this thread, so related files can roll it back on failure.
struct Frame {
    bool active = false;
    bool rolledBack = false;
    std::vector<storage::RecordFile*> files;
};

thread_local Frame tFrame;

}  // namespace

long& RelationPass() {
    thread_local long pass = 0;
    return pass;
}

RelationManager::~RelationManager() { ThreadRegistry().RemoveRelationManager(this); }

void RelationManager::Attach(FileManager& file, uint8_t useTransactions) {
    Me = &file;
    Relations.clear();
    UseLogout = useTransactions;
    LogoutTimeout = 2;
    ThreadRegistry().AddRelationManager(file.File, this);
}

RelationManager::Relation& RelationManager::AddRelation(RelationManager& related,
                                                        uint8_t updateMode, uint8_t deleteMode,
                                                        int hisKey) {
    Relation rel;
    rel.File = &related;
    rel.Fields = std::make_unique<BufferedPairs>();
    rel.HisKey = hisKey;
    rel.UpdateMode = updateMode;
    rel.DeleteMode = deleteMode;
    Relations.push_back(std::move(rel));
    return Relations.back();
}

void RelationManager::AddRelationLink(const FieldRef& mine, const FieldRef& his) {
    if (!Relations.empty()) Relations.back().Fields->AddPair(mine, his);
}

Level RelationManager::UndoAutoNumber() { return Me->UndoAutoNumber(this); }

Level RelationManager::Open(uint8_t propagated) {
    if (Me->LazyOpen == 0) ForcingOpen = 1;
    Level result = OpenWorker(propagated);
    ForcingOpen = 0;
    return result;
}

Level RelationManager::ForcedOpen() {
    ForcingOpen = 1;
    return Open(0);
}

Level RelationManager::OpenWorker(uint8_t propagated) {
    if (propagated == 0) {
        ++RelationPass();
    } else if (LastTouched == RelationPass()) {
        return LevelQuiet;
    }
    LastTouched = RelationPass();
    Level result = Me->Open();
    if (propagated == 0 && result == LevelQuiet) result = Me->EnsureUsable(2);
    for (Relation& rel : Relations) {
        if (result != LevelQuiet) break;
        long before = rel.File->Me->OpenCount();
        if (ForcingOpen) rel.File->ForcingOpen = 1;
        result = rel.File->Open(1);
        if (rel.File->Me->OpenCount() > before) ++rel.Opened;
    }
    return result;
}

void RelationManager::Close(uint8_t propagated) {
    if (propagated == 0) {
        ++RelationPass();
    } else if (LastTouched == RelationPass()) {
        return;
    }
    LastTouched = RelationPass();
    Me->Close();
    for (Relation& rel : Relations) {
        if (rel.Opened == 0) continue;
        long before = rel.File->Me->OpenCount();
        rel.File->Close(1);
        if (rel.File->Me->OpenCount() < before) --rel.Opened;
    }
}

void RelationManager::SetQuickScan(uint8_t on, uint8_t scope) {
    if (Me->IsOpen()) Me->File->SendCommand(on ? "QUICKSCAN=on" : "QUICKSCAN=off");
    if (scope == 0) return;
    if (scope & 0x80) {
        if (LastTouched == RelationPass()) return;
    } else {
        ++RelationPass();
    }
    LastTouched = RelationPass();
    uint8_t reach = scope & 0x7F;
    for (Relation& rel : Relations) {
        bool lookup = rel.HisKey < 0;
        if ((reach == 1 && !lookup) || (reach == 2 && lookup)) continue;
        rel.File->SetQuickScan(on, reach | 0x80);
    }
}

void RelationManager::SnapshotLinks() {
    for (Relation& rel : Relations) {
        if (rel.Fields) rel.Fields->AssignLeftToBuffer();
    }
}

Level RelationManager::PrepareTransaction(int kind, std::vector<storage::RecordFile*>& files) {
    for (storage::RecordFile* f : files) {
        if (f == Me->File) return LevelQuiet;  // reached through another relation already
    }
    if (UseLogout == 1 && Me->File->TransactionFlag() < 1) {
        int code = Me->File->SetTransactionFlag(1);
        if (code == platform::kNotSupported) {
            UseLogout = 0;  // for good: this driver cannot frame changes
        } else if (code != 0) {
            Me->Report(MsgTransactionError);
            return LevelNotice;
        }
    }
    if (UseLogout == 1) files.push_back(Me->File);
    for (Relation& rel : Relations) {
        Level result = LevelQuiet;
        if (kind == FrameInsert) {
            result = rel.File->PrepareTransaction(FrameInsert, files);
        } else if (kind == FrameUpdate &&
                   (rel.UpdateMode == RelationClear || rel.UpdateMode == RelationCascade)) {
            result = rel.File->PrepareTransaction(FrameUpdate, files);
        } else if (kind == FrameDelete && rel.DeleteMode == RelationCascade) {
            result = rel.File->PrepareTransaction(FrameDelete, files);
        } else if (kind == FrameDelete && rel.DeleteMode == RelationClear) {
            result = rel.File->PrepareTransaction(FrameUpdate, files);
        }
        if (result != LevelQuiet) return result;
    }
    return LevelQuiet;
}

Level RelationManager::BeginFramed(int kind, std::vector<storage::RecordFile*>& files,
                                   bool& framed) {
    framed = false;
    if (UseLogout == 0) return LevelQuiet;
    Level result = PrepareTransaction(kind, files);
    if (result != LevelQuiet) return result;
    if (UseLogout == 0 || files.empty()) return LevelQuiet;
    if (storage::BeginTransaction(files, LogoutTimeout) != 0) {
        Me->Report(MsgTransactionError);
        return LevelNotice;
    }
    framed = true;
    tFrame = Frame{true, false, files};
    return LevelQuiet;
}

void RelationManager::AbortFramed() {
    if (tFrame.active && !tFrame.rolledBack) {
        storage::RollbackTransaction(tFrame.files);
        tFrame.rolledBack = true;
    }
}

bool RelationManager::EndFramed(bool framed, bool commit,
                                const std::vector<storage::RecordFile*>& files, long failedId) {
    bool ended = true;
    if (framed && !tFrame.rolledBack) {
        if (!commit) {
            storage::RollbackTransaction(files);
        } else if (storage::CommitTransaction(files) != 0) {
            // The change never reached the disk. The commit's error is noted before the roll
            // back (which may fail too, when the driver already undid the transaction).
            Me->NoteError(failedId);
            storage::RollbackTransaction(files);
            ended = false;
        }
    }
    if (framed) tFrame = Frame{};
    return ended;
}

Level RelationManager::OpenFramed(int kind, std::vector<storage::RecordFile*>& files,
                                  bool& framed) {
    framed = false;
    Level result = ForcedOpen();
    if (result == LevelQuiet) result = BeginFramed(kind, files, framed);
    if (result != LevelQuiet) Close(0);
    return result;
}

// Shows the failure of a framed change (already rolled back) and gives the caller's level.
Level RelationManager::ChangeFailed(Level result) {
    if (result == LevelNotice) Me->ReportLast();
    bool changedElsewhere =
        Me->LastError == MsgChangedElsewhere || Me->LastError == MsgChangedElsewhereRecall;
    return changedElsewhere ? LevelNotice : LevelQuestion;
}

Level RelationManager::Insert() {
    if (UseLogoutOnInsert == 0 || UseLogout == 0) return Me->Insert();
    std::vector<storage::RecordFile*> files;
    bool framed = false;
    Level result = OpenFramed(FrameInsert, files, framed);
    if (result != LevelQuiet) return result;
    result = Me->Insert();
    if (result != LevelQuiet) {
        AbortFramed();
        result = ChangeFailed(result);
    }
    if (!EndFramed(framed, result == LevelQuiet, files, MsgInsertError))
        result = ChangeFailed(LevelNotice);
    Close(0);
    return result;
}

Level RelationManager::Update(uint8_t fromForm, const std::string* original) {
    std::vector<storage::RecordFile*> files;
    bool framed = false;
    Level result = OpenFramed(FrameUpdate, files, framed);
    if (result != LevelQuiet) return result;
    result = original ? Me->UpdateMerging(*original) : Me->UpdateQuiet();
    if (result != LevelQuiet) {
        AbortFramed();
        if (fromForm == 1 && Me->LastError == MsgChangedElsewhere)
            Me->LastError = MsgChangedElsewhereRecall;
        result = ChangeFailed(result);
    } else {
        result = UpdateRelated();
    }
    if (!EndFramed(framed, result == LevelQuiet, files, MsgUpdateError))
        result = ChangeFailed(LevelNotice);
    Close(0);
    return result;
}

// Carries changed linking fields over to the related records.
Level RelationManager::UpdateRelated() {
    for (Relation& rel : Relations) {
        if (rel.UpdateMode < RelationClear || rel.UpdateMode > RelationCascade) continue;
        if (!rel.Fields || rel.Fields->EqualLeftBuffer()) continue;
        Level result = rel.File->UpdateChildren(rel.HisKey, *rel.Fields, rel.UpdateMode);
        if (result != LevelQuiet) {
            rel.Fields->AssignBufferToLeft();
            return result;
        }
    }
    return LevelQuiet;
}

}  // namespace tarn::data
