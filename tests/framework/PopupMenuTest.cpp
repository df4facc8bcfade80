// The popup-menu object: naming, menu text, the choice and what it posts, the toolbox.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "WindowTestSupport.h"
#include "framework/popup/PopupMenu.h"
#include "platform/ui/PopupMenu.h"

namespace tarn::framework {
namespace {

enum { InsertButton = 1, ChangeButton, DeleteButton };

using Pairs = std::vector<std::pair<int, int>>;

void AddButtons(ui::Window& window) {
    window.title = "Services";
    window.rect = {0, 0, 200, 100};
    window.AddControl({.kind = ui::KindButton, .text = "&Insert", .icon = "WAINSERT.ICO"});
    window.AddControl({.kind = ui::KindButton, .text = "&Change"});
    window.AddControl({.kind = ui::KindButton, .text = "&Delete"});
}

// Accepted and user events posted to the window, as (event, control), until it closes or idles.
std::vector<std::pair<int, int>> Posted(ui::Window& window) {
    std::vector<std::pair<int, int>> posted;
    window.SetTimer(100);  // without a front end nothing else ends the wait
    while (ui::Accept(window) && ui::Event() != ui::EventTimer) {
        if (ui::Event() == ui::EventAccepted || ui::Event() >= 1024)
            posted.emplace_back(ui::Event(), ui::Field());
    }
    return posted;
}

class PopupMenuTest : public test::HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        AddButtons(window);
        window.Open();
        popup.Init();
    }

    ui::Window window;
    PopupMenu popup;
};

TEST_F(PopupMenuTest, MimickingItemsShowTheirButtonsAsTheyAreEachTime) {
    window.Get(ChangeButton)->disabled = true;  // an empty list
    window.Get(DeleteButton)->disabled = true;
    for (int button : {InsertButton, ChangeButton, DeleteButton})
        popup.AddItemMimic(window.Get(button)->text, button);
    ui.ChoosePopupItem(0).ChoosePopupItem("Change");
    EXPECT_EQ(popup.Ask(), "");
    window.Get(ChangeButton)->disabled = false;  // a row arrived
    EXPECT_EQ(popup.Ask(), "Change");

    ASSERT_EQ(ui.Popups().size(), 2u);
    const auto& first = ui.Popups()[0];
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].text, "&Insert");
    EXPECT_EQ(first[0].icon, "WAINSERT.ICO");
    EXPECT_TRUE(first[0].enabled);
    EXPECT_FALSE(first[1].enabled);
    EXPECT_FALSE(first[2].enabled);
    EXPECT_TRUE(ui.Popups()[1][1].enabled);
    EXPECT_EQ(popup.PopupItems[1].Disabled, 0);  // still taken from the button next time
    EXPECT_EQ(Posted(window), (Pairs{{ui::EventAccepted, ChangeButton}}));
}

TEST_F(PopupMenuTest, DismissingPostsNothingAndEmptiesTheLastSelection) {
    popup.AddItemMimic("&Insert", InsertButton);
    ui.ChoosePopupItem("Insert").ChoosePopupItem(0);
    EXPECT_EQ(popup.Ask(), "Insert");
    EXPECT_EQ(popup.LastNumberSelection, 1);
    EXPECT_EQ(popup.Ask(), "");
    EXPECT_EQ(popup.LastSelection, "");
    EXPECT_EQ(popup.LastNumberSelection, 0);
    EXPECT_EQ(Posted(window), (Pairs{{ui::EventAccepted, InsertButton}}));
}

TEST_F(PopupMenuTest, NamesAreUniqueAndADashAloneIsASeparator) {
    EXPECT_EQ(popup.AddItem("&Insert"), "Insert");
    EXPECT_EQ(popup.AddItem("&Insert"), "Insert1");
    EXPECT_EQ(popup.AddSeparator(), "Separator");
    EXPECT_EQ(popup.AddItem("-&Sorted"), "Sorted");
    EXPECT_EQ(popup.AddItem("~+Bold"), "Bold");
    EXPECT_EQ(popup.ItemPosition("INSERT1"), 2);
    EXPECT_EQ(popup.ItemPosition("Missing"), 0);
    EXPECT_EQ(popup.PopupItems[2].Check, 0);
    EXPECT_EQ(popup.PopupItems[3].Check, 2);

    std::string text = popup.MenuText(&window);
    EXPECT_EQ(text, "&Insert|&Insert|-|-&Sorted|~+Bold");
    std::vector<ui::PopupItem> shown = ui::ParsePopupItems(text);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[2].text, "-");
    EXPECT_EQ(shown[2].number, 0);
    EXPECT_EQ(shown[3].text, "&Sorted");
    EXPECT_EQ(shown[3].number, 3);
    EXPECT_FALSE(shown[4].enabled);
    EXPECT_TRUE(shown[4].checked);
}

TEST_F(PopupMenuTest, ChoicesCountNeitherSeparatorsNorSubmenuHeaders) {
    popup.AddMenu("One|-|Sort{By name|By date}|Two");
    popup.AddSubMenu("View", "Small|Large", "Two");
    popup.AddItemEvent("Bydate", 1400, 0);
    EXPECT_EQ(popup.MenuText(&window), "One|-|Sort{By name|By date}Two|View{Small|Large");
    EXPECT_EQ(popup.GetItems(), 9);
    EXPECT_EQ(popup.GetItems(true), 2);

    ui.ChoosePopupItem(3).ChoosePopupItem(6);
    EXPECT_EQ(popup.Ask(10, 20), "Bydate");
    EXPECT_EQ(popup.Ask(), "Large");
    EXPECT_EQ(Posted(window), (Pairs{{1400, 0}}));

    popup.AddMenu("Only");  // with no position the text replaces the menu
    EXPECT_EQ(popup.GetItems(), 1);
}

TEST(PopupToolboxTest, ButtonsChooseTheirItemsWhileTheOtherControlsWait) {
    ui::Window parent;
    AddButtons(parent);
    parent.Open();
    PopupMenu popup;
    popup.Init();
    popup.AddItemMimic("&Insert", InsertButton);
    popup.AddItemMimic("&Change", ChangeButton);
    popup.AddSeparator();
    popup.AddItemEvent("&Delete", ui::EventAccepted, DeleteButton);
    popup.SetToolbox("Delete", false);
    parent.Get(ChangeButton)->disabled = true;

    popup.Toolbox("Browse Actions");
    ui::Window* box = nullptr;
    for (int i = 0; i < 500 && !(box = popup.ThisWindow.load()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(box, nullptr);
    popup.Toolbox("Another");  // one toolbox per object
    EXPECT_EQ(popup.ThisWindow.load(), box);
    EXPECT_EQ(box->title, "Browse Actions");
    ASSERT_EQ(box->ControlCount(), 2);
    EXPECT_EQ(box->Get(1)->icon, "WAINSERT.ICO");  // an icon, with the text as its tip
    EXPECT_EQ(box->Get(1)->tip, "Insert");
    EXPECT_EQ(box->Get(2)->text, "&Change");
    EXPECT_TRUE(box->Get(2)->disabled);
    EXPECT_TRUE(parent.Get(DeleteButton)->disabled);  // not on the toolbox

    box->Post(ui::EventAccepted, 1);
    parent.SetTimer(1000);  // a bound on the wait for the toolbox thread
    Pairs pressed;
    while (pressed.empty() && ui::Accept(parent) && ui::Event() != ui::EventTimer)
        if (ui::Event() == ui::EventAccepted) pressed.emplace_back(ui::Event(), ui::Field());
    EXPECT_EQ(pressed, (Pairs{{ui::EventAccepted, InsertButton}}));
    EXPECT_EQ(popup.LastSelection, "Insert");

    box->Post(ui::EventCloseWindow);
    for (int i = 0; i < 500 && popup.InToolbox; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(popup.InToolbox, 0);
    EXPECT_FALSE(parent.Get(DeleteButton)->disabled);
    popup.Kill();
}

}  // namespace
}  // namespace tarn::framework
