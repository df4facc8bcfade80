#pragma once
// A small service form over the real ServicesToCheck file in a temporary folder, run the way the
// services browse runs its update form, and helpers that read and change the file through a
// connection of their own (as another station would).
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "WindowTestSupport.h"
#include "data/Dictionary.h"
#include "data/FieldRef.h"
#include "data/records/Records.h"
#include "framework/window/WindowManager.h"
#include "tests/support/TestFolder.h"

namespace tarn::framework::test {

enum FormControl : int { FC_Server_Prompt = 1, FC_Server, FC_Service, FC_OK, FC_Cancel, FC_Save };

struct FormActions {
    uint8_t insert = 2;
    uint8_t change = 2;
    uint8_t cancel = 3;
    uint8_t remove = 2;
    bool saveButton = false;
};

inline ui::WindowDef ServiceFormDef() {
    return MakeWindowDef("Service", ui::Rect{0, 0, 350, 150},
                         {{ui::KindPrompt, "?SERCHK:ServerName:Prompt", "Server Name:"},
                          {ui::KindEntry, "?SERCHK:ServerName", ""},
                          {ui::KindEntry, "?SERCHK:ServiceName", ""},
                          {ui::KindButton, "?OK", "&OK"},
                          {ui::KindButton, "?Cancel", "&Cancel"},
                          {ui::KindButton, "?Save", "&Save"}});
}

// A window whose procedure opens ServicesToCheck and closes it again when it ends.
class ServicesWindow : public WindowManager {
  public:
    Level Shutdown() override {
        Level r = WindowManager::Shutdown();
        if (FilesOpened) data::Relate_ServicesToCheck->Close();
        FilesOpened = 0;
        return r;
    }

  protected:
    // Takes the caller's request and clears the shared request and response.
    void BeginProcedure(int32_t firstField) {
        Request = SharedRequest();
        WindowManager::Initialise();
        FirstField = firstField;
        SharedRequest() = 0;
        SharedResponse() = 0;
    }
    void OpenServices() {
        EXPECT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        FilesOpened = 1;
    }
};

class ServiceForm : public ServicesWindow {
  public:
    explicit ServiceForm(FormActions actions = {}) : actions_(actions) {}

    ui::Window window{ServiceFormDef()};
    records::ServicesToCheckRecord historyCopy{};
    int primed = 0;
    data::RelationManager* primary = nullptr;  // the form's primary; nullptr: ServicesToCheck's

    Level Initialise() override {
        BeginProcedure(FC_Server_Prompt);
        auto& rec = records::ServicesToCheck();
        HistoryKey = ui::CtrlH;
        auto* record = reinterpret_cast<uint8_t*>(&rec);
        auto* copy = reinterpret_cast<uint8_t*>(&historyCopy);
        AddHistoryField(record, copy, sizeof rec, data::TextVariable(rec.ServerName, 128),
                        data::TextVariable(historyCopy.ServerName, 128), FC_Server);
        AddHistoryField(record, copy, sizeof rec, data::TextVariable(rec.ServiceName, 128),
                        data::TextVariable(historyCopy.ServiceName, 128), FC_Service);
        AddResponseButton(FC_Cancel, ResponseCancelled);
        OpenServices();
        SetPrimary(primary ? *primary : *data::Relate_ServicesToCheck);
        InsertAction = actions_.insert;
        ChangeAction = actions_.change;
        CancelAction = actions_.cancel;
        DeleteAction = actions_.remove;
        OkControl = FC_OK;
        if (actions_.saveButton) SaveControl = FC_Save;
        if (PrepareRequest() != LevelQuiet) return LevelNotice;
        OpenWindow(window);
        window.Bind(FC_Server, ui::Binding::Chars(rec.ServerName, 128, "s127"));
        window.Bind(FC_Service, ui::Binding::Chars(rec.ServiceName, 128, "s127"));
        RegisterKeys();
        return LevelQuiet;
    }

    void FillNewRecord() override {
        ++primed;
        std::strcpy(records::ServicesToCheck().ServerName, "HOST");
    }

  private:
    FormActions actions_;
};

struct ServiceRow {
    int32_t id = 0;
    std::string server;
    std::string service;
};

// Runs fn on a thread of its own: its own record buffer and its own connection to the file.
template <class Fn>
void OnOtherStation(Fn fn) {
    std::thread(fn).join();
}

inline std::vector<ServiceRow> ReadServices() {
    std::vector<ServiceRow> rows;
    OnOtherStation([&] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        if (f.Open(0x42) != 0) return;
        auto& rec = records::ServicesToCheck();
        if (f.SetToStart(records::SERCHK_KeyRecID) == 0) {
            while (f.Next() == 0) rows.push_back({rec.RecordID, rec.ServerName, rec.ServiceName});
        }
        f.Close();
    });
    return rows;
}

// Adds services on a connection of its own, in one transaction, numbered from firstId.
inline void AddServices(const std::vector<std::pair<std::string, std::string>>& services,
                        int32_t firstId = 1) {
    OnOtherStation([&] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        if (f.Open(0x42) == 2) {
            f.Create();
            f.Open(0x42);
        }
        f.BeginTransaction(5);
        auto& rec = records::ServicesToCheck();
        int32_t id = firstId;
        for (const auto& [server, service] : services) {
            f.ClearBuffer(false);
            rec.RecordID = id++;
            std::snprintf(rec.ServerName, sizeof rec.ServerName, "%s", server.c_str());
            std::snprintf(rec.ServiceName, sizeof rec.ServiceName, "%s", service.c_str());
            EXPECT_EQ(f.Add(), 0);
        }
        f.Commit();
        f.Close();
    });
}

inline void AddService(int32_t id, const std::string& server, const std::string& service) {
    AddServices({{server, service}}, id);
}

// Reads record id on a connection of its own, lets change alter it and writes it back.
template <class Change>
void ChangeRecordElsewhere(int32_t id, Change change) {
    OnOtherStation([&] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        ASSERT_EQ(f.Open(0x42), 0);
        auto& rec = records::ServicesToCheck();
        rec.RecordID = id;
        ASSERT_EQ(f.GetByKey(records::SERCHK_KeyRecID), 0);
        change(rec);
        EXPECT_EQ(f.Put(), 0);
        f.Close();
    });
}

inline void ChangeServiceElsewhere(int32_t id, const std::string& service) {
    ChangeRecordElsewhere(id, [&](records::ServicesToCheckRecord& rec) {
        std::snprintf(rec.ServiceName, sizeof rec.ServiceName, "%s", service.c_str());
    });
}

// A headless test in a temporary folder with the program's data dictionary built.
class FormTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        errors::GlobalErrors().Init();
        data::DictionaryInit();
    }
    void TearDown() override {
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
        HeadlessTest::TearDown();
    }

    // Runs the form as the browse does for a change or delete of record id.
    uint8_t RunOn(ServiceForm& form, uint8_t request, int32_t id) {
        EXPECT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        records::ServicesToCheckFile().Watch();
        records::ServicesToCheck().RecordID = id;
        EXPECT_EQ(data::Access_ServicesToCheck->GetByKey(records::SERCHK_KeyRecID), LevelQuiet);
        SharedRequest() = request;
        uint8_t response = form.Run();
        data::Relate_ServicesToCheck->Close();
        return response;
    }

    // Runs the form as the browse does for an insert: the record is numbered first.
    uint8_t RunInsert(ServiceForm& form, int32_t* id = nullptr) {
        EXPECT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        EXPECT_EQ(data::Access_ServicesToCheck->PrepareNewRecord(0), LevelQuiet);
        if (id) *id = records::ServicesToCheck().RecordID;
        SharedRequest() = RequestInsert;
        uint8_t response = form.Run();
        data::Relate_ServicesToCheck->Close();
        return response;
    }

    // The view recorded just before the script step with this index.
    const ui::WindowView* ViewBefore(size_t step) {
        for (const ui::WindowView& v : ui.Views())
            if (v.step == step) return &v;
        return nullptr;
    }

    tarn::test::TempFolder dir_{"tarn-wm"};
    tarn::test::CurrentFolder inDir_{dir_.Path()};
};

}  // namespace tarn::framework::test
