#pragma once
// The fixture of the end-to-end tests: data files written and read from the test's side, as the
// editor or an operator would, and the checker's log.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "CheckerProcess.h"
#include "data/records/Records.h"

namespace tarn::checker::test {

using namespace std::chrono_literals;
using records::ServicesToCheckRecord;
using records::SettingsRecord;

inline bool HaveCron() { return access("/etc/init.d/cron", X_OK) == 0; }

// For a checker's inChild: that process, and what it starts, see initFolder as /etc/init.d, in a
// mount namespace of its own (the machine's scripts are never touched); then runs then. Needs
// root; a child that cannot have it ends with 126.
inline std::function<void()> PrivateInitFolder(const std::string& initFolder,
                                               const std::function<void()>& then = {}) {
    return [initFolder, then] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_PRIVATE | MS_REC, nullptr) != 0 ||
            mount(initFolder.c_str(), "/etc/init.d", nullptr, MS_BIND, nullptr) != 0)
            _exit(126);
        if (then) then();
    };
}

// Runs a command without a shell; returns its exit code.
inline int RunTool(std::vector<std::string> argv) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CheckerEndToEnd : public ::testing::Test {
  protected:
    // The data folder is made under dataParent.
    explicit CheckerEndToEnd(const std::string& dataParent = "/tmp") : folder("tarn", dataParent) {}

    void WriteSettings(int32_t id, int32_t seconds) {
        storage::RecordFile& f = records::SettingsFile();
        f.SetName(folder / "Settings");
        ASSERT_EQ(f.Create(), 0);
        ASSERT_EQ(f.Open(0x42), 0);
        records::Settings() = SettingsRecord{id, seconds};
        ASSERT_EQ(f.Add(), 0);
        f.Close();
    }

    // Adds service records (id, server, service, description) and closes the file.
    void WriteServices(
        const std::vector<std::tuple<int, std::string, std::string, std::string>>& rows) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        f.SetName(folder / "ServicesToCheck");
        ASSERT_EQ(f.Create(), 0);
        ASSERT_EQ(f.Open(0x42), 0);
        for (auto& [id, server, service, description] : rows) {
            ServicesToCheckRecord& r = records::ServicesToCheck();
            std::memset(&r, 0, sizeof r);
            r.RecordID = id;
            std::strncpy(r.ServerName, server.c_str(), sizeof r.ServerName - 1);
            std::strncpy(r.ServiceName, service.c_str(), sizeof r.ServiceName - 1);
            std::strncpy(r.ServiceDescription, description.c_str(),
                         sizeof r.ServiceDescription - 1);
            ASSERT_EQ(f.Add(), 0);
        }
        f.Close();
    }

    // Reads one service record by id from a fresh connection.
    ServicesToCheckRecord ReadService(int id) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        f.SetName(folder / "ServicesToCheck");
        EXPECT_EQ(f.Open(0x42), 0);
        records::ServicesToCheck().RecordID = id;
        int rc = f.GetByKey(records::SERCHK_KeyRecID);
        ServicesToCheckRecord r = records::ServicesToCheck();
        f.Close();
        if (rc != 0) r.RecordID = 0;
        return r;
    }

    // Changes a record from another connection, as the editor would.
    void EditService(int id, const std::function<void(ServicesToCheckRecord&)>& edit,
                     bool remove = false) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        f.SetName(folder / "ServicesToCheck");
        ASSERT_EQ(f.Open(0x42), 0);
        records::ServicesToCheck().RecordID = id;
        ASSERT_EQ(f.GetByKey(records::SERCHK_KeyRecID), 0);
        if (remove) {
            EXPECT_EQ(f.Delete(), 0);
        } else {
            edit(records::ServicesToCheck());
            EXPECT_EQ(f.Put(), 0);
        }
        f.Close();
    }

    std::vector<SettingsRecord> ReadSettings() {
        std::vector<SettingsRecord> all;
        storage::RecordFile& f = records::SettingsFile();
        f.SetName(folder / "Settings");
        EXPECT_EQ(f.Open(0x42), 0);
        f.SetToStart(records::SET_KeyRecID);
        while (f.Next() == 0) all.push_back(records::Settings());
        f.Close();
        return all;
    }

    std::vector<std::string> Log() { return ReadCrLfLines(TodaysLog(folder.Path())); }

    bool LogHas(const std::string& tail) {
        for (auto& line : Log())
            if (line.size() >= tail.size() &&
                line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
                return true;
        return false;
    }

    // Waits until every given record carries a check stamp (one pass done).
    bool WaitStamped(CheckerProcess& p, std::vector<int> ids,
                     std::chrono::milliseconds limit = 20s) {
        return p.WaitFor(
            [&] {
                for (int id : ids)
                    if (ReadService(id).LastChecked == 0) return false;
                return true;
            },
            limit);
    }

    TempFolder folder;
    TempFolder stubs;
};

}  // namespace tarn::checker::test
