#include "data/FileRegistry.h"

#include <algorithm>
#include <functional>
#include <thread>

namespace tarn::data {

void FileRegistry::AddFileManager(storage::RecordFile* file, FileManager* manager) {
    FileMappingList.push_back({file, manager});
}

void FileRegistry::RemoveFileManager(FileManager* manager) {
    std::erase_if(FileMappingList,
                  [manager](const FileMapping& m) { return m.FileManager == manager; });
}

FileManager* FileRegistry::FileManagerOf(const storage::RecordFile* file) const {
    for (const FileMapping& m : FileMappingList) {
        if (m.FileLabel == file) return m.FileManager;
    }
    return nullptr;
}

void FileRegistry::AddRelationManager(storage::RecordFile* file, RelationManager* manager) {
    RelationMappingList.push_back({file, manager});
}

void FileRegistry::RemoveRelationManager(RelationManager* manager) {
    std::erase_if(RelationMappingList,
                  [manager](const RelationMapping& m) { return m.RelationManager == manager; });
}

RelationManager* FileRegistry::RelationManagerOf(const storage::RecordFile* file) const {
    for (const RelationMapping& m : RelationMappingList) {
        if (m.FileLabel == file) return m.RelationManager;
    }
    return nullptr;
}

UsageEntry* FileRegistry::DeepestUsage(const storage::RecordFile* file) {
    UsageEntry* deepest = nullptr;
    long thread = ThreadNumber();
    for (UsageEntry& e : StatusQ) {
        if (e.Thread == thread && e.Id == file &&
            (!deepest || e.ScopeLevel > deepest->ScopeLevel)) {
            deepest = &e;
        }
    }
    return deepest;
}

void FileRegistry::RemoveUsage(const UsageEntry* entry) {
    std::erase_if(StatusQ, [entry](const UsageEntry& e) { return &e == entry; });
}

void FileRegistry::RemoveUsageOf(const storage::RecordFile* file) {
    std::erase_if(StatusQ, [file](const UsageEntry& e) { return e.Id == file; });
}

FileRegistry& ThreadRegistry() {
    thread_local FileRegistry registry;
    return registry;
}

long ThreadNumber() {
    return static_cast<long>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

}  // namespace tarn::data
