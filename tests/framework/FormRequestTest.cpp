// Forms over a real ServicesToCheck file: leaving, saving, inserting, deleting, a record changed
// by another station, and the recall key.
#include <functional>

#include "FormTestSupport.h"

namespace tarn::framework::test {
namespace {

class FormRequestTest : public FormTest {};

TEST_F(FormRequestTest, CancelOnAnUntouchedChangeFormClosesWithoutAQuestion) {
    AddService(1, "srv", "Spooler");
    ServiceForm form;
    ui.Press("?Cancel");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCancelled);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ui.Remaining(), 0u);
}

TEST_F(FormRequestTest, OkOnAnUntouchedChangeFormClosesCancelled) {
    AddService(1, "srv", "Spooler");
    ServiceForm form;
    ui.Press("?OK");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCancelled);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(form.window.IsOpen());
    ASSERT_EQ(ReadServices().size(), 1u);
    EXPECT_EQ(ReadServices()[0].service, "Spooler");
}

TEST_F(FormRequestTest, OkOnAChangedChangeFormWritesAndCompletes) {
    AddService(1, "srv", "Spooler");
    ServiceForm form;
    ui.Type("?SERCHK:ServiceName", "Browser").Press("?OK");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCompleted);
    EXPECT_EQ(SharedResponse(), ResponseCompleted);
    ASSERT_EQ(ReadServices().size(), 1u);
    EXPECT_EQ(ReadServices()[0].service, "Browser");
}

TEST_F(FormRequestTest, CancellingAChangedInsertAndAnsweringYesSavesThroughOk) {
    ServiceForm form;
    int32_t id = 0;
    ui.Type("?SERCHK:ServiceName", "Spooler").Press("?Cancel").Answer(ButtonYes);
    EXPECT_EQ(RunInsert(form, &id), ResponseCompleted);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Do you want to save the changes to this record?");
    EXPECT_EQ(ui.Messages()[0].buttons, ButtonYes + ButtonNo + ButtonCancel);
    EXPECT_EQ(ui.Messages()[0].defaultButton, ButtonCancel);
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, id);
    EXPECT_EQ(rows[0].server, "HOST");
    EXPECT_EQ(rows[0].service, "Spooler");
}

TEST_F(FormRequestTest, CancellingAChangedInsertAndAnsweringCancelKeepsItOpenOnTheFirstField) {
    ServiceForm form;
    ui.Type("?SERCHK:ServiceName", "Spooler").Press("?Cancel").Answer(ButtonCancel).Press("?OK");
    EXPECT_EQ(RunInsert(form), ResponseCompleted);
    const ui::WindowView* view = ViewBefore(3);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->Control(FC_Server)->focused);
    EXPECT_EQ(view->Control(FC_Service)->text, "Spooler");
    EXPECT_EQ(ReadServices().size(), 1u);
}

TEST_F(FormRequestTest, CancellingAChangedInsertAndAnsweringNoGivesTheNumberBack) {
    AddService(1, "srv", "Existing");
    ServiceForm form;
    int32_t id = 0;
    ui.Type("?SERCHK:ServiceName", "Spooler").Press("?Cancel").Answer(ButtonNo);
    EXPECT_EQ(RunInsert(form, &id), ResponseCancelled);
    EXPECT_EQ(id, 2);
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);  // the numbered record is gone again
    EXPECT_EQ(rows[0].id, 1);
}

TEST_F(FormRequestTest, AskingCancelActionAsksWhetherToCancelAndNoKeepsTheFormOpen) {
    AddService(1, "srv", "Spooler");
    ServiceForm form(FormActions{2, 2, 2, 2});
    ui.Type("?SERCHK:ServiceName", "Browser")
        .Press("?Cancel")
        .Answer(ButtonNo)
        .Press("?Cancel")
        .Answer(ButtonYes);
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCancelled);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].title, "Changes will be lost!");
    EXPECT_EQ(ui.Messages()[0].text, "Are you sure you want to cancel?");
    EXPECT_EQ(ui.Messages()[0].buttons, ButtonYes + ButtonNo);
    EXPECT_TRUE(ViewBefore(3)->Control(FC_Server)->focused);
    EXPECT_EQ(ReadServices()[0].service, "Spooler");  // nothing was saved
}

TEST_F(FormRequestTest, AddAnotherYesPrimesANewNumberedRecordAndNoCloses) {
    ServiceForm form(FormActions{4, 2, 3, 2});
    ui.Type("?SERCHK:ServiceName", "First")
        .Press("?OK")
        .Answer(ButtonYes)
        .Type("?SERCHK:ServiceName", "Second")
        .Press("?OK")
        .Answer(ButtonNo);
    EXPECT_EQ(RunInsert(form), ResponseCompleted);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text,
              "This record has been added to the file. Do you want to add another record?");
    EXPECT_EQ(form.primed, 2);
    const ui::WindowView* fresh = ViewBefore(3);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Control(FC_Server)->text, "HOST");
    EXPECT_EQ(fresh->Control(FC_Service)->text, "");
    EXPECT_TRUE(fresh->Control(FC_Server)->focused);
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].service, "First");
    EXPECT_EQ(rows[1].service, "Second");
    EXPECT_NE(rows[0].id, rows[1].id);
}

TEST_F(FormRequestTest, LeavingTheNextInsertUntouchedKeepsTheSavedRecordCurrent) {
    ServiceForm form(FormActions{3, 2, 3, 2});
    ui.Type("?SERCHK:ServiceName", "First").Press("?OK").Press("?Cancel");
    EXPECT_EQ(RunInsert(form), ResponseCompleted);
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].service, "First");
    EXPECT_EQ(records::ServicesToCheck().RecordID, rows[0].id);
    EXPECT_STREQ(records::ServicesToCheck().ServiceName, "First");
}

TEST_F(FormRequestTest, DeleteConfirmationNoNeverShowsTheWindowAndCancels) {
    AddService(1, "srv", "Spooler");
    ServiceForm form;
    ui.Answer(ButtonNo);
    EXPECT_EQ(RunOn(form, RequestDelete, 1), ResponseCancelled);
    EXPECT_TRUE(ui.Titles().empty());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Are you sure you want to delete the highlighted record?");
    EXPECT_EQ(ReadServices().size(), 1u);
}

TEST_F(FormRequestTest, DeleteConfirmationYesDeletesAndCompletes) {
    AddService(1, "srv", "Spooler");
    AddService(2, "srv", "Browser");
    ServiceForm form;
    ui.Answer(ButtonYes);
    EXPECT_EQ(RunOn(form, RequestDelete, 1), ResponseCompleted);
    EXPECT_TRUE(ui.Titles().empty());
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, 2);
}

TEST_F(FormRequestTest, RecordChangedElsewhereIsShownAndASecondOkSaves) {
    AddService(1, "srv", "Original");
    struct Form : ServiceForm {
        bool changed = false;
        Level OnAccepted() override {
            if (ui::Field() == FC_OK && !changed) {
                changed = true;
                ChangeServiceElsewhere(1, "Theirs");
            }
            return ServiceForm::OnAccepted();
        }
    } form;
    ui.Type("?SERCHK:ServiceName", "Mine")
        .Press("?OK")
        .Answer(ButtonOk)
        .Type("?SERCHK:ServiceName", "Mine again")
        .Press("?OK");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCompleted);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Record Was Not Updated");
    EXPECT_EQ(ui.Messages()[0].text.rfind("This record was changed by another station. Those "
                                          "changes will now be displayed.",
                                          0),
              0u);
    const ui::WindowView* after = ViewBefore(3);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->Control(FC_Service)->text, "Theirs");  // the other version is shown
    EXPECT_TRUE(after->Control(FC_Server)->focused);
    EXPECT_EQ(ReadServices()[0].service, "Mine again");
}

// Another station (the checker) wrote other fields than the operator's while the form was open:
// both changes are kept and nothing is said. A field changed on both sides is refused as above.
TEST_F(FormRequestTest, OkKeepsAnotherStationsChangeOfOtherFields) {
    AddService(1, "srv", "Original");
    struct Form : ServiceForm {
        bool changed = false;
        Level OnAccepted() override {
            if (ui::Field() == FC_OK && !changed) {
                changed = true;
                ChangeRecordElsewhere(1, [](records::ServicesToCheckRecord& r) {
                    r.LastChecked = 80000;
                    std::strcpy(r.ServiceDescription, "theirs");
                });
            }
            return ServiceForm::OnAccepted();
        }
        // Leaving asks nothing: a refused save ends the script without a question.
        Form() : ServiceForm(FormActions{2, 2, 0, 2}) {}
    } form;
    ui.Type("?SERCHK:ServiceName", "Mine").Press("?OK");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCompleted);
    EXPECT_TRUE(ui.Messages().empty()) << ui.Messages()[0].text;
    OnOtherStation([] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        ASSERT_EQ(f.Open(0x42), 0);
        auto& rec = records::ServicesToCheck();
        rec.RecordID = 1;
        ASSERT_EQ(f.GetByKey(records::SERCHK_KeyRecID), 0);
        EXPECT_STREQ(rec.ServerName, "srv");
        EXPECT_STREQ(rec.ServiceName, "Mine");
        EXPECT_EQ(int32_t{rec.LastChecked}, 80000);  // packed: read by copy
        EXPECT_STREQ(rec.ServiceDescription, "theirs");
        f.Close();
    });
}

// The operator confirmed deleting the record as listed: a stamp written since does not stop the
// delete, a change of a field the form edits does (the record is kept and the refusal shown).
TEST_F(FormRequestTest, DeleteIsRefusedOnlyWhenAnotherStationChangedAnEditedField) {
    AddService(1, "srv", "Stamped");
    AddService(2, "srv", "Renamed");
    struct Form : ServiceForm {
        std::function<void()> meanwhile;
        Level Initialise() override {
            OperatorFields = {1, 2, 3};  // server, service, description
            meanwhile();
            return ServiceForm::Initialise();
        }
    };
    Form stamped;
    stamped.meanwhile = [] {
        ChangeRecordElsewhere(1, [](records::ServicesToCheckRecord& r) { r.LastChecked = 80000; });
    };
    ui.Answer(ButtonYes);
    EXPECT_EQ(RunOn(stamped, RequestDelete, 1), ResponseCompleted);
    EXPECT_TRUE(ui.Messages().size() == 1) << ui.Messages().back().text;
    Form renamed;
    renamed.meanwhile = [] { ChangeServiceElsewhere(2, "Other"); };
    ui.Answer(ButtonYes).Answer(ButtonOk);
    EXPECT_EQ(RunOn(renamed, RequestDelete, 2), ResponseCancelled);
    ASSERT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(ui.Messages()[2].title, "Record was not deleted");
    EXPECT_NE(ui.Messages()[2].text.find("Record Changed By Another Station"), std::string::npos)
        << ui.Messages()[2].text;
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, 2);
    EXPECT_EQ(rows[0].service, "Other");
}

TEST_F(FormRequestTest, RecallKeyOnTheNextInsertFillsInTheValueSavedLast) {
    ServiceForm form(FormActions{4, 2, 3, 2});
    ui.Type("?SERCHK:ServiceName", "Spooler")
        .Press("?OK")
        .Answer(ButtonYes)
        .Key(ui::CtrlH, FC_Service)
        .Press("?OK")
        .Answer(ButtonNo);
    EXPECT_EQ(RunInsert(form), ResponseCompleted);
    EXPECT_EQ(ViewBefore(4)->Control(FC_Service)->text, "Spooler");
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].service, "Spooler");
    EXPECT_EQ(rows[1].server, "HOST");
}

}  // namespace
}  // namespace tarn::framework::test
