#pragma once
// The file managers of the system's three files. Each supplies only the file-specific set-up:
// which record, which keys in which order, which key is numbered automatically.
#include "data/FileManager.h"
#include "data/RelationManager.h"

namespace tarn::data {

class SettingsFileManager : public FileManager {
  public:
    using FileManager::FileManager;
    void Setup() override;
    Level EnsureUsable(uint8_t kind) override;
    void Shutdown() override;
};

class ServicesToCheckFileManager : public FileManager {
  public:
    using FileManager::FileManager;
    void Setup() override;
    Level EnsureUsable(uint8_t kind) override;
    void Shutdown() override;
};

// The checker's daily log: keyless, appended to.
class CheckServiceLogFileManager : public FileManager {
  public:
    using FileManager::FileManager;
    void Setup() override;
    Level EnsureUsable(uint8_t kind) override;
    void Shutdown() override;
};

// The managers of the thread that ran DictionaryInit; null before it and after DictionaryKill.
extern FileManager* Access_Settings;
extern RelationManager* Relate_Settings;
extern FileManager* Access_ServicesToCheck;
extern RelationManager* Relate_ServicesToCheck;
extern FileManager* Access_QuorvelCheckServiceLog;
extern RelationManager* Relate_QuorvelCheckServiceLog;

}  // namespace tarn::data
