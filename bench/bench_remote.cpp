// The checker watching 100 other computers, 10 services each (1000 records), over SSH: how long
// its passes take once the connections are up, how many connections the servers took, and its
// memory next to a pass over 1000 services of this computer. The "computers" are Host aliases of
// OpenSSH servers, one alias a port, so each alias is a connection of its own (sshd listens on
// at most 16 ports): where systemd labs run (tests/lab/systemd-lab, as root), 4 labs with two
// servers of 13 ports each and 10 running units, asked through systemctl; elsewhere 7 servers on
// this machine with 15 ports each, whose shells answer the SysV way through a stub `service`.
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
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/records/Records.h"
#include "tests/support/SshServer.h"
#include "tests/support/SystemdLab.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using tarn::test::SshServer;

constexpr int kHosts = 100, kServicesEach = 10, kPasses = 4, kLabs = 4, kServersEachLab = 2;
constexpr int kPortsInLabs = 13, kServersHere = 7, kPortsHere = 15;

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

// The servers the aliases are spread over, and the names each host is asked for.
struct Hosts {
    std::vector<std::unique_ptr<tarn::test::SystemdLab>> labs;
    std::vector<std::unique_ptr<SshServer>> servers;
    std::vector<std::string> names;
    std::string where;
};

// Labs with their servers and units running; false (nothing made) where labs cannot run.
bool InLabs(Hosts& hosts) {
    fs::create_directories(tarn::test::LabFolder());
    for (int l = 0; l < kLabs; ++l) {
        std::map<std::string, std::string> units;
        std::vector<std::string> start = {"start"};
        for (int s = 0; s < kServersEachLab; ++s) {
            hosts.servers.push_back(std::make_unique<SshServer>("127.0.0.1", "", kPortsInLabs,
                                                                tarn::test::LabFolder()));
            const std::string unit = "tarn-sshd" + std::to_string(s) + ".service";
            units[unit] = hosts.servers.back()->Unit();
            start.push_back(unit);
        }
        for (int u = 0; u < kServicesEach; ++u) {
            const std::string unit = "bench" + std::to_string(u) + ".service";
            units[unit] = "[Service]\nExecStart=/bin/sleep infinity\n";
            start.push_back(unit);
        }
        hosts.labs.push_back(std::make_unique<tarn::test::SystemdLab>(units));
        if (!hosts.labs.back()->Ready()) {
            std::printf("no systemd lab (%s%s): servers of this machine instead\n",
                        hosts.labs.back()->SkipReason().c_str(),
                        hosts.labs.back()->Error().c_str());
            hosts = Hosts{};
            return false;
        }
        start.insert(start.begin(), hosts.labs.back()->SystemctlPath());
        tarn::test::Quietly(start);
    }
    for (const auto& server : hosts.servers)
        if (!server->WaitListening()) std::abort();
    for (int u = 0; u < kServicesEach; ++u) hosts.names.push_back("bench" + std::to_string(u));
    hosts.where = std::to_string(kLabs) + " systemd labs";
    return true;
}

// Servers of this machine whose sessions find the stub `service` in stubs first.
bool HereSysv(Hosts& hosts, const std::string& path) {
    hosts.names = ServiceNames();
    if (hosts.names.empty() || fs::is_directory("/run/systemd/system")) return false;
    for (int s = 0; s < kServersHere; ++s) {
        hosts.servers.push_back(
            std::make_unique<SshServer>("127.0.0.1", "PATH=" + path, kPortsHere, "/tmp"));
        if (!hosts.servers.back()->Start()) return false;
    }
    hosts.where = std::to_string(kServersHere) + " sshd of this machine (SysV way)";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string binary = fs::absolute(argc > 1 ? argv[1] : "tarnwatch").string();
    const std::string why = SshServer::CannotRun();
    if (!why.empty()) {
        std::printf("bench_remote skipped: %s\n", why.c_str());
        return 0;
    }
    std::string stubPattern = "/tmp/tarn-bench-stubs-XXXXXX";
    const std::string stubs = mkdtemp(stubPattern.data());
    std::ofstream(stubs + "/service") << "#!/bin/true\n";
    chmod((stubs + "/service").c_str(), 0755);
    const std::string path = stubs + ":/usr/sbin:/usr/bin:/sbin:/bin";
    Hosts hosts;
    if (!InLabs(hosts) && !HereSysv(hosts, path)) {
        std::printf(
            "bench_remote skipped: no labs, and this machine runs systemd or has no "
            "init scripts\n");
        fs::remove_all(stubs);
        return 0;
    }
    // One client configuration with every alias: each server's own file gets them all.
    const size_t portsEach = hosts.servers[0]->Ports().size();
    std::vector<std::pair<std::string, std::string>> remoteRows, localRows;
    for (int h = 0; h < kHosts; ++h) {
        SshServer& server = *hosts.servers[h / portsEach];
        char alias[16];
        std::snprintf(alias, sizeof alias, "h%03d", h);
        server.Alias(alias, server.Ports()[h % portsEach]);
        for (const std::string& name : hosts.names) remoteRows.emplace_back(alias, name);
    }
    std::string config;
    for (const auto& server : hosts.servers) config += tarn::test::ReadAll(server->ClientConfig());
    const std::string configFile = stubs + "/ssh_config";
    std::ofstream(configFile) << config;
    for (size_t i = 0; i < remoteRows.size(); ++i) localRows.emplace_back("localhost", "cron");

    const Run local = Measure(binary, localRows, path, {}, hosts.servers);
    std::string runtimePattern = "/tmp/tarn-bench-rt-XXXXXX";
    const std::string runtime = mkdtemp(runtimePattern.data());
    const Run remote =
        Measure(binary, remoteRows, path,
                {{"TARN_SSH_CONFIG", configFile}, {"RUNTIME_DIRECTORY", runtime}}, hosts.servers);
    for (auto& server : hosts.servers) server->Stop(runtime);
    fs::remove_all(runtime);
    fs::remove_all(stubs);

    std::printf("%d hosts on %zu servers in %s, %zu records (%zu names a host)\n", kHosts,
                hosts.servers.size(), hosts.where.c_str(), remoteRows.size(), hosts.names.size());
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
