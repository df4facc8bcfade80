#include "data/Dictionary.h"

#include <memory>

#include "data/DataFileManagers.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"

namespace tarn::data {

namespace {

struct Declared {
    std::unique_ptr<FileManager> access;
    std::unique_ptr<RelationManager> relate;
};

Declared gSettings;
Declared gServices;
Declared gLog;

template <class Manager>
void Build(Declared& d, storage::RecordFile& file, RelationManager*& global) {
    d.access = std::make_unique<Manager>(file, errors::GlobalErrors());
    d.access->Setup();
    d.relate = std::make_unique<RelationManager>();
    d.relate->Attach(*d.access, 1);
    global = d.relate.get();
}

void Kill(Declared& d, RelationManager*& global) {
    if (!d.relate) return;
    d.access->Shutdown();
    d.relate->Shutdown();
    d.relate.reset();
    d.access.reset();
    global = nullptr;
}

}  // namespace

void DictionaryInit(bool withLog) {
    if (gSettings.access) return;
    // The checker builds its managers in the order ServicesToCheck, Settings, log; the editor in
    // the order Settings, ServicesToCheck.
    if (withLog) {
        Build<ServicesToCheckFileManager>(gServices, records::ServicesToCheckFile(),
                                          Relate_ServicesToCheck);
        Build<SettingsFileManager>(gSettings, records::SettingsFile(), Relate_Settings);
        Build<CheckServiceLogFileManager>(gLog, records::QuorvelCheckServiceLogFile(),
                                          Relate_QuorvelCheckServiceLog);
    } else {
        Build<SettingsFileManager>(gSettings, records::SettingsFile(), Relate_Settings);
        Build<ServicesToCheckFileManager>(gServices, records::ServicesToCheckFile(),
                                          Relate_ServicesToCheck);
    }
}

void DictionaryKill() {
    Kill(gLog, Relate_QuorvelCheckServiceLog);
    Kill(gServices, Relate_ServicesToCheck);
    Kill(gSettings, Relate_Settings);
}

}  // namespace tarn::data
