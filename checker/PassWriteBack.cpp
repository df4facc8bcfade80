#include "checker/PassWriteBack.h"

#include <cstring>

#include "checker/StderrNotice.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "errors/MessageIds.h"
#include "platform/storage/KeyedCheckpoint.h"
#include "platform/system/LastError.h"

namespace tarn::checker {

namespace {
// Seconds a batch waits for the write lock the editor may hold for one save.
constexpr int kLockWaitSeconds = 10;
}  // namespace

bool PassWriteBack::Seen(const std::string& position) { return !seen_.insert(position).second; }

void PassWriteBack::Add(std::string position, const PassChanges& changes) {
    if (pending_.empty()) firstPending_ = std::chrono::steady_clock::now();
    pending_.push_back({std::move(position), changes});
    if (pending_.size() >= kBatch || std::chrono::steady_clock::now() - firstPending_ >= kBatchAge)
        WriteBatch();
}

void PassWriteBack::Finish() {
    WriteBatch();
    if (storage::CheckpointLog(file_) != 0)
        SayOnStderr("cannot copy the log of " + file_.Name() + " into the file (" +
                    LastErrorInWords() + "); it is tried again after the next pass");
}

void PassWriteBack::WriteBatch() {
    if (pending_.empty()) return;
    auto& record = records::ServicesToCheck();
    const records::ServicesToCheckRecord current = record;
    if (file_.BeginTransaction(kLockWaitSeconds) != 0) {
        // The stamps of these records are lost for this pass; their services were checked.
        errors::GlobalErrors().RaiseWithFile(MsgUpdateError, "Process:View");
    } else {
        for (const Change& change : pending_) WriteOne(change);
        if (file_.Commit() != 0) {
            errors::GlobalErrors().RaiseWithFile(MsgUpdateError, "Process:View");
            file_.Rollback();
        }
    }
    pending_.clear();
    record = current;
}

// Reads the record again under the lock and writes the pass's changes over it; a record deleted
// meanwhile stays deleted. One record that cannot be written leaves the others to be written.
void PassWriteBack::WriteOne(const Change& change) {
    const int read = file_.Reget(change.position, -1);
    if (read == platform::kRecordNotFound) return;
    if (read == 0) {
        ApplyChanges(change.changes, records::ServicesToCheck());
        if (file_.Put() == 0) return;
    }
    errors::GlobalErrors().RaiseWithFile(MsgUpdateError, "Process:View");
}

}  // namespace tarn::checker
