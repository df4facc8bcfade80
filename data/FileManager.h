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
    virtual ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // Forwards the driver's notifications to the manager's own handlers.
    class CallbackInterface : public storage::OperationObserver {
      public:
        explicit CallbackInterface(FileManager& owner) : owner_(owner) {}
        bool OnOperationStart(storage::OperationCall& call) override;
        bool OnOperationDone(storage::OperationCall& call) override;

      private:
        FileManager& owner_;
    };

    // ---- fields ----
    CallbackInterface FileCallbackInterface{*this};
    storage::RecordFile* AliasedFile = nullptr;
    uint8_t* Buffer = nullptr;
    uint32_t BufferSize = 0;
    std::vector<SavedBuffer> Buffers;
    uint8_t Create = 1;
    errors::ErrorManager* Errors = nullptr;
    std::vector<FieldRef> Fields;
    storage::RecordFile* File = nullptr;
    const std::string* FileName = nullptr;
    std::string FileNameValue;
    uint8_t HasAutoInc = 0;
    uint8_t InUseFile = 0;
    uint8_t InCallback = 0;
    uint8_t InClose = 0;
    uint8_t InRestore = 0;
    uint8_t InView = 0;
    uint8_t Used = 0;
    long Opened = 0;
    uint8_t AtEof = 0;
    uint8_t AutoIncDone = 0;
    long LastError = 0;
    uint8_t DoNotAssertOnCloseMisuse = 0;
    uint8_t LazyOpen = 1;
    int16_t LockRecover = 10;
    uint8_t OpenMode = 0x42;
    uint8_t OpenModeOverridden = 0;
    uint8_t PrimaryKey = 0;
    std::vector<SavedFileState> Saved;
    uint8_t SkipHeldRecords = 0;
    uint8_t CleanedUp = 0;
    std::vector<KeyEntry> Keys;
    uint8_t BlobChanged = 0;
    std::string PreviousBuffer;
    uint8_t SavePreviousBuffer = 0;
    uint8_t Initialized = 0;
    uint8_t Killed = 0;
    IFileOpenServer* Opener = nullptr;
    uint8_t UseMrp = 0;
    uint8_t MrpSize = 10;
    uint8_t StopOperation = 0;

    // ---- virtual operations, in slot order ----
    virtual bool OnOperationStart(int code, storage::OperationCall& call);
    virtual bool OnOperationDone(int code, storage::OperationCall& call);
    // Shutdown unless already killed; forgets the name variable.
    virtual void Destroy();
    // Makes the record's fields known to the expression evaluator (the views read the buffer
    // directly, so there is nothing to do here).
    virtual void ExposeFields();
    // Deletes the record auto-numbering added (through relations when given); LevelQuiet when
    // there was nothing to undo.
    virtual Level UndoAutoNumber(RelationManager* relations = nullptr);
    // Counts one close down; the last closes the physical file. Always LevelQuiet.
    virtual Level Close();
    // 1 when the buffer (and its BLOBs) equal the snapshot id.
    virtual uint8_t SnapshotUnchanged(uint16_t id);
    // Reads by the key fields in the buffer; clears the buffer when there is no such record.
    virtual Level GetByKey(int key);
    // Program-start set-up: names, buffer, registry. Subclasses add the global reference.
    virtual void Setup();
    // Full initialisation: driver, opener, empty lists, observer.
    virtual void Attach(storage::RecordFile& file, errors::ErrorManager& errors);
    virtual Level Insert();
    virtual void Shutdown();
    virtual Level Next();
    virtual Level Open();
    virtual Level Previous();
    virtual Level AutoNumber();
    virtual void FillDefaults();
    virtual Level PrepareNewRecord(uint8_t keepBuffer = 0);
    // Copies snapshot id back when restore is 1, frees it and sets id to 0.
    virtual void RecallSnapshot(uint16_t& id, uint8_t restore);
    // Saves the buffer, BLOBs and null flags; returns the id of the record image.
    virtual uint16_t TakeSnapshot();
    virtual Level Report(long id);
    virtual Level ReportLast();
    virtual Level ReportWithText(long id, const std::string& text);
    virtual Level GetByKeyQuiet(int key);
    virtual Level InsertQuiet();
    virtual Level NextQuiet();
    virtual Level OpenQuiet();
    virtual Level PreviousQuiet();
    virtual Level AutoNumberQuiet();
    virtual Level UpdateQuiet();
    virtual Level Update();
    // Makes the file usable for an operation of the given kind (0..3 registered uses, 3 keeps
    // the record at the final close, 4 unregistered, 5 preparation); LevelQuiet when usable.
    virtual Level EnsureUsable(uint8_t kind);
    virtual Level CheckField(int field);
    virtual Level CheckFieldQuiet(int field);
    virtual Level CheckFieldCore(int field, uint8_t handleErrors);
    virtual Level CheckFieldRange(int first, int last, int& failingField);
    virtual Level CheckRecord(int& failingField);
    virtual Level Delete(uint8_t askFirst);
    virtual Level DeleteVeto();
    virtual void SetReadAhead(uint8_t on);
    virtual uint8_t ReadAheadOn();
    virtual void SetReadAheadSize(uint8_t size);
    virtual uint8_t ReadAheadSize();
    virtual uint8_t AutoNumberDone();
    virtual uint8_t HasAutoNumberKey();
    virtual bool DispatchStart(int code, storage::OperationCall& call);
    virtual bool DispatchDone(int code, storage::OperationCall& call);
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

    // ---- non-virtual ----
    void RegisterKey(const std::string& name, int key, uint8_t autoNumbered);
    // Adds the record with the numbers its auto-numbered keys already hold, without numbering
    // it; reports failures as Insert does, or shows nothing (as InsertQuiet) with report 0.
    Level InsertAsNumbered(uint8_t report = 1);
    std::string DisplayName() const;
    void NoteError(long id);
    // Saves buffer, driver state and position; returns the state's id (0 when the file is not
    // usable).
    uint16_t SaveFileState();
    void RestoreFileState(uint16_t& id, uint8_t restore);
    bool IsOpen() const { return Initialized && Opened > 0; }
    bool AtEnd() const { return AtEof; }
    long OpenCount() const { return Opened; }

    // Record position and re-read (by the primary key when there is one, else by file).
    std::string CurrentPosition();
    Level RereadAt(const std::string& position);
    // Writes the buffer back over the record it was read from, noticing a change another
    // station made meanwhile: the record is then read again, reapply lays the caller's own
    // changes over it and the write is tried again. A record deleted meanwhile stays deleted.
    // LevelQuiet when written or gone; LevelNotice when the write failed (noted as message 31,
    // not shown).
    Level UpdateKeeping(const std::function<void()>& reapply);

    // Key operations; key is the driver's key number.
    int KeyComponentCount(int key) const;
    std::string KeyComponentName(int key, int component) const;
    uint8_t KeyComponentAscending(int key, int component) const;
    FieldRef KeyComponentField(int key, int component) const;
    void SetKeyToLimit(int key, int first, int last, uint8_t high);
    std::string KeyOrderText(int key, int first = 1) const;
    // The registered entry of a driver key; null when it was not registered.
    const KeyEntry* FindKey(int key) const;

  private:
    // The first EnsureUsable: Attach, then the file's keys registered in declaration order.
    void Initialise();
    Level OpenCore(uint8_t report, uint8_t force);
    Level PhysicalOpen(uint8_t report);
    Level OpenAttempt(uint8_t report, bool& retry);
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
    FileManager* AliasManager() const;
    Level PrepareThroughAlias(uint8_t keepBuffer);
};

}  // namespace tarn::data
