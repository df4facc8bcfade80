// The KEYED driver's single-record operations and their error codes, on real files.
#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>

#include "StorageTestSupport.h"
#include "platform/storage/FieldCodec.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;

TEST(KeyedOpen, MissingFileAnswers2ThenCreateMakesItWithDefaultExtension) {
    TempFolder dir;
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "Tests");
    EXPECT_EQ(file->Open(0x42), kFileNotFound);
    EXPECT_EQ(LastError().code, kFileNotFound);
    EXPECT_EQ(LastError().text, "File Not Found");
    EXPECT_EQ(LastError().fileName, dir / "Tests.db");
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(file->Create(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "Tests.db"));
    EXPECT_EQ(file->Open(0x42), 0);
    EXPECT_EQ(file->Open(0x42), kAlreadyOpen);
    EXPECT_TRUE(file->IsOpen());
}

TEST(KeyedOpen, NameWithExtensionIsUsedAsIs) {
    TempFolder dir;
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "data.tps");
    ASSERT_EQ(file->Create(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "data.tps"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data.tps.db"));
}

TEST(KeyedOpen, CreateInMissingFolderAnswers2) {
    TempFolder dir;
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "nowhere/Tests");
    EXPECT_EQ(file->Create(), kFileNotFound);
}

TEST(KeyedOpen, NotADatabaseAnswers47) {
    TempFolder dir;
    std::ofstream(dir / "Tests.db") << "this is a plain text file, not a database at all.......";
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "Tests");
    EXPECT_EQ(file->Open(0x42), kInvalidFile);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(file->Create(), kInvalidFile);
}

// What a creation killed before its commit leaves: an empty file, or a database with no table.
TEST(KeyedOpen, FileLeftByAKilledCreateOpensAsMissingAndCreateCompletesIt) {
    TempFolder dir;
    std::ofstream(dir / "Empty.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "Bare.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    for (const char* name : {"Empty", "Bare"}) {
        TestRecord rec{};
        auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
        file->SetName(dir / name);
        EXPECT_EQ(file->Open(0x42), kFileNotFound) << name;
        ASSERT_EQ(file->Create(), 0) << name;
        ASSERT_EQ(file->Open(0x42), 0) << name;
        rec.Id = 3;
        EXPECT_EQ(file->Add(), 0) << name;
    }
}

TEST(KeyedOpen, OtherLayoutOrForeignDatabaseAnswers47) {
    TempFolder dir;
    FileDesc other = TestDesc();
    other.fields[1].size = 30;  // the same names, another width
    TestRecord rec{};
    auto writer = MakeRecordFile(other, reinterpret_cast<uint8_t*>(&rec));
    writer->SetName(dir / "Tests");
    ASSERT_EQ(writer->Create(), 0);
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "Tests");
    EXPECT_EQ(file->Open(0x42), kInvalidFile);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "Foreign.db").c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    file->SetName(dir / "Foreign");
    EXPECT_EQ(file->Open(0x42), kInvalidFile);
}

TEST(KeyedOpen, CreateKeepsRecordsOfAnExistingFile) {
    TempFolder dir;
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "Tests");
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    rec.Id = 7;
    ASSERT_EQ(file->Add(), 0);
    ASSERT_EQ(file->Close(), 0);
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    rec.Id = 7;
    EXPECT_EQ(file->GetByKey(KeyId), 0);
}

TEST(KeyedOpen, OperationsOnClosedFileAnswerFileNotOpen) {
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    EXPECT_EQ(file->Next(), kDriverError);
    EXPECT_EQ(LastError().driverText, "File Not Open");
    EXPECT_EQ(file->Add(), kDriverError);
    EXPECT_EQ(file->GetByKey(KeyId), kDriverError);
}

// A manager that met 46 at open rebuilds the keys of the file it could not open.
TEST(KeyedOpen, KeysAreRebuiltOnAClosedFileWhichStaysClosed) {
    TempFolder dir;
    TestRecord rec{};
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / "Tests");
    EXPECT_EQ(file->BuildKeys(), kFileNotFound);
    ASSERT_EQ(file->Create(), 0);
    EXPECT_EQ(file->BuildKeys(), 0);
    EXPECT_FALSE(file->IsOpen());
    ASSERT_EQ(file->Open(0x42), 0);
    EXPECT_EQ(file->BuildKeys(), 0);
    EXPECT_TRUE(file->IsOpen());
}

TEST(KeyedOpen, UnknownDriverIsNull) {
    FileDesc d = TestDesc();
    d.driver = "NOSUCHDRIVER";
    TestRecord rec{};
    EXPECT_EQ(MakeRecordFile(d, reinterpret_cast<uint8_t*>(&rec)), nullptr);
    EXPECT_EQ(LastErrorCode(), kDriverError);
}

using KeyedRecords = KeyedFixture;

TEST_F(KeyedRecords, AddThenGetByKeyReadsEveryFieldBack) {
    Set(5, "Alpha", 42, "AB");
    file->Blob(0) = std::string("notes\0with zero", 15);
    ASSERT_EQ(file->Add(), 0);
    std::memset(&rec, 0x55, sizeof rec);
    file->Blob(0).clear();
    rec.Id = 5;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_EQ(rec.Id, 5);
    EXPECT_STREQ(rec.Name, "Alpha");
    EXPECT_EQ(std::string(rec.Code, 8), "AB      ");
    EXPECT_EQ(rec.Score, 42);
    EXPECT_EQ(file->Blob(0), std::string("notes\0with zero", 15));
    EXPECT_EQ(file->GetNulls(), "0000");
}

// Skipping BLOBs is asked for one read: a read that finds nothing uses the request up too.
TEST_F(KeyedRecords, SkippingBlobsLastsForOneReadEvenOneThatFindsNothing) {
    Set(5, "Alpha");
    file->Blob(0) = "kept";
    ASSERT_EQ(file->Add(), 0);
    file->SkipBlobsOnNextRead();
    rec.Id = 6;
    ASSERT_EQ(file->GetByKey(KeyId), kRecordNotFound);
    rec.Id = 5;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_EQ(file->Blob(0), "kept");
    file->SkipBlobsOnNextRead();
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_EQ(file->Blob(0), "");
}

TEST_F(KeyedRecords, GetByKeyMissingAnswers35AndCaseInsensitiveKeyMatchesAnyCase) {
    ASSERT_EQ(AddRecord(1, "Spooler"), 0);
    rec.Id = 2;
    EXPECT_EQ(file->GetByKey(KeyId), kRecordNotFound);
    EXPECT_EQ(LastError().text, "Record Not Found");
    Set(0, "SPOOLER");
    ASSERT_EQ(file->GetByKey(KeyName), 0);
    EXPECT_EQ(rec.Id, 1);
    EXPECT_EQ(file->GetByKey(99), kDriverError);
}

TEST_F(KeyedRecords, DuplicateInUniqueKeyAnswers40AndDuplicateTestAgrees) {
    ASSERT_EQ(AddRecord(1, "a"), 0);
    Set(1, "b");
    // The record just added is current, and the current record is not its own duplicate.
    EXPECT_FALSE(file->Duplicate(KeyId));
    file->GetRecordZero();
    EXPECT_TRUE(file->Duplicate(KeyId));
    EXPECT_FALSE(file->Duplicate(KeyName));  // duplicates allowed
    EXPECT_EQ(file->Add(), kDuplicateKey);
    EXPECT_EQ(LastError().text, "Creates Duplicate Key");
    Set(2, "a");
    EXPECT_FALSE(file->Duplicate(KeyId));
    EXPECT_EQ(file->Add(), 0);
    rec.Id = 1;
    EXPECT_TRUE(file->Duplicate(KeyId));
    EXPECT_EQ(file->Put(), kDuplicateKey);
}

TEST_F(KeyedRecords, PutAndDeleteWorkOnTheCurrentRecordOnly) {
    EXPECT_EQ(file->Put(), kRecordNotFound);
    ASSERT_EQ(AddRecord(1, "one", 10), 0);
    ASSERT_EQ(AddRecord(2, "two", 20), 0);
    rec.Id = 1;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    rec.Score = 11;
    ASSERT_EQ(file->Put(), 0);
    rec.Id = 1;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_EQ(rec.Score, 11);
    ASSERT_EQ(file->Delete(), 0);
    EXPECT_EQ(file->Delete(), kRecordNotFound);
    EXPECT_EQ(file->Put(), kRecordNotFound);
    EXPECT_EQ(file->GetByKey(KeyId), kRecordNotFound);
    rec.Id = 2;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    file->GetRecordZero();
    EXPECT_EQ(file->Put(), kRecordNotFound);
    EXPECT_EQ(file->Position(-1), "");
}

TEST_F(KeyedRecords, PositionBringsTheSameRecordBack) {
    ASSERT_EQ(AddRecord(1, "one"), 0);
    const std::string added = file->Position(-1);
    ASSERT_EQ(AddRecord(2, "two"), 0);
    rec.Id = 2;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    const std::string pos = file->Position(KeyName);
    EXPECT_FALSE(pos.empty());
    EXPECT_NE(pos, added);
    file->ClearBuffer();
    ASSERT_EQ(file->Reget(pos, KeyName), 0);
    EXPECT_EQ(rec.Id, 2);
    ASSERT_EQ(file->Reget(added, -1), 0);
    EXPECT_EQ(rec.Id, 1);
    EXPECT_EQ(file->Reget("999", -1), kRecordNotFound);
    EXPECT_EQ(file->Reget("garbage", -1), kRecordNotFound);
}

TEST_F(KeyedRecords, WatchedPutAnswers89AfterAnotherConnectionChangedTheRecord) {
    ASSERT_EQ(AddRecord(1, "one", 1), 0);
    TestRecord other{};
    auto second = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&other));
    second->SetName(dir / "Tests");
    ASSERT_EQ(second->Open(0x42), 0);

    rec.Id = 1;
    file->Watch();
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    other.Id = 1;
    ASSERT_EQ(second->GetByKey(KeyId), 0);
    other.Score = 2;
    ASSERT_EQ(second->Put(), 0);

    rec.Score = 3;
    EXPECT_EQ(file->Put(), kChangedByOther);
    EXPECT_EQ(LastError().text, "Record Changed By Another Station");
    // Read again, the put goes through; our own puts do not trip the watch.
    rec.Id = 1;
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_EQ(rec.Score, 2);
    rec.Score = 4;
    EXPECT_EQ(file->Put(), 0);
    rec.Score = 5;
    EXPECT_EQ(file->Put(), 0);
    // A watched record deleted by the other connection is not found.
    other.Id = 1;
    ASSERT_EQ(second->GetByKey(KeyId), 0);
    ASSERT_EQ(second->Delete(), 0);
    EXPECT_EQ(file->Put(), kRecordNotFound);
    // A record added since was never read under watch: its put is ours to make.
    ASSERT_EQ(AddRecord(2, "two", 1), 0);
    other.Id = 2;
    ASSERT_EQ(second->GetByKey(KeyId), 0);
    other.Score = 2;
    ASSERT_EQ(second->Put(), 0);
    rec.Score = 3;
    EXPECT_EQ(file->Put(), 0);
}

TEST_F(KeyedRecords, UnwatchedPutOverwritesOtherChanges) {
    ASSERT_EQ(AddRecord(1, "one", 1), 0);
    TestRecord other{};
    auto second = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&other));
    second->SetName(dir / "Tests");
    ASSERT_EQ(second->Open(0x42), 0);
    other.Id = 1;
    ASSERT_EQ(second->GetByKey(KeyId), 0);
    other.Score = 2;
    ASSERT_EQ(second->Put(), 0);
    rec.Score = 3;
    EXPECT_EQ(file->Put(), 0);
}

TEST_F(KeyedRecords, RolledBackTransactionLeavesNothingCommittedOneStays) {
    ASSERT_EQ(file->BeginTransaction(2), 0);
    ASSERT_EQ(AddRecord(1, "one"), 0);
    ASSERT_EQ(AddRecord(2, "two"), 0);
    ASSERT_EQ(file->Rollback(), 0);
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    EXPECT_EQ(ReadIds(), std::vector<int>{});

    ASSERT_EQ(BeginTransaction({file.get()}, 2), 0);
    ASSERT_EQ(AddRecord(3, "three"), 0);
    ASSERT_EQ(CommitTransaction({file.get()}), 0);
    ASSERT_EQ(file->Close(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    EXPECT_EQ(ReadIds(), std::vector<int>{3});
    EXPECT_EQ(file->Commit(), kDriverError);  // none open
    EXPECT_EQ(file->SetTransactionFlag(1), 0);
    EXPECT_EQ(file->TransactionFlag(), 1);
}

TEST_F(KeyedRecords, TransactionWaitsForTheWriteLockThenAnswers90) {
    TestRecord other{};
    auto second = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&other));
    second->SetName(dir / "Tests");
    ASSERT_EQ(second->Open(0x42), 0);
    ASSERT_EQ(file->BeginTransaction(1), 0);
    second->SendCommand("Recover=0");
    EXPECT_EQ(second->BeginTransaction(0), kDriverError);
    EXPECT_EQ(LastError().driverCode, std::to_string(SQLITE_BUSY));
    EXPECT_EQ(second->Add(), kDriverError);
    ASSERT_EQ(file->Commit(), 0);
    EXPECT_EQ(second->Add(), 0);
}

TEST_F(KeyedRecords, SavedStateRestoresRecordBufferAndPosition) {
    for (int i = 1; i <= 3; ++i) ASSERT_EQ(AddRecord(i, "n", i), 0);
    ASSERT_EQ(file->SetToStart(KeyId), 0);
    ASSERT_EQ(file->Next(), 0);
    const int state = file->SaveState();
    EXPECT_GT(state, 0);
    ASSERT_EQ(file->Next(), 0);
    ASSERT_EQ(file->Next(), 0);
    EXPECT_EQ(rec.Id, 3);
    file->RestoreState(state);
    EXPECT_EQ(rec.Id, 1);
    EXPECT_EQ(file->Position(-1), "1");
    ASSERT_EQ(file->Next(), 0);
    EXPECT_EQ(rec.Id, 2);
    file->FreeState(state);
}

TEST_F(KeyedRecords, ClearBufferEmptiesAndFieldLimitsBoundEveryStoredValue) {
    ASSERT_EQ(AddRecord(1, "zzz", -5), 0);
    file->ClearBuffer(false);
    EXPECT_EQ(rec.Score, 0);
    EXPECT_EQ(rec.Name[0], 0);
    EXPECT_EQ(std::string(rec.Code, 8), std::string(8, ' '));
    // Score up, Name down: the lowest score and the highest name sort first.
    const auto& fields = TestDesc().fields;
    SetFieldLimit(fields[3], reinterpret_cast<uint8_t*>(&rec), false);
    SetFieldLimit(fields[1], reinterpret_cast<uint8_t*>(&rec), true);
    EXPECT_EQ(rec.Score, INT32_MIN);
    ASSERT_EQ(file->SetToKey(KeyMixed), 0);
    ASSERT_EQ(file->Next(), 0);
    EXPECT_EQ(rec.Id, 1);
    file->ClearBuffer(true);
    EXPECT_EQ(rec.Score, INT32_MAX);
    EXPECT_EQ(uint8_t(rec.Name[0]), 0xFF);
    EXPECT_EQ(rec.Name[19], 0);
    ASSERT_EQ(file->SetToKey(KeyName), 0);
    ASSERT_EQ(file->Previous(), 0);
    EXPECT_EQ(rec.Id, 1);
}

TEST_F(KeyedRecords, LongTextIsCutOnACharacterBoundary) {
    // 18 bytes of 'x' and a two-byte character: 20 bytes, one too many for a 20-byte CString.
    std::string text = std::string(18, 'x') + "\xC3\xA9";
    FieldDesc name = TestDesc().fields[1];
    WriteField(name, text, reinterpret_cast<uint8_t*>(&rec));
    EXPECT_EQ(std::string(rec.Name), std::string(18, 'x'));
}

struct CountingObserver : OperationObserver {
    std::vector<int> started, done;
    int stopOp = -1;
    int stopCode = 0;  // the error the observer sets when it stops an operation
    bool OnOperationStart(OperationCall& call) override {
        started.push_back(call.op);
        if (call.op == stopOp && stopCode) SetLastError(stopCode);
        return call.op != stopOp;
    }
    bool OnOperationDone(OperationCall& call) override {
        done.push_back(call.op);
        return true;
    }
};

TEST_F(KeyedRecords, ObserverSeesEveryOperationAndCanStopOne) {
    CountingObserver observer;
    file->SetObserver(&observer);
    ASSERT_EQ(AddRecord(1, "one"), 0);
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    observer.stopOp = OpDelete;
    observer.stopCode = kRecordHeld;
    EXPECT_EQ(file->Delete(), kRecordHeld);
    EXPECT_EQ(file->GetByKey(KeyId), 0);  // still there
    EXPECT_EQ(observer.started, (std::vector<int>{OpAdd, OpGetByKey, OpDelete, OpGetByKey}));
    EXPECT_EQ(observer.done, (std::vector<int>{OpAdd, OpGetByKey, OpGetByKey}));
    file->SetObserver(nullptr);
}

// A write stopped without a reason must not look like a write that worked.
TEST_F(KeyedRecords, WriteStoppedWithoutAnErrorAnswers90) {
    CountingObserver observer;
    file->SetObserver(&observer);
    ASSERT_EQ(AddRecord(1, "one"), 0);
    observer.stopOp = OpPut;
    std::strcpy(rec.Name, "changed");
    EXPECT_EQ(file->Put(), kDriverError);
    EXPECT_EQ(LastError().driverText, "Operation stopped by its observer");
    file->SetObserver(nullptr);
    ASSERT_EQ(file->GetByKey(KeyId), 0);
    EXPECT_STREQ(rec.Name, "one");
}

}  // namespace
}  // namespace tarn::storage::test
