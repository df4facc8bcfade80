#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/system/IniFile.h"

namespace tarn::platform {
namespace {

class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarn_ini_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        file_ = folder_ + "/Tarnconfig.INI";
    }
    void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }

    void Write(const std::string& content) { std::ofstream(file_, std::ios::binary) << content; }
    std::string Read() const {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int FilesInFolder() const {
        int n = 0;
        DIR* dir = opendir(folder_.c_str());
        while (dirent* e = readdir(dir)) n += e->d_name[0] != '.';
        closedir(dir);
        return n;
    }

    std::string folder_;
    std::string file_;
};

TEST_F(IniFileTest, MissingFileOrEntryGivesFallback) {
    EXPECT_EQ(GetIniEntry("Main", "Maximize", "no", file_), "no");
    Write("[Main]\nOther=1\n");
    EXPECT_EQ(GetIniEntry("Main", "Maximize", "no", file_), "no");
    EXPECT_EQ(GetIniEntry("Else", "Other", "x", file_), "x");
    EXPECT_EQ(GetIniEntry("Main", "Other", "x", file_), "1");
}

TEST_F(IniFileTest, WriteCreatesTheFileExactly) {
    EXPECT_TRUE(PutIniEntry("Main", "Maximize", "1", file_));
    EXPECT_TRUE(PutIniEntry("Main", "XPos", "12", file_));
    EXPECT_TRUE(PutIniEntry("Browse", "Width", "300", file_));
    EXPECT_EQ(Read(), "[Main]\nMaximize=1\nXPos=12\n\n[Browse]\nWidth=300\n");
    EXPECT_EQ(FilesInFolder(), 1);  // no temporary file left behind
}

TEST_F(IniFileTest, NamesIgnoreCaseValuesStayExact) {
    EXPECT_TRUE(PutIniEntry("Main", "Value", "  a = b ; c  ", file_));
    EXPECT_EQ(GetIniEntry("MAIN", "value", "", file_), "  a = b ; c  ");
    EXPECT_TRUE(PutIniEntry("main", "VALUE", "", file_));
    EXPECT_EQ(GetIniEntry("Main", "Value", "fallback", file_), "");
    EXPECT_EQ(Read(), "[Main]\nValue=\n");  // the entry keeps its first spelling
}

TEST_F(IniFileTest, EditsKeepTheRestOfTheFile) {
    Write("; settings\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\nz = 3\r\n");
    EXPECT_EQ(GetIniEntry("B", "z", "", file_), " 3");
    EXPECT_TRUE(PutIniEntry("A", "w", "new", file_));
    EXPECT_TRUE(PutIniEntry("B", "y", "20", file_));
    EXPECT_TRUE(DeleteIniEntry("A", "X", file_));
    EXPECT_EQ(Read(), "; settings\r\n[A]\r\nw=new\r\n\r\n[B]\r\ny=20\r\nz = 3\r\n");
}

TEST_F(IniFileTest, DeleteOfMissingEntryIsNoError) {
    EXPECT_TRUE(DeleteIniEntry("A", "x", file_));
    EXPECT_EQ(access(file_.c_str(), F_OK), -1);  // nothing to delete, nothing written
    Write("[A]\nx=1\nx=2\n[B]\nx=3\n");
    EXPECT_TRUE(DeleteIniEntry("A", "x", file_));
    EXPECT_EQ(Read(), "[A]\n[B]\nx=3\n");
}

TEST_F(IniFileTest, CommentsAndOddLinesAreNotEntries) {
    Write("x=outside\n;[A]\n[A]\n;x=commented\n#x=hash\nnoequals\n [ A ] \nx=second\n");
    EXPECT_EQ(GetIniEntry("A", "x", "none", file_), "none");
    EXPECT_EQ(GetIniEntry("", "x", "none", file_), "none");
    EXPECT_TRUE(PutIniEntry("A", "x", "set", file_));
    EXPECT_EQ(GetIniEntry("A", "x", "none", file_), "set");
}

TEST_F(IniFileTest, TextsThatCannotReadBackAreRefused) {
    EXPECT_FALSE(PutIniEntry("A", "x", "two\nlines", file_));
    EXPECT_FALSE(PutIniEntry("A", "x=y", "v", file_));
    EXPECT_FALSE(PutIniEntry("A]", "x", "v", file_));
    EXPECT_FALSE(PutIniEntry("A", "", "v", file_));
    EXPECT_EQ(access(file_.c_str(), F_OK), -1);
}

TEST_F(IniFileTest, RewriteReplacesTheFileWhole) {
    Write("[A]\nx=1\n");
    struct stat before {};
    ASSERT_EQ(stat(file_.c_str(), &before), 0);
    EXPECT_TRUE(PutIniEntry("A", "x", "2", file_));
    struct stat after {};
    ASSERT_EQ(stat(file_.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
    EXPECT_EQ(Read(), "[A]\nx=2\n");
}

TEST_F(IniFileTest, UnreadableOrUnwritablePlaceFails) {
    // A folder where the file should be can neither be read nor replaced.
    ASSERT_EQ(mkdir(file_.c_str(), 0755), 0);
    EXPECT_FALSE(PutIniEntry("A", "x", "2", file_));
    EXPECT_EQ(GetIniEntry("A", "x", "fallback", file_), "fallback");
    struct stat st {};
    ASSERT_EQ(stat(file_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(IniFileTest, MissingFolderFails) {
    EXPECT_FALSE(PutIniEntry("A", "x", "1", folder_ + "/none/file.ini"));
}

TEST_F(IniFileTest, EveryTruncationReadsAPrefixOrTheFallback) {
    const std::string whole = "[Main]\r\nMaximize=yes\r\n[Browse]\r\nWidth=300\r\n";
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        Write(whole.substr(0, cut));
        const std::string width = GetIniEntry("Browse", "Width", "?", file_);
        EXPECT_TRUE(width == "?" || std::string("300").rfind(width, 0) == 0) << cut << ":" << width;
        const std::string max = GetIniEntry("main", "maximize", "?", file_);
        EXPECT_TRUE(max == "?" || std::string("yes").rfind(max, 0) == 0) << cut << ":" << max;
        if (cut == whole.size()) {
            EXPECT_EQ(width, "300");
        }
        // Writing onto a cut file keeps its readable part and adds the new entry.
        ASSERT_TRUE(PutIniEntry("Browse", "Height", "90", file_)) << cut;
        EXPECT_EQ(GetIniEntry("Browse", "Height", "?", file_), "90") << cut;
        EXPECT_EQ(GetIniEntry("Browse", "Width", "?", file_), width) << cut;
    }
}

}  // namespace
}  // namespace tarn::platform
