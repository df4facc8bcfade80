// Preparing a form's request before its window shows, and leaving the form.
#include "data/FileManager.h"
#include "data/RelationManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

Level WindowManager::PrepareRequest() {
    if (data::FileManager* f = PrimaryFile()) f->EnsureUsable(3);
    if (Primary) Primary->SnapshotLinks();
    if (Files) {
        for (SecondaryFile& e : *Files) e.Saved = e.File->TakeSnapshot();
    }
    Level result = LevelQuiet;
    if (Request == RequestInsert && InsertAction != 0) {
        Response = ResponseCompleted;
        FillNewRecord();
        if (Response == ResponseCancelled) {
            result = LevelFatal;
        } else {
            Response = ResponseCancelled;
        }
    } else if (Request == RequestDelete && (DeleteAction == 2 || DeleteAction == 4)) {
        // A delete form does its work here and never shows its window.
        Level deleted =
            Primary ? Primary->Delete(DeleteAction == 2 ? 1 : 0, &OperatorFields) : LevelNotice;
        Response = deleted == LevelQuiet ? ResponseCompleted : ResponseCancelled;
        result = LevelFatal;
    }
    TakeSavedSnapshot();
    return result;
}

Level WindowManager::OnCloseRequest() {
    if (Response == ResponseCompleted || !Primary) return LevelQuiet;
    if (CancelAction != 0 && (Request == RequestInsert || Request == RequestChange) &&
        PrimaryChanged()) {
        if (AskToLeave() != LevelQuiet) return LevelNotice;
    }
    if (OriginalRequest == RequestInsert && Response == ResponseCancelled) {
        // Give back the number the new record took; the record goes with it.
        if (Primary->UndoAutoNumber() != LevelQuiet) {
            FocusFirstField();
            return LevelNotice;
        }
    }
    if (!LastInsertedPosition.empty()) {
        Response = ResponseCompleted;
        if (data::FileManager* f = PrimaryFile()) f->RereadAt(LastInsertedPosition);
    }
    return LevelQuiet;
}

// Asks about unsaved changes; LevelQuiet lets the form close without saving.
Level WindowManager::AskToLeave() {
    const bool saves = CancelAction & 1;
    const bool asks = CancelAction & 2;
    if (saves && asks) {
        int answer =
            Errors->AskQuestion(MsgSaveQuestion, ButtonYes + ButtonNo + ButtonCancel, ButtonCancel);
        if (answer == ButtonNo) return LevelQuiet;
        if (answer == ButtonYes) {
            MyWindow->Post(ui::EventAccepted, OkControl);
        } else {
            FocusFirstField();
        }
        return LevelNotice;
    }
    if (saves) {
        MyWindow->Post(ui::EventAccepted, OkControl);
        return LevelNotice;
    }
    if (Errors->Raise(MsgCancelQuestion) != LevelQuiet) {
        FocusFirstField();
        return LevelNotice;
    }
    return LevelQuiet;
}

}  // namespace tarn::framework
