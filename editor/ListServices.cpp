#include "editor/ListServices.h"

#include "data/Dictionary.h"
#include "data/FieldRef.h"
#include "data/records/Records.h"
#include "editor/UpdateServicesToCheck.h"
#include "errors/ErrorManager.h"
#include "framework/locate/StepLocator.h"
#include "framework/locate/StepString.h"
#include "framework/window/Requests.h"

namespace tarn::editor {

namespace {

// The view over ServicesToCheck, made on the thread's first use of the list.
storage::View& ServicesView() {
    static thread_local std::unique_ptr<storage::View> view;
    if (!view) view = storage::MakeView(records::ServicesToCheckFile());
    return *view;
}

}  // namespace

ServicesList::ServicesList() : window(ServicesListDef()) {}

Level ServicesList::Initialise() {
    errors::GlobalErrors().PushProcedureName("ListServices");
    Request = framework::SharedRequest();
    framework::WindowManager::Initialise();
    FirstField = Browse_1;
    framework::SharedRequest() = RequestNone;
    framework::SharedResponse() = ResponseNone;
    SetToolbar(toolbar_);
    AddResponseButton(Services_Close,
                      Request == RequestSelect ? ResponseCancelled : ResponseCompleted);
    // A file that did not open has been reported; the window does not open without it.
    if (data::Relate_ServicesToCheck->Open() != LevelQuiet) return LevelNotice;
    FilesOpened = 1;
    browse.Initialise(Browse_1, ServicesView(), queue, *data::Relate_ServicesToCheck, *this);
    if (Request != RequestView) {
        browse.InsertControl = Insert_2;
        browse.ChangeControl = Change_2;
        browse.DeleteControl = Delete_2;
    }
    browse.UsePopup = 1;
    browse.EditViaPopup = 1;
    browse.UseWaitCursor = 1;
    OpenWindow(window);
    AddOrder();
    BindQueue();
    resizer_.Attach(*this);
    browse.AskProcedure = kUpdateServicesProcedure;
    RegisterKeys();
    window.SetTimer(kLiveRefreshInterval);
    return LevelQuiet;
}

// Server then service name, a thumb that steps through upper-case letters between the first and
// the last server, and typing that steps through the servers beginning with a letter.
void ServicesList::AddOrder() {
    auto steps = std::make_unique<framework::StepString>();
    steps->Init(framework::StepString::kLetters, 3);
    browse.AddSortOrder(std::move(steps), records::SERCHK_KeyServiceName);
    records::ServicesToCheckRecord& rec = records::ServicesToCheck();
    auto locator = std::make_unique<framework::StepLocator>();
    locator->Init(0, data::TextVariable(rec.ServerName, sizeof rec.ServerName), true, browse);
    browse.AddLocator(std::move(locator));
}

// The queue's fields in list-format order; the record id is carried, not shown.
void ServicesList::BindQueue() {
    const storage::FileDesc& desc = records::ServicesToCheckDesc();
    auto* buffer = reinterpret_cast<uint8_t*>(&records::ServicesToCheck());
    auto field = [&](const char* name) {
        for (const storage::FieldDesc& f : desc.fields)
            if (f.name == name) return data::RecordField(f, buffer);
        return data::FieldRef{};
    };
    browse.AddField(field("SERCHK:ServerName"), queue.AddText(128));
    browse.AddField(field("SERCHK:ServiceName"), queue.AddText(128));
    browse.AddField(field("SERCHK:LastChecked"), queue.AddNumber());
    browse.AddField(field("SERCHK:LastCheckedTime"), queue.AddNumber());
    browse.NoteField = queue.AddText(255);
    browse.AddField(field("SERCHK:ServiceDescription"), browse.NoteField);
    browse.AddField(field("SERCHK:RecordID"), queue.AddNumber());
}

uint8_t ServicesList::RunProcedure(int32_t procedure, uint8_t request) {
    framework::WindowManager::RunProcedure(procedure, request);
    if (Request == RequestView) return ResponseCancelled;
    framework::SharedRequest() = request;
    UpdateServicesToCheck();
    return framework::SharedResponse();
}

Level ServicesList::Shutdown() {
    Level result = framework::WindowManager::Shutdown();
    if (FilesOpened) data::Relate_ServicesToCheck->Close();
    FilesOpened = 0;
    errors::GlobalErrors().PopProcedureName("ListServices");
    return result;
}

void ListServices() {
    ServicesList list;
    list.Run();
}

}  // namespace tarn::editor
