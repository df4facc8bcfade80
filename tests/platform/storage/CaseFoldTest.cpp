// One case fold for a case-insensitive key: the index, a view's order, range filters and
// locating all sort "_x" < "A[b" < "a_b" < "aab" < "Zed", and the view's queries use the indexes.
#include "StorageTestSupport.h"
#include "platform/storage/ViewSql.h"
#include "platform/system/NoCase.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;

class CaseFold : public KeyedFixture {
  protected:
    void SetUp() override {
        KeyedFixture::SetUp();
        int id = 0;
        for (const char* name : {"aab", "Zed", "A[b", "_x", "a_b"}) AddRecord(++id, name);
        view = MakeView(*file);
    }
    std::vector<std::string> FileNames(bool forward = true) {
        std::vector<std::string> names;
        while ((forward ? file->Next() : file->Previous()) == 0) names.push_back(rec.Name);
        return names;
    }
    std::vector<std::string> ViewNames(bool forward = true) {
        std::vector<std::string> names;
        while ((forward ? view->Next() : view->Previous()) == 0) names.push_back(rec.Name);
        EXPECT_EQ(LastErrorCode(), kEndOfFile);
        return names;
    }
    std::unique_ptr<View> view;
    const std::vector<std::string> sorted{"_x", "A[b", "a_b", "aab", "Zed"};
};

TEST_F(CaseFold, KeyOrderViewOrderRangeFilterAndLocatingAgree) {
    ASSERT_EQ(file->SetToStart(KeyName), 0);
    EXPECT_EQ(FileNames(), sorted);
    view->SetOrder("UPPER(TST:Name)");
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(ViewNames(), sorted);
    ASSERT_EQ(view->SetToStart(), 0);
    EXPECT_EQ(ViewNames(false), std::vector<std::string>(sorted.rbegin(), sorted.rend()));

    Set(0, "a_");
    ASSERT_EQ(file->SetToKey(KeyName), 0);
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"a_b", "aab", "Zed"}));
    Set(0, "a_");
    ASSERT_EQ(view->SetToBuffer(), 0);
    EXPECT_EQ(ViewNames(), (std::vector<std::string>{"a_b", "aab", "Zed"}));

    // A range as the view manager writes it; the bare "Id" leaves the filter to the evaluator
    // as well, which must fold the same way.
    for (const char* extra : {"", " AND Id"}) {
        view->SetFilter(std::string("UPPER(TST:Name) >= UPPER('a[') AND UPPER(TST:Name) <= "
                                    "UPPER('AAB')") +
                        extra);
        ASSERT_EQ(view->Open(), 0) << LastError().driverText;
        EXPECT_EQ(ViewNames(), (std::vector<std::string>{"A[b", "a_b", "aab"})) << extra;
    }
    EXPECT_LT(platform::CompareNoCase("_x", "A[b"), 0);
    EXPECT_LT(platform::CompareNoCase("a_b", "AAB"), 0);
    EXPECT_EQ(platform::CompareNoCase("zED", "Zed"), 0);
}

// EXPLAIN QUERY PLAN of every page query of a view in a key's order, plain and anchored, both
// ways: the key's index serves it, nothing is sorted, and an anchored read seeks.
TEST_F(CaseFold, ViewQueriesInAKeysOrderUseItsIndex) {
    KeyedSchema schema(TestDesc());
    auto plan = [&](const std::string& sql) { return QueryPlan(*file, sql); };
    const std::pair<const char*, int> orders[] = {
        {"TST:Id", KeyId}, {"UPPER(TST:Name)", KeyName}, {"-TST:Score", KeyScoreDesc}};
    for (const auto& [text, key] : orders) {
        std::vector<OrderItem> items;
        std::string error;
        ASSERT_TRUE(ParseOrder(text, TestDesc(), items, error)) << error;
        ViewQuery query(schema, TestDesc(), items, {});
        for (bool forward : {true, false}) {
            for (ViewFrom from :
                 {ViewFrom::Start, ViewFrom::AtValues, ViewFrom::AtRecord, ViewFrom::AfterRecord}) {
                const std::string p = plan(query.Select(forward, from).sql);
                EXPECT_NE(p.find("INDEX key" + std::to_string(key)), std::string::npos)
                    << text << "\n"
                    << p;
                EXPECT_EQ(p.find("TEMP B-TREE"), std::string::npos) << text << "\n" << p;
                if (from != ViewFrom::Start) {
                    EXPECT_NE(p.find("SEARCH"), std::string::npos) << text << "\n" << p;
                }
            }
        }
    }
    // A range on the case-insensitive key seeks in its index too.
    std::string error;
    auto range = Expression::Parse("UPPER(Name) >= UPPER('a') AND UPPER(Name) <= UPPER('b')",
                                   TestDesc(), error);
    ASSERT_NE(range, nullptr) << error;
    std::vector<OrderItem> items;
    ASSERT_TRUE(ParseOrder("UPPER(TST:Name)", TestDesc(), items, error));
    ViewQuery ranged(schema, TestDesc(), items, FilterSql(range.get(), schema, TestDesc()));
    EXPECT_TRUE(ranged.FilterComplete());
    const std::string p = plan(ranged.Select(true, ViewFrom::Start).sql);
    EXPECT_NE(p.find("SEARCH records USING INDEX key1"), std::string::npos) << p;
}

}  // namespace
}  // namespace tarn::storage::test
