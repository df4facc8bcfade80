// Filter expressions, order texts and views over a KEYED file.
#include <thread>

#include "StorageTestSupport.h"
#include "platform/storage/Expression.h"
#include "platform/storage/FieldCodec.h"
#include "platform/storage/KeyedView.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;

class ExpressionEval : public ::testing::Test {
  protected:
    bool Match(const std::string& text) {
        std::string error;
        auto e = Expression::Parse(text, TestDesc(), error);
        EXPECT_NE(e, nullptr) << text << ": " << error;
        return e && e->Matches(reinterpret_cast<uint8_t*>(&rec));
    }
    std::string ErrorOf(const std::string& text) {
        std::string error;
        EXPECT_EQ(Expression::Parse(text, TestDesc(), error), nullptr) << text;
        return error;
    }
    void SetUp() override {
        ClearRecord(TestDesc(), reinterpret_cast<uint8_t*>(&rec), false);
        rec.Id = 7;
        std::strcpy(rec.Name, "O'Brien");
        std::memcpy(rec.Code, "AB", 2);
        rec.Score = -3;
    }
    TestRecord rec{};
};

TEST_F(ExpressionEval, ComparesFieldsWithLiteralsByFullOrShortNameInAnyCase) {
    EXPECT_TRUE(Match("TST:Id = 7"));
    EXPECT_TRUE(Match("tst:id=7"));
    EXPECT_TRUE(Match("Id >= 7 AND id <= 7.0"));
    EXPECT_FALSE(Match("Id <> 7"));
    EXPECT_TRUE(Match("Score < 0 AND Score = -3"));
    EXPECT_TRUE(Match("Name = 'O''Brien'"));
    EXPECT_TRUE(Match("Code = 'AB'"));  // fixed text's padding does not count
    EXPECT_TRUE(Match("Name > 'N' AND Name < 'P'"));
}

TEST_F(ExpressionEval, LogicPrecedenceParenthesesAndCaseFunctions) {
    EXPECT_TRUE(Match("Id = 1 OR Id = 7 AND Score = -3"));
    EXPECT_FALSE(Match("(Id = 1 OR Id = 7) AND Score = 5"));
    EXPECT_TRUE(Match("NOT Id = 1"));
    EXPECT_TRUE(Match("not not Id = 7"));
    EXPECT_TRUE(Match("UPPER(Name) = 'O''BRIEN'"));
    EXPECT_TRUE(Match("lower(Name) = 'o''brien'"));
    EXPECT_FALSE(Match("Name = 'o''brien'"));
    EXPECT_TRUE(Match("Id"));
    EXPECT_FALSE(Match("0 OR ''"));
}

TEST_F(ExpressionEval, SyntaxErrorsAreReadableNeverFatal) {
    EXPECT_EQ(ErrorOf("Name = 'open"), "Missing closing quote for the text starting at position 8");
    EXPECT_EQ(ErrorOf("Nmae = 'x'"), "Unknown field 'Nmae' at position 1");
    EXPECT_EQ(ErrorOf("Id = "), "Unexpected end of expression at position 6");
    EXPECT_EQ(ErrorOf("(Id = 7"), "Expected ')' at position 8");
    EXPECT_EQ(ErrorOf("Id = 7 7"), "Unexpected '7' at position 8");
    EXPECT_EQ(ErrorOf("Id # 7"), "Unexpected character '#' at position 4");
    EXPECT_EQ(ErrorOf("UPPER Name"), "Expected '(' after function name at position 7");
    EXPECT_EQ(ErrorOf(std::string(5000, '(') + "Id"),
              "Expression nested too deeply at position 201");
    EXPECT_EQ(ErrorOf("AND"), "Unexpected 'AND' at position 1");
}

class Views : public KeyedFixture {
  protected:
    void SetUp() override {
        KeyedFixture::SetUp();
        AddRecord(1, "delta", 30);
        AddRecord(2, "Alpha", 10);
        AddRecord(3, "charlie", 20);
        AddRecord(4, "bravo", 20);
        view = MakeView(*file);
    }
    std::vector<int> ReadView(bool forward = true) {
        std::vector<int> ids;
        while ((forward ? view->Next() : view->Previous()) == 0) ids.push_back(rec.Id);
        EXPECT_EQ(LastErrorCode(), kEndOfFile);
        return ids;
    }
    std::unique_ptr<View> view;
};

TEST_F(Views, FilterAndOrderSelectAndSortRecords) {
    view->SetOrder("-TST:Score, UPPER(TST:Name)");
    view->SetFilter("Score >= 20");
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(ReadView(), (std::vector<int>{1, 4, 3}));
    ASSERT_EQ(view->SetToStart(), 0);
    EXPECT_EQ(ReadView(false), (std::vector<int>{3, 4, 1}));
}

TEST_F(Views, NoOrderIsFileOrderAndCaseMattersWithoutUpper) {
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(ReadView(), (std::vector<int>{1, 2, 3, 4}));
    view->Close();
    view->SetOrder("+Name");
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(ReadView(), (std::vector<int>{2, 4, 3, 1}));  // 'A' sorts before 'b'
}

TEST_F(Views, SetToBufferPositionsInTheOrder) {
    view->SetOrder("Score, Id");
    ASSERT_EQ(view->Open(), 0);
    Set(0, "", 20);
    ASSERT_EQ(view->SetToBuffer(), 0);
    EXPECT_EQ(ReadView(), (std::vector<int>{3, 4, 1}));
    Set(99, "", 20);
    ASSERT_EQ(view->SetToBuffer(), 0);
    EXPECT_EQ(ReadView(false), (std::vector<int>{4, 3, 2}));
}

TEST_F(Views, RecordsReadThroughAViewCanBeWrittenBackAndDeletedOnesAreSkipped) {
    view->SetOrder("Id");
    ASSERT_EQ(view->Open(), 0);
    ASSERT_EQ(view->Next(), 0);  // the page in hand holds all four
    rec.Id = 3;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    ASSERT_EQ(file->Delete(), 0);
    ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(rec.Id, 2);
    EXPECT_EQ(view->Position(), file->Position(-1));
    rec.Score = 99;
    ASSERT_EQ(file->Put(), 0);
    EXPECT_EQ(ReadView(), (std::vector<int>{4}));
    rec.Id = 2;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_EQ(rec.Score, 99);
}

// A pass that writes back each record it reads meets every record once, and again only when the
// write moved it ahead; a write to a record the page holds ahead is read as written.
TEST_F(Views, WritingBackRecordsReadMeetsMovedAndChangedOnesAsStored) {
    view->SetOrder("Score, Id");  // 2 (10), 3 (20), 4 (20), 1 (30)
    view->SetPageBuffer(4, 0, 0, 60);
    ASSERT_EQ(view->Open(), 0);
    std::vector<int> ids;
    while (view->Next() == 0) {
        ids.push_back(rec.Id);
        if (rec.Id == 3 && rec.Score == 20) rec.Score = 25;  // now between 4 and 1
        ASSERT_EQ(file->Put(), 0);
    }
    EXPECT_EQ(ids, (std::vector<int>{2, 3, 4, 3, 1}));

    ASSERT_EQ(view->SetToStart(), 0);
    ASSERT_EQ(view->Next(), 0);
    Set(1, "");
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    std::strcpy(rec.Name, "fresh");
    ASSERT_EQ(file->Put(), 0);
    while (view->Next() == 0) continue;
    EXPECT_EQ(rec.Id, 1);
    EXPECT_STREQ(rec.Name, "fresh");
}

TEST_F(Views, OpenLeavesThePrimaryBufferAsItWas) {
    Set(42, "kept", 5);
    view->SetFilter("Id > 0");
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(rec.Id, 42);
    EXPECT_STREQ(rec.Name, "kept");
}

TEST_F(Views, UnparsableFilterOrOrderAnswers801WithText) {
    view->SetFilter("Score >> 3");
    EXPECT_EQ(view->Open(), kInvalidExpression);
    EXPECT_EQ(LastError().text, "Invalid Expression");
    EXPECT_EQ(LastError().driverText, "Filter: Unexpected '>' at position 8");
    view->SetFilter("");
    view->SetOrder("Score Name");
    EXPECT_EQ(view->Open(), kInvalidExpression);
    EXPECT_EQ(LastError().driverText, "Order: Expected ',' at position 7");
    view->SetOrder("UPPER(Name");
    EXPECT_EQ(view->Open(), kInvalidExpression);
    view->SetOrder("Bogus");
    EXPECT_EQ(view->Open(), kInvalidExpression);
    EXPECT_EQ(LastError().driverText, "Order: Unknown field 'Bogus'");
}

struct ReadCounter : OperationObserver {
    std::vector<std::pair<int, bool>> started;  // operation, for a view
    bool OnOperationStart(OperationCall& call) override {
        started.emplace_back(call.op, call.forView);
        return true;
    }
    bool OnOperationDone(OperationCall&) override { return true; }
};

// Opening a view costs the same on any file: it reads no record. Each view read is one
// operation for the file's observer.
TEST_F(Views, OpenReadsNothingAndEachReadIsOneViewOperation) {
    ReadCounter counter;
    file->SetObserver(&counter);
    view->SetOrder("UPPER(Name)");
    view->SetFilter("Score > 10");
    ASSERT_EQ(view->Open(), 0);
    EXPECT_TRUE(counter.started.empty());
    ASSERT_EQ(view->Next(), 0);
    ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(counter.started, (std::vector<std::pair<int, bool>>{{OpNext, true}, {OpNext, true}}));
    file->SetObserver(nullptr);
}

// Pages of 7 over 60 records with a filter partly left to the evaluator (the bare "Score"):
// nothing is lost or repeated at page ends, in either direction or when turning round.
TEST_F(Views, PagesThroughAPartlyEvaluatedFilterInBothDirections) {
    for (int id = 5; id <= 60; ++id) AddRecord(id, id % 2 ? "odd" : "even", id % 3);
    std::vector<int> expected;
    for (int id = 1; id <= 60; ++id) {
        const int score = id == 1 ? 30 : id == 2 ? 10 : id <= 4 ? 20 : id % 3;
        if (score != 0 && id > 2) expected.push_back(id);
    }
    view->SetOrder("Id");
    view->SetFilter("Score AND Id > 2");
    view->SetPageBuffer(7, 0, 0, 60);
    ASSERT_EQ(view->Open(), 0);
    EXPECT_EQ(ReadView(), expected);
    ASSERT_EQ(view->SetToStart(), 0);
    EXPECT_EQ(ReadView(false), std::vector<int>(expected.rbegin(), expected.rend()));
    ASSERT_EQ(view->SetToStart(), 0);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(rec.Id, expected[9]);
    ASSERT_EQ(view->Previous(), 0);
    EXPECT_EQ(rec.Id, expected[8]);
    ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(rec.Id, expected[9]);
}

// The browse restores a view to a row it shows: both directions read that row first.
TEST_F(Views, SetToPositionReadsThatRecordFirstEitherWay) {
    view->SetOrder("-Score, Id");
    ASSERT_EQ(view->Open(), 0);
    rec.Id = 3;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    const std::string position = file->Position(-1);
    ASSERT_EQ(view->SetToPosition(position), 0);
    EXPECT_EQ(ReadView(), (std::vector<int>{3, 4, 2}));
    ASSERT_EQ(view->SetToPosition(position), 0);
    EXPECT_EQ(ReadView(false), (std::vector<int>{3, 1}));
    ASSERT_EQ(file->Reget(position, -1), 0);
    ASSERT_EQ(file->Delete(), 0);
    EXPECT_EQ(view->SetToPosition(position), kRecordNotFound);
}

// Another connection's changes reach a page that has been held for a while; the stamp shows them.
TEST_F(Views, PageHeldForAWhileSeesAnotherConnectionsChanges) {
    TestRecord otherRec{};
    auto other = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&otherRec));
    other->SetName(dir / "Tests");
    ASSERT_EQ(other->Open(0x42), 0);
    view->SetOrder("Id");
    ASSERT_EQ(view->Open(), 0);
    ASSERT_EQ(view->Next(), 0);
    const int64_t stamp = file->ChangeStamp();
    EXPECT_EQ(file->ChangeStamp(), stamp);
    for (int id : {2, 3}) {
        otherRec.Id = id;
        ASSERT_EQ(other->GetByKey(KeyId), 0);
        if (id == 2) {
            ASSERT_EQ(other->Delete(), 0);
        } else {
            otherRec.Score = 77;
            ASSERT_EQ(other->Put(), 0);
        }
    }
    std::this_thread::sleep_for(KeyedView::kFreshFor + std::chrono::milliseconds(20));
    ASSERT_EQ(view->Next(), 0);
    EXPECT_EQ(rec.Id, 3);
    EXPECT_EQ(rec.Score, 77);
    EXPECT_NE(file->ChangeStamp(), stamp);
    const int64_t seen = file->ChangeStamp();
    rec.Score = 78;
    ASSERT_EQ(file->Put(), 0);
    EXPECT_NE(file->ChangeStamp(), seen);
}

}  // namespace
}  // namespace tarn::storage::test
