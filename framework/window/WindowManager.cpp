#include "framework/window/WindowManager.h"

#include <algorithm>

#include "data/FileManager.h"
#include "data/RelationManager.h"
#include "framework/toolbar/ToolbarManager.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

WindowManager::WindowManager() : Errors(&errors::GlobalErrors()) {}

WindowManager::~WindowManager() = default;

uint8_t WindowManager::Run() {
    if (Initialise() == LevelQuiet) {
        EventLoop();
        // A window the front end gave up on (the program was told to stop) closed without its
        // close request: the record numbered for this insert goes, as Cancel takes it.
        if (OriginalRequest == RequestInsert && Primary) (void)Primary->UndoAutoNumber();
    }
    Shutdown();
    // A loop ended by LevelFatal leaves the window open; the window ends with its run.
    if (MyWindow && MyWindow->IsOpen()) MyWindow->Close();
    uint8_t response = Response;
    if (response == ResponseNone) response = ResponseCancelled;
    SharedResponse() = response;
    return response;
}

uint8_t WindowManager::RunProcedure(int32_t, uint8_t) { return ResponseCancelled; }

Level WindowManager::Initialise() {
    OriginalRequest = Request;
    CL = std::make_unique<std::vector<ComponentEntry>>();
    Buttons = std::make_unique<std::vector<ResponseButton>>();
    // A right click that opened this window must not reach it as its own first key.
    int key = ui::Keycode();
    if (key == ui::MouseRightDown || key == ui::MouseRight) ui::SetKeycode(0);
    InsertAction = 2;
    DeleteAction = 2;
    ChangeAction = 2;
    CancelAction = 3;
    AutoToolbar = 1;
    AutoRefresh = 1;
    return LevelQuiet;
}

Level WindowManager::Shutdown() {
    if (Dead || !CL) return LevelNotice;
    while (!CL->empty()) {
        WindowComponent* c = CL->front().Component;
        CL->erase(CL->begin());
        if (c) c->Shutdown();
    }
    CL.reset();
    Buttons.reset();
    History.reset();
    Rules.Clear();
    if (Files) {
        for (SecondaryFile& e : *Files)
            if (e.File && e.Saved) e.File->RecallSnapshot(e.Saved, 0);
    }
    Files.reset();
    if (data::FileManager* f = PrimaryFile(); f && Saved) f->RecallSnapshot(Saved, 0);
    if (Toolbar) Toolbar->Dispose();
    if (Resize) Resize->Shutdown();
    Dead = 1;
    return LevelQuiet;
}

// Windows stack per thread: the window opened last is above the others, so there is no owner
// to name.
void WindowManager::OpenWindow(ui::Window& window) {
    MyWindow = &window;
    window.Open();
}

void WindowManager::OnFirstOpen() {
    if (Translator && MyWindow) Translator->TranslateWindow(*MyWindow);
    Refresh(0);
    Inited |= kInitedOpen;
}

void WindowManager::FillNewRecord() {}

void WindowManager::Finish(uint8_t response) {
    Response = response;
    PostClose();
    if (response == ResponseCancelled && Toolbar && VcrRequest) *VcrRequest = 0;
}

void WindowManager::FocusFirstField() {
    if (MyWindow && FirstField) MyWindow->Select(FirstField);
}

void WindowManager::SetControlDisabled(int32_t control, bool disabled) {
    if (control == 0 || !MyWindow) return;
    if (ui::Control* c = MyWindow->Get(control)) c->disabled = disabled;
}

void WindowManager::UpdateAll() {
    if (!CL) return;
    for (size_t i = 0; i < CL->size(); ++i) (*CL)[i].Component->Update();
}

void WindowManager::RegisterKeys() {
    if (CL) {
        for (size_t i = 0; i < CL->size(); ++i) (*CL)[i].Component->RegisterKeys();
    }
    if (!History || !HistoryKey || !MyWindow) return;
    for (const HistoryField& h : *History) {
        ui::Control* c = MyWindow->Get(h.Control);
        if (c && !c->HasAlert(HistoryKey)) MyWindow->Alert(h.Control, HistoryKey);
    }
}

void WindowManager::RecallField(int32_t control) {
    if (!History) return;
    for (const HistoryField& h : *History) {
        if (h.Control != control) continue;
        h.Field.Assign(h.HistoryCopy);
        if (MyWindow) MyWindow->Display(control);
        return;
    }
}

void WindowManager::Refresh(int force) {
    if (MyWindow && MyWindow->AcceptingAll()) return;
    int forced = force + ForcedReset;
    ForcedReset = 0;
    if (CL) {
        for (size_t i = 0; i < CL->size(); ++i)
            if ((*CL)[i].Kind == 0) (*CL)[i].Component->Refresh(forced);
        for (size_t i = 0; i < CL->size(); ++i) (*CL)[i].Component->Redisplay();
    }
    Redisplay();
}

// ---- registration ----

void WindowManager::AddComponent(WindowComponent& component) {
    if (!CL) CL = std::make_unique<std::vector<ComponentEntry>>();
    CL->push_back(ComponentEntry{0, &component});
}

void WindowManager::AddBrowse(BrowseComponent& browse) {
    AddComponent(browse);
    browse.SetSelecting(Request == RequestSelect);
}

void WindowManager::AddResponseButton(int32_t control, uint8_t response) {
    if (!Buttons) Buttons = std::make_unique<std::vector<ResponseButton>>();
    Buttons->push_back(ResponseButton{control, response});
}

void WindowManager::AddSecondaryFile(data::FileManager& file) {
    if (!Files) Files = std::make_unique<std::vector<SecondaryFile>>();
    Files->push_back(SecondaryFile{&file, 0});
}

void WindowManager::AddHistoryField(uint8_t* record, uint8_t* historyRecord, uint32_t recordSize,
                                    const data::FieldRef& field, const data::FieldRef& historyCopy,
                                    int32_t control) {
    if (!History) History = std::make_unique<std::vector<HistoryField>>();
    HistoryField entry{record, historyRecord, recordSize, field, historyCopy, control};
    for (HistoryField& h : *History) {
        if (h.Control == control) {
            h = entry;
            return;
        }
    }
    History->push_back(entry);
}

void WindowManager::SetResizer(ResizerHandle& resizer) { Resize = &resizer; }

void WindowManager::SetToolbar(ToolbarManager& toolbar) {
    Toolbar = &toolbar;
    toolbar.Initialise();
    VcrRequest = &FormNavigationRequest();
}

void WindowManager::SetTranslator(WindowTranslator& translator) { Translator = &translator; }

void WindowManager::SetPrimary(data::RelationManager& primary) { Primary = &primary; }

// ---- helpers ----

data::FileManager* WindowManager::PrimaryFile() const { return Primary ? Primary->Me : nullptr; }

bool WindowManager::PrimaryChanged() const {
    data::FileManager* f = PrimaryFile();
    return f && !f->SnapshotUnchanged(Saved);
}

void WindowManager::TakeSavedSnapshot() {
    data::FileManager* f = PrimaryFile();
    if (!f) return;
    if (Saved) f->RecallSnapshot(Saved, 0);
    Saved = f->TakeSnapshot();
}

void WindowManager::SetCancelButtonsDisabled(bool disabled) {
    if (!Buttons) return;
    for (const ResponseButton& b : *Buttons)
        if (b.Response == ResponseCancelled) SetControlDisabled(b.Control, disabled);
}

void WindowManager::Redisplay() {
    if (MyWindow) MyWindow->Display();
}

void WindowManager::PostClose() {
    if (MyWindow) MyWindow->Post(ui::EventCloseWindow);
}

}  // namespace tarn::framework
