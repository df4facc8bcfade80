#include "editor/UpdateServicesToCheck.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "data/Dictionary.h"
#include "data/FieldRef.h"
#include "data/records/Records.h"
#include "editor/EditorWindows.h"
#include "errors/ErrorManager.h"
#include "platform/system/TextCut.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::editor {

namespace {

// The values Ctrl+H brings back: the record as last saved on this thread, empty before that.
records::ServicesToCheckRecord& ServiceHistory() {
    static thread_local records::ServicesToCheckRecord history{};
    return history;
}

// The fields this form lets the operator edit; the checker writes only the others (and a blank
// server, which it fills with this computer's name).
std::vector<int> EditedFields() {
    std::vector<int> fields;
    const storage::FileDesc& desc = records::ServicesToCheckDesc();
    for (size_t i = 0; i < desc.fields.size(); ++i) {
        const std::string& name = desc.fields[i].name;
        if (name == "SERCHK:ServerName" || name == "SERCHK:ServiceName" ||
            name == "SERCHK:ServiceDescription")
            fields.push_back(int(i));
    }
    return fields;
}

}  // namespace

ServiceForm::ServiceForm() : window(ServiceFormDef()) {}

Level ServiceForm::Initialise() {
    errors::GlobalErrors().PushProcedureName("UpdateServicesToCheck");
    Request = framework::SharedRequest();
    framework::WindowManager::Initialise();
    FirstField = SERCHK_ServerName_Prompt;
    framework::SharedRequest() = RequestNone;
    framework::SharedResponse() = ResponseNone;
    SetToolbar(toolbar_);
    AddSecondaryFile(*data::Access_ServicesToCheck);
    AddHistory();
    AddResponseButton(Service_Cancel, ResponseCancelled);
    // The checker never checks, stamps or logs a record without a service name.
    Rules.Require(SERCHK_ServiceName, "Service Name");

    // A file that did not open has been reported; the window does not open without it.
    if (data::Relate_ServicesToCheck->Open() != LevelQuiet) return LevelNotice;
    FilesOpened = 1;
    SetPrimary(*data::Relate_ServicesToCheck);
    OperatorFields = EditedFields();
    const bool viewing = Request == RequestView && !BatchProcessing;
    SetActions(viewing);
    // A delete is carried out (or declined) here; the window is then never shown.
    if (!viewing && PrepareRequest() != LevelQuiet) return LevelNotice;

    OpenWindow(window);
    BindFields();
    if (Request == RequestView) {
        window.Get(SERCHK_ServerName)->readOnly = true;
        window.Get(SERCHK_ServiceName)->readOnly = true;
    }
    // Never smaller than it opened; the entries stretch with a wider window.
    resizer_.Attach(*this);
    RegisterKeys();
    return LevelQuiet;
}

void ServiceForm::AddHistory() {
    records::ServicesToCheckRecord& rec = records::ServicesToCheck();
    records::ServicesToCheckRecord& history = ServiceHistory();
    auto* record = reinterpret_cast<uint8_t*>(&rec);
    auto* copy = reinterpret_cast<uint8_t*>(&history);
    HistoryKey = ui::CtrlH;
    auto text = [&](char* field, char* kept, uint32_t size, int32_t control) {
        AddHistoryField(record, copy, sizeof rec, data::TextVariable(field, size),
                        data::TextVariable(kept, size), control);
    };
    auto number = [&](size_t offset, int32_t control) {
        AddHistoryField(record, copy, sizeof rec, data::LongAt(record + offset),
                        data::LongAt(copy + offset), control);
    };
    text(rec.ServerName, history.ServerName, sizeof rec.ServerName, SERCHK_ServerName);
    text(rec.ServiceName, history.ServiceName, sizeof rec.ServiceName, SERCHK_ServiceName);
    text(rec.ServiceDescription, history.ServiceDescription, sizeof rec.ServiceDescription,
         SERCHK_ServiceDescription);
    number(offsetof(records::ServicesToCheckRecord, LastChecked), SERCHK_LastChecked);
    number(offsetof(records::ServicesToCheckRecord, LastCheckedTime), SERCHK_LastCheckedTime);
}

void ServiceForm::SetActions(bool viewing) {
    if (viewing) {
        InsertAction = 1;
        DeleteAction = 1;
        ChangeAction = 1;
        CancelAction = 0;
        OkControl = 0;
        return;
    }
    ChangeAction = 2;
    CancelAction = 2;
    OkControl = Service_OK;
}

void ServiceForm::BindFields() {
    records::ServicesToCheckRecord& rec = records::ServicesToCheck();
    window.Bind(SERCHK_ServerName,
                ui::Binding::Chars(rec.ServerName, sizeof rec.ServerName, "s127"));
    window.Bind(SERCHK_ServiceName,
                ui::Binding::Chars(rec.ServiceName, sizeof rec.ServiceName, "s127"));
    window.Bind(SERCHK_ServiceDescription,
                ui::Binding::Chars(rec.ServiceDescription, sizeof rec.ServiceDescription, ""));
    window.Bind(SERCHK_LastChecked, ui::Binding::Int(&rec.LastChecked, "d08-b"));
    window.Bind(SERCHK_LastCheckedTime, ui::Binding::Int(&rec.LastCheckedTime, "t06b"));
}

void ServiceForm::FillNewRecord() {
    const char* computer = vuft4::VUCOMPUTERNAME();
    std::string name = platform::CutText(computer ? computer : "", 127);
    char* server = records::ServicesToCheck().ServerName;
    std::memset(server, 0, sizeof records::ServicesToCheck().ServerName);
    std::memcpy(server, name.data(), name.size());
}

void ServiceForm::EventLoop() {
    switch (Request) {
        case RequestInsert:
            window.title = "New Service";
            break;
        case RequestChange:
            window.title = "Edit Service";
            break;
        case RequestView:
            window.title = "View Record";
            break;
        default:
            break;
    }
    framework::WindowManager::EventLoop();
}

Level ServiceForm::OnAccepted() {
    Level result = framework::WindowManager::OnAccepted();
    if (ui::Field() == Service_OK) {
        UpdateAll();
        if (Request == RequestView && !BatchProcessing) PostClose();
    }
    return result;
}

Level ServiceForm::Shutdown() {
    Level result = framework::WindowManager::Shutdown();
    if (FilesOpened) data::Relate_ServicesToCheck->Close();
    FilesOpened = 0;
    errors::GlobalErrors().PopProcedureName("UpdateServicesToCheck");
    return result;
}

void UpdateServicesToCheck() {
    ServiceForm form;
    form.Run();
}

}  // namespace tarn::editor
