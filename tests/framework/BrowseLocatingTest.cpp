// Positioning the list by typing (the step locator) and by dragging the thumb (the step table).
#include "BrowseTestSupport.h"
#include "framework/locate/StepLocator.h"
#include "framework/locate/StepString.h"

namespace tarn::framework::test {
namespace {

std::unique_ptr<StepString> LetterSteps() {
    auto steps = std::make_unique<StepString>();
    steps->Init(StepString::kLetters, 3);
    return steps;
}

TEST_F(BrowseTest, TypedLetterStepsThroughItsServersOrPositionsAtOrAfterIt) {
    AddServices({{"alpha", "1"},
                 {"Bravo", "1"},
                 {"beta", "1"},
                 {"bob", "1"},
                 {"charlie", "1"},
                 {"delta", "1"},
                 {"echo", "1"}});
    BrowseWindow w;
    w.locator = std::make_unique<StepLocator>();
    for (char c : std::string("bbbbcxA")) ui.In("Services").Char(c, BC_List);
    ui.Close();
    w.Run();

    // Each typed letter and the server highlighted after it.
    const std::vector<std::string> expected{"beta",    "bob",  "Bravo", "beta",
                                            "charlie", "echo", "alpha"};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(HighlightedServer(Before(i + 1)), expected[i]) << "after key " << i;
    // Stepping within the page keeps the list where it is.
    EXPECT_EQ(Servers(Before(3)).front(), "alpha");
}

TEST_F(BrowseTest, LettersLocateOnAnEmptyListWithoutFailing) {
    BrowseWindow w;
    w.locator = std::make_unique<StepLocator>();
    ui.In("Services").Char('q', BC_List).Close();
    w.Run();
    EXPECT_TRUE(Before(1).Control(BC_List)->rows.empty());
}

// Typing on a descending order finds the largest server that begins with the letter.
TEST_F(BrowseTest, ChangedOrderIsShownAndLocatedInItsDirection) {
    AddServices({{"alpha", "1"}, {"beta", "1"}, {"bob", "1"}, {"charlie", "1"}, {"delta", "1"}});
    struct Descending : BrowseWindow {
        StepLocator descendingLocator;
        Level Initialise() override {
            BrowseWindow::Initialise();
            descendingLocator.Init(
                0, data::TextVariable(records::ServicesToCheck().ServerName, 128), true, browse);
            browse.ChangeCurrentOrder("-UPPER(SERCHK:ServerName),-UPPER(SERCHK:ServiceName)",
                                      &descendingLocator, nullptr);
            return LevelQuiet;
        }
    } w;
    w.locator = std::make_unique<StepLocator>();
    ui.In("Services").Char('b', BC_List).Close();
    w.Run();
    EXPECT_EQ(Servers(Before(0)),
              (std::vector<std::string>{"delta", "charlie", "bob", "beta", "alpha"}));
    EXPECT_EQ(HighlightedServer(Before(1)), "bob");
    EXPECT_EQ(w.browse.SavedSortString, "UPPER(SERCHK:ServerName),UPPER(SERCHK:ServiceName)");
}

// 260 servers "AAhost" to "JZhost": ten first letters, each with the 26 second letters.
void AddLetterServers() {
    std::vector<std::pair<std::string, std::string>> services;
    for (char a = 'A'; a <= 'J'; ++a)
        for (char b = 'A'; b <= 'Z'; ++b) services.emplace_back(std::string{a, b} + "host", "svc");
    AddServices(services);
}

TEST_F(BrowseTest, ThumbDragGoesToTheEndsOrToTheStepTablesValue) {
    AddLetterServers();
    BrowseWindow w;
    w.thumb = LetterSteps();
    ui.In("Services").Thumb(BC_List, 100).Thumb(BC_List, 1).Thumb(BC_List, 50);
    ui.Thumb(BC_List, 90).Close();
    w.Run();

    const ui::WindowView& bottom = Before(1);
    EXPECT_EQ(Servers(bottom).back(), "JZhost");
    EXPECT_EQ(HighlightedServer(bottom), "JZhost");
    EXPECT_EQ(bottom.Control(BC_List)->thumb, 100);
    const ui::WindowView& top = Before(2);
    EXPECT_EQ(HighlightedServer(top), "AAhost");
    EXPECT_EQ(top.Control(BC_List)->thumb, 0);
    // The table spans AA to JZ: half way is in the E's, nine tenths in the I's; the thumb
    // follows the highlighted server.
    const ui::WindowView& middle = Before(3);
    EXPECT_EQ(HighlightedServer(middle).substr(0, 1), "E");
    EXPECT_NEAR(middle.Control(BC_List)->thumb, 50, 2);
    EXPECT_EQ(HighlightedServer(Before(4)).substr(0, 1), "I");
}

TEST_F(BrowseTest, ThumbDragWithoutStepTablePagesTowardsIt) {
    AddNumberedServices(60);
    BrowseWindow w;
    ui.In("Services").Thumb(BC_List, 70).Thumb(BC_List, 70).Thumb(BC_List, 30).Close();
    w.Run();
    EXPECT_EQ(Servers(Before(1)).front(), "S0011");
    EXPECT_EQ(Servers(Before(2)).front(), "S0021");
    EXPECT_EQ(Servers(Before(3)).front(), "S0011");
}

}  // namespace
}  // namespace tarn::framework::test
