// Resident memory of the real checker after a pass, on a small and a large list of services: the
// view it reads through must cost the same memory whatever the list's length. Each run fills a
// fresh folder with the services (all named "cron", a SysV service whose status a stub `service`
// first on PATH answers "running" at once), starts tarnwatch there, waits until the last record
// is stamped and reads VmRSS and VmHWM from /proc.
//
//   bench_checker_memory [path to tarnwatch] [small count] [large count]
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "data/records/Records.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

void Fill(int count) {
    auto& f = tarn::records::ServicesToCheckFile();
    // A set-up that failed would time nothing.
    if (f.Create() != 0 || f.Open(0x42) != 0 || f.BeginTransaction(30) != 0) std::abort();
    for (int id = 1; id <= count; ++id) {
        auto& r = tarn::records::ServicesToCheck();
        std::memset(&r, 0, sizeof r);
        r.RecordID = id;
        std::snprintf(r.ServiceName, sizeof r.ServiceName, "cron");
        std::snprintf(r.ServiceDescription, sizeof r.ServiceDescription, "service %d", id);
        if (f.Add() != 0) std::abort();
    }
    if (f.Commit() != 0) std::abort();
    f.Close();
}

bool LastIsStamped(int count) {
    auto& f = tarn::records::ServicesToCheckFile();
    if (f.Open(0x40) != 0) return false;
    tarn::records::ServicesToCheck().RecordID = count;
    const bool stamped = f.GetByKey(tarn::records::SERCHK_KeyRecID) == 0 &&
                         tarn::records::ServicesToCheck().LastCheckedTime != 0;
    f.Close();
    return stamped;
}

long StatusKilobytes(pid_t pid, const char* field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

pid_t StartChecker(const std::string& binary, const std::string& stubs) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const std::string path = stubs + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/bin");
    setenv("PATH", path.c_str(), 1);
    std::freopen("checker.out", "w", stdout);
    std::freopen("checker.err", "w", stderr);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

// Runs one checker on count services; prints its memory after the first pass.
void Measure(const std::string& binary, int count) {
    const char* base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/tarn-bench-memory-XXXXXX";
    const fs::path folder = mkdtemp(pattern.data());
    const fs::path old = fs::current_path();
    fs::current_path(folder);
    Fill(count);
    fs::create_directory("stubs");
    std::ofstream("stubs/service") << "#!/bin/true\n";
    chmod("stubs/service", 0755);
    const auto start = Clock::now();
    const pid_t pid = StartChecker(binary, (folder / "stubs").string());
    while (!LastIsStamped(count)) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::printf("%7d services: the checker ended early (see %s)\n", count, folder.c_str());
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%7d services: after the first pass (%.0f s) VmRSS %ld kB, VmHWM %ld kB\n", count,
                seconds, StatusKilobytes(pid, "VmRSS:"), StatusKilobytes(pid, "VmHWM:"));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    fs::current_path(old);
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string binary = fs::absolute(argc > 1 ? argv[1] : "tarnwatch").string();
    const int small = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int large = argc > 3 ? std::atoi(argv[3]) : 100000;
    if (access("/etc/init.d/cron", F_OK) != 0 || fs::is_directory("/run/systemd/system")) {
        std::printf("needs SysV init with /etc/init.d/cron (scripts/setup installs cron)\n");
        return 1;
    }
    Measure(binary, small);
    Measure(binary, large);
    return 0;
}
