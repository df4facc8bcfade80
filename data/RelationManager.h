#pragma once
// RelationManager: opens a file together with its related files, frames changes and deletions
// in a driver transaction, and carries a change or deletion over to related records (clear,
// restrict or cascade).
//
// Propagation: each top-level Open, Close or SetQuickScan starts a new pass of the thread's pass
// counter; a manager reached again within the same pass (LastTouched) stops, so cycles of
// relations end.
//
// Transactions: UseLogout 1 frames Update and Delete (and Insert when UseLogoutOnInsert) in a
// transaction over the file and the related files the change may touch. A driver answering 80
// to the transaction flag switches UseLogout off for good.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "data/FieldPairs.h"
#include "data/FileManager.h"
#include "errors/Levels.h"

namespace tarn::data {

// Modes of a relation for a change of the linking fields and for a deletion.
enum RelationMode : uint8_t {
    RelationNone = 0,
    RelationClear = 1,
    RelationRestrict = 2,
    RelationCascade = 3
};

class RelationManager {
  public:
    struct Relation {
        RelationManager* File = nullptr;
        // Left: this file's linking field; right: the related file's; buffer: snapshot of left.
        std::unique_ptr<BufferedPairs> Fields;
        int HisKey = -1;  // the related file's key led by the linking fields; -1 when none
        // What a change of the linking fields, and a deletion, do to the related records.
        uint8_t UpdateMode = RelationNone;
        uint8_t DeleteMode = RelationNone;
        uint8_t Opened = 0;  // opens of the related file this relation made
    };

    RelationManager() = default;
    virtual ~RelationManager();
    RelationManager(const RelationManager&) = delete;
    RelationManager& operator=(const RelationManager&) = delete;

    // The file this manager stands for.
    FileManager* Me = nullptr;
    // Transactions: changes and deletions are framed (cleared for good when the driver has no
    // transactions), inserts too, and the seconds a transaction may wait to begin.
    uint8_t UseLogout = 0;
    uint8_t UseLogoutOnInsert = 0;
    uint8_t LogoutTimeout = 2;

    // Program start: the file manager this one stands for; useTransactions sets UseLogout.
    void Attach(FileManager& file, uint8_t useTransactions);
    // Leaves the registry and forgets the relations.
    void Shutdown();
    // Declares a relation to related; returns it so the caller can add its links.
    Relation& AddRelation(RelationManager& related, uint8_t updateMode, uint8_t deleteMode,
                          int hisKey);
    // Adds a linking field pair to the last declared relation.
    void AddRelationLink(const FieldRef& mine, const FieldRef& his);

    // Opens the file and, carried on, its related files; a top-level open makes the file usable
    // at once. LevelQuiet when open.
    [[nodiscard]] Level Open(uint8_t propagated = 0);
    void Close(uint8_t propagated = 0);
    // Switches the driver's quick scan on or off, for related files too by scope.
    void SetQuickScan(uint8_t on, uint8_t scope = 0);
    // Every relation's snapshot takes the current values of this file's linking fields.
    void SnapshotLinks();

    // The file manager's Insert, in a transaction when UseLogoutOnInsert. LevelQuiet when added.
    [[nodiscard]] Level Insert();
    // Writes the record and carries changed links over, in a transaction; fromForm turns
    // "changed by another station" into message 8. With the form's original record image, a
    // change by another station is kept where it touched other fields than the form's
    // (FileManager::UpdateMerging). LevelQuiet when written and committed. Virtual as the seam
    // where the form tests make a write fail.
    [[nodiscard]] virtual Level Update(uint8_t fromForm = 0, const std::string* original = nullptr);
    // Deletes the current record and handles its related records, asking first when askFirst
    // is 1; a failure asks whether to try again. LevelQuiet when deleted and committed. With
    // `guarded` (0-based field numbers), the delete is refused when the record as stored differs
    // from the buffer in one of those fields: another station changed what the operator confirmed
    // deleting ("Record was not deleted" is shown, the buffer holds the stored record, LevelNotice,
    // no retry). Other fields, such as stamps, may change meanwhile.
    Level Delete(uint8_t askFirst = 1, const std::vector<int>* guarded = nullptr);
    Level UndoAutoNumber();
    // Run on a related file's manager for a change of the linking fields in the pairs' file.
    Level UpdateChildren(int key, BufferedPairs& pairs, uint8_t mode);
    // Run on a related file's manager for a deletion in the file the pairs come from.
    Level DeleteChildren(int key, BufferedPairs& pairs, uint8_t mode, uint8_t ask);

  private:
    enum FrameKind { FrameInsert, FrameUpdate, FrameDelete };

    Level OpenWorker(uint8_t propagated);
    Level ForcedOpen();
    // Sets the transaction flag on this file and, by the mode, on related files; collects them.
    Level PrepareTransaction(int kind, std::vector<storage::RecordFile*>& files);
    Level BeginFramed(int kind, std::vector<storage::RecordFile*>& files, bool& framed);
    // Forced open, then BeginFramed; closes again on failure.
    Level OpenFramed(int kind, std::vector<storage::RecordFile*>& files, bool& framed);
    Level ChangeFailed(Level result);
    // Commits (commit set) or rolls back a framed change. A commit that fails is rolled back and
    // noted as message failedId; answers false then, and the caller reports it.
    [[nodiscard]] bool EndFramed(bool framed, bool commit,
                                 const std::vector<storage::RecordFile*>& files, long failedId);
    Level UpdateRelated();
    Level DeleteRelated();
    // One delete from the re-read on; retry is set when the delete itself failed.
    Level DeleteOnce(bool& retry, const std::vector<int>* guarded);
    // True when the re-read record differs from `confirmed` in a guarded field.
    bool ChangedSinceConfirmed(const std::string& confirmed, const std::vector<int>* guarded) const;
    // Walks the related records of this file whose linking fields equal the pairs' values.
    // perRecord sets moved when it changed or deleted the record, so the walk starts afresh.
    Level WalkChildren(int key, BufferedPairs& pairs, bool oldValues,
                       const std::function<Level(bool& moved)>& perRecord);
    Level WriteChild();
    void AbortFramed();

    std::vector<Relation> Relations;
    // Propagation: the pass that last reached this manager, forcing opens onto related files.
    long LastTouched = 0;
    uint8_t ForcingOpen = 0;
};

// The calling thread's pass counter.
long& RelationPass();

}  // namespace tarn::data
