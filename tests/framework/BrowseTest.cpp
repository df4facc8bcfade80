// The browse engine through the headless front end on a real ServicesToCheck file: filling,
// scrolling, updates and their rebuilds, records changed by another station, the popup menu.
#include "BrowseTestSupport.h"

namespace tarn::framework::test {
namespace {

using ui::DownKey;
using ui::EndKey;
using ui::HomeKey;
using ui::PgDnKey;
using ui::PgUpKey;
using ui::UpKey;

TEST_F(BrowseTest, EmptyFileShowsAnEmptyListWhereOnlyInsertWorks) {
    BrowseWindow w;
    ui.In("Services").Key(ui::DeleteKey, BC_List);  // 0: nothing to delete
    ui.Key(ui::CtrlEnter, BC_List);                 // 1: nothing to change
    ui.Press(BC_Insert);                            // 2
    ui.In("Service").Type(FC_Server, "alpha").Type(FC_Service, "one").Press(FC_OK);  // 3-5
    ui.In("Services").Close();                                                       // 6
    w.Run();

    const ui::WindowView& empty = Before(2);
    EXPECT_TRUE(empty.Control(BC_List)->rows.empty());
    EXPECT_FALSE(empty.Control(BC_Change)->enabled);
    EXPECT_FALSE(empty.Control(BC_Delete)->enabled);
    EXPECT_TRUE(empty.Control(BC_Insert)->enabled);
    EXPECT_EQ(w.formRuns, 1);

    const ui::WindowView& after = Before(6);
    EXPECT_EQ(Servers(after), std::vector<std::string>{"alpha"});
    EXPECT_EQ(Selected(after), 1);
    EXPECT_TRUE(after.Control(BC_Change)->enabled);
}

TEST_F(BrowseTest, FewerRecordsThanRowsLeaveTheListShortAndScrollingStopsAtItsEnds) {
    AddServices({{"b", "1"}, {"d", "1"}, {"a", "1"}, {"c", "1"}});
    BrowseWindow w;
    ui.In("Services").Key(EndKey, BC_List).Key(DownKey, BC_List).Key(HomeKey, BC_List);  // 0-2
    ui.Key(UpKey, BC_List).Key(EndKey, BC_List);                                         // 3-4
    // Changing the last record rebuilds from it: forward finds only it, backward the rest.
    ui.Press(BC_Change).In("Service").Type(FC_Service, "2").Press(FC_OK);  // 5-7
    ui.In("Services").Close();                                             // 8
    w.Run();

    const std::vector<std::string> all{"a", "b", "c", "d"};
    EXPECT_EQ(Servers(Before(0)), all);
    EXPECT_EQ(Selected(Before(0)), 1);
    EXPECT_EQ(HighlightedServer(Before(1)), "d");
    EXPECT_EQ(HighlightedServer(Before(2)), "d");  // nothing below the last record
    EXPECT_EQ(HighlightedServer(Before(3)), "a");
    EXPECT_EQ(HighlightedServer(Before(4)), "a");  // nothing above the first
    EXPECT_EQ(Servers(Before(8)), all);
    EXPECT_EQ(Selected(Before(8)), 4);
}

TEST_F(BrowseTest, LineAndPageScrollingKeepTheHighlightOnItsRowAndStopAtTheEnds) {
    AddNumberedServices(300);
    BrowseWindow w;
    struct Move {
        int key;
        const char* first;
        const char* highlighted;
    };
    // Each move and the list's first row and highlighted row after it.
    const std::vector<Move> moves{
        {DownKey, "S0001", "S0002"}, {DownKey, "S0001", "S0003"}, {PgDnKey, "S0011", "S0013"},
        {PgDnKey, "S0021", "S0023"}, {PgUpKey, "S0011", "S0013"}, {EndKey, "S0291", "S0300"},
        {UpKey, "S0291", "S0299"},   {PgDnKey, "S0291", "S0300"}, {DownKey, "S0291", "S0300"},
        {PgUpKey, "S0281", "S0290"}, {HomeKey, "S0001", "S0001"}, {UpKey, "S0001", "S0001"},
        {PgUpKey, "S0001", "S0001"},
    };
    for (const Move& m : moves) ui.In("Services").Key(m.key, BC_List);
    // Ten lines down from row 3 leave row 10 and scroll the rest by line.
    for (int i = 0; i < 10; ++i) ui.Key(DownKey, BC_List);
    ui.Close();
    w.Run();

    for (size_t i = 0; i < moves.size(); ++i) {
        const ui::WindowView& v = Before(i + 1);
        ASSERT_EQ(v.Control(BC_List)->rows.size(), 10u) << "after move " << i;
        EXPECT_EQ(Servers(v).front(), moves[i].first) << "after move " << i;
        EXPECT_EQ(HighlightedServer(v), moves[i].highlighted) << "after move " << i;
    }
    const ui::WindowView& last = Before(moves.size() + 10);
    EXPECT_EQ(Servers(last).front(), "S0002");
    EXPECT_EQ(HighlightedServer(last), "S0011");
    EXPECT_EQ(Selected(last), 10);
}

TEST_F(BrowseTest, ChangedRecordIsHighlightedOnTheSameScreenRow) {
    AddNumberedServices(50);
    BrowseWindow w;
    ui.In("Services").Key(PgDnKey, BC_List).Key(DownKey, BC_List).Key(DownKey, BC_List);  // 0-2
    ui.Key(ui::EnterKey, BC_List);                              // 3: the default button, Change
    ui.In("Service").Type(FC_Service, "renamed").Press(FC_OK);  // 4-5
    // A new server name moves the record: the list is rebuilt around it, on the same row.
    ui.In("Services").Key(ui::CtrlEnter, BC_List);            // 6
    ui.In("Service").Type(FC_Server, "S0040x").Press(FC_OK);  // 7-8
    ui.In("Services").Close();                                // 9
    w.Run();

    EXPECT_EQ(HighlightedServer(Before(3)), "S0013");
    const ui::WindowView& same = Before(6);
    EXPECT_EQ(Servers(same).front(), "S0011");
    EXPECT_EQ(Selected(same), 3);
    EXPECT_EQ(same.Control(BC_List)->rows[2].at(1), "renamed");
    const ui::WindowView& moved = Before(9);
    EXPECT_EQ(Servers(moved).front(), "S0039");
    EXPECT_EQ(Selected(moved), 3);
    EXPECT_EQ(HighlightedServer(moved), "S0040x");
}

TEST_F(BrowseTest, DeletedRowGoesAndItsNeighbourTakesTheHighlight) {
    AddNumberedServices(12);
    BrowseWindow w;
    ui.In("Services").Key(DownKey, BC_List).Key(DownKey, BC_List);  // 0-1
    ui.Key(ui::DeleteKey, BC_List).Answer(ButtonYes);               // 2-3
    ui.In("Services").Key(EndKey, BC_List);                         // 4
    ui.Press(BC_Delete).Answer(ButtonYes);                          // 5-6: the last record
    ui.In("Services").Close();                                      // 7
    w.Run();

    const ui::WindowView& afterFirst = Before(4);
    EXPECT_EQ(Servers(afterFirst),
              (std::vector<std::string>{"S0001", "S0002", "S0004", "S0005", "S0006", "S0007",
                                        "S0008", "S0009", "S0010", "S0011"}));
    EXPECT_EQ(Selected(afterFirst), 3);
    const ui::WindowView& afterLast = Before(7);
    EXPECT_EQ(Servers(afterLast).back(), "S0011");
    EXPECT_EQ(HighlightedServer(afterLast), "S0011");
    EXPECT_EQ(ReadServices().size(), 10u);
}

// Another program deleted the last row's record just before Down: the read below it fails, and
// the list is rebuilt at once instead of keeping the gone record highlighted until a refresh.
TEST_F(BrowseTest, DownAtALastRowDeletedElsewhereRebuildsTheListAtOnce) {
    AddNumberedServices(12);
    struct Window : BrowseWindow {
        Level HandleEvent() override {
            if (ui::Event() == ui::EventScrollDown && ui::Field() == BC_List)
                DeleteServiceElsewhere(12);
            return BrowseWindow::HandleEvent();
        }
    } w;
    ui.In("Services").Key(EndKey, BC_List).Key(DownKey, BC_List);  // 0-1
    ui.In("Services").Close();                                     // 2
    w.Run();

    EXPECT_EQ(HighlightedServer(Before(1)), "S0012");
    const ui::WindowView& after = Before(2);
    EXPECT_EQ(Servers(after).back(), "S0011");
    EXPECT_EQ(HighlightedServer(after), "S0011");
}

TEST_F(BrowseTest, RecordChangedOrDeletedElsewhereIsReportedInsteadOfUpdated) {
    AddNumberedServices(5);
    {
        // Deleted before Change is pressed: reported, no form, the neighbour is highlighted.
        BrowseWindow w;
        w.beforeAccepted = [] { DeleteServiceElsewhere(2); };
        ui.In("Services").Key(DownKey, BC_List).Press(BC_Change).Answer(ButtonOk);  // 0-2
        ui.In("Services").Close();                                                  // 3
        w.Run();
        EXPECT_EQ(w.formRuns, 0);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].title, "Record Retrieval Error");
        EXPECT_EQ(ui.Messages()[0].text.rfind(
                      "This record was changed or deleted by another station.", 0),
                  0u);
        EXPECT_EQ(Servers(Before(3)),
                  (std::vector<std::string>{"S0001", "S0003", "S0004", "S0005"}));
        EXPECT_EQ(HighlightedServer(Before(3)), "S0003");
    }
    {
        BrowseWindow w;
        int presses = 0;
        w.beforeAccepted = [&presses] {
            // The first press finds only a stamp of the checker: no change of the record's place,
            // the form runs. The second finds it renamed: reported again.
            if (++presses == 1) {
                StampServiceElsewhere(3);
            } else {
                ChangeServiceElsewhere(3, "moved");
            }
        };
        ui.In("Services").Key(DownKey, BC_List).Press(BC_Change);  // S0003 is on row 2 now
        ui.In("Service").Press(FC_Cancel);
        ui.In("Services").Press(BC_Change).Answer(ButtonOk).Close();
        w.Run();
        EXPECT_EQ(w.formRuns, 1);
        EXPECT_EQ(ui.Messages().size(), 2u);
    }
}

// The checker fills in the server of a record the moment it is numbered for an insert: the
// insert still saves, as no listed record's change detection carries over to the new one.
TEST_F(BrowseTest, NewRecordWrittenByAnotherProgramBeforeItsFirstSaveStillSaves) {
    AddNumberedServices(3);
    BrowseWindow w;
    w.beforeForm = [] {
        ChangeRecordElsewhere(4, [](auto& r) { std::strcpy(r.ServerName, "x"); });
    };
    ui.In("Services").Press(BC_Insert);
    ui.In("Service").Type(FC_Server, "new").Type(FC_Service, "one").Press(FC_OK);
    ui.In("Services").Close();
    w.Run();
    EXPECT_TRUE(ui.Messages().empty()) << ui.Messages()[0].text;
    EXPECT_EQ(ReadServices().back().server, "new");
}

TEST_F(BrowseTest, ContextKeyOpensThePopupWhoseItemsFollowTheButtons) {
    AddNumberedServices(3);
    BrowseWindow w;
    ui.In("Services").Key(ui::AppsKey, BC_List).ChoosePopupItem("Delete").Answer(ButtonYes);
    ui.In("Services").Key(ui::AppsKey, BC_List).ChoosePopupItem(0);  // dismissed: nothing
    // A right click highlights the row under the mouse and opens the menu there.
    ui.In("Services").RightClick(BC_List, 2).ChoosePopupItem("Change");
    ui.In("Service").Press(FC_Cancel);
    ui.In("Services").Close();
    w.Run();

    ASSERT_EQ(ui.Popups().size(), 3u);
    std::vector<std::string> texts;
    for (const ui::PopupItem& item : ui.Popups()[0]) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"&Insert", "&Change", "&Delete"}));
    EXPECT_EQ(ReadServices().size(), 2u);
    EXPECT_EQ(w.formRuns, 2);
    EXPECT_EQ(ui.LastView("Service")->Control(FC_Server)->text.substr(0, 5), "S0003");
}

// The menu follows the buttons each time it opens: on an empty list only Insert can be chosen.
TEST_F(BrowseTest, PopupOnAnEmptyListOffersOnlyInsertUntilThereIsARecord) {
    BrowseWindow w;
    ui.In("Services").Key(ui::AppsKey, BC_List).ChoosePopupItem("Change");  // disabled: nothing
    ui.In("Services").Key(ui::AppsKey, BC_List).ChoosePopupItem("Insert");
    ui.In("Service").Type(FC_Server, "alpha").Type(FC_Service, "one").Press(FC_OK);
    ui.In("Services").Key(ui::AppsKey, BC_List).ChoosePopupItem(0);
    ui.In("Services").Close();
    w.Run();

    auto enabled = [](const std::vector<ui::PopupItem>& items) {
        std::vector<bool> out;
        for (const ui::PopupItem& item : items) out.push_back(item.enabled);
        return out;
    };
    ASSERT_EQ(ui.Popups().size(), 3u);
    EXPECT_EQ(enabled(ui.Popups()[0]), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(enabled(ui.Popups()[2]), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(w.formRuns, 1);
    EXPECT_EQ(Servers(*ui.LastView("Services")), std::vector<std::string>{"alpha"});
}

// The Toolbox button shows the menu's items as a toolbox whose buttons press the window's.
TEST_F(BrowseTest, ToolboxButtonsPressTheListsUpdateControls) {
    AddNumberedServices(3);
    ui.Detach();  // the toolbox asks for input on a thread of its own; the script plays on one
    struct ToolboxWindow : BrowseWindow {
        std::vector<uint8_t> requests;
        std::string title;
        std::vector<std::string> buttons;
        int ticks = 0;
        Level HandleEvent() override {
            if (ui::Event() == ui::EventOpenWindow) {
                MyWindow->Post(ui::EventAccepted, toolControl);
                MyWindow->SetTimer(1);
            }
            if (ui::Event() == ui::EventTimer) PressChangeOnTheToolbox();
            return BrowseWindow::HandleEvent();
        }
        void PressChangeOnTheToolbox() {
            ui::Window* box = browse.Popup.ThisWindow;
            if (box && buttons.empty()) {
                title = box->title;
                for (int n = 1; n <= box->ControlCount(); ++n) buttons.push_back(box->Get(n)->text);
                box->Post(ui::EventAccepted, 2);
            }
            if (++ticks > 1000) MyWindow->Post(ui::EventCloseWindow);  // no toolbox: give up
        }
        uint8_t RunProcedure(int32_t, uint8_t request) override {
            requests.push_back(request);
            MyWindow->Post(ui::EventCloseWindow);
            return ResponseCancelled;
        }
    } w;
    w.toolControl = w.window.AddControl(ui::ControlDef{.kind = ui::KindButton, .text = "&Toolbox"});
    w.Run();

    EXPECT_EQ(w.title, "Browse Actions");
    EXPECT_EQ(w.buttons, (std::vector<std::string>{"&Insert", "&Change", "&Delete", "&Toolbox"}));
    EXPECT_EQ(w.requests, std::vector<uint8_t>{RequestChange});
    EXPECT_EQ(w.browse.Popup.InToolbox, 0);  // closed with the window
}

// Opened to pick a record: a double click picks the highlighted one, Escape gives the caller
// back the record it had.
TEST_F(BrowseTest, SelectingLeavesThePickedRecordOrTheCallersOne) {
    AddNumberedServices(3);
    for (bool pick : {true, false}) {
        auto& rec = records::ServicesToCheck();
        rec = {};
        rec.RecordID = 99;
        std::strcpy(rec.ServerName, "caller");
        SharedRequest() = RequestSelect;
        BrowseWindow w;
        ui.In("Services").Key(DownKey, BC_List);
        if (pick) {
            ui.DoubleClick(BC_List, 2);
        } else {
            ui.Key(ui::EscKey, BC_List);
        }
        EXPECT_EQ(w.Run(), pick ? ResponseCompleted : ResponseCancelled);
        EXPECT_STREQ(rec.ServerName, pick ? "S0002" : "caller");
        EXPECT_EQ(rec.RecordID, pick ? 2 : 99);
        EXPECT_EQ(w.formRuns, 0);
    }
}

}  // namespace
}  // namespace tarn::framework::test
