// Carrying out a form's request on event 549: insert, change, delete, view and the saves that
// keep the form open.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "data/FileManager.h"
#include "data/RelationManager.h"
#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Runtime.h"

namespace tarn::framework {

namespace {

constexpr int kRetryButtons = ButtonYes + ButtonNo + ButtonCancel;

// Shows the wait cursor for one write.
struct WaitCursor {
    WaitCursor() { ui::SetWaitCursor(true); }
    ~WaitCursor() { ui::SetWaitCursor(false); }
};

}  // namespace

bool WindowManager::RulesHold() {
    if (!MyWindow) return true;
    int32_t broken = Rules.FirstBroken(*MyWindow);
    if (broken == 0) return true;
    Rules.Report(broken, *Errors);
    MyWindow->Select(broken);
    return false;
}

Level WindowManager::OnCompleted() {
    const bool saving = Request == RequestInsert || Request == RequestChange ||
                        (Request == RequestSave && OriginalRequest != RequestView);
    if (saving && !RulesHold()) return LevelNotice;
    RememberHistory();
    switch (Request) {
        case RequestInsert:
            return CompleteInsert();
        case RequestChange:
            return CompleteChange();
        case RequestDelete:
            return CompleteDelete();
        case RequestView:
            if (BatchProcessing && FormVcr) return MoveOnInBatch();
            return LevelQuiet;
        case RequestSave:
            if (OriginalRequest == RequestInsert) return SaveInsertKeepOpen();
            if (OriginalRequest == RequestChange) return SaveChangeKeepOpen();
            return LevelQuiet;
        default:
            return LevelQuiet;
    }
}

void WindowManager::RememberHistory() {
    if (!History) return;
    std::vector<uint8_t*> copied;
    for (const HistoryField& h : *History) {
        if (!h.Record || !h.HistoryRecord) continue;
        if (std::find(copied.begin(), copied.end(), h.Record) != copied.end()) continue;
        std::memcpy(h.HistoryRecord, h.Record, h.RecordSize);
        copied.push_back(h.Record);
    }
}

Level WindowManager::MoveOnInBatch() {
    FormVcr->MoveOn();
    TakeSavedSnapshot();
    Redisplay();
    FocusFirstField();
    return LevelNotice;
}

Level WindowManager::CompleteInsert() {
    if (!Primary || Primary->Insert() != LevelQuiet) {
        FocusFirstField();
        return LevelNotice;
    }
    if (!BatchProcessing) {
        if (InsertAction == 2) {
            Finish(ResponseCompleted);
            return LevelQuiet;
        }
        if (InsertAction == 4 && Errors->Raise(MsgAddAnotherQuestion) != LevelQuiet) {
            Finish(ResponseCompleted);
            return LevelQuiet;
        }
        if (InsertAction != 3 && InsertAction != 4) return LevelQuiet;
    }
    return NextInsert();
}

Level WindowManager::NextInsert() {
    data::FileManager* f = PrimaryFile();
    LastInsertedPosition = f->CurrentPosition().substr(0, kPositionWidth);
    if (Files) {
        for (SecondaryFile& e : *Files) {
            e.File->RecallSnapshot(e.Saved, 1);
            e.Saved = e.File->TakeSnapshot();
        }
    }
    // Back to the state before the user's input, then a fresh number.
    if (Saved) f->RecallSnapshot(Saved, 1);
    f->EnsureUsable(3);
    if (f->AutoNumber() != LevelQuiet) {
        PostClose();
    } else {
        FillNewRecord();
        Response = ResponseCancelled;
        TakeSavedSnapshot();
        Redisplay();
    }
    FocusFirstField();
    return LevelNotice;
}

Level WindowManager::ChangeRetryLoop(bool keepOpen) {
    for (;;) {
        Response = ResponseCancelled;
        Level result = LevelQuiet;
        bool written = false;
        {
            WaitCursor wait;
            if (PrimaryChanged()) {
                // The record as the form read it: another program's change to fields the
                // operator left alone is kept, not refused.
                const std::string original = PrimaryFile()->SnapshotRecord(Saved);
                result = Primary->Update(HistoryKey != 0 ? 1 : 0, &original);
                written = result == LevelQuiet;
            }
        }
        if (result == LevelQuiet) return keepOpen ? LevelQuiet : AfterWrittenChange(written);
        if (result == LevelQuestion) {
            int answer = Errors->AskQuestion(MsgUpdateRetryQuestion, kRetryButtons, ButtonCancel);
            if (answer == ButtonYes) continue;
            if (answer == ButtonNo) {
                if (!keepOpen && OriginalRequest != RequestInsert) PostClose();
                return LevelNotice;
            }
        }
        Redisplay();
        FocusFirstField();
        return LevelNotice;
    }
}

Level WindowManager::AfterWrittenChange(bool written) {
    if (written || (Toolbar && VcrRequest && *VcrRequest == 0)) Response = ResponseCompleted;
    if (OriginalRequest != RequestChange) return LevelQuiet;
    if (!BatchProcessing) {
        if (ChangeAction == 2) PostClose();
        return LevelQuiet;
    }
    return FormVcr ? MoveOnInBatch() : LevelQuiet;
}

Level WindowManager::CompleteChange() {
    if (!Primary) return LevelQuiet;
    Level result = ChangeRetryLoop(false);
    if (result != LevelQuiet) return LevelNotice;
    if (OriginalRequest == RequestInsert && Response == ResponseCompleted) {
        // Inserted with Save, then accepted: end or go on as an accepted insert would.
        SetCancelButtonsDisabled(false);
        Request = RequestInsert;
        if (InsertAction == 3) return NextInsert();
        if (ChangeAction == 2) Finish(ResponseCompleted);
    }
    return LevelQuiet;
}

Level WindowManager::CompleteDelete() {
    if (!Primary) return LevelQuiet;
    for (;;) {
        Response = ResponseCancelled;
        Level result;
        {
            WaitCursor wait;
            result = Primary->Delete(DeleteAction == 2 ? 1 : 0, &OperatorFields);
        }
        if (result == LevelQuiet || result == LevelDeclined) {
            if (!BatchProcessing) {
                Finish(ResponseCompleted);
                return LevelQuiet;
            }
            return FormVcr ? MoveOnInBatch() : LevelQuiet;
        }
        int answer = Errors->AskQuestion(MsgDeleteRetryQuestion, kRetryButtons, ButtonCancel);
        if (answer == ButtonYes) continue;
        if (answer == ButtonNo) {
            if (!BatchProcessing) PostClose();
        } else {
            Redisplay();
            FocusFirstField();
        }
        return LevelNotice;
    }
}

Level WindowManager::SaveInsertKeepOpen() {
    if (BeforeSaveRequest == RequestInsert) {
        bool inserted = Primary && Primary->Insert() == LevelQuiet;
        Request = inserted ? RequestChange : RequestInsert;
        FocusFirstField();
        TakeSavedSnapshot();
        if (DisableCancelButton) SetCancelButtonsDisabled(true);
        return LevelNotice;
    }
    Request = RequestChange;
    if (!PrimaryChanged()) return LevelNotice;
    return SaveChangeKeepOpen();
}

Level WindowManager::SaveChangeKeepOpen() {
    if (Primary && ChangeRetryLoop(true) == LevelQuiet) {
        TakeSavedSnapshot();
        if (DisableCancelButton) SetCancelButtonsDisabled(true);
    }
    Request = RequestChange;
    return LevelNotice;
}

}  // namespace tarn::framework
