// The checker watching 100 other computers, 10 services each (1000 records), over SSH: how long
// its passes take once the connections are up, how many connections the servers took, and its
// memory next to a pass over 1000 services of this computer. The "computers" are 7 OpenSSH
// servers on loopback ports of this machine, 15 ports each (sshd listens on at most 16; one Host
// alias a port, so each alias is a connection of its own); no systemd runs this machine, so their
// shells answer the SysV way, through a stub `service` that says "running" at once.
//
//   bench_remote [path to tarnwatch]
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/records/Records.h"
#include "tests/support/SshServer.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using tarn::test::SshServer;

constexpr int kHosts = 100, kServers = 7, kServicesEach = 10, kPasses = 4;
constexpr int kPortsEach = (kHosts + kServers - 1) / kServers;

void Fill(const std::vector<std::pair<std::string, std::string>>& rows) {
    auto& f = tarn::records::ServicesToCheckFile();
    if (f.Create() != 0 || f.Open(0x42) != 0 || f.BeginTransaction(30) != 0) std::abort();
    int id = 0;
    for (const auto& [server, service] : rows) {
        auto& r = tarn::records::ServicesToCheck();
        std::memset(&r, 0, sizeof r);
        r.RecordID = ++id;
        std::snprintf(r.ServerName, sizeof r.ServerName, "%s", server.c_str());
        std::snprintf(r.ServiceName, sizeof r.ServiceName, "%s", service.c_str());
        if (f.Add() != 0) std::abort();
    }
    if (f.Commit() != 0) std::abort();
    f.Close();
    auto& s = tarn::records::SettingsFile();
    if (s.Create() != 0 || s.Open(0x42) != 0) std::abort();
    tarn::records::Settings() = tarn::records::SettingsRecord{1, 1};
    if (s.Add() != 0) std::abort();
    s.Close();
}

int32_t LastStamp(int id) {
    auto& f = tarn::records::ServicesToCheckFile();
    if (f.Open(0x40) != 0) return 0;
    tarn::records::ServicesToCheck().RecordID = id;
    const int32_t stamp = f.GetByKey(tarn::records::SERCHK_KeyRecID) == 0
                              ? tarn::records::ServicesToCheck().LastCheckedTime
                              : 0;
    f.Close();
    return stamp;
}

long HighWaterKilobytes(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

pid_t StartChecker(const std::string& binary, const std::string& path,
                   const std::vector<std::pair<std::string, std::string>>& env) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setenv("PATH", path.c_str(), 1);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::freopen("checker.out", "w", stdout);
    std::freopen("checker.err", "w", stderr);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

struct Run {
    std::vector<double> passSeconds;  // from one stamp of the last record to the next, less 1 s
    long hwmKilobytes = -1;
    std::vector<int> connectionsAfterPass;
    std::string said;  // the checker's standard error
};

// Runs the checker in a fresh folder on rows for kPasses passes.
Run Measure(const std::string& binary, const std::vector<std::pair<std::string, std::string>>& rows,
            const std::string& path, const std::vector<std::pair<std::string, std::string>>& env,
            const std::vector<std::unique_ptr<SshServer>>& servers) {
    std::string pattern = "/tmp/tarn-bench-remote-XXXXXX";
    const fs::path folder = mkdtemp(pattern.data());
    const fs::path old = fs::current_path();
    fs::current_path(folder);
    Fill(rows);
    Run run;
    const pid_t pid = StartChecker(binary, path, env);
    int32_t seen = 0;
    Clock::time_point last{};
    const Clock::time_point give_up = Clock::now() + std::chrono::minutes(5);
    while (static_cast<int>(run.connectionsAfterPass.size()) < kPasses && Clock::now() < give_up) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
        const int32_t stamp = LastStamp(static_cast<int>(rows.size()));
        if (stamp != 0 && stamp != seen) {
            const Clock::time_point now = Clock::now();
            if (seen != 0)
                run.passSeconds.push_back(std::chrono::duration<double>(now - last).count() - 1);
            seen = stamp;
            last = now;
            int connections = 0;
            for (const auto& server : servers) connections += server->Connections();
            run.connectionsAfterPass.push_back(connections);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.hwmKilobytes = HighWaterKilobytes(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    run.said = tarn::test::ReadAll("checker.err");
    fs::current_path(old);
    fs::remove_all(folder);
    return run;
}

// Up to kServicesEach names of this machine's init scripts (the remote command asks only for
// names that have one), repeated when there are fewer.
std::vector<std::string> ServiceNames() {
    std::vector<std::string> scripts, names;
    for (const auto& entry : fs::directory_iterator("/etc/init.d"))
        scripts.push_back(entry.path().filename().string());
    std::sort(scripts.begin(), scripts.end());
    for (int i = 0; i < kServicesEach && !scripts.empty(); ++i)
        names.push_back(scripts[i % scripts.size()]);
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string binary = fs::absolute(argc > 1 ? argv[1] : "tarnwatch").string();
    const std::string why = SshServer::CannotRun();
    const std::vector<std::string> names = ServiceNames();
    if (!why.empty() || fs::is_directory("/run/systemd/system") || names.empty()) {
        std::printf("bench_remote skipped: %s\n",
                    why.empty() ? "needs a machine without systemd, with /etc/init.d scripts"
                                : why.c_str());
        return 0;
    }
    std::string stubPattern = "/tmp/tarn-bench-stubs-XXXXXX";
    const std::string stubs = mkdtemp(stubPattern.data());
    std::ofstream(stubs + "/service") << "#!/bin/true\n";
    chmod((stubs + "/service").c_str(), 0755);
    const std::string path = stubs + ":/usr/sbin:/usr/bin:/sbin:/bin";

    std::vector<std::unique_ptr<SshServer>> servers;
    for (int s = 0; s < kServers; ++s) {
        servers.push_back(
            std::make_unique<SshServer>("127.0.0.1", "PATH=" + path, kPortsEach, "/tmp"));
        if (!servers.back()->Start()) {
            std::printf("bench_remote: sshd did not start\n");
            return 1;
        }
    }
    // One client configuration with every alias: each server's own file gets them all.
    std::vector<std::pair<std::string, std::string>> remoteRows, localRows;
    for (int h = 0; h < kHosts; ++h) {
        SshServer& server = *servers[h / kPortsEach];
        char alias[16];
        std::snprintf(alias, sizeof alias, "h%03d", h);
        server.Alias(alias, server.Ports()[h % kPortsEach]);
        for (const std::string& name : names) remoteRows.emplace_back(alias, name);
    }
    std::string config;
    for (const auto& server : servers) config += tarn::test::ReadAll(server->ClientConfig());
    const std::string configFile = stubs + "/ssh_config";
    std::ofstream(configFile) << config;
    for (size_t i = 0; i < remoteRows.size(); ++i) localRows.emplace_back("localhost", "cron");

    const Run local = Measure(binary, localRows, path, {}, servers);
    std::string runtimePattern = "/tmp/tarn-bench-rt-XXXXXX";
    const std::string runtime = mkdtemp(runtimePattern.data());
    const Run remote =
        Measure(binary, remoteRows, path,
                {{"TARN_SSH_CONFIG", configFile}, {"RUNTIME_DIRECTORY", runtime}}, servers);
    for (auto& server : servers) server->Stop(runtime);
    fs::remove_all(runtime);
    fs::remove_all(stubs);

    std::printf("%d hosts on %d servers, %zu records (%zu names a host)\n", kHosts, kServers,
                remoteRows.size(), names.size());
    for (size_t i = 0; i < remote.passSeconds.size(); ++i)
        std::printf("  remote pass %zu: %.2f s\n", i + 2, remote.passSeconds[i]);
    for (size_t i = 0; i < remote.connectionsAfterPass.size(); ++i)
        std::printf("  connections the servers took after pass %zu: %d\n", i + 1,
                    remote.connectionsAfterPass[i]);
    for (size_t i = 0; i < local.passSeconds.size(); ++i)
        std::printf("  local pass %zu (1000 records of this computer): %.2f s\n", i + 2,
                    local.passSeconds[i]);
    std::printf("  checker VmHWM: remote %ld kB, local-only %ld kB, difference %ld kB\n",
                remote.hwmKilobytes, local.hwmKilobytes, remote.hwmKilobytes - local.hwmKilobytes);
    if (!remote.said.empty()) std::printf("  the checker said: %.400s\n", remote.said.c_str());
    return 0;
}
