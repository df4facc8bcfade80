#include "platform/storage/KeyedCheckpoint.h"

#include "platform/storage/KeyedFile.h"
#include "platform/system/LastError.h"

namespace tarn::storage {

int CheckpointLog(RecordFile& file) {
    auto* keyed = dynamic_cast<KeyedFile*>(&file);
    if (!keyed) {
        platform::SetLastError(platform::kNotSupported, file.Name());
        return platform::kNotSupported;
    }
    sqlite3* db = keyed->Connection();
    if (!db) {
        platform::SetLastError(platform::kDriverError, keyed->PathOnDisk(), "", "File Not Open");
        return platform::kDriverError;
    }
    const int rc =
        sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    // A reader (the editor's list, a backup) still needing part of the log is no failure: the
    // rest is copied after a later pass, once nobody reads.
    if (rc == SQLITE_OK || rc == SQLITE_BUSY) {
        platform::ClearLastError(keyed->PathOnDisk());
        return 0;
    }
    const std::string why = sqlite3_errmsg(db);
    platform::SetLastError(platform::kDriverError, keyed->PathOnDisk(), std::to_string(rc), why);
    return platform::kDriverError;
}

}  // namespace tarn::storage
