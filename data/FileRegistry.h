#pragma once
// The per-thread file registry: which manager serves which file on this thread, and which
// procedure uses which file (the usage register), so that a nested procedure can give the file
// back to its caller as it found it.
//
// Files are identified by the thread's driver instance, so each thread's copy of a per-thread
// file is a key of its own. Lookups fail quietly (null, no entry).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/storage/RecordFile.h"

namespace tarn::errors {
class ErrorManager;
}

namespace tarn::data {

class FileManager;
class RelationManager;

struct UsageEntry {
    long Thread = 0;
    std::string Proc;
    storage::RecordFile* Id = nullptr;
    uint8_t UStat = 0;  // highest usage kind so far
    uint16_t Hold = 0;  // saved-state id to restore at the final close
    uint16_t ScopeLevel = 0;
    uint16_t NestedOpen = 0;
};

struct FileRegistry {
    struct FileMapping {
        storage::RecordFile* FileLabel;
        data::FileManager* FileManager;
    };
    struct RelationMapping {
        storage::RecordFile* FileLabel;
        data::RelationManager* RelationManager;
    };

    errors::ErrorManager* Errs = nullptr;
    std::vector<FileMapping> FileMappingList;
    std::vector<RelationMapping> RelationMappingList;
    std::vector<UsageEntry> StatusQ;

    void AddFileManager(storage::RecordFile* file, FileManager* manager);
    void RemoveFileManager(FileManager* manager);
    FileManager* FileManagerOf(const storage::RecordFile* file) const;
    void AddRelationManager(storage::RecordFile* file, RelationManager* manager);
    void RemoveRelationManager(RelationManager* manager);
    RelationManager* RelationManagerOf(const storage::RecordFile* file) const;

    // The deepest usage entry of this thread for file; null when none.
    UsageEntry* DeepestUsage(const storage::RecordFile* file);
    void RemoveUsage(const UsageEntry* entry);
    // Forgets every usage entry of file (its manager is going away).
    void RemoveUsageOf(const storage::RecordFile* file);
};

// The calling thread's registry.
FileRegistry& ThreadRegistry();
// A number for the calling thread.
long ThreadNumber();

}  // namespace tarn::data
