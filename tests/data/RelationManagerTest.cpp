// Changes and deletions through relation managers: related records cleared, restricted or
// cascaded, transactions rolled back on failure, drivers without transactions.
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <functional>

#include "DataTestSupport.h"

namespace tarn::data::test {
namespace {

class RelationTest : public DataTest {
  protected:
    ParentRecord par{};
    ChildRecord chi{};
    std::unique_ptr<SeamFile> parentFile;
    std::unique_ptr<SeamFile> childFile;
    std::unique_ptr<TestFileManager> parentFm;
    std::unique_ptr<TestFileManager> childFm;
    RelationManager parent;
    RelationManager child;

    void SetUp() override {
        DataTest::SetUp();
        parentFile = MakeFile(ParentDesc(), &par);
        childFile = MakeFile(ChildDesc(), &chi);
        parentFm = std::make_unique<TestFileManager>(*parentFile, errors_, std::vector<int>{});
        childFm = std::make_unique<TestFileManager>(*childFile, errors_, std::vector<int>{});
        parentFm->Setup();
        childFm->Setup();
        parent.Attach(*parentFm, 1);
        child.Attach(*childFm, 1);
        ASSERT_EQ(parent.Open(), LevelQuiet);
        ASSERT_EQ(child.Open(), LevelQuiet);
        AddParent(1, "one");
        AddParent(2, "two");
        AddChild(1, 1);
        AddChild(2, 1);
        AddChild(3, 1);
        AddChild(4, 2);
    }
    void TearDown() override {
        child.Close();
        parent.Close();
        parent.Shutdown();
        child.Shutdown();
        parentFm.reset();
        childFm.reset();
        DataTest::TearDown();
    }
    void Relate(uint8_t updateMode, uint8_t deleteMode) {
        parent.AddRelation(child, updateMode, deleteMode, 1);
        parent.AddRelationLink(RecordField(ParentDesc().fields[0], parentFm->Buffer),
                               RecordField(ChildDesc().fields[1], childFm->Buffer));
    }
    void AddParent(int id, const char* code) {
        par = {};
        par.ID = id;
        std::strcpy(par.Code, code);
        ASSERT_EQ(parentFm->Insert(), LevelQuiet);
    }
    void AddChild(int id, int parentId) {
        chi = {};
        chi.ID = id;
        chi.ParentID = parentId;
        ASSERT_EQ(childFm->Insert(), LevelQuiet);
    }
    // Reads parent id into the buffer and takes the linking snapshot, as a form does.
    void Load(int id) {
        par = {};
        par.ID = id;
        ASSERT_EQ(parentFm->GetByKey(0), LevelQuiet);
        parent.SnapshotLinks();
    }
    // ParentID of every child, in child id order; -1 for a missing child.
    std::vector<int> ChildLinks() {
        std::vector<int> links;
        for (int id = 1; id <= 4; ++id) {
            chi = {};
            chi.ID = id;
            links.push_back(childFm->GetByKeyQuiet(0) == LevelQuiet ? chi.ParentID : -1);
        }
        return links;
    }
    bool ParentExists(int id) {
        par = {};
        par.ID = id;
        return parentFm->GetByKeyQuiet(0) == LevelQuiet;
    }
    // Runs change in another process on parent record id, read through managers of its own,
    // with every file write of that process failing from then on (as on a full disk); answers
    // change's answer, which becomes the process's exit code.
    using Change = std::function<int(RelationManager&, ParentRecord&)>;
    int WithWritesFailing(int id, const Change& change) {
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            ParentRecord mine{};
            auto f = MakeFile(ParentDesc(), &mine);
            TestFileManager fm(*f, errors_, {});
            fm.Setup();
            RelationManager rm;
            rm.Attach(fm, 1);
            mine.ID = id;
            if (rm.Open() != LevelQuiet || fm.GetByKey(0) != LevelQuiet) _exit(100);
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit none{0, 0};
            if (setrlimit(RLIMIT_FSIZE, &none) != 0) _exit(101);
            _exit(change(rm, mine));
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(RelationTest, RestrictedDeleteChangesNothing) {
    Relate(RelationRestrict, RelationRestrict);
    Load(1);
    EXPECT_EQ(parent.Delete(0), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Referential Integrity Delete Error"});
    EXPECT_EQ(LastText(),
              "This record is referenced from the file Child. This record cannot be deleted "
              "while these references exist.");
    EXPECT_TRUE(ParentExists(1));
    EXPECT_EQ(ChildLinks(), (std::vector<int>{1, 1, 1, 2}));
}

TEST_F(RelationTest, RestrictedChangeIsRolledBackAndTheLinkReset) {
    Relate(RelationRestrict, RelationRestrict);
    Load(1);
    par.ID = 10;
    EXPECT_EQ(parent.Update(), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Referential Integrity Update Error"});
    EXPECT_EQ(par.ID, 1);  // the linking field is back to its old value
    EXPECT_FALSE(ParentExists(10));
    EXPECT_TRUE(ParentExists(1));
    EXPECT_EQ(ChildLinks(), (std::vector<int>{1, 1, 1, 2}));
}

TEST_F(RelationTest, ChangeOfAParentWithoutChildrenIsAllowed) {
    Relate(RelationRestrict, RelationRestrict);
    AddParent(3, "three");
    Load(3);
    par.ID = 30;
    EXPECT_EQ(parent.Update(), LevelQuiet);
    EXPECT_TRUE(ParentExists(30));
    EXPECT_TRUE(Titles().empty());
}

TEST_F(RelationTest, CascadeCarriesChangesAndDeletions) {
    Relate(RelationCascade, RelationCascade);
    Load(1);
    par.ID = 10;
    ASSERT_EQ(parent.Update(), LevelQuiet);
    EXPECT_EQ(ChildLinks(), (std::vector<int>{10, 10, 10, 2}));
    Load(10);
    ASSERT_EQ(parent.Delete(0), LevelQuiet);
    EXPECT_FALSE(ParentExists(10));
    EXPECT_EQ(ChildLinks(), (std::vector<int>{-1, -1, -1, 2}));
    EXPECT_TRUE(Titles().empty());
}

TEST_F(RelationTest, ClearEmptiesTheChildrensLinks) {
    Relate(RelationClear, RelationClear);
    Load(2);
    par.ID = 20;
    ASSERT_EQ(parent.Update(), LevelQuiet);
    EXPECT_EQ(ChildLinks(), (std::vector<int>{1, 1, 1, 0}));
    Load(1);
    ASSERT_EQ(parent.Delete(0), LevelQuiet);
    EXPECT_FALSE(ParentExists(1));
    EXPECT_EQ(ChildLinks(), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(RelationTest, FailedCascadeRollsTheWholeChangeBack) {
    Relate(RelationCascade, RelationCascade);
    Load(1);
    par.ID = 10;
    childFile->putAnswer = 90;
    EXPECT_EQ(parent.Update(), LevelNotice);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Record was not updated"});
    childFile->putAnswer = 0;
    EXPECT_TRUE(ParentExists(1));
    EXPECT_FALSE(ParentExists(10));
    EXPECT_EQ(ChildLinks(), (std::vector<int>{1, 1, 1, 2}));
}

TEST_F(RelationTest, DriverWithoutTransactionsSkipsThemForGood) {
    Relate(RelationCascade, RelationCascade);
    parentFile->transactionFlagAnswer = 80;
    Load(1);
    std::strcpy(par.Name, "changed");
    ASSERT_EQ(parent.Update(), LevelQuiet);
    EXPECT_EQ(parent.UseLogout, 0);
    int calls = parentFile->flagCalls;
    EXPECT_EQ(calls, 1);
    Load(1);
    EXPECT_STREQ(par.Name, "changed");
    par.ID = 10;
    ASSERT_EQ(parent.Update(), LevelQuiet);
    EXPECT_EQ(parentFile->flagCalls, calls);
    EXPECT_EQ(ChildLinks(), (std::vector<int>{10, 10, 10, 2}));
    EXPECT_TRUE(Titles().empty());
}

TEST_F(RelationTest, FormUpdateAfterAnotherProcessChangedTheRecord) {
    Load(2);
    parentFile->Watch();
    ASSERT_EQ(ChangeParentElsewhere(2, "theirs"), 0);

    std::strcpy(par.Name, "mine");
    EXPECT_EQ(parent.Update(1), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Record Was Not Updated"});
    EXPECT_NE(LastText().find("Use the Ditto Button or Ctrl+H to recall your changes."),
              std::string::npos);
    EXPECT_STREQ(par.Name, "theirs");

    // Rolled back: another process can write at once (an open transaction would hold it off).
    EXPECT_EQ(ChangeParentElsewhere(2, "theirs again", 1), 0);
}

TEST_F(RelationTest, FailedDeleteAsksToTryAgain) {
    Load(2);
    parentFile->deleteAnswers = {90};
    box_.Push(ButtonOk);   // "Record was not deleted"
    box_.Push(ButtonYes);  // try again
    EXPECT_EQ(parent.Delete(0), LevelQuiet);
    EXPECT_EQ(Titles(),
              (std::vector<std::string>{"Record was not deleted", "Record Delete Error"}));
    EXPECT_FALSE(ParentExists(2));

    Load(1);
    parentFile->deleteAnswers = {90};
    box_.Push(ButtonOk);
    box_.Push(ButtonNo);
    EXPECT_EQ(parent.Delete(0), LevelNotice);
    EXPECT_TRUE(ParentExists(1));
}

// The write reaches the disk only at the commit: a commit that fails loses the change, and the
// operator must be told so.
TEST_F(RelationTest, FailedCommitIsReportedAndChangesNothing) {
    int updated = WithWritesFailing(1, [&](RelationManager& rm, ParentRecord& mine) {
        std::strcpy(mine.Name, "lost");
        if (rm.Update() == LevelQuiet) return 1;
        if (Titles() != std::vector<std::string>{"Record was not updated"}) return 2;
        return LastText().find("making changes to the Parent file") == std::string::npos ? 3 : 0;
    });
    EXPECT_EQ(updated, 0);
    Load(1);
    EXPECT_STREQ(par.Name, "");

    int deleted = WithWritesFailing(2, [&](RelationManager& rm, ParentRecord&) {
        box_.Push(ButtonOk);  // "Record was not deleted"
        box_.Push(ButtonNo);  // do not try again
        if (rm.Delete(0) != LevelNotice) return 1;
        return Titles() == std::vector<std::string>{"Record was not deleted", "Record Delete Error"}
                   ? 0
                   : 2;
    });
    EXPECT_EQ(deleted, 0);
    EXPECT_TRUE(ParentExists(2));
    // Nothing is left locked or half-written: this process changes the record at once.
    Load(1);
    std::strcpy(par.Name, "kept");
    EXPECT_EQ(parent.Update(), LevelQuiet);
}

TEST_F(RelationTest, DeclinedDeleteTouchesNothing) {
    Relate(RelationCascade, RelationCascade);
    Load(1);
    box_.Push(ButtonNo);
    EXPECT_EQ(parent.Delete(1), LevelDeclined);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Confirm Delete"});
    EXPECT_TRUE(ParentExists(1));
    EXPECT_EQ(ChildLinks(), (std::vector<int>{1, 1, 1, 2}));
}

TEST_F(RelationTest, OpensAreCountedAcrossRelations) {
    Relate(RelationCascade, RelationCascade);
    long childOpens = childFm->OpenCount();
    ASSERT_EQ(parent.Open(), LevelQuiet);  // a second open, carried to the child
    EXPECT_EQ(parentFm->OpenCount(), 2);
    EXPECT_EQ(childFm->OpenCount(), childOpens + 1);
    parent.Close();
    EXPECT_EQ(parentFm->OpenCount(), 1);
    EXPECT_EQ(childFm->OpenCount(), childOpens);
    EXPECT_TRUE(parentFm->PhysicallyOpen());
    parent.Close();
    EXPECT_FALSE(parentFm->PhysicallyOpen());
    EXPECT_EQ(parentFile->closes, 1);
    ASSERT_EQ(parent.Open(), LevelQuiet);  // for TearDown's close
}

TEST_F(RelationTest, QuickScanReachesRelatedFiles) {
    Relate(RelationCascade, RelationCascade);
    parent.SetQuickScan(1, 3);
    EXPECT_EQ(parentFile->commands.back(), "QUICKSCAN=on");
    EXPECT_EQ(childFile->commands.back(), "QUICKSCAN=on");
    parent.SetQuickScan(0, 1);  // only lookups: the child is not one
    EXPECT_EQ(parentFile->commands.back(), "QUICKSCAN=off");
    EXPECT_EQ(childFile->commands.back(), "QUICKSCAN=on");
}

}  // namespace
}  // namespace tarn::data::test
