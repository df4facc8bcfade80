// The three record declarations against the data model, and their files on disk.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "data/records/Records.h"
#include "platform/system/LastError.h"
#include "tests/support/TestFolder.h"

namespace tarn::records {
namespace {

using storage::FieldKind;

struct FieldExpect {
    const char* name;
    FieldKind kind;
    uint32_t offset, size;
};

void ExpectFields(const storage::FileDesc& d, const std::vector<FieldExpect>& want) {
    ASSERT_EQ(d.fields.size(), want.size());
    uint32_t end = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(d.fields[i].name, want[i].name);
        EXPECT_EQ(d.fields[i].kind, want[i].kind) << want[i].name;
        EXPECT_EQ(d.fields[i].offset, want[i].offset) << want[i].name;
        EXPECT_EQ(d.fields[i].size, want[i].size) << want[i].name;
        EXPECT_EQ(d.fields[i].offset, end) << "gap before " << want[i].name;
        end += want[i].size;
    }
    EXPECT_EQ(end, d.recordSize);
}

TEST(RecordDeclarations, Settings) {
    const storage::FileDesc& d = SettingsDesc();
    EXPECT_EQ(d.label, "Settings");
    EXPECT_EQ(d.prefix, "SET");
    EXPECT_EQ(d.name, "Settings");
    EXPECT_EQ(d.driver, "KEYED");
    EXPECT_EQ(d.options, "");
    EXPECT_EQ(d.recordSize, 8u);
    ExpectFields(d, {{"SET:RecordID", FieldKind::Long, 0, 4},
                     {"SET:TimeBetweenCyclesInSeconds", FieldKind::Long, 4, 4}});
    ASSERT_EQ(d.keys.size(), 1u);
    EXPECT_EQ(d.keys[SET_KeyRecID].name, "SET:KeyRecID");
    ASSERT_EQ(d.keys[0].components.size(), 1u);
    EXPECT_EQ(d.keys[0].components[0].field, 1);
    EXPECT_TRUE(d.keys[0].components[0].ascending);
    EXPECT_TRUE(d.keys[0].primary);
    EXPECT_FALSE(d.keys[0].duplicates);
}

TEST(RecordDeclarations, ServicesToCheck) {
    const storage::FileDesc& d = ServicesToCheckDesc();
    EXPECT_EQ(d.label, "ServicesToCheck");
    EXPECT_EQ(d.prefix, "SERCHK");
    EXPECT_EQ(d.name, "ServicesToCheck");
    EXPECT_EQ(d.driver, "KEYED");
    EXPECT_EQ(d.recordSize, 523u);
    ExpectFields(d, {{"SERCHK:RecordID", FieldKind::Long, 0, 4},
                     {"SERCHK:ServerName", FieldKind::CString, 4, 128},
                     {"SERCHK:ServiceName", FieldKind::CString, 132, 128},
                     {"SERCHK:ServiceDescription", FieldKind::CString, 260, 255},
                     {"SERCHK:LastChecked", FieldKind::Long, 515, 4},
                     {"SERCHK:LastCheckedTime", FieldKind::Long, 519, 4}});
    ASSERT_EQ(d.keys.size(), 2u);
    const storage::KeyDesc& id = d.keys[SERCHK_KeyRecID];
    EXPECT_EQ(id.name, "SERCHK:KeyRecID");
    EXPECT_TRUE(id.primary);
    EXPECT_FALSE(id.duplicates);
    ASSERT_EQ(id.components.size(), 1u);
    EXPECT_EQ(id.components[0].field, 1);
    const storage::KeyDesc& name = d.keys[SERCHK_KeyServiceName];
    EXPECT_EQ(name.name, "SERCHK:KeyServiceName");
    EXPECT_FALSE(name.primary);
    EXPECT_TRUE(name.duplicates);
    EXPECT_TRUE(name.noCase);
    ASSERT_EQ(name.components.size(), 2u);
    EXPECT_EQ(name.components[0].field, 2);
    EXPECT_EQ(name.components[1].field, 3);
    EXPECT_TRUE(name.components[0].ascending && name.components[1].ascending);
}

TEST(RecordDeclarations, CheckServiceLog) {
    const storage::FileDesc& d = CheckServiceLogDesc();
    EXPECT_EQ(d.label, "QuorvelCheckServiceLog");
    EXPECT_EQ(d.prefix, "LOGF");
    EXPECT_EQ(d.name, "QuorvelCheckServiceLog.log");
    EXPECT_EQ(d.driver, "ASCII");
    EXPECT_EQ(d.options, "/ENDOFRECORD=2,13,10");
    EXPECT_EQ(d.recordSize, 201u);
    ExpectFields(d, {{"LOGF:Field1", FieldKind::FixedString, 0, 201}});
    EXPECT_TRUE(d.keys.empty());
}

TEST(RecordInstances, EachThreadHasItsOwnBuffersAndFiles) {
    ServicesToCheck().RecordID = 5;
    const void* buffer = &ServicesToCheck();
    const void* file = &ServicesToCheckFile();
    EXPECT_EQ(ServicesToCheckFile().Buffer(), reinterpret_cast<uint8_t*>(&ServicesToCheck()));
    const void* otherBuffer = nullptr;
    const void* otherFile = nullptr;
    int32_t otherId = -1;
    std::thread([&] {
        otherBuffer = &ServicesToCheck();
        otherFile = &ServicesToCheckFile();
        otherId = ServicesToCheck().RecordID;
    }).join();
    EXPECT_NE(otherBuffer, buffer);
    EXPECT_NE(otherFile, file);
    EXPECT_EQ(otherId, 0);
    EXPECT_EQ(std::string(QuorvelCheckServiceLog().Field1, 201), std::string(201, ' '));
}

class RecordFiles : public ::testing::Test {
  protected:
    tarn::test::TempFolder folder{"tarnrecords"};
    std::string dir = folder.Path();
};

TEST_F(RecordFiles, ServicesListInServerAndServiceOrderIgnoringCase) {
    storage::RecordFile& f = ServicesToCheckFile();
    f.SetName(dir + "/ServicesToCheck");
    ASSERT_EQ(f.Open(0x42), platform::kFileNotFound);
    ASSERT_EQ(f.Create(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir + "/ServicesToCheck.db"));
    ASSERT_EQ(f.Open(0x42), 0);
    const char* rows[][2] = {
        {"srv", "Spooler"}, {"", "cron"}, {"SRV", "apache"}, {"srv", "spooler"}};
    int id = 0;
    for (auto& row : rows) {
        f.ClearBuffer();
        ServicesToCheck().RecordID = ++id;
        std::strcpy(ServicesToCheck().ServerName, row[0]);
        std::strcpy(ServicesToCheck().ServiceName, row[1]);
        ASSERT_EQ(f.Add(), 0) << platform::LastError().driverText;
    }
    ASSERT_EQ(f.SetToStart(SERCHK_KeyServiceName), 0);
    std::vector<int> ids;
    while (f.Next() == 0) ids.push_back(ServicesToCheck().RecordID);
    EXPECT_EQ(ids, (std::vector<int>{2, 3, 1, 4}));
    f.ClearBuffer();
    ServicesToCheck().RecordID = 3;
    EXPECT_EQ(f.Add(), platform::kDuplicateKey);
    ASSERT_EQ(f.Close(), 0);
}

TEST_F(RecordFiles, LogLineIsWrittenTrimmedWithCrLf) {
    storage::RecordFile& f = QuorvelCheckServiceLogFile();
    f.SetName(dir + "/20240102.log");
    ASSERT_EQ(f.Create(), 0);
    ASSERT_EQ(f.Open(0x42), 0);
    std::memset(QuorvelCheckServiceLog().Field1, ' ', 201);
    std::memcpy(QuorvelCheckServiceLog().Field1, " Service Status: x", 18);
    ASSERT_EQ(f.Add(), 0);
    ASSERT_EQ(f.Close(), 0);
    std::ifstream in(dir + "/20240102.log", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
              " Service Status: x\r\n");
}

}  // namespace
}  // namespace tarn::records
