#include "checker/ReadThroughServices.h"

#include <memory>

#include "checker/ProgressWindow.h"
#include "checker/ServiceCheck.h"
#include "checker/ServicePassWindow.h"
#include "data/DataFileManagers.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/Requests.h"
#include "platform/system/LastError.h"

namespace tarn::checker {
namespace {

// Writes the record back under watch. A record another station changed meanwhile is read again
// and gets only the pass's own changes; a record deleted meanwhile is skipped. False when the
// write failed for any other reason.
bool WriteBack(storage::RecordFile& file, const records::ServicesToCheckRecord& asRead)
{
    auto& record = records::ServicesToCheck();
    const PassChanges changes = ChangesMade(asRead, record);
    const std::string position = file.Position(-1);
    for (int attempt = 0; attempt < 10; ++attempt) {
        file.Watch();
        int rc = file.Put();
        if (rc == 0 || rc == platform::kRecordNotFound) return true;
        if (rc != platform::kChangedByOther) return false;
        rc = file.Reget(position, -1);
        if (rc == platform::kRecordNotFound) return true;
        if (rc != 0) return false;
        ApplyChanges(changes, record);
    }
    return false;
}

class PassProcess : public ServicePassProcess {
public:
    ServicePassWindow* Window = nullptr;
    ServiceCheckLocals Locals;

    Level TakeRecord() override
    {
        const records::ServicesToCheckRecord asRead = records::ServicesToCheck();
        CheckService(Locals);
        if (WriteBack(*Primary->Me->File, asRead)) return LevelQuiet;
        errors::GlobalErrors().RaiseWithFile(MsgUpdateError, "Process:View");
        Window->Response = ResponseCompleted;
        return LevelFatal;
    }
};

class PassWindow : public ServicePassWindow {
public:
    PassProcess Process;
    ProgressStepper Stepper;
    uint8_t Percent = 0;
    std::unique_ptr<storage::View> View;
    ui::Window Window{ProgressWindowDef()};
    bool FilesOpened = false;

    Level Initialise() override
    {
        errors::GlobalErrors().PushProcedureName("ReadThroughServices");
        Level result = ServicePassWindow::Initialise();
        if (result != LevelQuiet) return result;
        data::Relate_QuorvelCheckServiceLog->Open();
        data::Relate_ServicesToCheck->Open();
        FilesOpened = true;
        View = storage::MakeView(records::ServicesToCheckFile());
        OpenWindow(Window);
        Window.SetTimer(10);
        Stepper.Init(4);
        const storage::FileDesc& desc = records::ServicesToCheckDesc();
        Process.Window = this;
        Process.Init(*View, *data::Relate_ServicesToCheck, Progress_PctText, &Percent, &Stepper,
                     data::RecordField(desc.fields[0], records::ServicesToCheckFile().Buffer()));
        Process.NewSortOrder(records::SERCHK_KeyRecID);
        Window.title = "Processing Records";
        Window.Get(Progress_PctText)->text = "0% Completed";
        Init(Process);
        UseMrp = 0;
        Window.Get(Progress_UserString)->text.clear();
        AddResponseButton(Progress_Cancel, ResponseCancelled);
        DeferWindow = 360;
        data::Relate_ServicesToCheck->SetQuickScan(1);
        return LevelQuiet;
    }

    Level Shutdown() override
    {
        Level result = ServicePassWindow::Shutdown();
        Process.Kill();
        if (FilesOpened) {
            data::Relate_QuorvelCheckServiceLog->Close();
            data::Relate_ServicesToCheck->Close();
            FilesOpened = false;
        }
        errors::GlobalErrors().PopProcedureName("ReadThroughServices");
        return result;
    }
};

}  // namespace

void ReadThroughServices()
{
    PassWindow pass;
    framework::SharedResponse() = pass.Run();
}

}  // namespace tarn::checker
