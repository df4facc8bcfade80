// Reading through a view manager: filter texts from ranges and named filters, orders, reading
// within ranges in both directions, new records inside a range.
#include <cstring>

#include "DataTestSupport.h"
#include "data/ViewManager.h"

namespace tarn::data::test {
namespace {

#pragma pack(push, 1)
struct RangeRecord {
    char A[10];
    int32_t B;
};
#pragma pack(pop)

const storage::FileDesc& RangeDesc() {
    static const storage::FileDesc desc = [] {
        storage::FileDesc d;
        d.label = "Ranged";
        d.prefix = "RNG";
        d.name = "Ranged";
        d.driver = "KEYED";
        d.recordSize = sizeof(RangeRecord);
        d.fields = {{"RNG:A", FieldKind::CString, 0, 10}, {"RNG:B", FieldKind::Long, 10, 4}};
        d.keys = {{"RNG:KeyAB", {{1, true}, {2, true}}, true, false, true}};
        return d;
    }();
    return desc;
}

// Skips odd numbers and stops past a limit.
class PickyView : public ViewManager {
  public:
    int stopAbove = 1000;
    uint8_t AcceptRecord() override {
        const auto* g = reinterpret_cast<const GroupRecord*>(Primary->Me->Buffer);
        if (g->Number > stopAbove) return 1;
        return g->Number % 2 == 1 ? 2 : 0;
    }
};

class ViewManagerTest : public DataTest {
  protected:
    GroupRecord g{};
    std::unique_ptr<SeamFile> file;
    std::unique_ptr<TestFileManager> fm;
    std::unique_ptr<RelationManager> rm;
    std::unique_ptr<storage::View> view;

    void SetUp() override {
        DataTest::SetUp();
        file = MakeFile(GroupDesc(), &g);
        fm = std::make_unique<TestFileManager>(*file, errors_, std::vector<int>{});
        fm->Setup();
        rm = std::make_unique<RelationManager>();
        rm->Attach(*fm, 1);
        view = storage::MakeView(*file);
        ASSERT_EQ(rm->Open(), LevelQuiet);
        for (int grp : {1, 2, 5}) {
            for (int n = 1; n <= 4; ++n) Add(grp, n);
        }
        rm->Close();
    }
    void TearDown() override {
        rm.reset();
        fm.reset();
        view.reset();
        file.reset();
        DataTest::TearDown();
    }
    void Add(int grp, int number) {
        g = {};
        g.Grp = grp;
        g.Number = number;
        std::snprintf(g.Text, sizeof g.Text, "%d/%d", grp, number);
        ASSERT_EQ(fm->Insert(), LevelQuiet);
    }
    // The records a view reads from its start, as "grp/number".
    std::vector<std::string> ReadAll(ViewManager& vm, bool forward = true) {
        std::vector<std::string> seen;
        vm.Restart();
        while ((forward ? vm.Next() : vm.Previous()) == LevelQuiet) seen.push_back(g.Text);
        return seen;
    }
};

TEST_F(ViewManagerTest, WithoutRangeOrFiltersTheFilterIsEmpty) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.Open();
    EXPECT_EQ(view->Filter(), "");
    EXPECT_EQ(view->Order(), "GRP:Grp,GRP:Number");
    EXPECT_EQ(ReadAll(vm).size(), 12u);
    vm.Shutdown();
}

TEST_F(ViewManagerTest, StringRangeValuesAreQuotedAndCased) {
    ParentRecord p{};
    auto pfile = MakeFile(ParentDesc(), &p);
    TestFileManager pm(*pfile, errors_);
    pm.Setup();
    RelationManager prm;
    prm.Attach(pm, 1);
    auto pview = storage::MakeView(*pfile);
    ViewManager vm;
    vm.Attach(*pview, prm);
    vm.NewSortOrder(1);
    char source[20] = "O'Neil";
    vm.AddRange(TextVariable(source, sizeof source));
    vm.CurrentOrder().LimitType = RangeFixed;
    EXPECT_EQ(vm.FilterText(), "UPPER(PAR:Code) = UPPER('O''Neil')");
    std::strcpy(source, "Other");
    EXPECT_EQ(vm.RefreshRange(), 0);  // a fixed range never follows its source
    EXPECT_EQ(vm.FilterText(), "UPPER(PAR:Code) = UPPER('O''Neil')");
    vm.Shutdown();
    EXPECT_EQ(pm.OpenCount(), 0);
}

TEST_F(ViewManagerTest, BetweenRangeBoundsTheComponentAfterTheFixedOnes) {
    RangeRecord r{};
    auto rfile = MakeFile(RangeDesc(), &r);
    TestFileManager rfm(*rfile, errors_, {});
    rfm.Setup();
    RelationManager rrm;
    rrm.Attach(rfm, 1);
    auto rview = storage::MakeView(*rfile);
    ViewManager vm;
    vm.Attach(*rview, rrm);
    vm.NewSortOrder(0);
    char a[10] = "x";
    int32_t low = 1, high = 9;
    vm.AddRange(TextVariable(a, sizeof a));
    vm.AddRange(LongVariable(low));
    vm.AddRange(LongVariable(high));
    vm.CurrentOrder().LimitType = RangeBetween;
    EXPECT_EQ(vm.FilterText(), "RNG:A = 'x' AND RNG:B >= 1 AND RNG:B <= 9");
    EXPECT_EQ(vm.OpenComponentNumber(), 0);  // the bounded component is the key's last
    EXPECT_EQ(vm.OpenComponentName(), "");
    high = 5;
    EXPECT_EQ(vm.RefreshRange(), 1);
    EXPECT_EQ(rview->Filter(), "RNG:A = 'x' AND RNG:B >= 1 AND RNG:B <= 5");
    vm.Shutdown();
}

TEST_F(ViewManagerTest, NamedFiltersAreKeptAndRemovedByIdentifier) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.SetFilter("GRP:Number > 1");
    EXPECT_EQ(vm.FilterText(), "(GRP:Number > 1)");
    vm.SetNamedFilter("GRP:Grp <> 5", "1 Mine");
    EXPECT_EQ(vm.FilterText(), "(GRP:Grp <> 5) AND (GRP:Number > 1)");
    int32_t grp = 2;
    vm.AddRange(LongVariable(grp));
    vm.CurrentOrder().LimitType = RangeFixed;
    EXPECT_EQ(vm.FilterText(), "GRP:Grp = 2 AND (GRP:Grp <> 5) AND (GRP:Number > 1)");
    vm.SetFilter("");
    EXPECT_EQ(vm.FilterText(), "GRP:Grp = 2 AND (GRP:Grp <> 5)");
    EXPECT_EQ(ReadAll(vm), (std::vector<std::string>{"2/1", "2/2", "2/3", "2/4"}));
    vm.Shutdown();
}

TEST_F(ViewManagerTest, OrderTextsAreSetExtendedAndReplaced) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    EXPECT_EQ(vm.NewSortOrder(0), 1);
    vm.ExtendOrder("GRP:Text");
    EXPECT_EQ(vm.CurrentOrder().Order, "GRP:Grp,GRP:Number,GRP:Text");
    vm.ExtendOrder("*-GRP:Number");
    EXPECT_EQ(vm.CurrentOrder().Order, "-GRP:Number");
    vm.PushOrder();
    EXPECT_EQ(vm.FieldAscendingInOrder(RecordField(GroupDesc().fields[1], fm->Buffer)), 0);
    EXPECT_EQ(vm.FieldAscendingInOrder(RecordField(GroupDesc().fields[0], fm->Buffer)), 1);
    EXPECT_EQ(vm.NewSortOrder(-1), 2);
    vm.SetOrder("");
    EXPECT_EQ(vm.CurrentOrder().Order, "");
    EXPECT_EQ(vm.SelectSortOrder(1), 1);
    EXPECT_EQ(vm.SelectSortOrder(1), 0);
    EXPECT_EQ(vm.CurrentOrder().Order, "-GRP:Number");
    vm.Shutdown();
}

TEST_F(ViewManagerTest, FollowingRangeReadsItsGroupInBothDirections) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    int32_t grp = 2;
    vm.AddRange(LongVariable(grp));
    vm.CurrentOrder().LimitType = RangeFollowLast;
    EXPECT_EQ(vm.OpenComponentNumber(), 2);
    EXPECT_EQ(vm.OpenComponentName(), "GRP:Number");
    EXPECT_EQ(ReadAll(vm), (std::vector<std::string>{"2/1", "2/2", "2/3", "2/4"}));
    EXPECT_EQ(ReadAll(vm, false), (std::vector<std::string>{"2/4", "2/3", "2/2", "2/1"}));
    grp = 5;
    EXPECT_EQ(vm.RefreshRange(), 1);
    EXPECT_EQ(vm.RefreshRange(), 0);
    EXPECT_EQ(ReadAll(vm).front(), "5/1");
    EXPECT_TRUE(Titles().empty());  // the end of a view is no error
    vm.Shutdown();
}

TEST_F(ViewManagerTest, RestartSeesRecordsAddedMeanwhile) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.SetFilter("GRP:Grp = 5");
    EXPECT_EQ(ReadAll(vm).size(), 4u);
    Add(5, 9);
    EXPECT_EQ(ReadAll(vm).back(), "5/9");
    vm.Shutdown();
}

// The browse restores the view to a row it shows and reads on from that row in either direction.
TEST_F(ViewManagerTest, RestartAtAPositionReadsThatRecordFirstEitherWay) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.Restart();
    std::string position;
    while (vm.Next() == LevelQuiet && position.empty())
        if (std::string(g.Text) == "2/3") position = view->Position();
    ASSERT_FALSE(position.empty());
    ASSERT_EQ(vm.RestartAt(position), LevelQuiet);
    ASSERT_EQ(vm.Next(), LevelQuiet);
    EXPECT_STREQ(g.Text, "2/3");
    ASSERT_EQ(vm.Next(), LevelQuiet);
    EXPECT_STREQ(g.Text, "2/4");
    ASSERT_EQ(vm.RestartAt(position), LevelQuiet);
    ASSERT_EQ(vm.Previous(), LevelQuiet);
    EXPECT_STREQ(g.Text, "2/3");
    ASSERT_EQ(vm.Previous(), LevelQuiet);
    EXPECT_STREQ(g.Text, "2/2");
    EXPECT_EQ(vm.RestartAt("999"), LevelNotice);
    EXPECT_TRUE(Titles().empty());
    vm.Shutdown();
}

TEST_F(ViewManagerTest, DescendingOrderReadsBackwards) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.SetOrder("-GRP:Grp,-GRP:Number");
    vm.SetFilter("GRP:Number = 1");
    EXPECT_EQ(ReadAll(vm), (std::vector<std::string>{"5/1", "2/1", "1/1"}));
    vm.Shutdown();
}

TEST_F(ViewManagerTest, AcceptRecordFiltersAndStops) {
    PickyView vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.SetFilter("GRP:Grp = 1");
    EXPECT_EQ(ReadAll(vm), (std::vector<std::string>{"1/2", "1/4"}));
    vm.stopAbove = 2;
    EXPECT_EQ(ReadAll(vm), (std::vector<std::string>{"1/2"}));
    vm.Shutdown();
}

TEST_F(ViewManagerTest, RestartFromTheBufferSkipsEarlierRecords) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    g = {};
    g.Grp = 2;
    g.Number = 3;
    vm.Restart(1);  // only the group counts: reading starts at group 2's first record
    ASSERT_EQ(vm.Next(), LevelQuiet);
    EXPECT_STREQ(g.Text, "2/1");
    vm.Shutdown();
}

TEST_F(ViewManagerTest, NewRecordFallsInsideTheRange) {
    fm.reset();
    file = MakeFile(GroupDesc(), &g);
    auto numbered = std::make_unique<TestFileManager>(*file, errors_, std::vector<int>{0});
    numbered->Setup();
    RelationManager nrm;
    nrm.Attach(*numbered, 1);
    auto nview = storage::MakeView(*file);
    ViewManager vm;
    vm.Attach(*nview, nrm);
    vm.NewSortOrder(0);
    int32_t grp = 5;
    vm.AddRange(LongVariable(grp));
    vm.CurrentOrder().LimitType = RangeFixed;
    g.Grp = 0;
    ASSERT_EQ(vm.PrepareNewRecord(), LevelQuiet);
    EXPECT_EQ(g.Grp, 5);
    EXPECT_EQ(g.Number, 5);
    vm.Shutdown();
    numbered.reset();
}

TEST_F(ViewManagerTest, RefusedFilterIsReportedAndDropped) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    vm.NewSortOrder(0);
    vm.SetFilter("GRP:Number >");
    EXPECT_EQ(ReadAll(vm).size(), 12u);
    ASSERT_EQ(Titles(), std::vector<std::string>{"View Open Error"});
    EXPECT_NE(
        LastText().find("attempting to open the current VIEW. Filter and Range Limits ignored."),
        std::string::npos);
    vm.Shutdown();
}

TEST_F(ViewManagerTest, SnapshotsBringTheBuffersBack) {
    ViewManager vm;
    vm.Attach(*view, *rm);
    g.Number = 42;
    vm.TakeSnapshots();
    vm.ClearRecordBuffers();
    EXPECT_EQ(g.Number, 0);
    vm.RecallSnapshots();
    EXPECT_EQ(g.Number, 42);
    EXPECT_TRUE(vm.SavedBuffers.empty());
    vm.Shutdown();
    EXPECT_EQ(vm.Killed, 1);
    EXPECT_EQ(fm->OpenCount(), 0);
}

}  // namespace
}  // namespace tarn::data::test
