#pragma once
// The pass's stamps, written back in batches: at most one durable commit per kBatch records or
// per kBatchAge, whichever comes first, instead of one per record.
//
// The write lock is taken only to write a batch, never while a service is asked or started: the
// changes are collected (the record's position and what the pass changed) and each batch is one
// short IMMEDIATE transaction that reads each record again and lays the pass's changes over it.
// A record the editor changed meanwhile thus keeps the editor's values; one it deleted stays
// deleted. After the last batch the write-ahead log is copied into the file, so a plain copy of
// the file is whole while the programs are idle.
#include <chrono>
#include <string>
#include <unordered_set>
#include <vector>

#include "checker/ServiceCheck.h"
#include "platform/storage/RecordFile.h"

namespace tarn::checker {

class PassWriteBack {
  public:
    static constexpr size_t kBatch = 100;
    static constexpr std::chrono::milliseconds kBatchAge{500};

    explicit PassWriteBack(storage::RecordFile& file) : file_(file) {}

    // Keeps the pass's changes to the record at position; writes the batch when it is full or
    // old enough. The record buffer is left as it was.
    void Add(std::string position, const PassChanges& changes);
    // Writes what is left and copies the log into the file.
    void Finish();
    // Whether the record at position was handed to Add in this pass.
    bool Seen(const std::string& position);

  private:
    struct Change {
        std::string position;
        PassChanges changes;
    };
    void WriteBatch();
    void WriteOne(const Change& change);

    storage::RecordFile& file_;
    std::vector<Change> pending_;
    std::chrono::steady_clock::time_point firstPending_;
    // Positions met in this pass. A set, not a bitmap by row id: a row added by hand may carry
    // any row id up to 2^63.
    std::unordered_set<std::string> seen_;
};

}  // namespace tarn::checker
