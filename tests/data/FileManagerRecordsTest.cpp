// Record operations through the file manager: numbering, insert, update under watch, delete,
// sequential reads and the key operations.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "DataTestSupport.h"

namespace tarn::data::test {
namespace {

class FileManagerRecords : public DataTest {
  protected:
    ParentRecord rec{};
    std::unique_ptr<SeamFile> file;
    std::unique_ptr<TestFileManager> fm;

    void SetUp() override {
        DataTest::SetUp();
        Use({0});
    }
    void TearDown() override {
        if (fm) fm->Close();
        fm.reset();
        file.reset();
        DataTest::TearDown();
    }
    // A fresh manager on the Parent file with the given auto-numbered keys, opened.
    void Use(std::vector<int> autoKeys) {
        if (fm) fm->Close();
        fm.reset();
        file = MakeFile(ParentDesc(), &rec);
        fm = std::make_unique<TestFileManager>(*file, errors_, autoKeys);
        fm->Setup();
        ASSERT_EQ(fm->Open(), LevelQuiet);
        ASSERT_EQ(fm->EnsureUsable(2), LevelQuiet);
    }
    void Put(int id, const std::string& code, const std::string& name = "") {
        rec = {};
        rec.ID = id;
        std::strcpy(rec.Code, code.c_str());
        std::strcpy(rec.Name, name.c_str());
        ASSERT_EQ(file->Add(), 0);
    }
    Level NumberNew(const std::string& code) {
        rec = {};
        std::strcpy(rec.Code, code.c_str());
        return fm->PrepareNewRecord(1);
    }
};

TEST_F(FileManagerRecords, NumberingStartsAtOneAndFollowsTheHighest) {
    ASSERT_EQ(NumberNew("a"), LevelQuiet);
    EXPECT_EQ(rec.ID, 1);
    EXPECT_EQ(fm->AutoNumberDone(), 1);
    ASSERT_EQ(fm->Insert(), LevelQuiet);  // the numbered record is written with a put
    EXPECT_EQ(fm->AutoNumberDone(), 0);
    Put(2, "b");
    Put(7, "c");
    ASSERT_EQ(NumberNew("d"), LevelQuiet);
    EXPECT_EQ(rec.ID, 8);
    std::strcpy(rec.Name, "written later");
    ASSERT_EQ(fm->Insert(), LevelQuiet);
    rec = {};
    rec.ID = 8;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    EXPECT_STREQ(rec.Name, "written later");
    EXPECT_TRUE(Titles().empty());
}

TEST_F(FileManagerRecords, TwoComponentKeyNumbersWithinItsGroup) {
    GroupRecord g{};
    auto gfile = MakeFile(GroupDesc(), &g);
    TestFileManager gm(*gfile, errors_, {0});
    gm.Setup();
    ASSERT_EQ(gm.Open(), LevelQuiet);
    auto add = [&](int grp, const char* text) {
        g = {};
        g.Grp = grp;
        std::strcpy(g.Text, text);
        EXPECT_EQ(gm.Insert(), LevelQuiet);
        return g.Number;
    };
    EXPECT_EQ(add(2, "x"), 1);
    EXPECT_EQ(add(2, "y"), 2);
    EXPECT_EQ(add(5, "z"), 1);  // a group of its own, though group 2 has higher numbers
    EXPECT_EQ(add(1, "w"), 1);  // a group below every other
    EXPECT_EQ(add(2, "v"), 3);
    EXPECT_STREQ(g.Text, "v");
    gm.Close();
}

TEST_F(FileManagerRecords, TwoProcessesNumberingAtOnceGetDifferentNumbers) {
    Put(1, "first");
    // Another process takes number 2 between this one's reading and its adding.
    file->beforeAdd = [&] {
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            ParentRecord other{};
            auto f = MakeFile(ParentDesc(), &other);
            other.ID = 2;
            std::strcpy(other.Code, "theirs");
            _exit(f->Open() == 0 && f->Add() == 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };
    file->adds = 0;
    ASSERT_EQ(NumberNew("mine"), LevelQuiet);
    EXPECT_EQ(file->adds, 2);  // the add that collided, then the add with a fresh number
    EXPECT_EQ(rec.ID, 3);
    EXPECT_TRUE(Titles().empty());
    ASSERT_EQ(fm->Insert(), LevelQuiet);
    rec = {};
    rec.ID = 2;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    EXPECT_STREQ(rec.Code, "theirs");
    rec.ID = 3;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    EXPECT_STREQ(rec.Code, "mine");
}

TEST_F(FileManagerRecords, DuplicateInsertNamesTheKeyOrStaysQuiet) {
    Use({});
    Put(1, "same");
    rec = {};
    rec.ID = 2;
    std::strcpy(rec.Code, "SAME");  // the code key ignores case
    EXPECT_EQ(fm->Insert(), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Duplicate Key Error"});
    EXPECT_EQ(LastText(), "Adding this record creates a duplicate entry for the key: PAR:KeyCode");
    EXPECT_EQ(errors_.Status().keyName, "PAR:KeyCode");
    EXPECT_EQ(rec.ID, 2);  // the caller's values stay

    EXPECT_EQ(fm->InsertQuiet(), LevelNotice);
    EXPECT_EQ(Titles().size(), 1u);
    EXPECT_EQ(fm->LastError, MsgDuplicateEntry);
}

TEST_F(FileManagerRecords, NumberingThatKeepsFailingAsksToTryAgain) {
    Put(1, "taken");
    box_.Push(ButtonNo);
    rec = {};
    std::strcpy(rec.Code, "taken");
    EXPECT_EQ(fm->Insert(), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Auto Increment Error"});
    EXPECT_EQ(LastText(),
              "Attempts to automatically number this record have failed.|File: Parent|Key: "
              "PAR:KeyCode|Error: " +
                  platform::ErrorCodeText(40) + " (40).|Try Again?");
    EXPECT_EQ(fm->AutoNumberQuiet(), LevelNotice);
    EXPECT_EQ(Titles().size(), 1u);
}

TEST_F(FileManagerRecords, NumberingPastTheHighestNumberFailsAsNumbering) {
    Put(INT32_MAX, "last");
    box_.Push(ButtonNo);
    EXPECT_EQ(NumberNew("beyond"), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Auto Increment Error"});
    EXPECT_EQ(LastText(),
              "Attempts to automatically number this record have failed.|File: Parent|Key: "
              "PAR:KeyID|Error: " +
                  std::string(std::strerror(ERANGE)) + " (" + std::to_string(ERANGE) +
                  ").|Try Again?");
    EXPECT_EQ(fm->AutoNumberDone(), 0);
    EXPECT_EQ(file->adds, 1);  // only the record put in above
    EXPECT_EQ(fm->AutoNumberQuiet(), LevelNotice);
    EXPECT_EQ(Titles().size(), 1u);
}

TEST_F(FileManagerRecords, UpdateAfterAnotherProcessChangedTheRecord) {
    Put(1, "k", "original");
    rec = {};
    rec.ID = 1;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    file->Watch();
    ASSERT_EQ(ChangeParentElsewhere(1, "theirs"), 0);

    std::strcpy(rec.Name, "mine");
    EXPECT_EQ(fm->Update(), LevelNotice);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Record Was Not Updated"});
    EXPECT_EQ(LastText(), "This record was changed by another station.");
    EXPECT_STREQ(rec.Name, "theirs");
    std::strcpy(rec.Name, "mine again");
    EXPECT_EQ(fm->Update(), LevelQuiet);
    rec = {};
    rec.ID = 1;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    EXPECT_STREQ(rec.Name, "mine again");
}

TEST_F(FileManagerRecords, SequentialReadsStopAtTheEnd) {
    Put(1, "a");
    Put(2, "b");
    file->SetToStart(0);
    EXPECT_EQ(fm->Next(), LevelQuiet);
    EXPECT_EQ(fm->Next(), LevelQuiet);
    EXPECT_EQ(fm->AtEnd(), false);
    EXPECT_EQ(fm->Next(), LevelNotice);
    EXPECT_TRUE(fm->AtEnd());
    EXPECT_EQ(fm->Previous(), LevelQuiet);
    EXPECT_FALSE(fm->AtEnd());
    EXPECT_TRUE(Titles().empty());
}

TEST_F(FileManagerRecords, FailedFetchClearsTheBuffer) {
    Put(1, "a", "name");
    rec.ID = 9;
    std::strcpy(rec.Name, "kept?");
    EXPECT_EQ(fm->GetByKeyQuiet(0), LevelNotice);
    EXPECT_STREQ(rec.Name, "kept?");
    EXPECT_EQ(fm->GetByKey(0), LevelNotice);
    EXPECT_EQ(rec.ID, 0);
    EXPECT_STREQ(rec.Name, "");
}

TEST_F(FileManagerRecords, DeleteAsksFirstAndNoKeepsTheRecord) {
    Put(1, "a");
    rec.ID = 1;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    box_.Push(ButtonNo);
    EXPECT_EQ(fm->Delete(1), LevelDeclined);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Confirm Delete"});
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    box_.Push(ButtonYes);
    EXPECT_EQ(fm->Delete(1), LevelQuiet);
    EXPECT_EQ(fm->GetByKey(0), LevelNotice);
}

TEST_F(FileManagerRecords, FailedDeleteIsNotedNotShown) {
    Put(1, "a");
    rec.ID = 1;
    ASSERT_EQ(fm->GetByKey(0), LevelQuiet);
    file->deleteAnswers = {90};
    EXPECT_EQ(fm->Delete(0), LevelNotice);
    EXPECT_EQ(fm->LastError, MsgDeleteError);
    EXPECT_TRUE(Titles().empty());
}

TEST_F(FileManagerRecords, UndoAutoNumberRemovesTheNumberedRecord) {
    ASSERT_EQ(NumberNew("gone"), LevelQuiet);
    int id = rec.ID;
    EXPECT_EQ(fm->UndoAutoNumber(), LevelQuiet);
    EXPECT_EQ(fm->AutoNumberDone(), 0);
    rec.ID = id;
    EXPECT_EQ(fm->GetByKeyQuiet(0), LevelNotice);
    EXPECT_EQ(fm->UndoAutoNumber(), LevelQuiet);  // nothing left to undo
}

TEST_F(FileManagerRecords, UndoThroughTheRelationManagerDeletesTheNumberedRecord) {
    RelationManager relate;
    relate.Attach(*fm, 1);
    ASSERT_EQ(NumberNew("undone"), LevelQuiet);
    int id = rec.ID;
    EXPECT_EQ(relate.UndoAutoNumber(), LevelQuiet);
    EXPECT_EQ(fm->AutoNumberDone(), 0);
    rec.ID = id;
    EXPECT_EQ(fm->GetByKeyQuiet(0), LevelNotice);
    EXPECT_TRUE(Titles().empty());  // the user is not asked
}

TEST_F(FileManagerRecords, KeyOrderTextsAndLimits) {
    EXPECT_EQ(fm->KeyOrderText(0), "PAR:ID");
    EXPECT_EQ(fm->KeyOrderText(1), "UPPER(PAR:Code)");
    EXPECT_EQ(fm->KeyComponentName(1, 1), "UPPER(PAR:Code)");
    EXPECT_EQ(fm->KeyComponentCount(1), 1);

    storage::FileDesc desc = GroupDesc();
    desc.keys[0].components[1].ascending = false;
    GroupRecord g{};
    auto gfile = MakeFile(desc, &g, "Desc");
    TestFileManager gm(*gfile, errors_, {});
    gm.Setup();
    ASSERT_EQ(gm.Open(), LevelQuiet);
    gm.EnsureUsable(2);
    EXPECT_EQ(gm.KeyOrderText(0), "GRP:Grp,-GRP:Number");
    EXPECT_EQ(gm.KeyOrderText(0, 2), "-GRP:Number");
    EXPECT_EQ(gm.KeyComponentAscending(0, 2), 0);
    gm.SetKeyToLimit(0, 1, 2, 0);
    EXPECT_EQ(g.Grp, INT32_MIN);
    EXPECT_EQ(g.Number, INT32_MAX);  // descending: the highest value sorts first
    gm.SetKeyToLimit(0, 2, 9, 1);
    EXPECT_EQ(g.Grp, INT32_MIN);
    EXPECT_EQ(g.Number, INT32_MIN);
    gm.KeyComponentField(0, 1).SetNumber(4);
    EXPECT_EQ(g.Grp, 4);
    gm.Close();
}

}  // namespace
}  // namespace tarn::data::test
