#include "checker/ServicePass.h"

#include "checker/ProgressWindow.h"
#include "checker/StderrNotice.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "platform/ui/Runtime.h"

namespace tarn::checker {

ServicePass::ServicePass(DailyLog& log, ServicePassProcess& process, storage::View* view)
    : Window(ProgressWindowDef()), log_(log), process_(process), view_(view) {}

Level ServicePass::Initialise() {
    errors::GlobalErrors().PushProcedureName("ReadThroughServices");
    Level result = ServicePassWindow::Initialise();
    if (result != LevelQuiet) return result;
    log_.BeginPass();
    // A log that is still not open is not opened here either: its failure would end the pass.
    logOpened_ = log_.IsOpen() && data::Relate_QuorvelCheckServiceLog->Open() == LevelQuiet;
    const Level opened = data::Relate_ServicesToCheck->Open();
    filesOpened_ = true;  // closed at the end whatever the open said, as it counted the use
    if (opened != LevelQuiet) return opened;
    if (!view_) {
        ownView_ = storage::MakeView(records::ServicesToCheckFile());
        view_ = ownView_.get();
    }
    if (!ListReadable()) return LevelNotice;
    process_.PassBeginning();
    OpenWindow(Window);
    Window.SetTimer(10);
    Stepper.Init(4);
    const storage::FileDesc& desc = records::ServicesToCheckDesc();
    process_.Init(*view_, *data::Relate_ServicesToCheck, Window, Progress_PctText, &Percent,
                  &Stepper,
                  data::RecordField(desc.fields[0], records::ServicesToCheckFile().Buffer()));
    process_.NewSortOrder(records::SERCHK_KeyRecID);
    Window.title = "Processing Records";
    Window.Get(Progress_PctText)->text = "0% Completed";
    Init(process_);
    Window.Get(Progress_UserString)->text.clear();
    AddResponseButton(Progress_Cancel, ResponseCancelled);
    DeferWindow = 360;
    data::Relate_ServicesToCheck->SetQuickScan(1);
    return LevelQuiet;
}

bool ServicePass::ListReadable() {
    if (view_->Open() == 0) {
        view_->Close();
        return true;
    }
    SayOnStderr("cannot read the list of services " + records::ServicesToCheckFile().Name() + " (" +
                LastErrorInWords() +
                "); no service is checked this pass, the list is read again at the next pass");
    return false;
}

void ServicePass::OnShow() {
    // The terminal is taken only while a window is on it, never for the hidden passes.
    if (ui::CurrentFrontEnd()) return;
    terminal_ = tui::MakeTerminalFrontEndIfTerminal();
    if (!terminal_) return;
    terminal_->Attach();
    terminal_->Opened(Window);
}

Level ServicePass::Shutdown() {
    Level result = ServicePassWindow::Shutdown();
    if (terminal_) {
        if (Window.IsOpen()) Window.Close();
        terminal_->Detach();
        terminal_.reset();
    }
    if (filesOpened_) process_.PassEnding();
    process_.Kill();
    if (logOpened_) data::Relate_QuorvelCheckServiceLog->Close();
    logOpened_ = false;
    if (filesOpened_) data::Relate_ServicesToCheck->Close();
    filesOpened_ = false;
    errors::GlobalErrors().PopProcedureName("ReadThroughServices");
    return result;
}

}  // namespace tarn::checker
