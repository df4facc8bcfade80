// Sequential reading of the KEYED driver in every kind of key order.
#include <sqlite3.h>

#include <functional>

#include "StorageTestSupport.h"
#include "platform/storage/KeyedFile.h"
#include "platform/storage/KeyedSchema.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;

class KeyedOrder : public KeyedFixture {
  protected:
    void SetUp() override {
        KeyedFixture::SetUp();
        // id, name, score
        AddRecord(1, "delta", 30);
        AddRecord(2, "Alpha", 10);
        AddRecord(3, "charlie", 20);
        AddRecord(4, "BRAVO", 20);
        AddRecord(5, "alpha", 40);
    }
};

TEST_F(KeyedOrder, AscendingKeyFromStartAndBackFromTheEnd) {
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(file->Next(), kEndOfFile);
    EXPECT_EQ(LastError().text, "No More Records");
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    EXPECT_EQ(ReadIds(false), (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST_F(KeyedOrder, CaseInsensitiveKeyOrdersByNameThenRowId) {
    ASSERT_EQ(file->SetToStart(KeyName), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{2, 5, 4, 3, 1}));
    Set(0, "ALPHA");
    ASSERT_EQ(file->SetToKey(KeyName), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{2, 5, 4, 3, 1}));
    Set(0, "b");
    ASSERT_EQ(file->SetToKey(KeyName), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{4, 3, 1}));
    Set(0, "Bravo");
    ASSERT_EQ(file->SetToKey(KeyName), 0);
    EXPECT_EQ(ReadIds(false), (std::vector<int>{4, 5, 2}));
}

TEST_F(KeyedOrder, DescendingKeyRunsHighToLow) {
    ASSERT_EQ(file->SetToStart(KeyScoreDesc), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{5, 1, 4, 3, 2}));
    Set(0, "", 25);
    ASSERT_EQ(file->SetToKey(KeyScoreDesc), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{4, 3, 2}));
    Set(0, "", 25);
    ASSERT_EQ(file->SetToKey(KeyScoreDesc), 0);
    EXPECT_EQ(ReadIds(false), (std::vector<int>{1, 5}));
}

TEST_F(KeyedOrder, MixedDirectionKey) {
    // Score ascending, then name descending (case-sensitive here: "charlie" > "BRAVO").
    ASSERT_EQ(file->SetToStart(KeyMixed), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{2, 3, 4, 1, 5}));
    ASSERT_EQ(file->SetToStart(KeyMixed), 0);
    EXPECT_EQ(ReadIds(false), (std::vector<int>{5, 1, 4, 3, 2}));
    Set(0, "C", 20);
    ASSERT_EQ(file->SetToKey(KeyMixed), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{4, 1, 5}));
}

TEST_F(KeyedOrder, TurningRoundReadsTheNeighbourNotTheSameRecord) {
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    ASSERT_EQ(file->Next(), 0);
    ASSERT_EQ(file->Next(), 0);
    ASSERT_EQ(file->Next(), 0);
    EXPECT_EQ(rec.Id, 3);
    ASSERT_EQ(file->Previous(), 0);
    EXPECT_EQ(rec.Id, 2);
    ASSERT_EQ(file->Next(), 0);
    EXPECT_EQ(rec.Id, 3);
}

TEST_F(KeyedOrder, ResetToPositionReadsThatRecordNext) {
    rec.Id = 3;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    const std::string pos = file->Position(KeyName);
    ASSERT_EQ(file->ResetTo(pos, KeyName), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{3, 1}));
    ASSERT_EQ(file->ResetTo(pos, KeyName), 0);
    EXPECT_EQ(ReadIds(false), (std::vector<int>{3, 4, 5, 2}));
    EXPECT_EQ(file->ResetTo("77", KeyName), kRecordNotFound);
}

TEST_F(KeyedOrder, ByFileOrderIsInsertionOrder) {
    ASSERT_EQ(file->SetToStart(-1), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(KeyedOrder, WritesDuringAReadAreSeenAndDeletedCurrentRecordKeepsThePlace) {
    file->SetReadAhead(100);
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    ASSERT_EQ(file->Next(), 0);
    ASSERT_EQ(file->Next(), 0);
    ASSERT_EQ(file->Delete(), 0);  // id 2
    AddRecord(6, "echo", 0);
    ASSERT_EQ(file->ResetTo(file->Position(KeyId), KeyId), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{6}));
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    ASSERT_EQ(file->Next(), 0);
    ASSERT_EQ(file->Next(), 0);
    EXPECT_EQ(rec.Id, 3);
    ASSERT_EQ(file->Delete(), 0);
    EXPECT_EQ(ReadIds(), (std::vector<int>{4, 5, 6}));
}

TEST_F(KeyedOrder, ManyRecordsCrossBatchBoundariesWithoutLossInBothDirections) {
    for (int i = 6; i <= 700; ++i) AddRecord(i, "x", i % 7);
    file->SetReadAhead(64);
    ASSERT_EQ(file->SetToStart(KeyScoreDesc), 0);
    std::vector<int> forward = ReadIds();
    ASSERT_EQ(forward.size(), 700u);
    ASSERT_EQ(file->SetToStart(KeyScoreDesc), 0);
    std::vector<int> backward = ReadIds(false);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward);
}

// A text stored longer than its field (written with the sqlite3 shell) is cut in the buffer; the
// read goes on after the stored value, neither repeating nor stopping at that record.
TEST_F(KeyedOrder, TextStoredLongerThanItsFieldIsReadOnce) {
    auto* keyed = dynamic_cast<KeyedFile*>(file.get());
    ASSERT_NE(keyed, nullptr);
    ASSERT_EQ(sqlite3_exec(keyed->Connection(),
                           "UPDATE records SET \"TST:Name\" = 'charlie-with-a-very-long-tail' "
                           "WHERE \"TST:Id\" = 3",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    auto firstTen = [&](const std::function<int()>& next) {
        std::vector<int> ids;
        while (ids.size() < 10 && next() == 0) ids.push_back(rec.Id);
        return ids;
    };
    file->SetReadAhead(1);
    ASSERT_EQ(file->SetToStart(KeyName), 0);
    EXPECT_EQ(firstTen([&] { return file->Next(); }), (std::vector<int>{2, 5, 4, 3, 1}));
    rec.Id = 3;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    ASSERT_EQ(file->ResetTo(file->Position(KeyName), KeyName), 0);
    EXPECT_EQ(firstTen([&] { return file->Previous(); }), (std::vector<int>{3, 4, 5, 2}));
    auto view = MakeView(*file);
    view->SetOrder("UPPER(Name)");
    view->SetPageBuffer(1, 0, 0, 0);
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(firstTen([&] { return view->Next(); }), (std::vector<int>{2, 5, 4, 3, 1}));
}

// Every keyed read must be served by an index, including the case-insensitive key's row-value
// comparison, or a browse over a large file reads the whole index per record.
TEST_F(KeyedOrder, EveryKeyedQueryUsesItsIndex) {
    KeyedSchema schema(TestDesc());
    auto plan = [&](const std::string& sql) { return QueryPlan(*file, sql); };
    SeekAnchor record{SeekAnchor::Record, {}, 1, false};
    SeekAnchor values{SeekAnchor::KeyValues, {}, 0, false};
    for (int key : {KeyId, KeyName, KeyScoreDesc}) {
        for (bool forward : {true, false}) {
            for (const SeekAnchor* a : {&record, &values}) {
                const std::string p = plan(schema.SeekSql(key, forward, *a));
                EXPECT_NE(p.find("USING INDEX key" + std::to_string(key)), std::string::npos) << p;
                EXPECT_EQ(p.find("TEMP B-TREE"), std::string::npos) << p;
                EXPECT_EQ(p.find("SCAN"), std::string::npos) << p;  // a SEARCH, not a full scan
            }
        }
        EXPECT_NE(plan(schema.SelectByKeySql(key)).find("key" + std::to_string(key)),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace tarn::storage::test
