// The service form run the way the services list runs it: insert on a freshly numbered record,
// change, delete and view of the record in the buffer, on a real ServicesToCheck file.
#include <cstring>

#include "EditorTestSupport.h"
#include "data/Dictionary.h"
#include "editor/EditorWindows.h"
#include "editor/UpdateServicesToCheck.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::editor::test {
namespace {

class ServiceFormTest : public EditorTest {
  protected:
    // As the list does for an insert: the new record is numbered (and so added) first.
    static uint8_t Insert() {
        EXPECT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        EXPECT_EQ(data::Access_ServicesToCheck->PrepareNewRecord(0), LevelQuiet);
        return RunForm(RequestInsert);
    }

    // As the list does for the other requests: the record is read first.
    static uint8_t On(uint8_t request, int32_t id) {
        EXPECT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        records::ServicesToCheckFile().Watch();
        records::ServicesToCheck().RecordID = id;
        EXPECT_EQ(data::Access_ServicesToCheck->GetByKey(records::SERCHK_KeyRecID), LevelQuiet);
        return RunForm(request);
    }

    static uint8_t RunForm(uint8_t request) {
        framework::SharedRequest() = request;
        UpdateServicesToCheck();
        data::Relate_ServicesToCheck->Close();
        return framework::SharedResponse();
    }
};

TEST_F(ServiceFormTest, InsertStartsWithThisComputerAndRecallsTheServiceSavedLast) {
    ui.Type(SERCHK_ServiceName, "cron").Press("?OK");
    ui.Key(ui::CtrlH, SERCHK_ServiceName).Press("?Cancel").Answer(ButtonYes);
    uint8_t first = 0;
    uint8_t second = 0;
    std::string computer;
    OnEditorThread([&] {
        computer = vuft4::VUCOMPUTERNAME();
        first = Insert();
        second = Insert();
    });
    EXPECT_EQ(first, ResponseCompleted);
    EXPECT_EQ(second, ResponseCancelled);
    const ui::WindowView* fresh = ViewAt(0);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->title, "New Service");
    EXPECT_EQ(Shown(fresh, SERCHK_ServerName), computer);
    EXPECT_NE(computer, "");
    for (int empty : {SERCHK_ServiceName, SERCHK_ServiceDescription, SERCHK_LastChecked,
                      SERCHK_LastCheckedTime})
        EXPECT_EQ(Shown(fresh, empty), "") << "control " << empty;
    EXPECT_TRUE(fresh->Control(SERCHK_ServerName)->focused);
    EXPECT_EQ(Shown(ViewAt(3), SERCHK_ServiceName), "cron");
    // The second insert was cancelled: its record went with it.
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].server, computer);
    EXPECT_EQ(rows[0].service, "cron");
}

// The checker never looks at a record without a service name: OK refuses it and says why.
TEST_F(ServiceFormTest, AnEmptyOrBlankServiceNameIsRefusedOnOkWithAMessage) {
    ui.Press("?OK").Answer(ButtonOk).Type(SERCHK_ServiceName, "   ").Press("?OK").Answer(ButtonOk);
    ui.Type(SERCHK_ServiceName, "cron").Press("?OK");
    uint8_t response = 0;
    OnEditorThread([&] { response = Insert(); });
    EXPECT_EQ(response, ResponseCompleted);
    ASSERT_EQ(ui.Messages().size(), 2u);
    for (const auto& m : ui.Messages()) {
        EXPECT_EQ(m.title, "Value Required");
        EXPECT_EQ(m.text, "The value of Service Name must not be blank.");
    }
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].service, "cron");
}

TEST_F(ServiceFormTest, ChangeShowsTheRecordWithBlankStampsAndSavesTheEdit) {
    AddService(1, "srv", "Spooler");
    ui.Type(SERCHK_ServiceName, "Browser").Press("?OK");
    uint8_t response = 0;
    OnEditorThread([&] { response = On(RequestChange, 1); });
    EXPECT_EQ(response, ResponseCompleted);
    const ui::WindowView* shown = ViewAt(0);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title, "Edit Service");
    EXPECT_EQ(Shown(shown, SERCHK_ServerName), "srv");
    EXPECT_EQ(Shown(shown, SERCHK_ServiceName), "Spooler");
    EXPECT_EQ(Shown(shown, SERCHK_LastChecked), "");
    EXPECT_EQ(Shown(shown, SERCHK_LastCheckedTime), "");
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ReadServices()[0].service, "Browser");
}

TEST_F(ServiceFormTest, DeleteAsksOnlyAndRemovesOnYesKeepsOnNo) {
    AddService(1, "srv", "Spooler");
    ui.Answer(ButtonNo).Answer(ButtonYes);
    uint8_t declined = 0;
    uint8_t deleted = 0;
    OnEditorThread([&] {
        declined = On(RequestDelete, 1);
        EXPECT_EQ(ReadServices().size(), 1u);
        deleted = On(RequestDelete, 1);
    });
    EXPECT_EQ(declined, ResponseCancelled);
    EXPECT_EQ(deleted, ResponseCompleted);
    EXPECT_TRUE(ui.Titles().empty());
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].title, "Confirm Delete");
    EXPECT_EQ(ui.Messages()[0].text, "Are you sure you want to delete the highlighted record?");
    EXPECT_TRUE(ReadServices().empty());
}

TEST_F(ServiceFormTest, AFailedWriteIsReportedAndTheFormKeepsWhatWasTyped) {
    AddService(1, "srv", "Spooler");
    ui.Type(SERCHK_ServiceName, "Browser").Press("?OK").Answer(ButtonOk).Answer(ButtonCancel);
    ui.Press("?Cancel").Answer(ButtonYes);
    OnEditorThread([&] {
        ASSERT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        records::ServicesToCheck().RecordID = 1;
        data::Access_ServicesToCheck->GetByKey(records::SERCHK_KeyRecID);
        // Another operator removes the record while this one edits it.
        OnOtherStation([] {
            storage::RecordFile& f = records::ServicesToCheckFile();
            f.Open(0x42);
            records::ServicesToCheck().RecordID = 1;
            ASSERT_EQ(f.GetByKey(records::SERCHK_KeyRecID), 0);
            ASSERT_EQ(f.Delete(), 0);
            f.Close();
        });
        RunForm(RequestChange);
    });
    ASSERT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(ui.Messages()[0].text,
              "An error (Record Not Found (35)) was experienced when making changes to the "
              "ServicesToCheck file.");
    EXPECT_EQ(ui.Messages()[1].title, "Record Update Error");
    // Cancel on the retry question: still open on the first field, with the typed name.
    const ui::WindowView* after = ViewAt(4);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->title, "Edit Service");
    EXPECT_EQ(Shown(after, SERCHK_ServiceName), "Browser");
    EXPECT_TRUE(after->Control(SERCHK_ServerName)->focused);
}

TEST_F(ServiceFormTest, ViewKeepsTheNamesReadOnlyAndSavesNothing) {
    AddService(1, "srv", "Spooler");
    ui.Type(SERCHK_ServiceDescription, "changed").Press("?OK");
    uint8_t response = 0;
    OnEditorThread([&] { response = On(RequestView, 1); });
    EXPECT_EQ(response, ResponseCancelled);
    const ui::WindowView* shown = ViewAt(0);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title, "View Record");
    EXPECT_TRUE(shown->Control(SERCHK_ServerName)->readOnly);
    EXPECT_TRUE(shown->Control(SERCHK_ServiceName)->readOnly);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ReadServices()[0].service, "Spooler");
}

TEST_F(ServiceFormTest, AWiderWindowStretchesTheEntriesButNeverShrinksBelowItsOpening) {
    ui.Resize(620, 150).Press("?Cancel");
    ui.Resize(200, 100).Press("?Cancel");
    ui::Rect entry;
    ui::Rect ok;
    OnEditorThread([&] {
        ASSERT_EQ(data::Relate_ServicesToCheck->Open(), LevelQuiet);
        framework::SharedRequest() = RequestChange;
        ServiceForm wide;
        wide.Run();
        entry = wide.window.Get(SERCHK_ServerName)->rect;
        ok = wide.window.Get(Service_OK)->rect;
        framework::SharedRequest() = RequestChange;
        ServiceForm narrow;
        narrow.Run();
        data::Relate_ServicesToCheck->Close();
    });
    EXPECT_EQ(entry.width, 222 * 2);
    EXPECT_EQ(entry.height, 10);
    EXPECT_EQ(ok.width, 49);
    EXPECT_EQ(ok.height, 14);
    const ui::WindowView* refused = ViewAt(3);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->rect.width, 310);
    EXPECT_EQ(refused->rect.height, 150);
}

}  // namespace
}  // namespace tarn::editor::test
