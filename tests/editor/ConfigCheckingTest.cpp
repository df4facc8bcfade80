// The settings form on real Settings files: which record it shows and changes, the record it
// creates, the cancel question and the recall key.
#include "EditorTestSupport.h"
#include "editor/ConfigChecking.h"
#include "editor/EditorWindows.h"

namespace tarn::editor::test {
namespace {

constexpr int kEntry = SET_TimeBetweenCyclesInSeconds;

class ConfigCheckingTest : public EditorTest {
  protected:
    uint8_t RunForm(uint8_t callersRequest = RequestNone) {
        uint8_t response = 0;
        OnEditorThread([&] {
            framework::SharedRequest() = callersRequest;
            ConfigChecking();
            response = framework::SharedResponse();
        });
        return response;
    }
};

TEST_F(ConfigCheckingTest, WithoutARecordShows60AndKeepsRecordOneEvenWhenCancelled) {
    ui.Press("?Cancel");
    EXPECT_EQ(RunForm(), ResponseCancelled);
    const ui::WindowView* shown = ViewAt(0);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title, "Edit Settings");
    EXPECT_EQ(Shown(shown, kEntry), "60");
    EXPECT_TRUE(shown->Control(kEntry)->focused);
    // Untouched: it closed without asking.
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 60}}));
}

TEST_F(ConfigCheckingTest, OnlyRecordOneIsShownAndChangedWhateverTheCallerAsked) {
    AddSettings(2, 90);
    AddSettings(1, 45);
    AddSettings(3, 120);
    ui.Type(kEntry, "30").Press("?OK");
    EXPECT_EQ(RunForm(RequestDelete), ResponseCompleted);
    EXPECT_EQ(ViewAt(0)->title, "Edit Settings");
    EXPECT_EQ(Shown(ViewAt(0), kEntry), "45");
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 30}, {2, 90}, {3, 120}}));
}

TEST_F(ConfigCheckingTest, AMissingRecordOneIsMadeWithIdOneNotTheNextNumber) {
    AddSettings(2, 90);
    AddSettings(5, 120);
    ui.Type(kEntry, "30").Press("?OK");
    EXPECT_EQ(RunForm(), ResponseCompleted);
    EXPECT_EQ(Shown(ViewAt(0), kEntry), "60");
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 30}, {2, 90}, {5, 120}}));
}

TEST_F(ConfigCheckingTest, CtrlHGivesZeroBeforeAnySaveAndTheSavedValueAfterOne) {
    ui.Key(ui::CtrlH, kEntry).Press("?Cancel").Answer(ButtonYes);   // first form
    ui.Type(kEntry, "45").Press("?OK");                             // second form
    ui.Type(kEntry, "99").Key(ui::CtrlH, kEntry).Press("?Cancel");  // third form
    OnEditorThread([&] {
        ConfigChecking();
        ConfigChecking();
        ConfigChecking();
    });
    EXPECT_EQ(Shown(ViewAt(1), kEntry), "0");
    EXPECT_EQ(Shown(ViewAt(7), kEntry), "45");
    // The recalled value equals the saved one: leaving asks nothing more.
    EXPECT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 45}}));
}

constexpr const char* kAllowed =
    "The value of Time Between Cycles In Seconds must be in range 1 to 2147483647 seconds.";

// The checker pauses at least a second: OK with 0 or less keeps the form open and says so.
TEST_F(ConfigCheckingTest, ZeroAndNegativeSecondsAreRefusedOnOkWithWhatIsAllowed) {
    AddSettings(1, 60);
    ui.Type(kEntry, "0").Press("?OK").Answer(ButtonOk);
    ui.Type(kEntry, "-5").Press("?OK").Answer(ButtonOk);
    ui.Type(kEntry, "2147483647").Press("?OK");
    EXPECT_EQ(RunForm(), ResponseCompleted);
    ASSERT_EQ(ui.Messages().size(), 2u);
    for (const auto& m : ui.Messages()) {
        EXPECT_EQ(m.title, "Range Error");
        EXPECT_EQ(m.text, kAllowed);
    }
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 2147483647}}));
}

// A number larger than the field holds keeps what was typed on the screen, says what is allowed,
// and OK then does not close as if it had saved.
TEST_F(ConfigCheckingTest, ANumberTooLargeForTheFieldIsKeptAndRefusedWithWhatIsAllowed) {
    AddSettings(1, 60);
    ui.Type(kEntry, "99999999999").Answer(ButtonOk).Press("?OK").Answer(ButtonOk);
    ui.Press("?Cancel");
    EXPECT_EQ(RunForm(), ResponseCancelled);
    // Refused when the entry was left and again on OK; the form was still open for Cancel.
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text, kAllowed);
    EXPECT_EQ(ui.Messages()[1].text, kAllowed);
    EXPECT_EQ(Shown(ViewAt(2), kEntry), "99999999999");
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 60}}));
}

TEST_F(ConfigCheckingTest, ATouchedFormAsksAndNoKeepsItOpenOnTheEntry) {
    AddSettings(1, 60);
    ui.Type(kEntry, "30").Press("?Cancel").Answer(ButtonNo).Press("?Cancel").Answer(ButtonYes);
    EXPECT_EQ(RunForm(), ResponseCancelled);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].title, "Changes will be lost!");
    EXPECT_EQ(ui.Messages()[0].text, "Are you sure you want to cancel?");
    const ui::WindowView* afterNo = ViewAt(3);
    ASSERT_NE(afterNo, nullptr);
    EXPECT_TRUE(afterNo->Control(kEntry)->focused);
    EXPECT_EQ(Shown(afterNo, kEntry), "30");
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 60}}));
}

}  // namespace
}  // namespace tarn::editor::test
