#pragma once
// The error log: every shown message as one line "date@time --> text" in "QELError.Log".
//
// USAGE counts outstanding opens: Open(false) opens the file only at 0; Close(false) closes it
// only at 1. A forced Open reopens; a forced Close always closes and leaves USAGE at 0.
// The writer has no lock of its own; the error manager holds its lock around every call.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "errors/Levels.h"

namespace tarn::storage {
class RecordFile;
struct FileDesc;
}  // namespace tarn::storage

namespace tarn::errors {

// What the error manager needs of an error-log writer; each returns LevelQuiet or LevelNotice.
class ErrorLogInterface {
  public:
    virtual ~ErrorLogInterface() = default;
    virtual Level Close(bool force) = 0;
    virtual Level Open(bool force) = 0;
    virtual Level Append(std::string_view line) = 0;
};

inline constexpr std::string_view kErrorLogName = "QELError.Log";
inline constexpr size_t kErrorLogLineWidth = 1024;

// Writes "QELError.Log" in the current folder through the ASCII driver.
class StandardErrorLog : public ErrorLogInterface {
  public:
    // fileName is for tests; the programs use the default.
    explicit StandardErrorLog(std::string fileName = std::string(kErrorLogName));
    ~StandardErrorLog() override;  // closes by force

    // Creates the file when missing, then opens it read/write, deny none.
    Level Open(bool force) override;
    // Appends line (cut to 1024 characters) as one record; LevelNotice when not open.
    Level Append(std::string_view line) override;
    Level Close(bool force) override;

    int32_t Usage() const { return usage_; }

  private:
    std::string fileName_;
    std::unique_ptr<storage::FileDesc> desc_;  // outlives file_, which refers to it
    int32_t usage_ = 0;
    std::unique_ptr<uint8_t[]> record_;
    std::unique_ptr<storage::RecordFile> file_;
};

}  // namespace tarn::errors
