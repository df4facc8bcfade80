#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/system/Folders.h"
#include "platform/system/LastError.h"
#include "platform/system/Process.h"

namespace tarn::platform {
namespace {

std::string MakeTempFolder() {
    char pattern[] = "/tmp/tarn_system_XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "";
}

TEST(LastErrorTest, TextsOfTheDriverCodes) {
    EXPECT_EQ(ErrorCodeText(2), "File Not Found");
    EXPECT_EQ(ErrorCodeText(5), "Access Denied");
    EXPECT_EQ(ErrorCodeText(33), "No More Records");
    EXPECT_EQ(ErrorCodeText(35), "Record Not Found");
    EXPECT_EQ(ErrorCodeText(40), "Creates Duplicate Key");
    EXPECT_EQ(ErrorCodeText(43), "Record Is Already Held");
    EXPECT_EQ(ErrorCodeText(46), "Key Needs Rebuilding");
    EXPECT_EQ(ErrorCodeText(47), "Invalid Record Declaration");
    EXPECT_EQ(ErrorCodeText(52), "File Already Open");
    EXPECT_EQ(ErrorCodeText(80), "Function Not Supported");
    EXPECT_EQ(ErrorCodeText(89), "Record Changed By Another Station");
    EXPECT_EQ(ErrorCodeText(90), "File System Error");
    EXPECT_EQ(ErrorCodeText(801), "Invalid Expression");
    EXPECT_EQ(ErrorCodeText(0), "");
    EXPECT_EQ(ErrorCodeText(12345), "Error 12345");
}

TEST(LastErrorTest, EachThreadKeepsItsOwn) {
    SetLastError(kDriverError, "Settings.db", "14", "unable to open database file");
    EXPECT_EQ(LastErrorCode(), 90);
    EXPECT_EQ(LastError().text, "File System Error");
    EXPECT_EQ(LastError().driverCode, "14");
    EXPECT_EQ(LastError().driverText, "unable to open database file");
    EXPECT_EQ(LastError().fileName, "Settings.db");
    int otherCode = -1;
    std::thread([&] {
        otherCode = LastErrorCode();
        SetLastError(kRecordNotFound);
    }).join();
    EXPECT_EQ(otherCode, 0);
    EXPECT_EQ(LastErrorCode(), 90);
    ClearLastError("ServicesToCheck.db");
    EXPECT_EQ(LastErrorCode(), 0);
    EXPECT_EQ(LastError().text, "");
    EXPECT_EQ(LastError().driverCode, "");
    EXPECT_EQ(LastError().fileName, "ServicesToCheck.db");
}

TEST(FoldersTest, CreateNestedAndDetect) {
    const std::string base = MakeTempFolder();
    ASSERT_FALSE(base.empty());
    const std::string deep = base + "/a/b/c";
    EXPECT_FALSE(FolderExists(deep));
    EXPECT_TRUE(CreateFolder(deep));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(CreateFolder(deep));  // already there
    EXPECT_TRUE(CreateFolder(base + "/a/b/c/"));
    // A plain file is not a folder and cannot be made into one.
    const std::string file = base + "/file";
    std::fclose(std::fopen(file.c_str(), "w"));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(CreateFolder(file));
    EXPECT_FALSE(CreateFolder(file + "/below"));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_FALSE(CreateFolder(""));
    std::system(("rm -rf " + base).c_str());
}

TEST(FoldersTest, CurrentFolderIsResolved) {
    const std::string base = MakeTempFolder();
    ASSERT_FALSE(base.empty());
    ASSERT_TRUE(CreateFolder(base + "/real"));
    ASSERT_EQ(symlink((base + "/real").c_str(), (base + "/link").c_str()), 0);
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir((base + "/link").c_str()), 0);
    char resolvedBase[4096];
    ASSERT_NE(realpath(base.c_str(), resolvedBase), nullptr);
    EXPECT_EQ(CurrentFolder(), std::string(resolvedBase) + "/real");
    ASSERT_EQ(chdir(saved), 0);
    std::system(("rm -rf " + base).c_str());
}

TEST(FoldersTest, ComputerNameIsTheHostName) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(ComputerName(), host);
    EXPECT_FALSE(ComputerName().empty());
}

TEST(ProcessTest, SleepWaitsAndMonotonicMeasuresIt) {
    const int64_t start = MonotonicMilliseconds();
    Sleep(120);
    const int64_t elapsed = MonotonicMilliseconds() - start;
    EXPECT_GE(elapsed, 120);
    EXPECT_LT(elapsed, 2000);
}

TEST(ProcessTest, HaltEndsWithCodeAndMessage) {
    EXPECT_EXIT(Halt(7, "stopping now"), ::testing::ExitedWithCode(7), "stopping now");
    EXPECT_EXIT(Halt(0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tarn::platform
