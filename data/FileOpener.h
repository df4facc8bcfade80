#pragma once
// File openers: one per physical file, counting the logical opens of every manager (and thread)
// that uses it, so the driver opens the file once and closes it with the last user.
//
// A shared opener serves a file that all threads share; it and the process-wide register that
// finds it are guarded by critical sections. A per-thread opener serves one manager alone.
#include <cstdint>

#include "platform/storage/RecordFile.h"
#include "platform/system/CriticalSection.h"

namespace tarn::data {

class IFileOpenServer {
  public:
    // Opens the file with the mode byte; answers the driver's code (0 success, 52 counts as 0).
    [[nodiscard]] virtual int Open(uint8_t mode) = 0;
    // Closes the file when this was the last open; answers the driver's code.
    virtual int Close() = 0;
    virtual void AddReference() = 0;
    // Drops one reference; the last one disposes of the opener.
    virtual void Release() = 0;

  protected:
    virtual ~IFileOpenServer() = default;
};

class SharedOpener final : public IFileOpenServer {
  public:
    explicit SharedOpener(storage::RecordFile& file) : myFile_(&file) {}
    [[nodiscard]] int Open(uint8_t mode) override;
    int Close() override;
    void AddReference() override;
    void Release() override;
    storage::RecordFile* File() const { return myFile_; }
    long FileUsageCount() const { return fileUsageCount_; }

  private:
    uint8_t disposed_ = 0;
    storage::RecordFile* myFile_;
    long usage_ = 0;  // references beyond the first
    platform::CriticalSection csect_;
    long fileUsageCount_ = 0;
};

class PerThreadOpener final : public IFileOpenServer {
  public:
    explicit PerThreadOpener(storage::RecordFile& file) : myFile_(&file) {}
    [[nodiscard]] int Open(uint8_t mode) override;
    int Close() override;
    void AddReference() override { ++usage_; }
    void Release() override;

  private:
    uint8_t disposed_ = 0;
    storage::RecordFile* myFile_;
    long usage_ = 0;
};

// The opener for file: a new per-thread opener when the file is per-thread, else the shared one
// from the process-wide register (made and entered when missing). The caller owns one reference.
IFileOpenServer* ChooseOpener(storage::RecordFile& file);
// Number of entries in the process-wide register (for checks).
int OpenerRegisterSize();

}  // namespace tarn::data
