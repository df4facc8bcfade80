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
    int inLog = 0, copied = 0;
    const int rc =
        sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_PASSIVE, &inLog, &copied);
    if (rc == SQLITE_OK && copied == inLog) {
        platform::ClearLastError(keyed->PathOnDisk());
        return 0;
    }
    const std::string why =
        rc == SQLITE_OK ? std::to_string(inLog - copied) + " pages stay in the log for a reader"
                        : sqlite3_errmsg(db);
    platform::SetLastError(platform::kDriverError, keyed->PathOnDisk(), std::to_string(rc), why);
    return platform::kDriverError;
}

}  // namespace tarn::storage
