// The data dictionary both programs set up at start: one file and one relation manager per file,
// nothing opened until first use.
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "DataTestSupport.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"

namespace tarn::data::test {
namespace {

class DictionaryTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        errors::GlobalErrors().Init();
    }
    void TearDown() override {
        DictionaryKill();
        std::filesystem::current_path(previous_);
        DataTest::TearDown();
    }
    std::filesystem::path previous_;
};

TEST_F(DictionaryTest, BuildsManagersWithoutOpeningFiles) {
    DictionaryInit();
    ASSERT_NE(Access_Settings, nullptr);
    ASSERT_NE(Access_ServicesToCheck, nullptr);
    EXPECT_EQ(Access_QuorvelCheckServiceLog, nullptr);
    EXPECT_EQ(Relate_Settings->Me, Access_Settings);
    EXPECT_EQ(Relate_ServicesToCheck->Me, Access_ServicesToCheck);
    EXPECT_EQ(Relate_Settings->UseLogout, 1);
    EXPECT_EQ(Access_Settings->LazyOpen, 1);
    EXPECT_EQ(Access_Settings->ReadAheadSize(), 10);
    EXPECT_FALSE(std::filesystem::exists("Settings.db"));
    EXPECT_EQ(ThreadRegistry().FileManagerOf(&records::SettingsFile()), Access_Settings);
    EXPECT_EQ(ThreadRegistry().RelationManagerOf(&records::ServicesToCheckFile()),
              Relate_ServicesToCheck);
}

TEST_F(DictionaryTest, KeysAreRegisteredInDeclarationOrder) {
    DictionaryInit();
    ASSERT_EQ(Relate_ServicesToCheck->Open(), LevelQuiet);
    const auto& keys = Access_ServicesToCheck->Keys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].Description, "SerCHK:KeyRecID");
    EXPECT_EQ(keys[0].AutoInc, 1);
    EXPECT_EQ(keys[1].Description, "SerCHK:KeyServiceName");
    EXPECT_EQ(keys[1].AutoInc, 0);
    EXPECT_EQ(Access_ServicesToCheck->PrimaryKey, 1);
    EXPECT_EQ(Access_ServicesToCheck->ReadAheadSize(), 20);
    EXPECT_EQ(Access_ServicesToCheck->KeyOrderText(records::SERCHK_KeyRecID), "SERCHK:RecordID");
    ASSERT_EQ(Relate_Settings->Open(), LevelQuiet);
    EXPECT_EQ(Access_Settings->Keys[0].Description, "Set:KeyRecID");
    EXPECT_TRUE(std::filesystem::exists("Settings.db"));
    Relate_Settings->Close();
    Relate_ServicesToCheck->Close();
}

TEST_F(DictionaryTest, SettingsRecordIsNumberedOne) {
    DictionaryInit();
    ASSERT_EQ(Relate_Settings->Open(), LevelQuiet);
    records::Settings().RecordID = 1;
    EXPECT_EQ(Access_Settings->GetByKeyQuiet(records::SET_KeyRecID), LevelNotice);
    EXPECT_EQ(platform::LastErrorCode(), 35);
    records::Settings().TimeBetweenCyclesInSeconds = 60;
    ASSERT_EQ(Access_Settings->Insert(), LevelQuiet);
    EXPECT_EQ(records::Settings().RecordID, 1);
    Relate_Settings->Close();
}

TEST_F(DictionaryTest, CheckerLogAppendsLines) {
    DictionaryInit(true);
    ASSERT_NE(Access_QuorvelCheckServiceLog, nullptr);
    records::QuorvelCheckServiceLogFile().SetName(
        (std::filesystem::path(dir_) / "day.log").string());
    ASSERT_EQ(Relate_QuorvelCheckServiceLog->Open(), LevelQuiet);
    std::memset(records::QuorvelCheckServiceLog().Field1, ' ', 201);
    std::memcpy(records::QuorvelCheckServiceLog().Field1, "first line", 10);
    EXPECT_EQ(Access_QuorvelCheckServiceLog->Insert(), LevelQuiet);
    Relate_QuorvelCheckServiceLog->Close();
    std::ifstream in(std::filesystem::path(dir_) / "day.log", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str().substr(0, 10), "first line");
    EXPECT_EQ(content.str().substr(content.str().size() - 2), "\r\n");
}

TEST_F(DictionaryTest, KillClearsTheReferencesAndMayRunTwice) {
    DictionaryInit();
    ASSERT_EQ(Relate_Settings->Open(), LevelQuiet);
    DictionaryKill();
    EXPECT_EQ(Access_Settings, nullptr);
    EXPECT_EQ(Relate_Settings, nullptr);
    EXPECT_EQ(Access_ServicesToCheck, nullptr);
    EXPECT_FALSE(records::SettingsFile().IsOpen());
    EXPECT_EQ(ThreadRegistry().FileManagerOf(&records::SettingsFile()), nullptr);
    DictionaryKill();
    DictionaryInit();
    EXPECT_NE(Access_Settings, nullptr);
}

// What one test leaves in the thread's files, the next one must not find.
TEST_F(DictionaryTest, KillGivesTheFilesTheirDeclaredStateBack) {
    DictionaryInit(true);
    records::QuorvelCheckServiceLogFile().SetName("elsewhere.log");
    records::ServicesToCheckFile().SetName("Other");
    ASSERT_EQ(Relate_ServicesToCheck->Open(), LevelQuiet);
    records::ServicesToCheck().RecordID = 7;
    std::strcpy(records::ServicesToCheck().ServiceName, "left over");
    records::QuorvelCheckServiceLog().Field1[0] = 'x';
    DictionaryKill();
    EXPECT_EQ(records::QuorvelCheckServiceLogFile().Name(), "QuorvelCheckServiceLog.log");
    EXPECT_EQ(records::ServicesToCheckFile().Name(), "ServicesToCheck");
    EXPECT_FALSE(records::ServicesToCheckFile().IsOpen());
    EXPECT_EQ(records::ServicesToCheck().RecordID, 0);
    EXPECT_STREQ(records::ServicesToCheck().ServiceName, "");
    EXPECT_EQ(records::QuorvelCheckServiceLog().Field1[0], ' ');
}

}  // namespace
}  // namespace tarn::data::test
