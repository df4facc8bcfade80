#pragma once
// The ASCII driver: a plain text file of records, each a line ended by the terminator of the
// "/ENDOFRECORD=n,b1,...,bn" option (carriage return and line feed by default).
//
// Add appends the record's bytes, trailing blanks and zeros removed, and the terminator in one
// write() to a file opened for appending, so a line is never interleaved with another writer's
// and a reader following the file sees whole lines. A line cut short (a full disk) is ended
// before the next record, which thus starts a line of its own; so is a file found ending mid-line.
//
// The file and its folder are opened without following a symbolic link, and only when they
// belong to this process's user (platform/system/SafeOpen.h); a refusal answers 100 with the
// reason as the driver's text. A file made by Create is for owner and group only. Next reads the
// lines in turn (a last line without terminator is read as it is). Positions are byte offsets.
// Keys, Put, Delete, Previous, transactions and views answer 80. Failures of the operating system
// answer 100 with errno and its text as the driver's code and text.
#include <string>
#include <vector>

#include "platform/storage/RecordFile.h"
#include "platform/system/SafeOpen.h"

namespace tarn::storage {

// The terminator bytes an option string asks for; CR LF when it names none.
std::string RecordTerminator(const std::string& options);

class AsciiFile final : public RecordFile {
  public:
    AsciiFile(const FileDesc& desc, uint8_t* buffer);
    ~AsciiFile() override;

    [[nodiscard]] int Open(uint8_t mode = 0x42) override;
    int Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    [[nodiscard]] int Create() override;
    int BuildKeys() override { return Unsupported(); }
    std::string SendCommand(std::string_view) override { return ""; }

    void ClearBuffer(bool high = false) override;
    int GetByKey(int) override { return Unsupported(); }
    int Reget(std::string_view position, int key) override;
    void GetRecordZero() override { current_ = -1; }

    int SetToStart(int key) override;
    int SetToKey(int) override { return Unsupported(); }
    int ResetTo(std::string_view position, int key) override;
    int Next() override;
    int Previous() override { return Unsupported(); }
    std::string Position(int key) const override;

    [[nodiscard]] int Add() override;
    [[nodiscard]] int Put() override { return Unsupported(); }
    int Delete() override { return Unsupported(); }
    bool Duplicate(int) override { return false; }
    void Watch() override {}

    int SaveState() override;
    void RestoreState(int state) override;
    void FreeState(int) override {}

    std::string GetNulls() const override { return std::string(desc_.fields.size(), '0'); }
    void SetNulls(std::string_view) override {}
    void SkipBlobsOnNextRead() override {}
    std::string& Blob(int) override { return noBlob_; }

    [[nodiscard]] int BeginTransaction(int) override { return Unsupported(); }
    [[nodiscard]] int Commit() override { return Unsupported(); }
    int Rollback() override { return Unsupported(); }
    int SetTransactionFlag(int flag) override { return flag ? Unsupported() : 0; }
    int TransactionFlag() const override { return 0; }

    void SetReadAhead(int) override {}
    int ReadAhead() const override { return 1; }

    // The file's size: lines are only ever appended.
    int64_t ChangeStamp() override;
    // True while the open file is still the one its name leads to: false once it was renamed
    // away (a log rotation), removed or replaced, or when it is not open.
    bool StillAtItsName() const;
    std::unique_ptr<View> NewView() override;

  private:
    int Ok();
    int Fail(int code, const std::string& driverCode = "", const std::string& driverText = "");
    int FailErrno(int err);
    int Unsupported();
    int ReadLineAt(long offset);
    int OpenAtName(int flags, bool create, int& fd);
    int FailOpened(const platform::SafeOpened& opened);
    bool EndsWithTerminator();

    std::string terminator_;
    int fd_ = -1;
    bool readOnly_ = false;
    bool midLine_ = false;  // the file ends inside a line
    long readOffset_ = 0;   // where Next reads
    long current_ = -1;     // offset of the record last read
    std::vector<std::pair<long, long>> states_;
    std::string noBlob_;
};

}  // namespace tarn::storage
