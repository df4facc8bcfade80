// Saves that keep a form open, the update retry question, and the window's focus events.
#include "FormTestSupport.h"

namespace tarn::framework::test {
namespace {

class FormSaveTest : public FormTest {};

TEST_F(FormSaveTest, SaveOnAnInsertAddsTheRecordAndOkThenWritesTheChangeAndCloses) {
    FormActions actions;
    actions.saveButton = true;
    struct Form : ServiceForm {
        using ServiceForm::ServiceForm;
        std::vector<uint8_t> requests;  // the request after each completion
        Level HandleEvent() override {
            Level r = ServiceForm::HandleEvent();
            if (ui::Event() == ui::EventCompleted) requests.push_back(Request);
            return r;
        }
    } form(actions);
    int32_t id = 0;
    ui.Type("?SERCHK:ServiceName", "Draft")
        .Press("?Save")
        .Type("?SERCHK:ServiceName", "Final")
        .Press("?OK");
    EXPECT_EQ(RunInsert(form, &id), ResponseCompleted);
    // Save turned the insert into a change; the final OK ended it as an insert.
    EXPECT_EQ(form.requests, (std::vector<uint8_t>{RequestChange, RequestInsert}));
    EXPECT_TRUE(ui.Messages().empty());
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, id);
    EXPECT_EQ(rows[0].service, "Final");
}

TEST_F(FormSaveTest, SaveOnAChangeKeepsTheFormOpenAndLeavingItAsksNothing) {
    AddService(1, "srv", "Spooler");
    FormActions actions;
    actions.saveButton = true;
    ServiceForm form(actions);
    ui.Type("?SERCHK:ServiceName", "Saved").Press("?Save").Press("?Cancel");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCancelled);
    EXPECT_TRUE(ui.Messages().empty());
    const ui::WindowView* saved = ViewBefore(2);  // still open after Save
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->title, "Service");
    EXPECT_EQ(saved->Control(FC_Service)->text, "Saved");
    ASSERT_EQ(ReadServices().size(), 1u);
    EXPECT_EQ(ReadServices()[0].service, "Saved");
}

// A relation manager whose first update asks to be retried.
struct RetryingRelation : data::RelationManager {
    int updates = 0;
    Level Update(uint8_t, const std::string*) override {
        return ++updates == 1 ? LevelQuestion : Me->Update();
    }
};

// The service form with the retrying relation as its primary.
struct RetryingForm : ServiceForm {
    RetryingRelation relation;
    RetryingForm() {
        relation.Me = data::Access_ServicesToCheck;
        primary = &relation;
    }
};

TEST_F(FormSaveTest, UpdateAskingForRetryIsRetriedOnYes) {
    AddService(1, "srv", "Spooler");
    RetryingForm form;
    RetryingRelation& relation = form.relation;
    ui.Type("?SERCHK:ServiceName", "Browser").Press("?OK").Answer(ButtonYes);
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCompleted);
    EXPECT_EQ(relation.updates, 2);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Record Update Error");
    EXPECT_EQ(ui.Messages()[0].defaultButton, ButtonCancel);
    EXPECT_EQ(ReadServices()[0].service, "Browser");
}

TEST_F(FormSaveTest, UpdateRetryAnsweredCancelKeepsTheFormOpen) {
    AddService(1, "srv", "Spooler");
    RetryingForm form;
    RetryingRelation& relation = form.relation;
    ui.Type("?SERCHK:ServiceName", "Browser").Press("?OK").Answer(ButtonCancel).Press("?OK");
    EXPECT_EQ(RunOn(form, RequestChange, 1), ResponseCompleted);
    EXPECT_EQ(relation.updates, 2);  // the second OK wrote it
    EXPECT_TRUE(ViewBefore(3)->Control(FC_Server)->focused);
}

}  // namespace
}  // namespace tarn::framework::test
