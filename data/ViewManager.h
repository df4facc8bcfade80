#pragma once
// ViewManager: reads the records of a view in a chosen sort order, within a range on the sort
// key and the named filters, asking AcceptRecord whether each record is wanted.
//
// Sort orders: NewSortOrder adds one based on a key (its order text is the key's), the entry in
// force is chosen with SelectSortOrder. Ranges and filters take effect at the next BuildFilter,
// which Open, Restart and RefreshRange run. The storage view reads its order and filter texts
// when it is opened, so Open reopens a view whose texts changed since; it reads the file as it
// is at each page, so a restart needs no reopening to see records changed meanwhile.
//
// Life: Attach -> sort orders added, one selected -> Open/Restart -> Next/Previous -> Close ->
// Shutdown. The browse and the process engine derive from this class; Shutdown and AcceptRecord
// are theirs to extend.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/FieldPairs.h"
#include "data/RelationManager.h"
#include "errors/Levels.h"
#include "platform/storage/RecordFile.h"

namespace tarn::data {

enum RangeType : uint8_t {
    RangeNone = 0,
    RangeFixed = 1,
    RangeFollowLast = 2,
    RangeBetween = 3,
    RangeFollowAll = 4,
};

struct NamedFilter {
    std::string Id;  // at most 30 bytes
    std::string Filter;
};

struct SortOrder {
    std::unique_ptr<std::vector<NamedFilter>> Filter;  // made on first use, kept sorted by Id
    FieldRef FreeElement;
    uint8_t LimitType = RangeNone;
    int MainKey = -1;   // the driver key; -1 when the order has none
    std::string Order;  // empty when there is none
    std::unique_ptr<FieldPairs> RangeList;
    // Storage of the range values (the right members of RangeList).
    std::vector<std::unique_ptr<uint8_t[]>> RangeValues;
};

struct SortOrderList {
    std::vector<SortOrder> Entries;
    int Current = 0;  // index of the order in force
};

struct SavedSnapshot {
    uint16_t Buff = 0;
    FileManager* Fm = nullptr;
};

class ViewManager {
  public:
    ViewManager() = default;
    virtual ~ViewManager();
    ViewManager(const ViewManager&) = delete;
    ViewManager& operator=(const ViewManager&) = delete;

    // Sort orders: the list (its Current entry is in force), the primary file's relations (its
    // file manager raises this manager's messages) and the driver view.
    SortOrderList* Order = nullptr;
    RelationManager* Primary = nullptr;
    storage::View* View = nullptr;
    // Page buffer the browse passes on to the view: pages kept behind and read ahead, time-out.
    uint16_t PagesAhead = 0;
    uint16_t PagesBehind = 2;
    uint16_t Timeout = 60;
    // Record snapshots of the view's files (TakeSnapshots / RecallSnapshots).
    std::vector<SavedSnapshot> SavedBuffers;
    // Life: attached, shut down.
    uint8_t Inited = 0;
    uint8_t Killed = 0;

    void Attach(storage::View& view, RelationManager& primary, SortOrderList* list = nullptr);
    // Shuts down when attached and not yet shut down.
    void Destroy();
    // Frees the sort orders, closes the view and the files it held open; the browse and the
    // process engine add their own clean-up.
    virtual void Shutdown();

    // ---- sort orders ----
    // Adds a sort order on key (-1 for none) and makes it the one in force; returns its number.
    int NewSortOrder(int key);
    // Makes order number (0 counts as 1) the one in force; 1 when it changed.
    uint8_t SelectSortOrder(int number);
    // The sort order in force (a new one is made when there is none).
    SortOrder& CurrentOrder();
    void SetOrder(const std::string& text);
    void ExtendOrder(const std::string& text);
    // The view's order text := the order in force's.
    void PushOrder();
    uint8_t FieldAscendingInOrder(const FieldRef& field) const;
    // The first key component the range leaves open (0 none), its name and direction.
    uint8_t OpenComponentNumber();
    std::string OpenComponentName();
    uint8_t OpenComponentAscending();

    // ---- ranges and filters ----
    // Adds a range pair to the order in force: source is followed, its value taken now.
    void AddRange(const FieldRef& source);
    // 1 when a range value followed its source (the filter was rebuilt).
    uint8_t RefreshRange();
    void SetFilter(const std::string& text);
    void SetNamedFilter(const std::string& text, const std::string& id);
    // Sets the view's filter from the range in force and the named filters.
    void BuildFilter();
    // The filter text BuildFilter would set now.
    std::string FilterText();

    // ---- reading ----
    void Open();
    // Opens the view and sets it to its start (components 0), or to where the record buffer's
    // values of the order's first components begin.
    void Restart(int components);
    void Restart();
    // Opens the view as Restart does and sets it to the record at position (as the view's
    // Position gave it), so that Next and Previous both read that record first. LevelNotice
    // without a message when no record is there any more (the caller restarts elsewhere);
    // another failure raises 46 and gives its level, or LevelNotice when that is quiet.
    Level RestartAt(const std::string& position);
    // The next (previous) record AcceptRecord wants: LevelNotice at the end or out of range,
    // LevelFatal after a reported read error.
    Level Next();
    Level Previous();
    // 0: wanted; 1: out of range (reading stops); any other value: filtered out.
    virtual uint8_t AcceptRecord();
    void Close();
    void CloseForced(uint8_t force);

    // ---- record buffers ----
    // A blank record inside the range in force, prepared by the primary file manager.
    Level PrepareNewRecord(uint8_t keepBuffers = 0);
    void ClearRecordBuffers();
    void TakeSnapshots();
    void RecallSnapshots();

  private:
    std::vector<FileManager*> ViewFiles() const;
    std::string RangeText(SortOrder& order);
    std::string RangeValueText(SortOrder& order, int pair, int component);
    int OpenView();
    // Reads on until AcceptRecord wants a record or says the range has ended.
    Level Read(bool forward);
    void RaiseViewError();

    uint8_t DisposeOrder = 0;  // the order list is this manager's own
    uint8_t Opened = 0;        // this manager opened the view
    uint8_t Used = 0;          // the view's files are held open through their relations
    uint16_t PageSize = 20;    // records per page
    // The texts the view was opened with: a change reopens it.
    std::string openedOrder_;
    std::string openedFilter_;
};

}  // namespace tarn::data
