// End-to-end: the daily log of a checker that runs as root in a folder others may reach: links and
// files that are not its own, the modes it makes, a rotation and a renamed data folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CheckerFixture.h"
#include "platform/system/Clock.h"
#include "platform/system/Picture.h"

namespace tarn::checker::test {
namespace {

namespace fs = std::filesystem;

const std::string kFailed = " FAILED Restart Service: tarn-no-such-service ERROR CODE IS :-1";

std::string TodaysLogName() {
    return "Tarnwatch" + platform::FormatPicture("d12", platform::Today()) + ".log";
}

size_t CountOf(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// What stands in the log's place before the checker starts.
enum class Planted { LinkToFile, DanglingLink, FolderLink, OtherUsersFile, HardLink };

class LogPlanted : public CheckerEndToEnd, public ::testing::WithParamInterface<Planted> {};

TEST_P(LogPlanted, IsRefusedOnceAndNothingIsWrittenThroughIt) {
    const std::string victim = folder / "victim";
    const std::string target = folder / "made-through-a-link";
    std::ofstream(victim) << "a file of root's\n";
    fs::create_directory(folder / "elsewhere");
    if (GetParam() != Planted::FolderLink) fs::create_directory(folder / "logfiles");
    const std::string log = folder / ("logfiles/" + TodaysLogName());
    switch (GetParam()) {
        case Planted::LinkToFile:
            fs::create_symlink(victim, log);
            break;
        case Planted::DanglingLink:
            fs::create_symlink(target, log);
            break;
        case Planted::FolderLink:  // planted while running: as root a link stops the start
            break;
        case Planted::OtherUsersFile:
            std::ofstream(log) << "a line of another user's\r\n";
            ASSERT_EQ(chown(log.c_str(), 65534, 65534), 0);
            break;
        case Planted::HardLink:
            fs::create_hard_link(victim, log);
            break;
    }
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(WaitStamped(p, {1})) << p.Stderr();
    if (GetParam() == Planted::FolderLink) {
        fs::rename(folder / "logfiles", folder / "logfiles.old");
        fs::create_directory_symlink(folder / "elsewhere", folder / "logfiles");
    }
    for (int pass = 0; pass < 2; ++pass) {
        const int32_t before = ReadService(1).LastCheckedTime;
        ASSERT_TRUE(p.WaitFor([&] { return ReadService(1).LastCheckedTime != before; }, 10s))
            << p.Stderr();
    }
    EXPECT_TRUE(p.Running());
    p.Stop();

    EXPECT_EQ(ReadAll(victim), "a file of root's\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
    EXPECT_TRUE(fs::is_empty(folder / "elsewhere"));
    if (GetParam() == Planted::OtherUsersFile) {
        EXPECT_EQ(ReadAll(log), "a line of another user's\r\n");
    }
    const std::string said = "cannot open the daily log logfiles/" + TodaysLogName() + " (";
    EXPECT_EQ(CountOf(p.Stderr(), said), 1u) << p.Stderr();
    EXPECT_EQ(CountOf(p.Stderr(), "\n"), 1u) << p.Stderr();
}

INSTANTIATE_TEST_SUITE_P(Checker, LogPlanted,
                         ::testing::Values(Planted::LinkToFile, Planted::DanglingLink,
                                           Planted::FolderLink, Planted::OtherUsersFile,
                                           Planted::HardLink));

TEST_F(CheckerEndToEnd, LogFolderAndFileAreClosedToOthersWhateverTheUmask) {
    WriteSettings(1, 1);
    WriteServices({});
    const mode_t old = umask(0);
    CheckerProcess p(folder.Path());
    umask(old);
    ASSERT_TRUE(p.WaitFor([&] { return !Log().empty(); }, 10s)) << p.Stderr();
    p.Stop();
    struct stat st;
    ASSERT_EQ(stat((folder / "logfiles").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    ASSERT_EQ(stat(TodaysLog(folder.Path()).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(CheckerEndToEnd, RotatedLogIsLeftAndTheNewFileAtItsNameGetsTheLines) {
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(p.WaitFor([&] { return LogHas(kFailed); }, 10s)) << p.Stderr();
    // What logrotate does by default: rename, then create an empty file at the name.
    const std::string log = TodaysLog(folder.Path());
    fs::rename(log, log + ".1");
    std::ofstream{log};
    ASSERT_TRUE(p.WaitFor([&] { return LogHas(kFailed); }, 10s)) << p.Stderr();
    p.Stop();
    EXPECT_EQ(p.Stderr(), "");
}

TEST_F(CheckerEndToEnd, RenamedDataFolderIsFollowedNotMadeAgain) {
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    fs::create_directory(folder / "a");
    for (const char* name : {"Settings.db", "ServicesToCheck.db"})
        fs::rename(folder / name, folder / (std::string("a/") + name));
    CheckerProcess p(folder / "a");
    const std::string before = folder / ("a/logfiles/" + TodaysLogName());
    const std::string after = folder / ("b/logfiles/" + TodaysLogName());
    auto failedLines = [&](const std::string& path) {
        size_t n = 0;
        for (const std::string& line : ReadCrLfLines(path)) n += line.ends_with(kFailed);
        return n;
    };
    ASSERT_TRUE(p.WaitFor([&] { return failedLines(before) > 0; }, 10s)) << p.Stderr();
    fs::rename(folder / "a", folder / "b");
    const size_t seen = failedLines(after);
    ASSERT_TRUE(p.WaitFor([&] { return failedLines(after) > seen; }, 10s)) << p.Stderr();
    p.Stop();
    EXPECT_FALSE(fs::exists(folder / "a"));
}

}  // namespace
}  // namespace tarn::checker::test
