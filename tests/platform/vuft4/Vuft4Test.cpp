#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <thread>

#include "StubFolder.h"
#include "platform/system/Folders.h"
#include "platform/vuft4/LocalServices.h"
#include "platform/vuft4/RemoteHosts.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {
namespace {

using testing::StubFolder;

// Records what it is asked and answers a set status (a pass asks from several threads).
class RecordingManager : public ServiceManager {
  public:
    int32_t Status(const std::string& name) override {
        std::lock_guard<std::mutex> hold(lock_);
        asked.push_back(name);
        return answer;
    }
    StartReport Start(const std::string& name) override {
        started.push_back(name);
        return {};
    }

    int32_t answer = 6;
    std::vector<std::string> asked;
    std::vector<std::string> started;

  private:
    std::mutex lock_;
};

class Vuft4Test : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = SetServiceManager(fake_); }
    void TearDown() override { SetServiceManager(saved_); }

    std::shared_ptr<RecordingManager> fake_ = std::make_shared<RecordingManager>();
    std::shared_ptr<ServiceManager> saved_;
};

TEST_F(Vuft4Test, ThisComputerIsAskedHereAndOthersOverSsh) {
    StubFolder dir;
    testing::PathFirst path(dir.Path());
    dir.Script("ssh", "echo \"$@\" >> @DIR@/calls; exit 255\n");
    std::string upper = platform::ComputerName();
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    for (const char* server : {"", "   ", ".", "localhost", "LocalHost", upper.c_str()}) {
        EXPECT_EQ(VUSERVICESTATUS(server, "svc"), 6) << server;
    }
    EXPECT_EQ(VUSERVICESTATUS(nullptr, "svc"), 6);
    EXPECT_EQ(fake_->asked.size(), 7u);
    EXPECT_FALSE(dir.Exists("calls"));
    fake_->asked.clear();
    for (const char* server : {"otherhost", "localhost2", "\\\\server"}) {
        EXPECT_EQ(VUSERVICESTATUS(server, "svc"), -1) << server;
    }
    EXPECT_TRUE(fake_->asked.empty());  // another computer's service is never asked here
    EXPECT_NE(dir.Read("calls").find("-- otherhost "), std::string::npos);
    EXPECT_NE(dir.Read("calls").find("-- localhost2 "), std::string::npos);
    CurrentRemoteHosts().EndPass();
}

TEST_F(Vuft4Test, ServiceNameLosesOnlyItsPadding) {
    fake_->answer = 0;
    EXPECT_EQ(VUSERVICESTATUS("", "cron   "), 0);
    EXPECT_EQ(VUSERVICESTATUS("", "a b"), 0);
    EXPECT_EQ(VUSERVICESTATUS("", "  "), -1);
    EXPECT_EQ(VUSERVICESTATUS("", nullptr), -1);
    EXPECT_EQ(fake_->asked, (std::vector<std::string>{"cron", "a b"}));
    fake_->answer = 3;
    EXPECT_EQ(VUSERVICESTATUS("", "x"), 3);  // transitional codes pass through
}

TEST_F(Vuft4Test, PassAnswersEachNameOnceUntilItIsStarted) {
    CurrentLocalServices().BeginPass({"cron  ", "cron", "a\"b", "ssh"});
    std::sort(fake_->asked.begin(), fake_->asked.end());  // asked at the same time
    EXPECT_EQ(fake_->asked, (std::vector<std::string>{"cron", "ssh"}));
    fake_->answer = 0;
    EXPECT_EQ(VUSERVICESTATUS("", "cron"), 6);  // the pass's answer
    EXPECT_EQ(VURUN("net start \"cron\"", 0, 1), 0);
    EXPECT_EQ(VUSERVICESTATUS("", "cron"), 0);  // asked again after its start
    EXPECT_EQ(VUSERVICESTATUS("", "ssh"), 6);
    CurrentLocalServices().EndPass();
    EXPECT_EQ(VUSERVICESTATUS("", "ssh"), 0);  // a pass's answers end with it
}

TEST_F(Vuft4Test, NetStartGoesToTheBackend) {
    EXPECT_EQ(VURUN("net start \"cron\"", 0, 1), 0);
    EXPECT_EQ(VURUN("NET START \"Print Spooler\"", 0, 1), 0);
    EXPECT_EQ(VURUN("net start cron", 0, 1), 0);
    EXPECT_EQ(VURUN("net start", 0, 1), -1);
    EXPECT_EQ(VURUN("net start \"\"", 0, 1), -1);
    EXPECT_EQ(VURUN("", 0, 1), -1);
    EXPECT_EQ(VURUN(nullptr, 0, 1), -1);
    EXPECT_EQ(fake_->started, (std::vector<std::string>{"cron", "Print Spooler", "cron"}));
}

TEST_F(Vuft4Test, NamesThatDoNotSurviveTheQuotesAreNeitherAskedNorStarted) {
    // What a record a"b and a record svc\ turn into between quotes, and lines that are not one
    // name: none may start a service under a name the record does not hold.
    for (const char* line : {R"(net start "a"b")", R"(net start "svc\")", R"(net start "a b" x)",
                             R"(net start a"b)", R"(net start "a""b")", R"(net start x y)"}) {
        EXPECT_EQ(VURUN(line, 0, 1), -1) << line;
    }
    EXPECT_TRUE(fake_->started.empty());
    EXPECT_EQ(VUSERVICESTATUS("", "a\"b"), -1);
    EXPECT_EQ(VUSERVICESTATUS("", "svc\\"), -1);
    EXPECT_TRUE(fake_->asked.empty());
    EXPECT_EQ(VURUN(R"(net start "C:\dir\svc")", 0, 1), 0);  // inner backslashes are plain
    EXPECT_EQ(fake_->started, std::vector<std::string>{R"(C:\dir\svc)"});
}

TEST_F(Vuft4Test, OtherCommandsRunDirectly) {
    StubFolder dir;
    EXPECT_EQ(VURUN("sh -c \"exit 5\"", 0, 1), 5);
    const std::string target = dir.File("made by touch");
    EXPECT_EQ(VURUN(("touch \"" + target + "\"").c_str(), 0, 1), 0);
    EXPECT_TRUE(dir.Exists("made by touch"));
    // Shell syntax is just text to a program run directly.
    EXPECT_EQ(VURUN(("touch " + dir.File("a;touch") + " " + dir.File("b")).c_str(), 0, 1), 0);
    EXPECT_TRUE(dir.Exists("a;touch"));
    EXPECT_EQ(VURUN("tarn-no-such-program-here x", 0, 1), -1);
    EXPECT_TRUE(fake_->started.empty());
}

TEST(Vuft4FolderTest, FoldersAreFoundAndCreated) {
    StubFolder dir;
    const std::string logs = dir.File("logfiles/nested");
    EXPECT_EQ(VUFOLDEREXISTS(logs.c_str()), 0);
    EXPECT_NE(VUCREATEDIRECTORY(logs.c_str()), 0);
    EXPECT_NE(VUFOLDEREXISTS(logs.c_str()), 0);
    EXPECT_NE(VUCREATEDIRECTORY(logs.c_str()), 0);
    dir.Write("file", "");
    EXPECT_EQ(VUFOLDEREXISTS(dir.File("file").c_str()), 0);
    EXPECT_EQ(VUCREATEDIRECTORY(dir.File("file/sub").c_str()), 0);
    EXPECT_EQ(VUFOLDEREXISTS(nullptr), 0);
    EXPECT_EQ(VUCREATEDIRECTORY(nullptr), 0);
}

TEST(Vuft4FolderTest, ComputerNameIsPerThread) {
    const char* mine = VUCOMPUTERNAME();
    EXPECT_EQ(std::string(mine), platform::ComputerName().substr(0, 127));
    const char* other = nullptr;
    std::thread([&] { other = VUCOMPUTERNAME(); }).join();
    EXPECT_NE(mine, other);
    EXPECT_EQ(std::string(mine), platform::ComputerName().substr(0, 127));
}

}  // namespace
}  // namespace tarn::vuft4
