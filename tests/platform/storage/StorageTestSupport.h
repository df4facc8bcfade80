#pragma once
// Shared pieces of the storage tests: a scratch folder and a test declaration that exercises
// every kind of field and key.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/storage/KeyedFile.h"
#include "platform/storage/RecordFile.h"
#include "platform/system/LastError.h"
#include "tests/support/TestFolder.h"

namespace tarn::storage::test {

#pragma pack(push, 1)
struct TestRecord {
    int32_t Id;
    char Name[20];
    char Code[8];
    int32_t Score;
};
#pragma pack(pop)

enum TestKey : int { KeyId = 0, KeyName = 1, KeyScoreDesc = 2, KeyMixed = 3 };

// TST: Id (unique), Name (case-insensitive, duplicates), Score descending, Score up + Name down.
inline const FileDesc& TestDesc() {
    static const FileDesc d = [] {
        FileDesc f;
        f.label = "Tests";
        f.prefix = "TST";
        f.name = "Tests";
        f.driver = "KEYED";
        f.recordSize = sizeof(TestRecord);
        f.fields = {{"TST:Id", FieldKind::Long, 0, 4},
                    {"TST:Name", FieldKind::CString, 4, 20},
                    {"TST:Code", FieldKind::FixedString, 24, 8},
                    {"TST:Score", FieldKind::Long, 32, 4}};
        KeyDesc id{"TST:KeyId", {{1, true}}};
        id.primary = true;
        KeyDesc name{"TST:KeyName", {{2, true}}, true, true};
        KeyDesc score{"TST:KeyScoreDesc", {{4, false}}, true};
        KeyDesc mixed{"TST:KeyMixed", {{4, true}, {2, false}}, true};
        f.keys = {id, name, score, mixed};
        f.blobs = {{"TST:Notes"}};
        return f;
    }();
    return d;
}

using tarn::test::TempFolder;

// A test file in a scratch folder, created and opened.
class KeyedFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
        file->SetName(dir / "Tests");
        ASSERT_EQ(file->Create(), 0) << platform::LastError().driverText;
        ASSERT_EQ(file->Open(0x42), 0) << platform::LastError().driverText;
    }

    void Set(int32_t id, const char* name, int32_t score = 0, const char* code = "") {
        file->ClearBuffer();
        rec.Id = id;
        std::strncpy(rec.Name, name, sizeof rec.Name - 1);
        std::memset(rec.Code, ' ', sizeof rec.Code);
        std::memcpy(rec.Code, code, std::strlen(code));
        rec.Score = score;
    }
    int AddRecord(int32_t id, const char* name, int32_t score = 0) {
        Set(id, name, score);
        return file->Add();
    }
    // Ids read by Next (or Previous) until the end.
    std::vector<int> ReadIds(bool forward = true) {
        std::vector<int> ids;
        while ((forward ? file->Next() : file->Previous()) == 0) ids.push_back(rec.Id);
        EXPECT_EQ(platform::LastErrorCode(), platform::kEndOfFile);
        return ids;
    }

    TempFolder dir;
    TestRecord rec{};
    std::unique_ptr<RecordFile> file;
};

// SQLite's EXPLAIN QUERY PLAN of sql on a KEYED file's connection, one step a line.
inline std::string QueryPlan(RecordFile& file, const std::string& sql) {
    auto* keyed = dynamic_cast<KeyedFile*>(&file);
    if (!keyed) return "not a KEYED file";
    sqlite3_stmt* s = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(keyed->Connection(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s,
                           nullptr) != SQLITE_OK)
        text = "cannot prepare " + sql;
    while (s && sqlite3_step(s) == SQLITE_ROW)
        text += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
    sqlite3_finalize(s);
    return text;
}

}  // namespace tarn::storage::test
