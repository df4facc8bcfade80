// The file manager's observer of driver operations and its validation hooks.
#include <cstring>

#include "DataTestSupport.h"
#include "platform/ui/Runtime.h"

namespace tarn::data::test {
namespace {

// Refuses writes through the before-put hook and records which hooks ran.
class HookedManager : public TestFileManager {
  public:
    using TestFileManager::TestFileManager;
    std::vector<std::string> hooks;
    bool stopPuts = false;
    int badField = 0;

    bool BeforePut(storage::OperationCall&) override {
        hooks.push_back("before put");
        if (stopPuts) StopOperation = 1;
        return true;
    }
    bool BeforeDelete(storage::OperationCall&) override {
        hooks.push_back(ui::WaitCursor() ? "delete waiting" : "delete");
        return true;
    }
    bool BeforeRead(storage::OperationCall&) override {
        hooks.push_back("before read");
        if (readInHook) {
            // A hook's own read of the file, as a lookup of a related value would be.
            ParentRecord& rec = *reinterpret_cast<ParentRecord*>(File->Buffer());
            rec.ID = 1;
            File->GetByKey(0);
        }
        return true;
    }
    bool AfterRead(storage::OperationCall&) override {
        hooks.push_back("after read");
        return true;
    }
    bool readInHook = false;
    Level CheckFieldCore(int field, uint8_t) override {
        return field == badField ? LevelNotice : LevelQuiet;
    }
};

class FileManagerHooks : public DataTest {
  protected:
    ParentRecord rec{};
    std::unique_ptr<SeamFile> file;
    std::unique_ptr<HookedManager> fm;

    void SetUp() override {
        DataTest::SetUp();
        file = MakeFile(ParentDesc(), &rec);
        fm = std::make_unique<HookedManager>(*file, errors_, std::vector<int>{});
        fm->Setup();
        ASSERT_EQ(fm->Open(), LevelQuiet);
        ASSERT_EQ(fm->EnsureUsable(2), LevelQuiet);
    }
    void TearDown() override {
        fm->Close();
        fm.reset();
        file.reset();
        DataTest::TearDown();
    }
};

TEST_F(FileManagerHooks, OperationsReachTheirGroupsHooks) {
    storage::OperationCall read{storage::OpNext};
    EXPECT_TRUE(fm->OnOperationDone(storage::OpNext, read));
    storage::OperationCall put{storage::OpPut};
    fm->stopPuts = true;
    EXPECT_TRUE(fm->OnOperationStart(storage::OpPut, put));
    EXPECT_TRUE(put.stop);  // the hook's stop reaches the driver's call
    EXPECT_EQ(fm->hooks, (std::vector<std::string>{"after read", "before put"}));
}

// A read through a real view runs the read hooks once; what the hooks themselves do with the file
// meanwhile runs none.
TEST_F(FileManagerHooks, ViewOperationsSkipTheHooksUntilTheyEnd) {
    for (int i = 1; i <= 2; ++i) {
        rec = {};
        rec.ID = i;
        std::snprintf(rec.Code, sizeof rec.Code, "c%d", i);
        ASSERT_EQ(fm->Insert(), LevelQuiet);
    }
    auto view = storage::MakeView(*file);
    view->SetOrder("-PAR:ID");
    ASSERT_EQ(view->Open(), 0);
    fm->hooks.clear();
    fm->readInHook = true;
    ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(rec.ID, 2);
    EXPECT_EQ(fm->hooks, (std::vector<std::string>{"before read", "after read"}));
    EXPECT_EQ(fm->InViewOperation(), 0);
    fm->readInHook = false;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    EXPECT_EQ(fm->hooks.back(), "after read");
}

TEST_F(FileManagerHooks, BlobWritesAreTrackedUntilTheRecordIsWritten) {
    storage::OperationCall blob{storage::OpBlobWrite};
    fm->OnOperationDone(storage::OpBlobWrite, blob);
    EXPECT_TRUE(fm->BlobWritten());
    uint16_t id = fm->TakeSnapshot();
    EXPECT_EQ(fm->SnapshotUnchanged(id), 0);
    storage::OperationCall put{storage::OpPut};
    fm->OnOperationDone(storage::OpPut, put);
    EXPECT_FALSE(fm->BlobWritten());
    EXPECT_EQ(fm->SnapshotUnchanged(id), 1);
    storage::OperationCall property{storage::OpSetProperty, false, false, 31894};
    fm->OnOperationDone(storage::OpSetProperty, property);
    EXPECT_TRUE(fm->BlobWritten());
}

TEST_F(FileManagerHooks, FailedValidationStopsInsertAndUpdate) {
    fm->badField = 3;
    int failing = 0;
    EXPECT_EQ(fm->CheckRecord(failing), LevelNotice);
    EXPECT_EQ(failing, 3);
    rec.ID = 1;
    EXPECT_EQ(fm->Insert(), LevelNotice);
    EXPECT_EQ(fm->Update(), LevelQuestion);
    fm->badField = 0;
    EXPECT_EQ(fm->Insert(), LevelQuiet);
    EXPECT_TRUE(Titles().empty());
}

TEST_F(FileManagerHooks, SavedStatesComeBackWithRecordAndPosition) {
    for (int i = 1; i <= 3; ++i) {
        rec = {};
        rec.ID = i;
        std::snprintf(rec.Code, sizeof rec.Code, "c%d", i);
        ASSERT_EQ(fm->Insert(), LevelQuiet);
    }
    file->SetToStart(0);
    ASSERT_EQ(fm->Next(), LevelQuiet);
    uint16_t state = fm->SaveFileState();
    ASSERT_NE(state, 0);
    rec.ID = 3;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    fm->RestoreFileState(state, 1);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(rec.ID, 1);
    ASSERT_EQ(fm->Next(), LevelQuiet);
    EXPECT_EQ(rec.ID, 2);
    EXPECT_TRUE(fm->SavedStates().empty());
    EXPECT_TRUE(fm->SavedBuffers().empty());
}

TEST_F(FileManagerHooks, RelationDeleteShowsTheWaitCursorMeanwhile) {
    rec = {};
    rec.ID = 1;
    ASSERT_EQ(fm->Insert(), LevelQuiet);
    RelationManager relate;
    relate.Attach(*fm, 1);
    fm->hooks.clear();
    ASSERT_EQ(relate.Delete(0), LevelQuiet);
    EXPECT_EQ(fm->hooks.back(), "delete waiting");
    EXPECT_FALSE(ui::WaitCursor());
    EXPECT_EQ(fm->GetByKeyQuiet(0), LevelNotice);
}

}  // namespace
}  // namespace tarn::data::test
