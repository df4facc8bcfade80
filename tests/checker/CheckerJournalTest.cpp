// End-to-end: the checker's lines in systemd's journal. With standard error connected to the
// journal (JOURNAL_STREAM naming it) each daily log line is copied there with its priority; on
// any other standard error nothing changes. The daily log is the same either way.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "CheckerFixture.h"

namespace tarn::checker::test {
namespace {

// Sets JOURNAL_STREAM to standard error's device and inode, or to another file's when
// otherFile is not empty.
std::function<void()> JournalStream(const std::string& otherFile = "") {
    return [otherFile] {
        struct stat st {};
        if (otherFile.empty() ? fstat(2, &st) != 0 : stat(otherFile.c_str(), &st) != 0) _exit(126);
        setenv("JOURNAL_STREAM",
               (std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)).c_str(), 1);
    };
}

// The log's lines without their date and time.
std::vector<std::string> Events(const std::vector<std::string>& lines) {
    std::vector<std::string> events;
    for (const std::string& line : lines) events.push_back(line.substr(line.find("M ") + 1));
    return events;
}

TEST_F(CheckerEndToEnd, LogLinesGoToTheJournalWithTheirPriorityAndAFailedStartSaysWhy) {
    if (geteuid() != 0) GTEST_SKIP() << "a private /etc/init.d needs root";
    // A cron script of the test's own (the real cron is not touched) asked directly, and a stub
    // `service` for its starts: the first fails the way systemctl says it, the second one takes.
    const std::string init = stubs / "init.d";
    std::filesystem::create_directory(init);
    WriteScript(init + "/cron", "cd '" + stubs.Path() + "'\n[ -e up ] && exit 0\nexit 3\n");
    WriteScript(stubs / "service",
                "cd '" + stubs.Path() +
                    "'\n"
                    "if [ ! -e failed-once ]; then touch failed-once; echo; echo 'Job for "
                    "cron.service failed because the control process exited with error code.' "
                    ">&2; echo 'See \"systemctl status cron.service\" for details.'; exit 1; fi\n"
                    "touch up\n");
    const std::string other = stubs / "another-file";
    std::ofstream(other) << "";
    const std::vector<std::string> events = {
        "  Loaded Settings. Sleep Time = 1", " Service Status: cron CODE IS :0",
        " FAILED Restart Service: cron ERROR CODE IS :0", " Service Status: cron CODE IS :0",
        " Successfully Restarted Service: cron"};
    WriteSettings(1, 1);
    WriteServices({{1, "", "cron", ""}});
    for (bool journal : {true, false}) {
        std::filesystem::remove(stubs / "failed-once");
        std::filesystem::remove(stubs / "up");
        std::filesystem::remove_all(folder / "logfiles");
        CheckerProcess p(folder.Path(), stubs.Path(), -1,
                         PrivateInitFolder(init, JournalStream(journal ? "" : other)));
        ASSERT_TRUE(p.WaitFor([&] { return Log().size() >= events.size(); }, 10s)) << p.Stderr();
        p.Stop();
        EXPECT_EQ(Events(Log()), events) << journal;
        if (!journal) {
            EXPECT_EQ(p.Stderr(), "") << "JOURNAL_STREAM names another file";
            continue;
        }
        EXPECT_EQ(p.Stderr(),
                  "<6>tarnwatch: Loaded Settings. Sleep Time = 1\n"
                  "<6>tarnwatch: Service Status: cron CODE IS :0\n"
                  "<4>tarnwatch: FAILED Restart Service: cron ERROR CODE IS :0 (service cron start "
                  "exited with 1: Job for cron.service failed because the control process exited "
                  "with error code.)\n"
                  "<6>tarnwatch: Service Status: cron CODE IS :0\n"
                  "<5>tarnwatch: Successfully Restarted Service: cron\n");
    }
}

TEST_F(CheckerEndToEnd, AFatalErrorIsAnErrorInTheJournal) {
    std::ofstream(folder / "Settings.db", std::ios::binary) << std::string(4096, 'x');
    CheckerProcess p(folder.Path(), "", -1, JournalStream());
    ASSERT_TRUE(p.WaitFor([&] { return !p.Running(); }, 10s)) << "the checker went on";
    p.Stop();
    const std::string err = p.Stderr();
    EXPECT_NE(err.find("Invalid File"), std::string::npos) << err;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) EXPECT_TRUE(line.starts_with("<3>")) << line;
}

}  // namespace
}  // namespace tarn::checker::test
