#pragma once
// Shared pieces of the data manager tests: a temporary folder, test file declarations with their
// packed records, a file manager for them, an error manager that records instead of ending the
// program, and a driver seam that counts calls and can answer chosen codes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/FileManager.h"
#include "data/FileRegistry.h"
#include "data/RelationManager.h"
#include "errors/ErrorManager.h"
#include "platform/storage/RecordFile.h"
#include "platform/system/LastError.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestFolder.h"

namespace tarn::data::test {

using storage::FieldKind;

#pragma pack(push, 1)
struct ParentRecord {
    int32_t ID;
    char Code[20];
    char Name[40];
};
struct ChildRecord {
    int32_t ID;
    int32_t ParentID;
    char Note[40];
};
struct GroupRecord {
    int32_t Grp;
    int32_t Number;
    char Text[10];
};
#pragma pack(pop)

// Parent: PAR:KeyID (primary, auto-numbered), PAR:KeyCode (unique, case-insensitive).
inline const storage::FileDesc& ParentDesc() {
    static const storage::FileDesc desc = [] {
        storage::FileDesc d;
        d.label = "Parent";
        d.prefix = "PAR";
        d.name = "Parent";
        d.driver = "KEYED";
        d.recordSize = sizeof(ParentRecord);
        d.fields = {{"PAR:ID", FieldKind::Long, 0, 4},
                    {"PAR:Code", FieldKind::CString, 4, 20},
                    {"PAR:Name", FieldKind::CString, 24, 40}};
        d.keys = {{"PAR:KeyID", {{1, true}}, false, false, true},
                  {"PAR:KeyCode", {{2, true}}, false, true, false}};
        d.blobs = {{"PAR:Notes"}};
        return d;
    }();
    return desc;
}

// Child: CHI:KeyID (primary, auto-numbered), CHI:KeyParent (ParentID, ID).
inline const storage::FileDesc& ChildDesc() {
    static const storage::FileDesc desc = [] {
        storage::FileDesc d;
        d.label = "Child";
        d.prefix = "CHI";
        d.name = "Child";
        d.driver = "KEYED";
        d.recordSize = sizeof(ChildRecord);
        d.fields = {{"CHI:ID", FieldKind::Long, 0, 4},
                    {"CHI:ParentID", FieldKind::Long, 4, 4},
                    {"CHI:Note", FieldKind::CString, 8, 40}};
        d.keys = {{"CHI:KeyID", {{1, true}}, false, false, true},
                  {"CHI:KeyParent", {{2, true}, {1, true}}, false, false, false}};
        return d;
    }();
    return desc;
}

// Group: GRP:KeyGroupNumber (Grp, Number), numbered within the group.
inline const storage::FileDesc& GroupDesc() {
    static const storage::FileDesc desc = [] {
        storage::FileDesc d;
        d.label = "Group";
        d.prefix = "GRP";
        d.name = "Group";
        d.driver = "KEYED";
        d.recordSize = sizeof(GroupRecord);
        d.fields = {{"GRP:Grp", FieldKind::Long, 0, 4},
                    {"GRP:Number", FieldKind::Long, 4, 4},
                    {"GRP:Text", FieldKind::CString, 8, 10}};
        d.keys = {{"GRP:KeyGroupNumber", {{1, true}, {2, true}}, false, false, true}};
        return d;
    }();
    return desc;
}

// Shows fatal messages without ending the test program.
class RecordingErrors : public errors::ErrorManager {
  public:
    Level OnFatal() override {
        ShowMessage(SubstitutedText(), Status().errorBuffer.title, IconExclamation, ButtonOk,
                    ButtonOk, MsgStyle());
        return LevelFatal;
    }
};

// The declaration a seam file serves, its own copy so that a test can choose which keys are
// numbered automatically.
struct OwnDeclaration {
    storage::FileDesc own;
};

// A driver seam: forwards to a real driver, counts opens and closes and can answer chosen codes
// instead of the driver.
class SeamFile : private OwnDeclaration, public storage::RecordFile {
  public:
    SeamFile(const storage::FileDesc& desc, uint8_t* buffer)
        : OwnDeclaration{desc},
          RecordFile(own, buffer),
          inner_(storage::MakeRecordFile(own, buffer)) {}

    // Only the keys in autoKeys are numbered automatically (before the manager's first use).
    void NumberKeys(const std::vector<int>& autoKeys) {
        for (int k = 0; k < static_cast<int>(own.keys.size()); ++k)
            own.keys[k].autoNumber =
                std::find(autoKeys.begin(), autoKeys.end(), k) != autoKeys.end();
    }

    storage::RecordFile& Inner() {
        inner_->SetObserver(Observer());
        inner_->SetName(Name());
        return *inner_;
    }

    int opens = 0;
    int closes = 0;
    std::vector<int> openAnswers;  // answered (and used up) before the real open
    std::vector<std::string> commands;
    int transactionFlagAnswer = 0;   // 0: forward
    int putAnswer = 0;               // 0: forward
    std::vector<int> deleteAnswers;  // answered (and used up) instead of deleting
    int flagCalls = 0;
    int adds = 0;
    std::function<void()> beforeAdd;  // run (once) before the next add reaches the driver

    int Open(uint8_t mode = 0x42) override {
        if (!openAnswers.empty()) {
            int code = openAnswers.front();
            openAnswers.erase(openAnswers.begin());
            if (code != 0) {
                platform::SetLastError(code, Name());
                return code;
            }
        }
        ++opens;
        lastMode = mode;
        return Inner().Open(mode);
    }
    uint8_t lastMode = 0;
    int Close() override {
        ++closes;
        return Inner().Close();
    }
    bool IsOpen() const override { return inner_->IsOpen(); }
    int Create() override { return Inner().Create(); }
    int BuildKeys() override { return Inner().BuildKeys(); }
    std::string SendCommand(std::string_view command) override {
        commands.emplace_back(command);
        return Inner().SendCommand(command);
    }
    void ClearBuffer(bool high) override { Inner().ClearBuffer(high); }
    int GetByKey(int key) override { return Inner().GetByKey(key); }
    int Reget(std::string_view position, int key) override { return Inner().Reget(position, key); }
    void GetRecordZero() override { Inner().GetRecordZero(); }
    int SetToStart(int key) override { return Inner().SetToStart(key); }
    int SetToKey(int key) override { return Inner().SetToKey(key); }
    int ResetTo(std::string_view position, int key) override {
        return Inner().ResetTo(position, key);
    }
    int Next() override { return Inner().Next(); }
    int Previous() override { return Inner().Previous(); }
    std::string Position(int key) const override { return inner_->Position(key); }
    int Add() override {
        ++adds;
        if (beforeAdd) std::exchange(beforeAdd, nullptr)();
        return Inner().Add();
    }
    int Put() override { return putAnswer ? Answer(putAnswer) : Inner().Put(); }
    int Delete() override {
        if (deleteAnswers.empty()) return Inner().Delete();
        int code = deleteAnswers.front();
        deleteAnswers.erase(deleteAnswers.begin());
        return Answer(code);
    }
    bool Duplicate(int key) override { return Inner().Duplicate(key); }
    void Watch() override { Inner().Watch(); }
    int SaveState() override { return Inner().SaveState(); }
    void RestoreState(int state) override { Inner().RestoreState(state); }
    void FreeState(int state) override { Inner().FreeState(state); }
    std::string GetNulls() const override { return inner_->GetNulls(); }
    void SetNulls(std::string_view flags) override { Inner().SetNulls(flags); }
    void SkipBlobsOnNextRead() override { Inner().SkipBlobsOnNextRead(); }
    std::string& Blob(int index) override { return Inner().Blob(index); }
    int BeginTransaction(int timeout) override { return Inner().BeginTransaction(timeout); }
    int Commit() override { return Inner().Commit(); }
    int Rollback() override { return Inner().Rollback(); }
    int SetTransactionFlag(int flag) override {
        ++flagCalls;
        if (transactionFlagAnswer) return Answer(transactionFlagAnswer);
        return Inner().SetTransactionFlag(flag);
    }
    int TransactionFlag() const override { return inner_->TransactionFlag(); }
    void SetReadAhead(int records) override { Inner().SetReadAhead(records); }
    int ReadAhead() const override { return inner_->ReadAhead(); }
    int64_t ChangeStamp() override { return Inner().ChangeStamp(); }
    std::unique_ptr<storage::View> NewView() override { return Inner().NewView(); }

  private:
    int Answer(int code) {
        platform::SetLastError(code, Name());
        return code;
    }
    std::unique_ptr<storage::RecordFile> inner_;
};

// A file manager on a seam file whose keys in autoKeys are numbered automatically.
class TestFileManager : public FileManager {
  public:
    TestFileManager(SeamFile& file, errors::ErrorManager& errors, std::vector<int> autoKeys = {0})
        : FileManager((file.NumberKeys(autoKeys), file), errors) {}
};

// A temporary folder, a recording error manager and a scripted message box for each test.
class DataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        errors_.Init();
        ui::SetMessageBoxFrontEnd(&box_);
    }
    void TearDown() override {
        ui::SetMessageBoxFrontEnd(nullptr);
        errors_.Shutdown();
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // A seam over a real driver for desc, named inside the temporary folder.
    std::unique_ptr<SeamFile> MakeFile(const storage::FileDesc& desc, void* buffer,
                                       const std::string& name = "") {
        auto file = std::make_unique<SeamFile>(desc, static_cast<uint8_t*>(buffer));
        file->SetName(Path(name.empty() ? desc.name : name));
        return file;
    }

    // Another process changes the Name of parent id through its own connection, waiting at most
    // waitSeconds for the file; answers the child's exit code (0 when the change was written).
    int ChangeParentElsewhere(int id, const char* name, int waitSeconds = 5) {
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            ParentRecord other{};
            auto f = MakeFile(ParentDesc(), &other);
            f->SendCommand("Recover=" + std::to_string(waitSeconds));
            other.ID = id;
            if (f->Open() != 0 || f->GetByKey(0) != 0) _exit(30);
            std::strncpy(other.Name, name, sizeof other.Name - 1);
            _exit(f->Put() == 0 ? 0 : 31);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Titles of the message boxes shown so far.
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const auto& r : box_.Requests()) titles.push_back(r.title);
        return titles;
    }
    std::string LastText() const {
        auto requests = box_.Requests();
        return requests.empty() ? std::string() : requests.back().text;
    }

    tarn::test::TempFolder folder_{"tarn-data"};
    std::string dir_ = folder_.Path();
    RecordingErrors errors_;
    ui::ScriptedMessageBox box_;
};

}  // namespace tarn::data::test
