// Field rules of a form: a save that breaks one keeps the form open on that entry and says why.
#include "FormTestSupport.h"

namespace tarn::framework::test {
namespace {

class FieldRulesTest : public FormTest {};

struct RequiredServiceForm : ServiceForm {
    Level Initialise() override {
        Level r = ServiceForm::Initialise();
        Rules.Require(FC_Service, "Service Name");
        return r;
    }
};

TEST_F(FieldRulesTest, ABrokenRuleKeepsTheFormOpenOnItsEntryAndWritesNothing) {
    RequiredServiceForm form;
    int32_t id = 0;
    ui.Press("?OK").Answer(ButtonOk).Type("?SERCHK:ServiceName", "Spooler").Press("?OK");
    EXPECT_EQ(RunInsert(form, &id), ResponseCompleted);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Value Required");
    EXPECT_EQ(ui.Messages()[0].text, "The value of Service Name must not be blank.");
    // After the refusal the entry that broke the rule has the focus.
    const ui::WindowView* refused = ViewBefore(2);
    ASSERT_NE(refused, nullptr);
    EXPECT_TRUE(refused->Control(FC_Service)->focused);
    auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, id);
    EXPECT_EQ(rows[0].service, "Spooler");
}

}  // namespace
}  // namespace tarn::framework::test
