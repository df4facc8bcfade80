// Processor time of the checker watching 50 SysV services at a 5-second cycle, next to monit
// watching the same services at the same cycle in the same run (monit is the yardstick here and
// nowhere else). The real tarnwatch must find the services in /etc/init.d: the benchmark runs in
// a mount namespace of its own with a tmpfs over /etc/init.d (and over /run/systemd, should this
// machine run systemd), so the machine's own scripts are never touched. The services are LSB
// init scripts (status from the pid file) whose daemons are started before both programs.
// Needs root.
//
//   bench_sysv_cpu [seconds, 120] [path to tarnwatch, the one beside this program]
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "LsbServices.h"
#include "data/records/Records.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/SysvServiceManager.h"

namespace {

namespace fs = std::filesystem;

constexpr int kServices = 50, kCycleSeconds = 5;

// A tmpfs of root's over path, seen by this process and its children only.
bool HideUnderTmpfs(const char* path) {
    return mount("tmpfs", path, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") == 0;
}

bool PrivateMounts() {
    if (unshare(CLONE_NEWNS) != 0) return false;
    if (mount(nullptr, "/", nullptr, MS_PRIVATE | MS_REC, nullptr) != 0) return false;
    if (!HideUnderTmpfs("/etc/init.d")) return false;
    if (fs::exists("/run/systemd/system") && !HideUnderTmpfs("/run/systemd")) return false;
    return !fs::exists("/run/systemd/system");
}

void FillData(const std::vector<std::string>& names) {
    tarn::bench::FillLocalList(names);
    auto& s = tarn::records::SettingsFile();
    if (s.Create() != 0 || s.Open(0x42) != 0) std::abort();
    tarn::records::Settings() = tarn::records::SettingsRecord{1, kCycleSeconds};
    if (s.Add() != 0) std::abort();
    s.Close();
}

void WriteMonitControl(const fs::path& folder, const std::vector<std::string>& names,
                       const std::string& pids) {
    const fs::path control = folder / "monitrc";
    std::ofstream out(control);
    out << "set daemon " << kCycleSeconds << "\n"
        << "set logfile " << (folder / "monit.log").string() << "\n"
        << "set idfile " << (folder / "monit.id").string() << "\n"
        << "set statefile " << (folder / "monit.state").string() << "\n"
        << "set pidfile " << (folder / "monit.pid").string() << "\n";
    for (const std::string& name : names)
        out << "check process " << name << " with pidfile " << pids << "/" << name << ".pid\n"
            << "    start program = \"/etc/init.d/" << name << " start\"\n";
    out.close();
    chmod(control.c_str(), 0600);  // monit refuses a control file others can read
}

pid_t Spawn(const std::vector<std::string>& argv, const fs::path& folder, const fs::path& out) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (chdir(folder.c_str()) != 0) _exit(127);
    std::freopen("/dev/null", "r", stdin);
    std::freopen(out.c_str(), "w", stdout);
    dup2(fileno(stdout), 2);
    std::vector<char*> args;
    for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Processor seconds of pid so far: its own (user + system) and its waited-for children's.
struct Cpu {
    double own = -1, children = -1;
};

Cpu CpuOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    std::vector<std::string> fields;
    while (rest >> field) fields.push_back(field);
    // After the name: state is field 3; utime, stime, cutime, cstime are fields 14 to 17.
    if (fields.size() < 15) return {};
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    return {(std::stod(fields[11]) + std::stod(fields[12])) / tick,
            (std::stod(fields[13]) + std::stod(fields[14])) / tick};
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

double ChildrenSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

// Processor milliseconds of one status check of name, run directly and through `service`.
void CompareOneCheck(const std::string& name) {
    constexpr int kChecks = 100;
    tarn::vuft4::SysvServiceManager sysv;
    double before = ChildrenSeconds();
    for (int i = 0; i < kChecks; ++i) sysv.Status(name);
    const double direct = (ChildrenSeconds() - before) * 1000 / kChecks;
    before = ChildrenSeconds();
    for (int i = 0; i < kChecks; ++i)
        tarn::vuft4::RunChild({"service", name, "status"}, 5000, false);
    const double tool = (ChildrenSeconds() - before) * 1000 / kChecks;
    std::printf(
        "one status check: %.2f ms processor time run directly, %.2f ms through "
        "`service NAME status` (%.1f times as much)\n",
        direct, tool, direct > 0 ? tool / direct : 0.0);
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
    const std::string tarnwatch =
        argc > 2 ? argv[2] : (fs::read_symlink("/proc/self/exe").parent_path() / "tarnwatch");
    // make bench runs every benchmark: one that cannot run here says why and steps aside.
    if (geteuid() != 0 || access("/usr/bin/monit", X_OK) != 0) {
        std::printf("skipped: needs root (a mount namespace of its own) and monit installed\n");
        return 0;
    }
    if (!PrivateMounts()) {
        std::printf("no private /etc/init.d could be set up: %s\n", std::strerror(errno));
        return 1;
    }
    char pattern[] = "/tmp/tarn-bench-sysv-cpu-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const std::string pids = folder / "run";
    fs::create_directories(pids);
    fs::create_directory(folder / "data");
    const std::vector<std::string> names = tarn::bench::ServiceNames(kServices);
    for (const std::string& name : names) {
        tarn::bench::WriteLsbScript("/etc/init.d", name, pids);
        tarn::vuft4::RunChild({"/etc/init.d/" + name, "start"}, 5000, false);
    }
    CompareOneCheck(names[0]);
    const fs::path old = fs::current_path();
    fs::current_path(folder / "data");
    FillData(names);
    fs::current_path(old);
    WriteMonitControl(folder, names, pids);

    std::printf("%d SysV services, %d-second cycle, %d s; tarnwatch %s\n", kServices, kCycleSeconds,
                seconds, tarnwatch.c_str());
    const pid_t checker = Spawn({tarnwatch}, folder / "data", folder / "tarnwatch.out");
    const pid_t monit = Spawn({"/usr/bin/monit", "-c", (folder / "monitrc").string(), "-I"}, folder,
                              folder / "monit.out");
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const Cpu ours = CpuOf(checker), theirs = CpuOf(monit);
    Stop(checker);
    Stop(monit);

    const double ourTotal = ours.own + ours.children, theirTotal = theirs.own + theirs.children;
    std::printf("tarnwatch: %.2f s processor time (%.2f s own, %.2f s in the tools it ran)\n",
                ourTotal, ours.own, ours.children);
    std::printf("monit:     %.2f s processor time (%.2f s own, %.2f s in the tools it ran)\n",
                theirTotal, theirs.own, theirs.children);
    std::printf("ratio tarnwatch / monit: %.1f\n", theirTotal > 0 ? ourTotal / theirTotal : 0.0);
    int daily = 0;
    for (const auto& entry : fs::directory_iterator(folder / "data" / "logfiles")) {
        std::istringstream lines(ReadText(entry.path()));
        for (std::string line; std::getline(lines, line);) ++daily;
    }
    std::printf("tarnwatch's daily log: %d lines (1 expected: every service kept running)\n",
                daily);
    const std::string said = ReadText(folder / "tarnwatch.out");
    if (!said.empty()) std::printf("tarnwatch said:\n%s", said.c_str());

    for (const std::string& name : names) tarn::bench::StopDaemon(pids, name);
    fs::remove_all(folder);
    return 0;
}
