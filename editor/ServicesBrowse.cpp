#include "editor/ServicesBrowse.h"

#include "data/records/Records.h"

namespace tarn::editor {

void ServicesBrowse::CopyRecordToRow() {
    framework::BrowseManager::CopyRecordToRow();
    const records::ServicesToCheckRecord& rec = records::ServicesToCheck();
    // The server does not count: the checker fills in a blank one.
    const bool blank =
        rec.ServiceName[0] == 0 && rec.ServiceDescription[0] == 0 && rec.LastChecked == 0;
    if (blank && NoteField.IsSet()) NoteField.SetText(kBlankRecordNote);
}

}  // namespace tarn::editor
