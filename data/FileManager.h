#pragma once
// FileManager: the only way a procedure uses a record file.
//
// Open states (LazyOpen 1, as for the data files):
//   closed (Opened 0, Used 0) --Open--> counted (Opened n, Used 0)
//   counted --first EnsureUsable of kind 0..4--> open (Used 1; PhysicalOpen)
//   open --last Close--> closed (the opener closes the driver file when its own count drops to 0)
//   closed --EnsureUsable of kind 0..4--> message 45, the operation fails
// With LazyOpen 0, Open opens the file physically at once.
//
// Initialisation is in two steps: Setup at program start (cheap: names, buffer, registry), and the
// first EnsureUsable, which attaches the driver, chooses the opener and registers the keys the
// file declares (each key's description says its name and whether it is numbered).
//
// The usage register (per thread) remembers which procedure uses the file with which kind; a
// nested procedure saves the caller's file state when it starts using the file and gives it back
// at its final Close, unless it used the file with kind 3 (a form that leaves its record behind).
//
// Record operations (GetByKey, Next, Insert, Update, Delete, AutoNumber, ...) return a Level and
// report failures through the error manager; the Quiet variants report nothing.
//
// A subclass may fill defaults, check fields, veto the deletion of related records and hook the
// driver's operations; nothing else is meant to be overridden.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/FieldRef.h"
#include "errors/ErrorManager.h"
#include "errors/Levels.h"
#include "platform/storage/RecordFile.h"

namespace tarn::data {

class IFileOpenServer;
class RelationManager;

struct KeyComponentEntry {
    FieldRef Field;
    std::string FieldName;  // "UPPER(name)" for a string component of a case-insensitive key
    uint8_t Ascend = 1;
};

struct KeyEntry {
    int Key = -1;             // the driver's key number
    std::string Description;  // at most 80 bytes; names the key in messages
    std::vector<KeyComponentEntry> Fields;
    uint8_t AutoInc = 0;
    uint8_t Dups = 0;
    uint8_t NoCase = 0;
};

struct SavedBuffer {
    long Id = 0;
    std::string Buffer;
};

struct SavedFileState {
    uint16_t Buffer = 0;
    uint16_t Id = 0;
    uint8_t AutoIncDone = 0;
    long State = 0;
    std::string Pos;
};

// Switches the driver's read-ahead off for one write and back to what it was: a write must not
// work on records read ahead, and later reads should not lose their batches.
class ReadAheadPause {
  public:
    explicit ReadAheadPause(storage::RecordFile& file);
    ~ReadAheadPause();
    ReadAheadPause(const ReadAheadPause&) = delete;
    ReadAheadPause& operator=(const ReadAheadPause&) = delete;

  private:
    storage::RecordFile& file_;
    int saved_;
};

class FileManager {
  public:
    FileManager(storage::RecordFile& file, errors::ErrorManager& errors);
    // Shuts the manager down unless that was done, and leaves the thread's registry.
    virtual ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // The file: this thread's driver instance, its record buffer and the buffer's size.
    storage::RecordFile* File = nullptr;
    uint8_t* Buffer = nullptr;
    uint32_t BufferSize = 0;
    // Opening, settable before the first open: create when missing, open only at first use,
    // seconds of lock wait after a refusal, access and sharing (losing its write bits for good
    // after a read-only fallback).
    uint8_t Create = 1;
    uint8_t LazyOpen = 1;
    int16_t LockRecover = 10;
    uint8_t OpenMode = 0x42;
    // Names in messages: an optional variable naming the file, else the label.
    const std::string* FileName = nullptr;
    std::string FileNameValue;
    // Registered keys in declaration order, and the position among them of the primary key (0
    // none); positions are taken by that key.
    std::vector<KeyEntry> Keys;
    uint8_t PrimaryKey = 0;
    // Message id of the last failure, raised by ReportLast.
    long LastError = 0;

    // Program-start set-up: names, buffer, registry; no driver call.
    void Setup();
    // Closes what is open, leaves the registry, releases the opener; does nothing unless the
    // manager was initialised and not yet shut down.
    void Shutdown();

    // Counts an open; opens the file physically at once unless LazyOpen. LevelQuiet when open,
    // else what the reported failure gave (Open) or LevelNotice (OpenQuiet).
    [[nodiscard]] Level Open();
    [[nodiscard]] Level OpenQuiet();
    // Counts one close down; the last closes the physical file. Always LevelQuiet.
    Level Close();
    // Makes the file usable for an operation of the given kind (0..3 registered uses, 3 keeps
    // the record at the final close, 4 unregistered, 5 preparation); LevelQuiet when usable.
    Level EnsureUsable(uint8_t kind);
    bool IsOpen() const { return Initialized && Opened > 0; }
    long OpenCount() const { return Opened; }
    // Whether the driver file is open (a counted lazy open is not, until first use).
    bool PhysicallyOpen() const { return Used; }
    bool IsShutDown() const { return Killed; }

    // Reads by the key fields in the buffer; GetByKey clears the buffer when there is no such
    // record. LevelQuiet when read, LevelNotice when not, LevelFatal when the file is unusable.
    Level GetByKey(int key);
    Level GetByKeyQuiet(int key);
    // Sequential reads; LevelNotice past either end (AtEnd is then true).
    Level Next();
    Level NextQuiet();
    Level Previous();
    Level PreviousQuiet();
    bool AtEnd() const { return AtEof; }
    // Clears the buffer (unless keepBuffer), fills defaults and numbers the record, which adds it.
    Level PrepareNewRecord(uint8_t keepBuffer = 0);
    // Numbers the record's auto-numbered keys and adds it; LevelQuiet when added.
    Level AutoNumber();
    Level AutoNumberQuiet();
    uint8_t AutoNumberDone() const { return AutoIncDone; }
    uint8_t HasAutoNumberKey() const { return HasAutoInc; }
    // Deletes the record auto-numbering added (through relations when given); LevelQuiet when
    // there was nothing to undo.
    Level UndoAutoNumber(RelationManager* relations = nullptr);
    // Adds the record (a numbered one is written with a put); LevelQuiet when written.
    [[nodiscard]] Level Insert();
    [[nodiscard]] Level InsertQuiet();
    // Adds the record with the numbers its auto-numbered keys already hold, without numbering
    // it; reports failures as Insert does, or shows nothing (as InsertQuiet) with report 0.
    [[nodiscard]] Level InsertAsNumbered(uint8_t report = 1);
    // Writes the record back; LevelNotice when another station changed it under watch (the
    // buffer then holds theirs), LevelQuestion when a check failed.
    [[nodiscard]] Level Update();
    [[nodiscard]] Level UpdateQuiet();
    // Writes the buffer back over the record it was read from, noticing a change another
    // station made meanwhile: the record is then read again, reapply lays the caller's own
    // changes over it and the write is tried again. A record deleted meanwhile stays deleted.
    // LevelQuiet when written or gone; LevelNotice when the write failed (noted as message 31,
    // not shown).
    [[nodiscard]] Level UpdateKeeping(const std::function<void()>& reapply);
    // UpdateQuiet for a form whose record image `original` (BufferSize bytes) is what it read.
    // When another station changed the record meanwhile, it is read again and the fields the
    // buffer changed since original are laid over it and written; the other station's fields
    // stay as stored. Only when a field changed on both sides is the save refused as UpdateQuiet
    // refuses it (message 7 noted, the other station's version in the buffer, LevelNotice).
    [[nodiscard]] Level UpdateMerging(const std::string& original);
    // Deletes the current record, asking first when askFirst is 1 (LevelDeclined on No); a
    // failure is noted as message 13, not shown, and gives LevelNotice.
    Level Delete(uint8_t askFirst);
    // Field checks; the failing field's number is stored on failure.
    Level CheckField(int field);
    Level CheckFieldQuiet(int field);
    Level CheckFieldRange(int first, int last, int& failingField);
    Level CheckRecord(int& failingField);
    // Record position and re-read (by the primary key when there is one, else by file).
    std::string CurrentPosition();
    Level RereadAt(const std::string& position);

    // Saves the buffer, BLOBs and null flags; returns the id of the record image.
    uint16_t TakeSnapshot();
    // Copies snapshot id back when restore is 1, frees it and sets id to 0.
    void RecallSnapshot(uint16_t& id, uint8_t restore);
    // 1 when the buffer (and its BLOBs) equal the snapshot id.
    uint8_t SnapshotUnchanged(uint16_t id);
    // The record image of snapshot id; "" when there is none.
    std::string SnapshotRecord(uint16_t id) const;
    // Saves buffer, driver state and position; returns the state's id (0 when the file is not
    // usable).
    uint16_t SaveFileState();
    void RestoreFileState(uint16_t& id, uint8_t restore);
    const std::vector<SavedBuffer>& SavedBuffers() const { return Buffers; }
    const std::vector<SavedFileState>& SavedStates() const { return Saved; }
    // Whether a BLOB was written since the record was last written.
    bool BlobWritten() const { return BlobChanged; }

    // Read-ahead for sequential reads: on/off and its size in records.
    void SetReadAhead(uint8_t on) { UseMrp = on; }
    uint8_t ReadAheadOn() const { return UseMrp; }
    void SetReadAheadSize(uint8_t size) { MrpSize = size; }
    uint8_t ReadAheadSize() const { return MrpSize; }

    // Key operations; key is the driver's key number.
    int KeyComponentCount(int key) const;
    std::string KeyComponentName(int key, int component) const;
    uint8_t KeyComponentAscending(int key, int component) const;
    FieldRef KeyComponentField(int key, int component) const;
    void SetKeyToLimit(int key, int first, int last, uint8_t high);
    std::string KeyOrderText(int key, int first = 1) const;
    // The registered entry of a driver key; null when it was not registered.
    const KeyEntry* FindKey(int key) const;

    // Messages: the file's name in them, noting a failure (the runtime's error is captured) and
    // raising it through the error manager, whose answer is the result.
    std::string DisplayName() const;
    void NoteError(long id);
    Level Report(long id);
    Level ReportLast();
    Level ReportWithText(long id, const std::string& text);

    // The driver's notifications: BLOB tracking, clean-up, and the hooks of the operation's group.
    bool OnOperationStart(int code, storage::OperationCall& call);
    bool OnOperationDone(int code, storage::OperationCall& call);
    // Whether the driver is in an operation for a view (the hooks are skipped meanwhile).
    bool InViewOperation() const { return InView; }
    // The physical file's opener, shared with every manager of the file.
    IFileOpenServer* OpenServer() const { return Opener; }

  protected:
    // Hooks for subclasses: field checks (handleErrors 1 shows the failure), and a before and an
    // after hook for each group of driver operations (record deletes, adds, puts and reads, and
    // file creation). A before-hook stops the operation by setting StopOperation.
    virtual Level CheckFieldCore(int field, uint8_t handleErrors);
    virtual bool BeforeDelete(storage::OperationCall& call);
    virtual bool AfterDelete(storage::OperationCall& call);
    virtual bool BeforeAdd(storage::OperationCall& call);
    virtual bool AfterAdd(storage::OperationCall& call);
    virtual bool BeforePut(storage::OperationCall& call);
    virtual bool AfterPut(storage::OperationCall& call);
    virtual bool BeforeRead(storage::OperationCall& call);
    virtual bool AfterRead(storage::OperationCall& call);
    virtual bool BeforeCreate(storage::OperationCall& call);
    virtual bool AfterCreate(storage::OperationCall& call);
    uint8_t StopOperation = 0;

  private:
    // Forwards the driver's notifications to the manager's own handlers.
    class CallbackInterface : public storage::OperationObserver {
      public:
        explicit CallbackInterface(FileManager& owner) : owner_(owner) {}
        bool OnOperationStart(storage::OperationCall& call) override;
        bool OnOperationDone(storage::OperationCall& call) override;

      private:
        FileManager& owner_;
    };

    // What one attempt of the physical open came to: opened, try again, the open fails
    // (message 29 follows), or an early end with the level a reported failure gave.
    struct OpenAttemptResult {
        enum Outcome : uint8_t { Opened, TryAgain, Fails, Ends } outcome;
        Level level = LevelQuiet;  // for Ends
    };

    // The first EnsureUsable: driver, opener, empty lists, observer, then the file's keys
    // registered in declaration order.
    void Initialise();
    void RegisterKey(const std::string& name, int key, uint8_t autoNumbered);
    Level OpenCore(uint8_t report, uint8_t force);
    Level PhysicalOpen(uint8_t report);
    OpenAttemptResult OpenAttempt(uint8_t report);
    void RegisterUsage(uint8_t kind);
    void CleanUp();
    Level ReadSequential(bool forward, uint8_t report);
    Level AutoNumberCore(uint8_t report);
    enum class KeyNumbering { Numbered, ReadFailed, UsedUp };
    KeyNumbering NumberKey(const KeyEntry& key);
    Level InsertCore(uint8_t report, bool number = true);
    Level UpdateCore(uint8_t report);
    void SetKeyNameFor(const KeyEntry& key);
    const KeyEntry* FirstDuplicateKey();
    int PositionKey() const;
    bool DispatchStart(int code, storage::OperationCall& call);
    bool DispatchDone(int code, storage::OperationCall& call);

    CallbackInterface FileCallbackInterface{*this};  // registered with the driver
    errors::ErrorManager* Errors = nullptr;          // receives this file's messages
    IFileOpenServer* Opener = nullptr;               // the physical file's opener
    // Life: initialised at first use, cleaned up and shut down once.
    uint8_t Initialized = 0;
    uint8_t CleanedUp = 0;
    uint8_t Killed = 0;
    // Opens: logical count, and whether the driver file is open.
    long Opened = 0;
    uint8_t Used = 0;
    // Reading: past the end, read-ahead on and its size, in a view's operation.
    uint8_t AtEof = 0;
    uint8_t UseMrp = 0;
    uint8_t MrpSize = 10;
    uint8_t InView = 0;
    // Numbering: some key is numbered; the record was numbered (so added) and awaits its put.
    uint8_t HasAutoInc = 0;
    uint8_t AutoIncDone = 0;
    // Snapshots and saved states, and a BLOB written since the last record write.
    std::vector<SavedBuffer> Buffers;
    std::vector<SavedFileState> Saved;
    uint8_t BlobChanged = 0;
};

}  // namespace tarn::data
