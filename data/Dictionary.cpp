#include "data/Dictionary.h"

#include <memory>

#include "data/records/Records.h"
#include "errors/ErrorManager.h"

namespace tarn::data {

FileManager* Access_Settings = nullptr;
RelationManager* Relate_Settings = nullptr;
FileManager* Access_ServicesToCheck = nullptr;
RelationManager* Relate_ServicesToCheck = nullptr;
FileManager* Access_QuorvelCheckServiceLog = nullptr;
RelationManager* Relate_QuorvelCheckServiceLog = nullptr;

namespace {

struct Declared {
    FileManager*& access;
    RelationManager*& relate;
    std::unique_ptr<FileManager> ownAccess = nullptr;
    std::unique_ptr<RelationManager> ownRelate = nullptr;
};

Declared gSettings{Access_Settings, Relate_Settings};
Declared gServices{Access_ServicesToCheck, Relate_ServicesToCheck};
Declared gLog{Access_QuorvelCheckServiceLog, Relate_QuorvelCheckServiceLog};

void Build(Declared& d, storage::RecordFile& file) {
    d.ownAccess = std::make_unique<FileManager>(file, errors::GlobalErrors());
    d.ownAccess->Setup();
    d.ownRelate = std::make_unique<RelationManager>();
    d.ownRelate->Attach(*d.ownAccess, 1);
    d.access = d.ownAccess.get();
    d.relate = d.ownRelate.get();
}

void Kill(Declared& d) {
    if (!d.ownRelate) return;
    d.ownAccess->Shutdown();
    d.ownRelate->Shutdown();
    d.access = nullptr;
    d.relate = nullptr;
    d.ownRelate.reset();
    d.ownAccess.reset();
}

}  // namespace

void DictionaryInit(bool withLog) {
    if (gSettings.ownAccess) return;
    records::ResetThreadFiles();
    // The checker builds its managers in the order ServicesToCheck, Settings, log; the editor in
    // the order Settings, ServicesToCheck.
    if (withLog) {
        Build(gServices, records::ServicesToCheckFile());
        Build(gSettings, records::SettingsFile());
        Build(gLog, records::QuorvelCheckServiceLogFile());
    } else {
        Build(gSettings, records::SettingsFile());
        Build(gServices, records::ServicesToCheckFile());
    }
}

void DictionaryKill() {
    Kill(gLog);
    Kill(gServices);
    Kill(gSettings);
    records::ResetThreadFiles();
}

}  // namespace tarn::data
