// The whole editor on a terminal as an operator uses the services list, then the checker
// stamping the services while the list stays open, and the operator changing and deleting
// services the checker stamps every second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "platform/system/Clock.h"
#include "platform/system/Picture.h"
#include "tests/checker/CheckerProcess.h"
#include "tests/platform/tui/Tmux.h"
#include "tests/support/RawSql.h"
#include "tests/support/TestFolder.h"

namespace tarn::editor::test {
namespace {

// The servers of these lists are other computers: a stub `ssh` answers for each that every
// service asked there runs.
// Where the checker keeps its shared connections: in the test's folder, not left in /tmp.
std::function<void()> SharedConnectionsIn(const tarn::test::TempFolder& stubs) {
    const std::string path = stubs.Path();
    return [path] { setenv("RUNTIME_DIRECTORY", path.c_str(), 1); };
}

void WriteRunningHosts(const tarn::test::TempFolder& stubs) {
    checker::test::WriteScript(stubs / "ssh",
                               "echo tarn-manager=sysv\n"
                               "for i in 0 1 2 3 4 5 6 7 8 9; do echo tarn-exit=$i:0; done\n");
}

using tui::testing::ShellQuote;
using tui::testing::Tmux;
using tui::testing::WaitForFileText;

const std::string kBin = TARN_BINARY_DIR;
using Screen = std::vector<std::string>;

// A screen on which exactly `rows` lines show the date `day` (the checker has stamped them).
std::function<bool(const Screen&)> DatedRows(const std::string& day, int rows) {
    return [day, rows](const Screen& s) {
        int dated = 0;
        for (const std::string& line : s) dated += line.find(day) != std::string::npos;
        return dated == rows;
    };
}

bool Shows(const Screen& screen, const std::string& text) {
    for (const std::string& line : screen)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// The words of a screen line: its runs of letters and digits.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            out.back() += c;
        } else if (!out.back().empty()) {
            out.emplace_back();
        }
    }
    if (out.back().empty()) out.pop_back();
    return out;
}

bool HasWord(const Screen& screen, const std::string& word) {
    for (const std::string& line : screen)
        for (const std::string& w : Words(line))
            if (w == word) return true;
    return false;
}

// The first of `words` on each screen line that holds one, top to bottom.
std::vector<std::string> WordsInOrder(const Screen& screen, const std::vector<std::string>& words) {
    std::vector<std::string> out;
    for (const std::string& line : screen) {
        for (const std::string& w : Words(line)) {
            if (std::find(words.begin(), words.end(), w) != words.end()) {
                out.push_back(w);
                break;
            }
        }
    }
    return out;
}

class ListTerminal : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Tmux::Available()) GTEST_SKIP() << "tmux is not installed";
        ASSERT_TRUE(tmux.Start("cd " + ShellQuote(folder.Path()) + " && " +
                                   ShellQuote(kBin + "/tarnconfig") +
                                   "; echo $? > exitcode; sleep 30",
                               100, 40));
        ASSERT_TRUE(tmux.WaitForText("Quorvel Service Check Settings", &screen));
    }
    bool Gone(const std::string& text) {
        return tmux.WaitFor([&](const Screen& s) { return !Shows(s, text); }, &screen);
    }
    // Insert with the Insert key (or the given keys): server and service typed, OK by Enter.
    void Insert(const std::string& server, const std::string& service,
                const std::string& keys = "IC") {
        tmux.Keys(keys);
        ASSERT_TRUE(tmux.WaitForText("New Service", &screen)) << keys;
        tmux.Type(server);
        tmux.Keys("Tab");
        tmux.Type(service);
        tmux.Keys("Enter");
        ASSERT_TRUE(Gone("New Service"));
        ASSERT_TRUE(tmux.WaitFor([&](const Screen& sc) { return HasWord(sc, service); }, &screen));
    }

    tarn::test::TempFolder folder{"tarn-list-e2e"};
    Tmux tmux;
    Screen screen;
};

TEST_F(ListTerminal, OperatorMaintainsServicesAndSeesTheCheckerStampThem) {
    tmux.Keys("Tab Enter");  // Services
    ASSERT_TRUE(tmux.WaitForText("Services To Check", &screen));
    Insert("beta", "ssh");
    Insert("alpha", "cron");
    Insert("alpha", "at");
    const std::vector<std::string> words{"alpha", "beta", "at",    "cron",
                                         "ssh",   "atd",  "gamma", "dns"};
    // Two lines a service: its server above its name, by server then service.
    EXPECT_EQ(WordsInOrder(screen, words),
              (std::vector<std::string>{"alpha", "at", "alpha", "cron", "beta", "ssh"}));

    tmux.Keys("Enter");  // change the highlighted service, the one inserted last
    ASSERT_TRUE(tmux.WaitForText("Edit Service", &screen));
    tmux.Keys("Tab");
    tmux.Type("atd");
    tmux.Keys("Enter");
    ASSERT_TRUE(Gone("Edit Service"));
    ASSERT_TRUE(tmux.WaitFor([](const Screen& sc) { return HasWord(sc, "atd"); }, &screen));

    tmux.Keys("Down DC");  // delete alpha/cron
    ASSERT_TRUE(tmux.WaitForText("Confirm Delete", &screen));
    tmux.Keys("Enter");
    ASSERT_TRUE(tmux.WaitFor([](const Screen& sc) { return !HasWord(sc, "cron"); }, &screen));

    tmux.Keys("S-F10");  // the context-menu key: its first item is Insert
    ASSERT_TRUE(tmux.WaitForText("Insert", &screen));
    Insert("gamma", "dns", "Enter");
    EXPECT_EQ(WordsInOrder(screen, words),
              (std::vector<std::string>{"alpha", "atd", "beta", "ssh", "gamma", "dns"}));

    tmux.Keys("IC");  // an untouched insert cancelled with Escape leaves nothing behind
    ASSERT_TRUE(tmux.WaitForText("New Service", &screen));
    tmux.Keys("Escape");
    ASSERT_TRUE(Gone("New Service"));
    EXPECT_FALSE(Shows(screen, "Changes will be lost"));

    // The checker runs while the list stays open: its stamps appear without a key.
    const std::string today = platform::FormatPicture("d08-b", platform::Today());
    EXPECT_FALSE(Shows(screen, today));
    tarn::test::TempFolder stubs{"tarn-list-stubs"};
    checker::test::WriteScript(stubs / "service", "exit 0\n");
    WriteRunningHosts(stubs);
    {
        checker::test::CheckerProcess checker(folder.Path(), stubs.Path(), -1,
                                              SharedConnectionsIn(stubs));
        EXPECT_TRUE(tmux.WaitFor(DatedRows(today, 3), &screen, tui::testing::kPatience))
            << checker.Stderr();
        checker.Stop();
    }
    tmux.Keys("Escape");  // the list
    ASSERT_TRUE(Gone("Services To Check"));
    tmux.Keys("Enter");  // Services again (it kept the focus): the stamps are in the file
    EXPECT_TRUE(tmux.WaitFor([&](const Screen& sc) { return Shows(sc, today); }, &screen));
    tmux.Keys("Escape");
    ASSERT_TRUE(Gone("Services To Check"));
    tmux.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "0"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "exitcode"), "0\n");
}

// A service's stamp (day and time) as stored now, read as an operator with sqlite3 would; ""
// when the file could not be read just then (the checker writing).
std::string Stamp(const std::string& folder, const std::string& service) {
    const auto rows = tarn::test::RawRows(
        folder + "/ServicesToCheck.db",
        "SELECT \"SERCHK:LastChecked\" || '.' || \"SERCHK:LastCheckedTime\" FROM records "
        "WHERE \"SERCHK:ServiceName\" = '" +
            service + "'");
    return rows.size() == 1 && rows[0].rfind("error:", 0) != 0 ? rows[0] : "";
}

// Changes and a delete while the checker stamps every service each second, each form left open
// until the checker has stamped its record under it: every save goes through and keeps both the
// operator's text and the checker's stamps.
TEST_F(ListTerminal, SavesOverTheCheckersStampsGoThroughAndLoseNothing) {
    tmux.Keys("Enter");  // Configuration: a pass every second
    ASSERT_TRUE(tmux.WaitForText("Edit Settings", &screen));
    tmux.Type("1");
    tmux.Keys("Enter");
    ASSERT_TRUE(Gone("Edit Settings"));
    tmux.Keys("Tab Enter");  // Services
    ASSERT_TRUE(tmux.WaitForText("Services To Check", &screen));
    Insert("alpha", "at");
    Insert("alpha", "cron");
    Insert("beta", "ssh");  // highlighted: the last row

    tarn::test::TempFolder stubs{"tarn-list-stubs"};
    checker::test::WriteScript(stubs / "service", "exit 0\n");
    WriteRunningHosts(stubs);
    checker::test::CheckerProcess checker(folder.Path(), stubs.Path(), -1,
                                          SharedConnectionsIn(stubs));
    const std::string today = platform::FormatPicture("d08-b", platform::Today());
    ASSERT_TRUE(tmux.WaitFor(DatedRows(today, 3), &screen, tui::testing::kPatience))
        << checker.Stderr();

    // Waits until the checker stamped the service again: with a form open, under that form.
    auto stampedAgain = [&](const std::string& service) {
        std::string opened, now;
        auto read = [&](std::string* stamp) {
            *stamp = Stamp(folder.Path(), service);
            return !stamp->empty();
        };
        EXPECT_TRUE(checker.WaitFor([&] { return read(&opened); }, tui::testing::kPatience));
        EXPECT_TRUE(
            checker.WaitFor([&] { return read(&now) && now != opened; }, tui::testing::kPatience))
            << service << " " << opened << " " << checker.Stderr();
    };
    auto refusedOrClosed = [&](const std::string& title) {
        return tmux.WaitFor(
            [&](const Screen& s) { return !Shows(s, title) || Shows(s, "another station"); },
            &screen);
    };
    const std::pair<const char*, const char*> changes[] = {{"ssh", "first change typed"},
                                                           {"cron", "second change typed"}};
    for (const auto& [service, description] : changes) {
        tmux.Keys(std::string(service) == "ssh" ? "Enter" : "Up Enter");
        ASSERT_TRUE(tmux.WaitForText("Edit Service", &screen)) << service;
        tmux.Keys("Tab Tab");  // the description
        tmux.Type(description);
        stampedAgain(service);
        tmux.Keys("Enter");
        ASSERT_TRUE(refusedOrClosed("Edit Service")) << service;
        ASSERT_FALSE(Shows(screen, "another station")) << service;
        ASSERT_TRUE(tmux.WaitForText(description, &screen)) << service;
    }
    tmux.Keys("Up DC");  // alpha/at
    ASSERT_TRUE(tmux.WaitForText("Confirm Delete", &screen));
    stampedAgain("at");
    tmux.Keys("Enter");
    ASSERT_TRUE(refusedOrClosed("Confirm Delete"));
    ASSERT_FALSE(Shows(screen, "another station"));
    ASSERT_TRUE(tmux.WaitFor([](const Screen& sc) { return !HasWord(sc, "at"); }, &screen));

    tmux.Keys("Escape");  // the list
    ASSERT_TRUE(Gone("Services To Check"));
    tmux.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "0"));
    EXPECT_EQ(tarn::test::ReadAll(folder / "exitcode"), "0\n");
    std::vector<std::string> stored;
    EXPECT_TRUE(checker.WaitFor(
        [&] {
            stored = tarn::test::RawRows(folder / "ServicesToCheck.db",
                                         "SELECT \"SERCHK:ServiceName\", "
                                         "\"SERCHK:ServiceDescription\" FROM records ORDER BY "
                                         "\"SERCHK:ServiceName\"");
            return stored.empty() || stored[0].rfind("error:", 0) != 0;
        },
        tui::testing::kPatience));
    EXPECT_EQ(stored,
              (std::vector<std::string>{"cron|second change typed", "ssh|first change typed"}));
    stampedAgain("cron");  // the checker still stamps after the editor ended
    stampedAgain("ssh");
    EXPECT_TRUE(checker.Running()) << checker.Stderr();
    checker.Stop();
    EXPECT_EQ(checker.Stderr(), "");
}

// Close and Change share the letter C: Alt+C moves between them and closes nothing; Enter then
// presses the one with the focus.
TEST_F(ListTerminal, AltCReachesBothCloseAndChange) {
    tmux.Keys("Tab Enter");  // Services
    ASSERT_TRUE(tmux.WaitForText("Services To Check", &screen));
    Insert("alpha", "cron");
    tmux.Keys("M-c");  // Close takes the focus: its tip shows on the status line
    ASSERT_TRUE(tmux.WaitForText("Close Window", &screen));
    EXPECT_TRUE(Shows(screen, "Services To Check"));
    tmux.Keys("M-c");  // then Change
    ASSERT_TRUE(tmux.WaitForText("Change the Record", &screen));
    tmux.Keys("Enter");
    ASSERT_TRUE(tmux.WaitForText("Edit Service", &screen));
    tmux.Keys("Escape");
    ASSERT_TRUE(Gone("Edit Service"));
    tmux.Keys("M-c M-c M-c Space");  // Close, Change, Close: Space presses Close
    ASSERT_TRUE(Gone("Services To Check"));
    tmux.Keys("Escape");
    ASSERT_TRUE(WaitForFileText(folder / "exitcode", "0"));
}

}  // namespace
}  // namespace tarn::editor::test
