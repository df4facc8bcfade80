// The INI store: the file it leaves behind, the sector list and registry mode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/ini/IniStore.h"
#include "platform/system/IniFile.h"
#include "tests/support/TestFolder.h"

namespace tarn::framework {
namespace {

namespace fs = std::filesystem;

using tarn::test::ReadAll;

// Lines of the file that are neither empty nor blank.
std::vector<std::string> Lines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
    }
    return lines;
}

class IniStoreTest : public ::testing::Test {
  protected:
    tarn::test::TempFolder folder{"tarn-ini"};
    fs::path dir = folder.Path();
    std::string ini = (dir / "Tarnconfig.INI").string();
};

TEST_F(IniStoreTest, NewFileHoldsOnlyTheEmptySectorList) {
    IniStore store;
    store.Open(ini);
    EXPECT_FALSE(fs::exists(ini)) << "opening only reads";
    store.Close();
    EXPECT_EQ(Lines(ini), (std::vector<std::string>{"[__Dont_Touch_Me__]", "Sectors=0"}));
    store.Close();  // a second close writes nothing more
    EXPECT_EQ(Lines(ini).size(), 2u);
}

TEST_F(IniStoreTest, TwoSectorsSurviveCloseAndOpen) {
    IniStore store;
    store.Open(ini);
    store.AddSector(IniStore::SectorKey("Win", "Main", "Pos"));
    store.AddSector(IniStore::SectorKey("Browse", "List", "Col"));
    store.AddSector(IniStore::SectorKey("Win", "Main", "Pos"));  // already there
    store.Close();
    EXPECT_EQ(platform::GetIniEntry("__Dont_Touch_Me__", "Sectors", "", ini), "2");
    EXPECT_EQ(platform::GetIniEntry("__Dont_Touch_Me__", "Sectors_1", "", ini), "Browse,List,Col");
    EXPECT_EQ(platform::GetIniEntry("__Dont_Touch_Me__", "Sectors_2", "", ini), "Win,Main,Pos");

    IniStore again;
    again.Open(ini);
    std::vector<Sector> sectors = again.Sectors();
    ASSERT_EQ(sectors.size(), 2u);
    EXPECT_EQ(sectors[0], (Sector{"Browse", "List", "Col"}));
    EXPECT_EQ(sectors[1], (Sector{"Win", "Main", "Pos"}));
}

TEST_F(IniStoreTest, SectorCountIsTrustedOnlyAsFarAsTheSectorsGo) {
    std::ofstream(ini) << "[__Dont_Touch_Me__]\nSectors=100000\nSectors_1=A,B,C\n"
                          "Sectors_2=D,E,F\nSectors_4=after,a,gap\n";
    IniStore store;
    store.Open(ini);
    std::vector<Sector> sectors = store.Sectors();
    ASSERT_EQ(sectors.size(), 2u);
    EXPECT_EQ(sectors[1], (Sector{"D", "E", "F"}));
    for (const char* count : {"lots", "-3", "2x", "99999999999999999999", " "}) {
        std::ofstream(ini) << "[__Dont_Touch_Me__]\nSectors=" << count << "\nSectors_1=A,B,C\n";
        IniStore again;
        again.Open(ini);
        EXPECT_TRUE(again.Sectors().empty()) << count;
    }
}

TEST_F(IniStoreTest, ItemWithDollarsSurvivesKeyAddAndGet) {
    IniStore store;
    store.Open(ini);
    for (std::string item : {"a$b", "$lead", "trail$", "$$", "plain"}) {
        std::string key = IniStore::SectorKey("Fam", item, "Ty$pe");
        store.AddSector(key);
        std::vector<Sector> found;
        store.GetSectors("Fam", item, "", found);
        ASSERT_EQ(found.size(), 1u) << key;
        EXPECT_EQ(found[0].item, item) << key;
        EXPECT_EQ(found[0].type, "Ty$pe") << key;
    }
    EXPECT_EQ(IniStore::SectorKey("F", "a$b", "T"), "F$a$$$b$$T");
    std::vector<Sector> all;
    store.GetSectors("", "", "", all);
    EXPECT_EQ(all.size(), 5u);
    store.GetSectors("Other", "", "", all);
    EXPECT_TRUE(all.empty());
}

TEST_F(IniStoreTest, FetchFieldCountsCommaSeparatedFields) {
    IniStore store;
    store.Open(ini);
    store.Update("S", "E", "one,two,,four");
    EXPECT_EQ(store.FetchField("S", "E", 0), "one");
    EXPECT_EQ(store.FetchField("S", "E", 2), "two");
    EXPECT_EQ(store.FetchField("S", "E", 3), "");
    EXPECT_EQ(store.FetchField("S", "E", 4), "four");
    EXPECT_EQ(store.FetchField("S", "E", 5), "");
    EXPECT_EQ(store.FetchField("S", "Missing", 1), "---Unknown---");
    store.Update("S", "N", 42L);
    EXPECT_EQ(store.Fetch("S", "N"), "42");
    EXPECT_EQ(store.Fetch("S", "Missing"), "");
}

TEST_F(IniStoreTest, RegistryModePersistsAndEmptyValueDeletes) {
    IniStore store;
    store.SetRegistryFolder((dir / "reg").string());
    store.Open("Software\\Tarn", StorageRegistry, 0);
    store.Update("Window", "Width", "120");
    EXPECT_EQ(store.Fetch("Window", "Width"), "120");
    EXPECT_EQ(store.RegistryFile(), (dir / "reg" / "80000000.reg").string());
    EXPECT_EQ(platform::GetIniEntry("Software\\Tarn\\Window", "Width", "", store.RegistryFile()),
              "120");

    IniStore other;  // a second store over the same keys sees the value
    other.SetRegistryFolder((dir / "reg").string());
    other.Open("Software\\Tarn", StorageRegistry, 0);
    EXPECT_EQ(other.Fetch("Window", "Width"), "120");

    store.Update("Window", "Width", "");
    EXPECT_EQ(
        platform::GetIniEntry("Software\\Tarn\\Window", "Width", "gone", store.RegistryFile()),
        "gone");
    EXPECT_EQ(store.FetchField("Window", "Width", 1), "---Unknown---");
}

TEST_F(IniStoreTest, NoStoreReadsEmptyAndWritesNothing) {
    IniStore store;
    store.Open(ini, StorageNone, 0);
    store.Update("S", "E", "v");
    EXPECT_EQ(store.Fetch("S", "E"), "");
    store.Close();
    EXPECT_FALSE(fs::exists(ini));
}

}  // namespace
}  // namespace tarn::framework
