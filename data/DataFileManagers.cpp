#include "data/DataFileManagers.h"

#include "data/records/Records.h"

namespace tarn::data {

FileManager* Access_Settings = nullptr;
RelationManager* Relate_Settings = nullptr;
FileManager* Access_ServicesToCheck = nullptr;
RelationManager* Relate_ServicesToCheck = nullptr;
FileManager* Access_QuorvelCheckServiceLog = nullptr;
RelationManager* Relate_QuorvelCheckServiceLog = nullptr;

void SettingsFileManager::Setup() {
    FileManager::Setup();
    Access_Settings = this;
}

Level SettingsFileManager::EnsureUsable(uint8_t kind) {
    if (Initialized == 0) {
        BeginInitialisation();
        RegisterKey("Set:KeyRecID", records::SET_KeyRecID, 1);
    }
    return FileManager::EnsureUsable(kind);
}

void SettingsFileManager::Shutdown() {
    FileManager::Shutdown();
    if (Access_Settings == this) Access_Settings = nullptr;
}

void ServicesToCheckFileManager::Setup() {
    FileManager::Setup();
    Access_ServicesToCheck = this;
}

Level ServicesToCheckFileManager::EnsureUsable(uint8_t kind) {
    if (Initialized == 0) {
        BeginInitialisation();
        RegisterKey("SerCHK:KeyRecID", records::SERCHK_KeyRecID, 1);
        RegisterKey("SerCHK:KeyServiceName", records::SERCHK_KeyServiceName, 0);
    }
    return FileManager::EnsureUsable(kind);
}

void ServicesToCheckFileManager::Shutdown() {
    FileManager::Shutdown();
    if (Access_ServicesToCheck == this) Access_ServicesToCheck = nullptr;
}

void CheckServiceLogFileManager::Setup() {
    FileManager::Setup();
    Access_QuorvelCheckServiceLog = this;
}

Level CheckServiceLogFileManager::EnsureUsable(uint8_t kind) {
    if (Initialized == 0) BeginInitialisation();
    return FileManager::EnsureUsable(kind);
}

void CheckServiceLogFileManager::Shutdown() {
    FileManager::Shutdown();
    if (Access_QuorvelCheckServiceLog == this) Access_QuorvelCheckServiceLog = nullptr;
}

}  // namespace tarn::data
