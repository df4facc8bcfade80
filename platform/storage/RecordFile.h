#pragma once
// The record file driver contract.
//
// A RecordFile is one thread's instance of a declared file, bound to that thread's record buffer.
// Every operation sets the calling thread's last error (platform/system/LastError.h); operations
// that return an int return that same code (0 = success). Keys are numbered from 0 in the order
// of FileDesc::keys; key -1 means "by file" (physical order, positions by row).
//
// State: closed --Open--> open --Close--> closed. Create works on a closed file. Reads, writes and
// sets on a closed file answer kDriverError with the text "File Not Open".
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/storage/FileDesc.h"

namespace tarn::storage {

class View;

// Operation codes reported to observers. Groups: delete 11; add 1, 4, 51, 59; put 30, 54, 55;
// reads 15, 16, 17, 24, 31, 53, 66, 67; create 10.
enum DriverOp : int {
    OpAdd = 1,
    OpOpen = 2,
    OpClose = 3,
    OpAppend = 4,
    OpRestoreState = 7,
    OpCreate = 10,
    OpDelete = 11,
    OpGetByKey = 15,
    OpNext = 16,
    OpPrevious = 17,
    OpReget = 24,
    OpPut = 30,
    OpGetRecordZero = 31,
    OpSetToStart = 40,
    OpSetToKey = 41,
    OpResetTo = 42,
    OpBuildKeys = 45,
    OpWatch = 50,
    OpBlobWrite = 76,
    OpSetProperty = 78,
    OpDestroy = 104,
};

// What an observer is told about an operation.
struct OperationCall {
    int op = 0;
    bool forView = false;  // the operation is done for a view over the file
    bool stop = false;     // a before-observer sets it to stop the operation
    long parameter = 0;    // the operation's first parameter (key number, property number, ...)
};

class OperationObserver {
  public:
    virtual ~OperationObserver() = default;
    // Called before an operation; returning false (or setting call.stop) skips it.
    virtual bool OnOperationStart(OperationCall& call) = 0;
    virtual bool OnOperationDone(OperationCall& call) = 0;
};

class RecordFile {
  public:
    virtual ~RecordFile() = default;

    const FileDesc& Desc() const { return desc_; }
    // The name on disk; the driver adds its default extension when the name has none.
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    uint8_t* Buffer() const { return buffer_; }

    // Access in the low two bits (0 read only, 2 read/write), sharing in the high nibble.
    [[nodiscard]] virtual int Open(uint8_t mode = 0x42) = 0;
    virtual int Close() = 0;
    virtual bool IsOpen() const = 0;
    [[nodiscard]] virtual int Create() = 0;
    virtual int BuildKeys() = 0;
    // Driver commands such as "Recover=10"; answers the driver's reply ("" when none).
    virtual std::string SendCommand(std::string_view command) = 0;

    // Clears the buffer (zero numbers, empty texts), or with high sets every field to its highest
    // possible value. The lowest values are SetFieldLimit's (FieldCodec.h).
    virtual void ClearBuffer(bool high = false) = 0;
    // Reads the record whose key fields equal the buffer's; 35 when there is none.
    virtual int GetByKey(int key) = 0;
    // Reads the record at a position taken with Position(key) (same key or -1).
    virtual int Reget(std::string_view position, int key) = 0;
    // Forgets the current record (a following Put or Delete fails).
    virtual void GetRecordZero() = 0;

    // Sequential reading: set a start, then Next/Previous (33 past either end).
    virtual int SetToStart(int key) = 0;
    // Positions before the buffer's key values so that Next reads the first record at or after
    // them in the key's order, Previous the last one at or before them.
    virtual int SetToKey(int key) = 0;
    virtual int ResetTo(std::string_view position, int key) = 0;
    virtual int Next() = 0;
    virtual int Previous() = 0;
    // Position of the current record as text (at most 1024 bytes); "" when there is none.
    virtual std::string Position(int key) const = 0;

    [[nodiscard]] virtual int Add() = 0;
    [[nodiscard]] virtual int Put() = 0;
    virtual int Delete() = 0;
    // True when adding the buffer would duplicate an existing record in this unique key.
    virtual bool Duplicate(int key) = 0;
    // The next Put of the current record answers 89 when another connection changed it since
    // it was read.
    virtual void Watch() = 0;

    // Saved driver states (current record and position); 0 when nothing could be saved.
    virtual int SaveState() = 0;
    virtual void RestoreState(int state) = 0;
    virtual void FreeState(int state) = 0;

    // Null flags, one character per field ('1' null, '0' not).
    virtual std::string GetNulls() const = 0;
    virtual void SetNulls(std::string_view flags) = 0;
    virtual void SkipBlobsOnNextRead() = 0;

    // BLOB contents of the current record (index from 0 in FileDesc::blobs).
    virtual std::string& Blob(int index) = 0;

    // Transactions (80 when not supported).
    [[nodiscard]] virtual int BeginTransaction(int timeoutSeconds) = 0;
    [[nodiscard]] virtual int Commit() = 0;
    virtual int Rollback() = 0;
    // The transaction flag: 0 off, 1 on; setting it answers 80 when not supported.
    virtual int SetTransactionFlag(int flag) = 0;
    virtual int TransactionFlag() const = 0;

    virtual void SetReadAhead(int records) = 0;
    virtual int ReadAhead() const = 0;

    // A number that differs from its last answer whenever the file's records may have changed
    // since: a write through this instance, or a commit by another connection or process. Cheap
    // enough to ask before each refresh of a list.
    virtual int64_t ChangeStamp() = 0;
    // A new view over this file (MakeView).
    virtual std::unique_ptr<View> NewView() = 0;

    void SetObserver(OperationObserver* observer) { observer_ = observer; }
    OperationObserver* Observer() const { return observer_; }

  protected:
    RecordFile(const FileDesc& desc, uint8_t* buffer)
        : desc_(desc), name_(desc.name), buffer_(buffer) {}

    const FileDesc& desc_;
    std::string name_;
    uint8_t* buffer_;
    OperationObserver* observer_ = nullptr;
};

// Makes the driver instance named by desc.driver ("KEYED" or "ASCII"); null for an unknown
// driver (the last error is then kDriverError).
std::unique_ptr<RecordFile> MakeRecordFile(const FileDesc& desc, uint8_t* buffer);

// Begins a transaction over several files (each file's own transaction); the first error wins
// and the files already begun are rolled back.
[[nodiscard]] int BeginTransaction(const std::vector<RecordFile*>& files, int timeoutSeconds);
[[nodiscard]] int CommitTransaction(const std::vector<RecordFile*>& files);
int RollbackTransaction(const std::vector<RecordFile*>& files);

// A view: a primary file read in an order, within a filter.
class View {
  public:
    virtual ~View() = default;
    // Order text: field names, each optionally with +/- or inside UPPER(...), comma-separated.
    virtual void SetOrder(std::string order) = 0;
    // Filter text (see the expression grammar in Expression.h); "" reads every record.
    virtual void SetFilter(std::string filter) = 0;
    virtual const std::string& Order() const = 0;
    virtual const std::string& Filter() const = 0;
    virtual void SetPageBuffer(int pageSize, int behind, int ahead, int timeout) = 0;
    // Opens the view; kInvalidExpression when the order or filter text cannot be parsed.
    [[nodiscard]] virtual int Open() = 0;
    virtual int Close() = 0;
    virtual int SetToStart() = 0;
    // Positions so that Next reads the first record at or after the buffer's values of the
    // order's fields, Previous the last one at or before them.
    virtual int SetToBuffer() = 0;
    // Positions on the record at position (as Position answers it) so that Next reads that
    // record first and Previous reads it first too; 35 when there is no record there any more,
    // 80 when the view cannot.
    virtual int SetToPosition(std::string_view position);
    // Read the next/previous record into the primary file's buffer; 33 at the end.
    virtual int Next() = 0;
    virtual int Previous() = 0;
    // Position the primary file's current record was read from (for Reget by file).
    virtual std::string Position() const = 0;
};

// A view over primary made by its driver; its Open answers 80 when the driver has no views.
std::unique_ptr<View> MakeView(RecordFile& primary);

}  // namespace tarn::storage
