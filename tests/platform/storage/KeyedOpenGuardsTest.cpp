// What an open refuses rather than guesses at: a records table whose columns are no longer the
// declared ones, a symbolic link at the file's name; and the mode of a file it creates.
#include <sys/stat.h>
#include <unistd.h>

#include "StorageTestSupport.h"
#include "tests/support/RawSql.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;
using tarn::test::RawExec;
using tarn::test::ReadAll;

std::unique_ptr<RecordFile> TestsFile(const TempFolder& dir, TestRecord& rec,
                                      const std::string& name = "Tests") {
    auto file = MakeRecordFile(TestDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(dir / name);
    return file;
}

TEST(KeyedColumns, RenamedDroppedOrAddedColumnAnswers47WithTheFileName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(ALTER TABLE records RENAME COLUMN "TST:Name" TO "TST:Nom")",
         R"(Column 4 of table records is "TST:Nom" TEXT, declared "TST:Name" TEXT)"},
        {R"(ALTER TABLE records DROP COLUMN "TST:Code")",
         R"(Column 5 of table records is "TST:Score" INTEGER, declared "TST:Code" TEXT)"},
        {R"(ALTER TABLE records DROP COLUMN "TST:Notes")",
         R"(Column "TST:Notes" is missing from table records)"},
        {R"(ALTER TABLE records ADD COLUMN "TST:Extra" TEXT)",
         R"(Column "TST:Extra" of table records is not declared)"},
    };
    for (const auto& [alter, why] : cases) {
        SCOPED_TRACE(alter);
        TempFolder dir;
        TestRecord rec{};
        auto file = TestsFile(dir, rec);
        ASSERT_EQ(file->Create(), 0);
        ASSERT_EQ(RawExec(dir / "Tests.db", alter), "");
        EXPECT_EQ(file->Open(0x42), kInvalidFile);
        EXPECT_FALSE(file->IsOpen());
        EXPECT_EQ(LastError().fileName, dir / "Tests.db");
        EXPECT_EQ(LastError().driverText, why);
        EXPECT_EQ(file->Open(0x40), kInvalidFile);
        EXPECT_EQ(file->Create(), kInvalidFile);
    }
}

// SQLite would read an unknown double-quoted column name as a text: every record's name would
// then read as "TST:Name".
TEST(KeyedColumns, ColumnRenamedWhileOpenFailsTheReadInsteadOfReadingItsName) {
    TempFolder dir;
    TestRecord rec{};
    auto file = TestsFile(dir, rec);
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    rec.Id = 1;
    std::strcpy(rec.Name, "one");
    ASSERT_EQ(file->Add(), 0);
    ASSERT_EQ(RawExec(dir / "Tests.db", R"(ALTER TABLE records RENAME COLUMN "TST:Name" TO "N")"),
              "");
    file->ClearBuffer();
    rec.Id = 1;
    EXPECT_EQ(file->GetByKey(KeyId), kDriverError);
    EXPECT_EQ(LastError().driverText, "no such column: TST:Name");
    EXPECT_STRNE(rec.Name, "TST:Name");
}

TEST(KeyedLinks, LinkAtTheFileNameIsRefusedAndItsTargetUntouched) {
    TempFolder dir;
    TestRecord rec{};
    // The target is a file of the very same layout: following the link would work.
    ASSERT_EQ(TestsFile(dir, rec, "Other")->Create(), 0);
    const std::string target = ReadAll(dir / "Other.db");
    ASSERT_EQ(symlink((dir / "Other.db").c_str(), (dir / "Tests.db").c_str()), 0);
    auto file = TestsFile(dir, rec);
    for (uint8_t mode : {0x42, 0x40}) {
        EXPECT_EQ(file->Open(mode), kFileSystemError);
        EXPECT_EQ(LastError().fileName, dir / "Tests.db");
        EXPECT_EQ(LastError().driverCode, std::to_string(ELOOP));
        EXPECT_EQ(LastError().driverText, dir / "Tests.db" + " is a symbolic link: not followed");
    }
    EXPECT_EQ(file->Create(), kFileSystemError);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(ReadAll(dir / "Other.db"), target);
    EXPECT_FALSE(std::filesystem::exists(dir / "Other.db-wal"));

    // A link to nothing yet: Create does not make its target.
    ASSERT_EQ(unlink((dir / "Tests.db").c_str()), 0);
    ASSERT_EQ(symlink((dir / "Absent.db").c_str(), (dir / "Tests.db").c_str()), 0);
    EXPECT_EQ(file->Create(), kFileSystemError);
    EXPECT_FALSE(std::filesystem::exists(dir / "Absent.db"));
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(KeyedNewFile, IsForOwnerAndGroupOnlyWhateverTheUmaskAndSoAreItsLogFiles) {
    struct Umask {
        mode_t old = umask(0);
        ~Umask() { umask(old); }
    } open;
    TempFolder dir;
    TestRecord rec{};
    auto file = TestsFile(dir, rec);
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(file->Add(), 0);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        SCOPED_TRACE(suffix);
        EXPECT_EQ(ModeOf(dir / "Tests.db" + suffix), 0640u);
    }
    // An existing file keeps the mode it has.
    ASSERT_EQ(file->Close(), 0);
    ASSERT_EQ(chmod((dir / "Tests.db").c_str(), 0600), 0);
    ASSERT_EQ(file->Create(), 0);
    EXPECT_EQ(ModeOf(dir / "Tests.db"), 0600u);
}

}  // namespace
}  // namespace tarn::storage::test
