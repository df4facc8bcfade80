// How soon a listed unit whose process is killed runs again, with the real checker at a
// 60-second cycle in a systemd lab (tests/lab/systemd-lab, as root): 20 kills at random moments
// (1.2 to 4 s after the unit is up again), each timed from just before the kill until systemd
// has the unit active with a new main process. Prints the median and the longest.
//
//   bench_restart_latency [path to tarnwatch]
#include <signal.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/records/Records.h"
#include "tests/support/LabBus.h"
#include "tests/support/SystemdLab.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kKills = 20;
constexpr const char* kUnitPath = "/org/freedesktop/systemd1/unit/lab_2dlatency_2eservice";

void Fill() {
    auto& f = tarn::records::ServicesToCheckFile();
    if (f.Create() != 0 || f.Open(0x42) != 0) std::abort();
    auto& r = tarn::records::ServicesToCheck();
    std::memset(&r, 0, sizeof r);
    r.RecordID = 1;
    std::snprintf(r.ServiceName, sizeof r.ServiceName, "lab-latency");
    if (f.Add() != 0) std::abort();
    f.Close();
    auto& s = tarn::records::SettingsFile();
    if (s.Create() != 0 || s.Open(0x42) != 0) std::abort();
    tarn::records::Settings() = tarn::records::SettingsRecord{1, 60};
    if (s.Add() != 0) std::abort();
    s.Close();
}

// The unit's main process as the lab numbers it when it is active, else 0.
uint32_t ActivePid(sd_bus* bus) {
    char* state = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (sd_bus_get_property_string(bus, "org.freedesktop.systemd1", kUnitPath,
                                   "org.freedesktop.systemd1.Unit", "ActiveState", &error,
                                   &state) < 0) {
        sd_bus_error_free(&error);
        return 0;
    }
    const bool active = std::strcmp(state, "active") == 0;
    free(state);
    uint32_t pid = 0;
    if (active)
        sd_bus_get_property_trivial(bus, "org.freedesktop.systemd1", kUnitPath,
                                    "org.freedesktop.systemd1.Service", "MainPID", &error, 'u',
                                    &pid);
    sd_bus_error_free(&error);
    return pid;
}

// Waits until the unit is active with a main process other than old; its PID, or 0 after 10 s.
uint32_t WaitUp(sd_bus* bus, uint32_t old) {
    const auto until = Clock::now() + 10s;
    while (Clock::now() < until) {
        const uint32_t pid = ActivePid(bus);
        if (pid != 0 && pid != old) return pid;
        std::this_thread::sleep_for(2ms);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string binary = fs::absolute(argc > 1 ? argv[1] : "tarnwatch").string();
    // Restart=no: only the checker brings it back. No start limit: twenty starts in a minute.
    const std::map<std::string, std::string> units{
        {"lab-latency.service",
         "[Unit]\nStartLimitIntervalSec=0\n[Service]\nRestart=no\nExecStart=/bin/sleep "
         "infinity\n"}};
    tarn::test::SystemdLab lab(units);
    if (!lab.Ready()) {
        std::printf("bench_restart_latency skipped: no systemd lab (%s%s)\n",
                    lab.SkipReason().c_str(), lab.Error().c_str());
        return 0;
    }
    fs::create_directories(tarn::test::LabFolder());
    tarn::test::TempFolder folder("bench-latency", tarn::test::LabFolder());
    const fs::path old = fs::current_path();
    fs::current_path(folder.Path());
    Fill();
    fs::current_path(old);

    std::vector<std::string> words = lab.Launcher(folder.Path());
    words.push_back(binary);
    std::vector<char*> args;
    for (std::string& w : words) args.push_back(w.data());
    args.push_back(nullptr);
    std::fflush(stdout);
    const pid_t checker = fork();
    if (checker == 0) {
        setpgid(0, 0);
        std::freopen((folder / "checker.err").c_str(), "w", stderr);
        execv(args[0], args.data());
        _exit(127);
    }

    // Its own connection to the lab's systemd, to see the unit's state without a child per look.
    sd_bus* bus = nullptr;
    const int fd = tarn::test::ConnectLabBus(lab.Pid());
    if (fd < 0 || sd_bus_new(&bus) < 0 || sd_bus_set_fd(bus, fd, fd) < 0 || sd_bus_start(bus) < 0)
        std::abort();
    uint32_t pid = WaitUp(bus, 0);  // started by the first pass
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pauseMs(1200, 4000);
    std::vector<double> took;
    for (int k = 0; k < kKills && pid != 0; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
        const auto killedAt = Clock::now();
        lab.Run({"kill", "-9", std::to_string(pid)});
        pid = WaitUp(bus, pid);
        if (pid != 0)
            took.push_back(std::chrono::duration<double>(Clock::now() - killedAt).count());
    }
    kill(-checker, SIGTERM);
    waitpid(checker, nullptr, 0);
    sd_bus_flush_close_unref(bus);
    if (took.size() < kKills) {
        std::printf("the unit stayed down after %zu kills; the checker said: %.400s\n", took.size(),
                    tarn::test::ReadAll(folder / "checker.err").c_str());
        return 1;
    }
    std::sort(took.begin(), took.end());
    std::printf(
        "%d kills of a listed unit's process at a 60 s cycle: until active again "
        "median %.0f ms, max %.0f ms (min %.0f ms)\n",
        kKills, took[took.size() / 2] * 1e3, took.back() * 1e3, took.front() * 1e3);
    return 0;
}
