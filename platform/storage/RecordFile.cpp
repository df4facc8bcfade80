#include "platform/storage/RecordFile.h"

#include "platform/storage/AsciiFile.h"
#include "platform/storage/KeyedFile.h"
#include "platform/system/LastError.h"
#include "platform/system/NoCase.h"

namespace tarn::storage {

std::unique_ptr<RecordFile> MakeRecordFile(const FileDesc& desc, uint8_t* buffer) {
    if (platform::EqualNoCase(desc.driver, "KEYED"))
        return std::make_unique<KeyedFile>(desc, buffer);
    if (platform::EqualNoCase(desc.driver, "ASCII"))
        return std::make_unique<AsciiFile>(desc, buffer);
    platform::SetLastError(platform::kDriverError, desc.name, "", "Unknown driver " + desc.driver);
    return nullptr;
}

std::unique_ptr<View> MakeView(RecordFile& primary) { return primary.NewView(); }

int View::SetToPosition(std::string_view) {
    platform::SetLastError(platform::kNotSupported);
    return platform::kNotSupported;
}

int BeginTransaction(const std::vector<RecordFile*>& files, int timeoutSeconds) {
    for (size_t i = 0; i < files.size(); ++i) {
        const int rc = files[i]->BeginTransaction(timeoutSeconds);
        if (rc == 0) continue;
        const platform::RuntimeError first = platform::LastError();
        for (size_t j = 0; j < i; ++j) files[j]->Rollback();
        platform::SetLastError(first.code, first.fileName, first.driverCode, first.driverText);
        return rc;
    }
    return 0;
}

// Ends each file's transaction with end; the first error wins but every file is ended.
template <class End>
static int EndAll(const std::vector<RecordFile*>& files, End end) {
    int result = 0;
    platform::RuntimeError first;
    for (RecordFile* f : files) {
        const int rc = end(*f);
        if (rc != 0 && result == 0) {
            result = rc;
            first = platform::LastError();
        }
    }
    if (result != 0)
        platform::SetLastError(first.code, first.fileName, first.driverCode, first.driverText);
    return result;
}

int CommitTransaction(const std::vector<RecordFile*>& files) {
    return EndAll(files, [](RecordFile& f) { return f.Commit(); });
}

int RollbackTransaction(const std::vector<RecordFile*>& files) {
    return EndAll(files, [](RecordFile& f) { return f.Rollback(); });
}

}  // namespace tarn::storage
