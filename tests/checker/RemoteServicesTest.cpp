// A whole pass over a list naming other computers, with a stub `ssh` first on PATH: each host is
// asked once for all its services, a stopped service is started there and asked again, a host
// that does not answer is said once and starts nothing, and the lines name the server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>

#include "CheckerProcess.h"
#include "checker/DailyLog.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/vuft4/RemoteHosts.h"
#include "platform/vuft4/ServiceManager.h"
#include "tests/platform/vuft4/StubSsh.h"

namespace tarn::checker::test {
namespace {

using vuft4::testing::PathFirst;
using vuft4::testing::StubFolder;
using vuft4::testing::SystemdAnswer;

// This computer's services: each is running, and none is ever started.
class LocalManager : public vuft4::ServiceManager {
  public:
    std::vector<std::string> asked, started;
    int32_t Status(const std::string& name) override {
        std::lock_guard<std::mutex> hold(lock_);
        asked.push_back(name);
        return 6;
    }
    vuft4::StartReport Start(const std::string& name) override {
        started.push_back(name);
        return {};
    }

  private:
    std::mutex lock_;
};

class RemoteServicesPass : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);  // the data folder; an X would appear here
        ui_.Attach();
        errors::GlobalErrors().Init();
        data::DictionaryInit(true);
        oldManager_ = vuft4::SetServiceManager(local_);
        ASSERT_TRUE(log_.Open());
        vuft4::testing::WriteStubSsh(dir_);
    }
    void TearDown() override {
        vuft4::CurrentRemoteHosts().Disconnect();  // the stub shells answer from this folder
        vuft4::SetServiceManager(oldManager_);
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
        ui_.Detach();
        EXPECT_FALSE(dir_.Exists("X"));
        EXPECT_EQ(chdir(saved_.c_str()), 0);
    }

    void List(const std::vector<std::pair<std::string, std::string>>& rows) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        ASSERT_EQ(f.Create(), 0);
        ASSERT_EQ(f.Open(0x42), 0);
        int id = 0;
        for (const auto& [server, service] : rows) {
            f.ClearBuffer(false);
            records::ServicesToCheckRecord& r = records::ServicesToCheck();
            r.RecordID = ++id;
            std::strncpy(r.ServerName, server.c_str(), sizeof r.ServerName - 1);
            std::strncpy(r.ServiceName, service.c_str(), sizeof r.ServiceName - 1);
            ASSERT_EQ(f.Add(), 0);
        }
        f.Close();
    }

    // Runs one pass; what it said on standard error is returned.
    std::string Pass() {
        const std::string errFile = dir_.File("stderr");
        const int saved = dup(2);
        const int to = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(to, 2);
        close(to);
        ReadThroughServices(log_);
        dup2(saved, 2);
        close(saved);
        return dir_.Read("stderr");
    }
    std::vector<std::string> LogEvents() {
        std::vector<std::string> events;
        for (const std::string& line : ReadCrLfLines(log_.FileName()))
            events.push_back(line.substr(line.find("M ") + 1));
        return events;
    }
    // The hosts of the ssh calls so far, in the order called, with "start" after a start.
    std::vector<std::string> SshCalls() {
        std::vector<std::string> calls;
        std::istringstream lines(dir_.Read("calls"));
        for (std::string line; std::getline(lines, line);) {
            std::string call = line.substr(1, line.find(']') - 1);
            if (line.find("systemctl start") != std::string::npos) call += " start";
            calls.push_back(call);
        }
        return calls;
    }

    StubFolder dir_;
    PathFirst path_{dir_.Path()};
    std::string saved_ = std::filesystem::current_path();
    ui::HeadlessFrontEnd ui_;
    std::shared_ptr<LocalManager> local_ = std::make_shared<LocalManager>();
    std::shared_ptr<vuft4::ServiceManager> oldManager_;
    DailyLog log_{dir_.File("logfiles")};
};

TEST_F(RemoteServicesPass, EachHostOnceAStoppedServiceStartedThereADeadHostSaidOnce) {
    dir_.Write("answer-web01", SystemdAnswer("nginx=inactive cron=active"));
    dir_.Write("after-web01", SystemdAnswer("nginx=active"));
    dir_.Write("answer-db01", SystemdAnswer("postgresql=active"));
    dir_.Write("refused-down", "");
    List({{"localhost", "cron"},
          {"web01", "nginx"},
          {"db01", "postgresql"},
          {"web01", "cron"},
          {"down", "redis"},
          {"down", "memcached"},
          {"-oProxyCommand=touch X", "x"},
          {"web01", "$(touch X)"}});
    const std::string said = Pass();
    EXPECT_EQ(said,
              "tarnwatch: cannot reach down over SSH: connection refused; its services are logged "
              "as unknown (-1) and nothing is started there this pass\n");
    std::vector<std::string> calls = SshCalls();
    ASSERT_EQ(calls.size(), 4u) << dir_.Read("calls");
    std::sort(calls.begin(), calls.begin() + 2);  // the hosts are asked at once
    EXPECT_EQ(calls, (std::vector<std::string>{"db01", "web01", "web01 start", "web01"}));
    EXPECT_EQ(local_->asked, std::vector<std::string>{"cron"});
    EXPECT_TRUE(local_->started.empty());
    EXPECT_EQ(LogEvents(), (std::vector<std::string>{
                               " Service Status: nginx on web01 CODE IS :0",
                               " Successfully Restarted Service: nginx on web01",
                               " Service Status: redis on down CODE IS :-1",
                               " Service Status: memcached on down CODE IS :-1",
                               " Service Status: x on -oProxyCommand=touch X CODE IS :-1",
                               " Service Status: $(touch X) on web01 CODE IS :-1",
                           }));
}

}  // namespace
}  // namespace tarn::checker::test
