// The window resizer: its rules on single controls, and whole windows laid out again as the
// operator resizes, maximises and restores them.
#include "WindowTestSupport.h"
#include "framework/resizer/WindowResizer.h"

namespace tarn::framework::test {
namespace {

using ui::Rect;

// A list window as the editor's data windows are built: a toolbar whose buttons sit in it, a
// list anchored on both sides and an entry below it.
enum ListControl : int {
    LC_Toolbar = 1,
    LC_Close,
    LC_Change,
    LC_Insert,
    LC_Delete,
    LC_List,
    LC_Entry
};

ui::WindowDef ListWindowDef() {
    ui::WindowDef def;
    def.title = "List";
    def.rect = Rect{0, 0, 300, 150};
    auto add = [&](ui::ControlKind kind, Rect r, int parent = 0) {
        ui::ControlDef c;
        c.kind = kind;
        c.rect = r;
        c.parent = parent;
        def.controls.push_back(c);
    };
    add(ui::KindToolbar, {0, 0, 300, 25});
    add(ui::KindButton, {2, 2, 49, 14}, LC_Toolbar);
    add(ui::KindButton, {114, 2, 49, 14}, LC_Toolbar);
    add(ui::KindButton, {61, 2, 49, 14}, LC_Toolbar);
    add(ui::KindButton, {167, 2, 49, 14}, LC_Toolbar);
    add(ui::KindList, {3, 27, 295, 119});
    add(ui::KindEntry, {50, 135, 100, 10});
    return def;
}

Rect Opening(int control) { return ListWindowDef().controls[control - 1].rect; }

TEST(WindowResizerRules, EachPositionalRuleAndResizeBitOnAControlOfItsOwn) {
    // The parent moves by (10, 20) and grows by half in both directions.
    const Rect before{0, 0, 200, 100}, after{10, 20, 300, 150};
    struct Case {
        uint16_t positional, resize;
        Rect pos, expected;
    } cases[] = {
        // Positional rules, the same one across and down; the size locked, then scaled.
        {0, 3, {20, 10, 40, 12}, {40, 35, 40, 12}},             // proportional
        {1 | 256, 3, {20, 10, 40, 12}, {20, 10, 40, 12}},       // unchanged
        {2 | 512, 3, {20, 10, 40, 12}, {130, 80, 40, 12}},      // keeps its right, bottom distance
        {4 | 1024, 3, {20, 10, 40, 12}, {30, 30, 40, 12}},      // keeps its left, top distance
        {16 | 4096, 3, {20, 10, 40, 12}, {30, 30, 40, 12}},     // nearer the left and top edges
        {16 | 4096, 3, {150, 80, 40, 12}, {260, 150, 40, 12}},  // nearer the right and bottom
        {8 | 2048, 0, {20, 10, 40, 12}, {40, 35, 60, 18}},      // centred, offset scaled
        {32 | 8192, 0, {20, 10, 40, 12}, {80, 55, 60, 18}},     // centred, offset kept
        // Resize bits, the control fixed to the top-left corner.
        {1028, 0, {20, 10, 40, 12}, {30, 30, 60, 18}},
        {1028, 1, {20, 10, 40, 12}, {30, 30, 40, 18}},
        {1028, 2, {20, 10, 40, 12}, {30, 30, 60, 12}},
        {1028, 4, {20, 10, 40, 12}, {30, 30, 140, 18}},  // right margin stays 140
        {1028, 8, {20, 10, 40, 12}, {30, 30, 60, 62}},   // bottom margin stays 78
        {1028, 16, {20, 10, 40, 12}, {30, 30, 90, 18}},
        {1028, 32, {20, 10, 40, 12}, {30, 30, 60, 37}},
    };
    for (const Case& c : cases) {
        WindowResizer::ControlEntry e;
        e.PositionalStrategy = c.positional;
        e.ResizeStrategy = c.resize;
        e.Pos = c.pos;
        Rect r = WindowResizer::ComputeRectangle(e, before, after);
        EXPECT_EQ(r, c.expected) << "positional " << c.positional << ", resize " << c.resize
                                 << ": got " << r.x << "," << r.y << "," << r.width << ","
                                 << r.height;
    }
    // Scale factors keep four places and results are rounded: 3 x 1.3333 is 4, not 3.
    WindowResizer::ControlEntry list;
    list.Pos = {3, 4, 295, 119};
    EXPECT_EQ(WindowResizer::ComputeRectangle(list, {0, 0, 300, 150}, {0, 0, 400, 150}),
              (Rect{4, 4, 393, 119}));
}

TEST(WindowResizerRecording, KindsGetTheirStrategiesAndControlsTheirParents) {
    ui::WindowDef def = ListWindowDef();
    auto add = [&](int kind, Rect r, unsigned flags = 0) {
        ui::ControlDef c;
        c.kind = static_cast<ui::ControlKind>(kind);
        c.rect = r;
        c.flags = flags;
        def.controls.push_back(c);
        return static_cast<int>(def.controls.size());
    };
    const int group = add(11, {150, 30, 100, 50});
    const int inGroup = add(ui::KindEntry, {160, 40, 60, 10});
    const int dropList = add(ui::KindList, {10, 60, 60, 10}, ui::FlagDropList);
    const int kept = add(ui::KindEntry, {10, 70, 60, 10}, ui::FlagKeepPlace);
    add(20, {10, 80, 60, 10});  // a kind that is never laid out
    ui::Window window(def);
    WindowResizer resizer;
    resizer.Initialise(window, 2, true, false);

    std::vector<std::vector<int>> recorded;  // id, type, positional, resize, parent
    for (const auto& e : resizer.Controls())
        recorded.push_back({e.Id, e.Type, e.PositionalStrategy, e.ResizeStrategy, e.ParentId});
    EXPECT_EQ(recorded, (std::vector<std::vector<int>>{
                            {LC_Toolbar, 23, 0, 0, 0},
                            {LC_Close, 9, 4112, 3, LC_Toolbar},
                            {LC_Change, 9, 4112, 3, LC_Toolbar},
                            {LC_Insert, 9, 4112, 3, LC_Toolbar},
                            {LC_Delete, 9, 4112, 3, LC_Toolbar},
                            {LC_List, 14, 1028, 12, 0},
                            {LC_Entry, 8, 1024, 2, 0},
                            {group, 11, 1028, 12, 0},
                            {inGroup, 8, 1024, 2, group},
                            {dropList, 8, 1024, 2, 0},
                        }));
    EXPECT_EQ(resizer.ParentOf(inGroup), group);

    // The other strategies, by kind: value text, entry, list, button, multi-line text.
    auto row = [](int strategy) {
        std::vector<std::pair<uint16_t, uint16_t>> r;
        for (int kind : {1, 8, 14, 9, 17})
            r.push_back(WindowResizer::StrategiesFor(strategy, kind));
        return r;
    };
    using P = std::pair<uint16_t, uint16_t>;
    EXPECT_EQ(row(1), (std::vector<P>{{0, 0}, {0, 2}, {0, 0}, {4112, 3}, {0, 0}}));
    EXPECT_EQ(row(4), (std::vector<P>{{1028, 3}, {1028, 6}, {1028, 12}, {4112, 3}, {1028, 12}}));
    EXPECT_EQ(WindowResizer::StrategiesFor(3, 14), P(257, 3));
    EXPECT_EQ(WindowResizer::StrategiesFor(5, 9), P(2056, 3));

    // What sits in the group moves and stretches with it, not with the window.
    window.rect.width = 400;
    resizer.Resize(0);
    EXPECT_EQ(window.Get(group)->rect, (Rect{150, 30, 200, 50}));
    EXPECT_EQ(window.Get(inGroup)->rect, (Rect{170, 40, 120, 10}));
    EXPECT_EQ(window.Get(kept)->rect, (Rect{10, 70, 60, 10}));
}

TEST(WindowResizerPasses, UnchangedSizeMovesNothingAndTheOpeningLayoutComesBackWhole) {
    ui::Window window(ListWindowDef());
    WindowResizer resizer;
    resizer.Initialise(window, 2, true, false);

    window.rect.width = 400;
    resizer.Resize(0);
    ASSERT_EQ(window.Get(LC_List)->rect, (Rect{3, 27, 395, 119}));
    EXPECT_EQ(window.DeferredMoves(), 0);  // the pass carried out its collected moves
    // A pass at the size of the last one leaves everything where it is.
    window.Get(LC_List)->rect = Rect{1, 1, 1, 1};
    resizer.OnWindowEvent(ui::EventGainFocus);
    EXPECT_EQ(window.Get(LC_List)->rect, (Rect{1, 1, 1, 1}));

    // A deferral the runtime switched off stays off.
    window.SetDeferredMoves(-1);
    window.rect.width = 500;
    resizer.OnWindowEvent(ui::EventDoResize);
    EXPECT_EQ(window.Get(LC_List)->rect, (Rect{3, 27, 495, 119}));
    EXPECT_EQ(window.DeferredMoves(), -1);

    window.Maximize(640, 300);
    resizer.RestoreWindow();
    EXPECT_EQ(window.State(), ui::WindowState::Normal);
    EXPECT_EQ(window.rect, (Rect{0, 0, 300, 150}));
    for (int c = LC_Toolbar; c <= LC_Entry; ++c) EXPECT_EQ(window.Get(c)->rect, Opening(c)) << c;

    // Shut down, it no longer answers the window's events.
    resizer.Shutdown();
    window.rect.width = 450;
    resizer.OnWindowEvent(ui::EventDoResize);
    EXPECT_EQ(window.Get(LC_List)->rect, Opening(LC_List));
}

class WindowResizerTest : public HeadlessTest {};

// A window manager over the list window with the resizer attached as the editor's windows do.
struct ResizableWindow : WindowManager {
    ui::Window window{ListWindowDef()};
    WindowResizer resizer;
    Level Initialise() override {
        WindowManager::Initialise();
        OpenWindow(window);
        resizer.Attach(*this);
        return LevelQuiet;
    }
};

TEST_F(WindowResizerTest, OperatorResizingWidensTheListRefusesToShrinkAndRestoresExactly) {
    ResizableWindow form;
    ui.Resize(400, 150).Resize(377, 211).Resize(300, 150).Resize(200, 100).Maximize(640, 300);
    ui.Restore().Close();
    form.Run();
    ASSERT_EQ(ui.Views().size(), 7u);  // one before each step
    auto before = [&](size_t step) -> const ui::WindowView& { return ui.Views()[step]; };
    auto at = [](const ui::WindowView& v, int control) { return v.Control(control)->rect; };
    auto expectOpening = [&](const ui::WindowView& v) {
        EXPECT_EQ(v.rect, (Rect{0, 0, 300, 150}));
        for (int c = LC_Toolbar; c <= LC_Entry; ++c) EXPECT_EQ(at(v, c), Opening(c)) << c;
    };

    // 100 units wider: the list by 100, the buttons keep their size and their nearer edge.
    const ui::WindowView& wider = before(1);
    EXPECT_EQ(at(wider, LC_List), (Rect{3, 27, 395, 119}));
    EXPECT_EQ(at(wider, LC_Toolbar), (Rect{0, 0, 400, 25}));
    EXPECT_EQ(at(wider, LC_Close), (Rect{2, 2, 49, 14}));
    EXPECT_EQ(at(wider, LC_Change), (Rect{114, 2, 49, 14}));
    EXPECT_EQ(at(wider, LC_Delete), (Rect{267, 2, 49, 14}));
    EXPECT_EQ(at(wider, LC_Entry), (Rect{67, 135, 133, 10}));
    expectOpening(before(3));  // back at the opening size after an odd one
    expectOpening(before(4));  // shrinking below it is refused
    const ui::WindowView& maximised = before(5);
    EXPECT_EQ(at(maximised, LC_List), (Rect{3, 27, 635, 269}));
    expectOpening(before(6));  // restored from maximised
}

}  // namespace
}  // namespace tarn::framework::test
