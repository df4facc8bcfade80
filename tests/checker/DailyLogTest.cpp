// The daily log in-process, with the day set by the test: the file each line goes to, and the
// bytes a hostile service name turns into.
#include <gtest/gtest.h>

#include "CheckerProcess.h"
#include "checker/DailyLog.h"
#include "data/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/system/Clock.h"
#include "tests/support/TestFolder.h"

namespace tarn::checker::test {
namespace {

class DailyLogFile : public ::testing::Test {
  protected:
    void SetUp() override {
        errors::GlobalErrors().Init();
        data::DictionaryInit(true);
    }
    void TearDown() override {
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
    }
    // The event texts of a log file: each line without its date and time head.
    std::vector<std::string> Events(const std::string& name) {
        std::vector<std::string> events;
        for (const std::string& line : ReadCrLfLines(dir_ / ("logfiles/" + name)))
            events.push_back(line.substr(line.find("M ") + 1));
        return events;
    }

    tarn::test::TempFolder dir_{"tarn-log"};
    tarn::test::CurrentFolder inDir_{dir_.Path()};
    int32_t day_ = platform::DayNumber(2026, 12, 31);
    DailyLog log_{"logfiles", [this] { return day_; }};
};

TEST_F(DailyLogFile, EachLineGoesToTheFileOfTheDayItIsWrittenOn) {
    ASSERT_TRUE(log_.Open());
    log_.SettingsLoaded(60);
    ++day_;  // midnight passes during a pass
    log_.Restarted("cron");
    log_.BeginPass();
    log_.RestartFailed("cron", 0);
    EXPECT_EQ(Events("Tarnwatch20261231.log"),
              (std::vector<std::string>{"  Loaded Settings. Sleep Time = 60"}));
    EXPECT_EQ(Events("Tarnwatch20270101.log"),
              (std::vector<std::string>{" Successfully Restarted Service: cron",
                                        " FAILED Restart Service: cron ERROR CODE IS :0"}));
    EXPECT_EQ(ReadAll(dir_ / "logfiles/Tarnwatch20270101.log").substr(0, 12), "01-Jan-2027 ");
}

TEST_F(DailyLogFile, ControlCharactersOfANameAreWrittenEscaped) {
    ASSERT_TRUE(log_.Open());
    // A name that would forge a line of its own and re-title the terminal of whoever reads it.
    log_.ServiceNotRunning(
        "x\r\n31-Dec-2026 10:00:00AM Successfully Restarted Service: sshd\x1b]0;owned\x07", 0);
    // C1 controls and DEL are controls too; UTF-8 and a backslash stay byte for byte.
    log_.Restarted("caf\xC3\xA9-\\x2d\tend\x7F\xC2\x9B\x9B");
    EXPECT_EQ(Events("Tarnwatch20261231.log"),
              (std::vector<std::string>{
                  " Service Status: x\\r\\n31-Dec-2026 10:00:00AM Successfully Restarted Service: "
                  "sshd\\x1b]0;owned\\x07 CODE IS :0",
                  " Successfully Restarted Service: caf\xC3\xA9-\\x2d\\tend\\x7f\\xc2\\x9b\\x9b"}));
}

}  // namespace
}  // namespace tarn::checker::test
