// The checker's own check and restart of one record against stub systemctl and service tools
// that record the words they receive: a name reaches the tool exactly as stored, or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CheckerProcess.h"
#include "checker/ServiceCheck.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "platform/vuft4/RemoteHosts.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/SysvServiceManager.h"
#include "tests/platform/vuft4/StubSsh.h"

namespace tarn::checker::test {
namespace {

using vuft4::testing::PathFirst;
using vuft4::testing::StubFolder;

// Each call appends one line: its arguments, each in brackets.
const char* const kRecordArgs = "printf '[%s]' \"$@\" >> @DIR@/calls\necho >> @DIR@/calls\n";
const char* const kShow = "[show][-p][LoadState,ActiveState,SubState][--]";

class ServiceTools : public ::testing::Test {
  protected:
    void SetUp() override {
        errors::GlobalErrors().Init();
        data::DictionaryInit(true);
        ASSERT_TRUE(log_.Open());
    }
    void TearDown() override {
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
        vuft4::SetServiceManager(saved_);
    }
    void Use(std::shared_ptr<vuft4::ServiceManager> manager) {
        saved_ = vuft4::SetServiceManager(std::move(manager));
    }

    // Checks one record as a pass would; returns the tool calls it caused.
    std::string Check(const std::string& server, const std::string& service,
                      RestartBackoff* restarts = nullptr) {
        records::ServicesToCheckRecord& r = records::ServicesToCheck();
        std::memset(&r, 0, sizeof r);
        std::strncpy(r.ServerName, server.c_str(), sizeof r.ServerName - 1);
        std::strncpy(r.ServiceName, service.c_str(), sizeof r.ServiceName - 1);
        dir_.Write("calls", "");
        ServiceCheckLocals locals;
        locals.Restarts = restarts;
        CheckService(locals, log_);
        return dir_.Read("calls");
    }
    std::vector<std::string> LogEvents() {
        std::vector<std::string> events;
        for (const std::string& line : ReadCrLfLines(log_.FileName()))
            events.push_back(line.substr(line.find("M ") + 1));
        return events;
    }

    StubFolder dir_;
    PathFirst path_{dir_.Path()};
    DailyLog log_{dir_.File("logfiles")};
    std::shared_ptr<vuft4::ServiceManager> saved_;
};

TEST_F(ServiceTools, SystemdStartsOnlyTheServiceUnitTheRecordNames) {
    dir_.Script("systemctl",
                std::string(kRecordArgs) + "printf 'LoadState=loaded\\nActiveState=inactive\\n'\n");
    Use(std::make_shared<vuft4::SystemdServiceManager>());
    for (const char* name : {"a b", "x;rm -rf y", "-h", "php8.2-fpm", "cron.service"}) {
        std::string unit =
            std::string(name).ends_with(".service") ? name : std::string(name) + ".service";
        std::string show = std::string(kShow) + "[" + unit + "]\n";
        EXPECT_EQ(Check("", name), show + "[start][--][" + unit + "]\n" + show) << name;
    }
    // A quote or a trailing backslash does not survive the command line; other unit types and
    // patterns would start what the record does not name.
    for (const char* name :
         {"a\"b", "svc\\", "reboot.target", "sshd.socket", "*", "ssh*", "a?c", "[ab]c"}) {
        EXPECT_EQ(Check("", name), "") << name;
    }
}

TEST_F(ServiceTools, SysvStartsOnlyTheScriptTheRecordNames) {
    mkdir(dir_.File("init.d").c_str(), 0755);
    dir_.Script("service", std::string(kRecordArgs) + "exit 3\n");
    Use(std::make_shared<vuft4::SysvServiceManager>("service", dir_.File("init.d")));
    for (const char* name : {"a b", "$(touch pwned)", "a\"b", "svc\\"})
        dir_.Write("init.d/" + std::string(name), "");
    for (const char* name : {"a b", "$(touch pwned)"}) {
        std::string status = "[" + std::string(name) + "][status]\n";
        EXPECT_EQ(Check("", name), status + "[" + name + "][start]\n" + status) << name;
    }
    for (const char* name : {"a\"b", "svc\\"}) EXPECT_EQ(Check("", name), "") << name;
}

// A computer that does not answer: its service is unknown, and nothing is started, here or there.
TEST_F(ServiceTools, AServiceOfAComputerThatDoesNotAnswerStartsNothing) {
    dir_.Script("systemctl",
                std::string(kRecordArgs) + "printf 'LoadState=loaded\\nActiveState=inactive\\n'\n");
    vuft4::testing::WriteStubSsh(dir_);
    dir_.Write("refused-db01", "");
    Use(std::make_shared<vuft4::SystemdServiceManager>());
    const std::string calls = Check("db01", "postgresql");
    vuft4::CurrentRemoteHosts().EndPass();
    // One ssh client, refused; no local tool, and no second try to start.
    const std::string sessions = dir_.Read("sessions");
    EXPECT_EQ(std::count(sessions.begin(), sessions.end(), '\n'), 1) << sessions;
    EXPECT_EQ(sessions.rfind("[-o][BatchMode=yes]", 0), 0u) << sessions;
    EXPECT_EQ(calls, "");
    EXPECT_EQ(LogEvents(),
              std::vector<std::string>{" Service Status: postgresql on db01 CODE IS :-1"});
}

// A start that never takes: the status is checked and logged every pass, the starts pause.
TEST_F(ServiceTools, StartsThatDoNotTakePauseButTheStatusIsStillLogged) {
    dir_.Script("systemctl", std::string(kRecordArgs) +
                                 "[ -e @DIR@/up ] && state=active || state=inactive\n"
                                 "printf 'LoadState=loaded\\nActiveState=%s\\n' $state\n");
    Use(std::make_shared<vuft4::SystemdServiceManager>());
    RestartBackoff restarts(60);
    std::vector<int> startedIn;
    auto pass = [&](int number) {
        restarts.PassBegins();
        if (Check("", "flaky", &restarts).find("[start]") != std::string::npos)
            startedIn.push_back(number);
    };
    for (int number = 1; number <= 6; ++number) pass(number);
    EXPECT_EQ(startedIn, (std::vector<int>{1, 2, 3, 6}));
    const std::string status = " Service Status: flaky CODE IS :0";
    const std::string failed = " FAILED Restart Service: flaky ERROR CODE IS :0";
    EXPECT_EQ(LogEvents(),
              (std::vector<std::string>{
                  status, failed, status, failed, status, failed, status,
                  " Restart paused: flaky not running after 3 starts, next start in 2 cycles "
                  "(120 seconds)",
                  status, status, failed}));

    dir_.Write("up", "");
    pass(7);  // found running: the next failure is started at once
    std::remove(dir_.File("up").c_str());
    pass(8);
    EXPECT_EQ(startedIn.back(), 8);
}

}  // namespace
}  // namespace tarn::checker::test
