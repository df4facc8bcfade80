#pragma once
// The KEYED driver: a record file kept in its own SQLite database (default extension ".db").
//
// States: closed --Open/Create--> ... An open file holds one connection in WAL mode with
// synchronous=FULL and a busy timeout ("Recover=N" seconds, 5 by default), so several processes
// can read and write the same file. The current record is a row id (0 = none); sequential reading
// keeps an anchor (start, key values or the last record read) and a batch read ahead from it in the
// chosen key's order. Every write drops the batch so the next read sees it. Views (KeyedView) read
// through the same connection with their own queries and pages.
//
// Case: a case-insensitive key's text columns are declared COLLATE NOCASE, SQLite's built-in
// collation, so the sqlite3 shell and other SQLite tools can still read and write the files. It
// folds the ASCII letters A-Z to a-z and nothing else, then compares bytes: "_x" < "A[b" < "a_b"
// < "aab" < "Zed". Views ordering by UPPER(field), filters comparing UPPER() values and locators
// fold the same way (platform/system/NoCase.h), so every order over a case-insensitive key agrees
// with the index.
//
// Choices the contract leaves open:
// - Put or Delete with no current record (none read, or deleted since) answers 35.
// - Watch lasts until the next Add: a record this station added was never read under watch.
// - SetToStart: Next reads the first record, Previous the last one.
// - Create keeps an existing file of the same layout (two programs may create it at once); an
//   existing file of another layout, or not a database, answers 47. A database with no table at
//   all (a creation that was killed) opens as a missing file (2), and Create completes it.
// - Read-only opens of a folder where SQLite cannot make its shared-memory file fall back to
//   reading the database as immutable when no write-ahead log is pending.
// - Null flags are always '0': no field is ever null.
// - Put writes only the fields and BLOBs whose value in the buffer differs from the record as
//   the last read, Add or Put left it; the others stay as stored, byte for byte and type for type,
//   also when the buffer could not hold them (a longer text, a 64-bit or REAL number). A Put that
//   changes nothing writes nothing and answers as a write would: 35 when the record is gone, 89
//   when it was watched and another connection changed it.
// - After a read that skipped BLOBs, Put leaves the stored BLOBs as they are. The request to skip
//   them lasts for the next read only, whether that read finds a record or not.
// - Open checks the records table's columns (names, declared types, order) against the
//   declaration: a renamed, dropped or added column answers 47. A records table dropped whole
//   opens, and every read of it fails (90, "no such table"). Double-quoted strings are off on
//   every connection, so an unknown column is an error, never its own name as text.
// - A symbolic link at the file's name is refused by Open and Create (100, the system's ELOOP) and
//   never followed. A new file is made readable and writable by its owner and group only (0640),
//   whatever the umask; SQLite's log and shared-memory files take its mode.
// - A busy database (another process holds the write lock past the timeout) answers 90 with
//   SQLite's code and text.
// - Open never answers 46: SQLite keeps its indexes with its tables. BuildKeys rebuilds them
//   (REINDEX) on an open file or, for a manager that met 46 from another driver's open, on a
//   closed one, which it opens for the rebuild only.
// - ChangeStamp counts this instance's writes and reopenings and asks SQLite's data_version for
//   commits of other connections.
#include <sqlite3.h>

#include <map>
#include <string>
#include <vector>

#include "platform/storage/KeyedSchema.h"
#include "platform/storage/RecordFile.h"
#include "platform/storage/SqliteStatement.h"

namespace tarn::storage {

class KeyedFile final : public RecordFile {
  public:
    KeyedFile(const FileDesc& desc, uint8_t* buffer);
    ~KeyedFile() override;

    // The file's name on disk with the default extension added when it has none.
    std::string PathOnDisk() const;
    sqlite3* Connection() const { return db_; }

    [[nodiscard]] int Open(uint8_t mode = 0x42) override;
    int Close() override;
    bool IsOpen() const override { return db_ != nullptr; }
    [[nodiscard]] int Create() override;
    int BuildKeys() override;
    std::string SendCommand(std::string_view command) override;

    void ClearBuffer(bool high = false) override;
    int GetByKey(int key) override;
    int Reget(std::string_view position, int key) override;
    void GetRecordZero() override;

    int SetToStart(int key) override;
    int SetToKey(int key) override;
    int ResetTo(std::string_view position, int key) override;
    int Next() override;
    int Previous() override;
    std::string Position(int key) const override;

    [[nodiscard]] int Add() override;
    [[nodiscard]] int Put() override;
    int Delete() override;
    bool Duplicate(int key) override;
    void Watch() override;

    int SaveState() override;
    void RestoreState(int state) override;
    void FreeState(int state) override;

    std::string GetNulls() const override;
    void SetNulls(std::string_view flags) override;
    void SkipBlobsOnNextRead() override { skipBlobs_ = true; }
    std::string& Blob(int index) override { return blobs_.at(index); }

    [[nodiscard]] int BeginTransaction(int timeoutSeconds) override;
    [[nodiscard]] int Commit() override;
    int Rollback() override;
    int SetTransactionFlag(int flag) override;
    int TransactionFlag() const override { return transactionFlag_; }

    void SetReadAhead(int records) override { readAhead_ = records < 1 ? 1 : records; }
    int ReadAhead() const override { return readAhead_; }

    int64_t ChangeStamp() override;
    std::unique_ptr<View> NewView() override;

  private:
    friend class KeyedView;

    struct Row {
        int64_t rid = 0;
        int64_t chg = 0;
        std::vector<uint8_t> image;
        std::vector<std::string> blobs;
        // The reading key's values as stored: a text longer than its field is cut in the image,
        // and a read resuming after the cut value would meet the record again.
        std::vector<FieldValue> stored;
    };
    // The record as the last read, add or put left it in the buffer: a Put writes only what
    // differs from it.
    struct AsRead {
        std::vector<uint8_t> image;
        std::vector<std::string> blobs;
    };
    struct State {
        int64_t rid, chg;
        int seqKey;
        SeekAnchor anchor;
        std::vector<uint8_t> image;
        std::vector<std::string> blobs;
        AsRead asRead;
    };
    // What a Put writes: 0-based numbers of the fields and BLOBs changed since the read.
    struct Changes {
        std::vector<int> fields, blobs;
        bool None() const { return fields.empty() && blobs.empty(); }
    };

    // Error reporting: each sets the thread's last error and answers its code.
    int Ok();
    int Fail(int code, const std::string& driverCode = "", const std::string& driverText = "");
    int SqlFail(int rc);
    int NotOpen();
    int BadKey();
    bool ValidKey(int key) const { return key >= -1 && key < int(desc_.keys.size()); }

    int DoOpen(uint8_t mode);
    int RebuildClosed();
    int64_t DataVersion();
    // Every write and reopening moves the change stamp.
    void NoteChange() { ++stamp_; }
    // Ends a read: a request to skip BLOBs lasts for one read, whatever its outcome.
    int EndRead(int rc) {
        skipBlobs_ = false;
        return rc;
    }
    void Disconnect();
    int OpenConnection(const std::string& uri, int flags);
    int CheckLayout();
    int CheckColumns();
    int RefuseLink(const std::string& path);
    int MakeNewFile(const std::string& path);
    bool HasNoTables();
    int DoCreate();
    int InitialiseFile();
    void Configure();

    // Reads the statement's current row; the stored values of key's fields too (none for -1).
    void ReadRow(sqlite3_stmt* s, Row& row, int key = -1) const;
    void Deliver(const Row& row);
    std::vector<FieldValue> KeyValues(int key, const uint8_t* record) const;
    int BindKeyValues(sqlite3_stmt* s, int key, const uint8_t* record);
    int BindRecord(sqlite3_stmt* s, int first, bool withBlobs);
    int FetchOne(sqlite3_stmt* s, Row& row, int key = -1);
    int Step(bool forward);
    int FillBatch(bool forward);
    // Forgets the read-ahead rows (the anchor keeps the place).
    void DropBatch();
    void SettleAnchor();
    void Reanchor(int key, SeekAnchor anchor);
    int FindByRid(std::string_view position, Row& row, int key = -1);
    int PutWatchedMiss();
    // Keeps the buffer (and BLOBs unless skipped) as the image later Puts compare with.
    void KeepAsRead();
    Changes ChangedSinceRead() const;
    int BindChanges(sqlite3_stmt* s, const Changes& changes);
    int PutUnchanged();

    KeyedSchema schema_;
    std::vector<std::vector<int>> keyFields_;
    std::vector<std::string> byKeySql_;
    std::string insertSql_;
    sqlite3* db_ = nullptr;
    StatementCache statements_;
    int busyMs_ = 5000;
    int readAhead_ = 256;
    int transactionFlag_ = 0;
    bool readOnly_ = false;

    int64_t curRid_ = 0;
    int64_t curChg_ = 0;
    bool watching_ = false;
    bool skipBlobs_ = false;
    bool blobsSkipped_ = false;
    std::vector<std::string> blobs_;
    AsRead asRead_;

    int seqKey_ = -1;
    SeekAnchor anchor_;
    std::vector<Row> batch_;  // rows are reused from batch to batch
    size_t batchCount_ = 0;
    size_t batchPos_ = 0;
    bool anchorInBatch_ = false;  // the anchor is the row before batchPos_, not yet copied
    bool batchForward_ = true;
    int nextBatch_ = 16;

    std::map<int, State> states_;
    int nextState_ = 1;

    int64_t stamp_ = 1;
    int64_t dataVersion_ = 0;
    // The record the last successful Put wrote and the stamp it left, so that a view can tell
    // the write-back of a record it has handed out from a change to the records it holds.
    struct WrittenBack {
        int64_t stamp = 0;
        int64_t rid = 0;
        std::vector<uint8_t> image;
    };
    WrittenBack lastPut_;
};

}  // namespace tarn::storage
