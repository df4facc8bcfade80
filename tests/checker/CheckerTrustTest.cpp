// End-to-end: what the checker, running as root, will not take orders from or be fooled by: a
// data folder others can write, programs found through a relative PATH entry, standard
// descriptors it was started without, a second checker after the lock's file was removed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "CheckerFixture.h"
#include "tests/support/RealServiceLock.h"

namespace tarn::checker::test {
namespace {

// Where a descriptor of a process leads; "" when it is closed.
std::string Target(pid_t pid, int fd) {
    std::error_code ec;
    return std::filesystem::read_symlink(
               "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), ec)
        .string();
}

// The files under folder whose bytes hold text.
std::vector<std::string> FilesHolding(const std::string& folder, const std::string& text) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && ReadAll(entry.path()).find(text) != std::string::npos)
            found.push_back(entry.path().string());
    return found;
}

struct Untrusted {
    const char* name;
    std::function<void(const TempFolder&)> make;
    std::string path;    // under the data folder; "" for the folder itself
    std::string reason;  // as the message gives it
};

void PrintTo(const Untrusted& u, std::ostream* os) { *os << u.name; }

class CheckerTrust : public CheckerEndToEnd, public ::testing::WithParamInterface<Untrusted> {};

TEST_P(CheckerTrust, AsRootIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "the checker trusts an ordinary user's own folder";
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service", ""}});
    GetParam().make(folder);
    CheckerProcess p(folder.Path());
    ASSERT_TRUE(p.WaitFor([&] { return !p.Running(); }, 10s)) << "the checker went on";
    const int status = p.Stop();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string path = GetParam().path.empty() ? folder.Path() : folder / GetParam().path;
    const std::string err = p.Stderr();
    EXPECT_EQ(err.find("tarnwatch: will not use " + path + ": it is " + GetParam().reason), 0u)
        << err;
    EXPECT_NE(err.find("owned by uid 0 and not writable by group or others"), std::string::npos)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(std::filesystem::exists(TodaysLog(folder.Path())));
}

INSTANTIATE_TEST_SUITE_P(
    , CheckerTrust,
    ::testing::Values(
        Untrusted{"FolderWritableByOthers", [](auto& f) { chmod(f.Path().c_str(), 0757); }, "",
                  "writable by others (owner uid 0, mode 0757)"},
        Untrusted{"FolderWritableByItsGroup", [](auto& f) { chmod(f.Path().c_str(), 0770); }, "",
                  "writable by its group (owner uid 0, mode 0770)"},
        Untrusted{"ListOfAnotherUser",
                  [](auto& f) { chown((f / "ServicesToCheck.db").c_str(), 65534, 65534); },
                  "ServicesToCheck.db", "owned by another user (owner uid 65534, mode 0"},
        Untrusted{"SettingsThroughALink",
                  [](auto& f) {
                      std::filesystem::rename(f / "Settings.db", f / "elsewhere");
                      symlink((f / "elsewhere").c_str(), (f / "Settings.db").c_str());
                  },
                  "Settings.db", "a symbolic link (owner uid 0, mode 0777)"},
        Untrusted{"WriteAheadFileWritableByOthers",
                  [](auto& f) {
                      std::ofstream(f / "ServicesToCheck.db-wal");
                      chmod((f / "ServicesToCheck.db-wal").c_str(), 0646);
                  },
                  "ServicesToCheck.db-wal", "writable by others (owner uid 0, mode 0646)"},
        Untrusted{"IniFileWritableByItsGroup",
                  [](auto& f) {
                      std::ofstream(f / "Tarnwatch.INI");
                      chmod((f / "Tarnwatch.INI").c_str(), 0664);
                  },
                  "Tarnwatch.INI", "writable by its group (owner uid 0, mode 0664)"},
        Untrusted{"LogFolderWritableByAll",
                  [](auto& f) {
                      mkdir((f / "logfiles").c_str(), 0755);
                      chmod((f / "logfiles").c_str(), 0777);
                  },
                  "logfiles", "writable by its group and by others (owner uid 0, mode 0777)"},
        Untrusted{"SharedMemoryFileThatIsAPipe",
                  [](auto& f) { mkfifo((f / "Settings.db-shm").c_str(), 0600); }, "Settings.db-shm",
                  "not a plain file or folder (owner uid 0, mode 0600)"}),
    [](const ::testing::TestParamInfo<Untrusted>& info) { return std::string(info.param.name); });

// Stub tools in the data folder that leave a mark when run: a relative or empty PATH entry, or
// an empty PATH, would find them there.
TEST_F(CheckerEndToEnd, ProgramsAreNeverFoundInTheDataFolderThroughPath) {
    if (!HaveCron()) GTEST_SKIP() << "a known init script is needed (scripts/setup installs cron)";
    tarn::test::RealServiceLock cronLock;
    RunTool({"service", "cron", "start"});  // the real tool then finds it running, starts nothing
    const std::string mark = stubs / "ran-from-the-data-folder";
    ASSERT_TRUE(std::filesystem::create_directory(folder / "bin"));
    for (const char* tool : {"service", "systemctl", "bin/service", "bin/systemctl"})
        WriteScript(folder / tool, "echo \"$0 $*\" >> '" + mark + "'\nexit 3\n");
    WriteSettings(1, 1);
    WriteServices({{1, "", "cron", ""}});
    const char* const paths[] = {"", ":/usr/bin:/bin", ".:/usr/bin:/bin", "bin:/usr/bin", nullptr};
    for (const char* path : paths) {
        const std::string shown = path ? std::string("PATH=") + path : "no PATH";
        EditService(1, [](ServicesToCheckRecord& r) { r.LastChecked = 0; });
        CheckerProcess p(folder.Path(), "", -1, [path] {
            if (path)
                setenv("PATH", path, 1);
            else
                unsetenv("PATH");
        });
        ASSERT_TRUE(WaitStamped(p, {1})) << shown << ": " << p.Stderr();
        p.Stop();
        EXPECT_EQ(ReadAll(mark), "") << shown;
        for (const std::string& line : Log())
            EXPECT_EQ(line.find("cron"), std::string::npos) << shown << ": " << line;
    }
}

// A checker started with standard descriptors closed ("2>&-"): the next file it opens would
// take their number and receive its messages. Each pass raises one (a write-back refused).
TEST_F(CheckerEndToEnd, StartedWithoutStandardDescriptorsItsMessagesGoNowhereElse) {
    WriteSettings(1, 1);
    WriteServices({{1, "", "tarn-no-such-service-1", ""}, {2, "", "tarn-no-such-service-2", ""}});
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder / "ServicesToCheck.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE UPDATE ON records WHEN "
                           "old.\"SERCHK:RecordID\" = 1 BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    for (std::initializer_list<int> closed : {std::initializer_list<int>{2}, {0, 1, 2}}) {
        CheckerProcess p(folder.Path(), "", -1, [closed] {
            for (int fd : closed) close(fd);
        });
        const std::string failed =
            "FAILED Restart Service: tarn-no-such-service-2 ERROR CODE IS :-1";
        ASSERT_TRUE(p.WaitFor([&] { return LogHas(failed); }, 10s)) << p.Stderr();
        for (int fd : closed) EXPECT_EQ(Target(p.Pid(), fd), "/dev/null") << fd;
        p.Stop();
        EXPECT_EQ(FilesHolding(folder.Path(), "Record was not updated"), std::vector<std::string>{})
            << closed.size();
        std::filesystem::remove_all(folder / "logfiles");
    }
}

TEST_F(CheckerEndToEnd, TheLockIsTheFolderItselfAndServicesDoNotInheritIt) {
    if (geteuid() != 0) GTEST_SKIP() << "a private /etc/init.d needs root";
    // A cron script of the test's own answers "running" and says what it holds open; the real
    // cron is not touched.
    const std::string init = stubs / "init.d";
    std::filesystem::create_directory(init);
    WriteScript(init + "/cron", "ls -l /proc/$$/fd > '" + stubs / "fds" + "'\nexit 0\n");
    WriteServices({{1, "", "cron", ""}});
    CheckerProcess first(folder.Path(), stubs.Path(), -1, PrivateInitFolder(init));
    ASSERT_TRUE(WaitStamped(first, {1})) << first.Stderr();
    EXPECT_FALSE(std::filesystem::exists(folder / "Tarnwatch.lock"));
    std::filesystem::remove(folder / "Tarnwatch.lock");  // what an operator's clean-up might do
    CheckerProcess second(folder.Path());
    ASSERT_TRUE(second.WaitFor([&] { return !second.Running(); }, 10s)) << "both checkers run";
    const int status = second.Stop();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(second.Stderr(), "tarnwatch: another checker is already running in " + folder.Path() +
                                   " (it holds the lock on that folder); this one ends\n");
    const std::string fds = ReadAll(stubs / "fds");
    ASSERT_NE(fds, "");
    EXPECT_EQ(fds.find("-> " + folder.Path() + "\n"), std::string::npos) << fds;
}

// An init script others could have changed is never run as root: the service is unknown, nothing
// is started, and standard error says why once, not at every pass.
TEST_F(CheckerEndToEnd, AsRootAnInitScriptOthersMayWriteIsRefusedAndSaidOnce) {
    if (geteuid() != 0) GTEST_SKIP() << "a private /etc/init.d needs root";
    const std::string init = stubs / "init.d";
    std::filesystem::create_directory(init);
    WriteScript(init + "/cron", "touch '" + stubs / "ran" + "'\nexit 0\n");
    chmod((init + "/cron").c_str(), 0757);
    WriteScript(stubs / "service", "touch '" + stubs / "ran" + "'\nexit 0\n");
    WriteSettings(1, 1);
    WriteServices({{1, "", "cron", ""}});
    CheckerProcess p(folder.Path(), stubs.Path(), -1, PrivateInitFolder(init));
    ASSERT_TRUE(p.WaitFor([&] { return Log().size() >= 5; }, 10s)) << p.Stderr();
    p.Stop();
    EXPECT_FALSE(std::filesystem::exists(stubs / "ran"));
    EXPECT_TRUE(Log()[1].ends_with(" Service Status: cron CODE IS :-1")) << Log()[1];
    EXPECT_EQ(p.Stderr(),
              "tarnwatch: will not run the init script /etc/init.d/cron: it is writable by others "
              "(owner uid 0, mode 0757); as root the checker runs only init scripts owned by uid 0 "
              "and not writable by group or others; cron is logged as unknown (-1) and not "
              "started\n");
}

}  // namespace
}  // namespace tarn::checker::test
