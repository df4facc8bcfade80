// A pass over 200 running systemd units of this computer, in a systemd lab
// (tests/lab/systemd-lab, as root): processor time (the checker's own and its children's) and
// wall time per pass, with the D-Bus back end, with the systemctl fallback, and with a back end
// that answers without asking anything (the cost of reading the list alone). The passes run
// inside the lab, in a process of this program started there.
//
//   bench_bus_pass
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "checker/DailyLog.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/vuft4/BusServiceManager.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/SystemdServiceManager.h"
#include "platform/vuft4/Vuft4.h"
#include "tests/support/SystemdLab.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kUnits = 200, kPasses = 5;

// Answers every service as running without asking anything.
class ListOnly : public tarn::vuft4::ServiceManager {
  public:
    int32_t Status(const std::string&) override { return tarn::vuft4::kServiceRunning; }
    tarn::vuft4::StartReport Start(const std::string&) override { return {}; }
};

void Fill() {
    auto& f = tarn::records::ServicesToCheckFile();
    if (f.Create() != 0 || f.Open(0x42) != 0 || f.BeginTransaction(30) != 0) std::abort();
    for (int id = 1; id <= kUnits; ++id) {
        auto& r = tarn::records::ServicesToCheck();
        std::memset(&r, 0, sizeof r);
        r.RecordID = id;
        std::snprintf(r.ServiceName, sizeof r.ServiceName, "bench%d", id - 1);
        if (f.Add() != 0) std::abort();
    }
    if (f.Commit() != 0) std::abort();
    f.Close();
}

double ProcessorSeconds() {
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total +=
            u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// The lab's systemd's processor time (its PID 1), in seconds.
double SystemdSeconds() {
    std::ifstream in("/proc/1/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    stat = stat.substr(stat.rfind(')') + 2);
    std::vector<std::string> fields;
    for (size_t at = 0, end; at < stat.size(); at = end + 1) {
        end = stat.find(' ', at);
        if (end == std::string::npos) end = stat.size();
        fields.push_back(stat.substr(at, end - at));
    }
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    return (std::stod(fields[11]) + std::stod(fields[12])) / sysconf(_SC_CLK_TCK);
}

struct Figures {
    double processor = 0, wall = 0, systemd = 0;  // medians per pass, seconds
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Figures Measure(tarn::checker::DailyLog& log, std::shared_ptr<tarn::vuft4::ServiceManager> m) {
    tarn::vuft4::SetServiceManager(std::move(m));
    tarn::checker::ReadThroughServices(log);  // warm up: files, connections
    std::vector<double> cpu, wall, systemd;
    for (int p = 0; p < kPasses; ++p) {
        const double c0 = ProcessorSeconds(), s0 = SystemdSeconds();
        const auto w0 = Clock::now();
        const tarn::checker::PassCounts counts = tarn::checker::ReadThroughServices(log);
        wall.push_back(std::chrono::duration<double>(Clock::now() - w0).count());
        cpu.push_back(ProcessorSeconds() - c0);
        systemd.push_back(SystemdSeconds() - s0);
        if (counts.running != kUnits) std::printf("  (only %d running)\n", counts.running);
    }
    return {Median(cpu), Median(wall), Median(systemd)};
}

// Inside the lab, in the data folder: the three back ends one after the other.
int Inside() {
    tarn::ui::HeadlessFrontEnd ui;
    ui.Attach();
    tarn::errors::GlobalErrors().Init();
    tarn::data::DictionaryInit(true);
    Fill();
    tarn::checker::DailyLog log("logfiles");
    if (!log.Open()) std::abort();
    using namespace tarn::vuft4;
    const Figures bus = Measure(
        log, std::make_shared<BusServiceManager>(std::make_shared<SystemdServiceManager>()));
    const Figures tool = Measure(log, std::make_shared<SystemdServiceManager>());
    const Figures list = Measure(log, std::make_shared<ListOnly>());
    std::printf("%d running units, median of %d passes each (processor: own + children)\n", kUnits,
                kPasses);
    for (const auto& [name, f] :
         {std::pair{"D-Bus", bus}, {"systemctl", tool}, {"list only", list}})
        std::printf("  %-10s processor %8.2f ms  wall %8.2f ms  (systemd itself %6.2f ms)\n", name,
                    f.processor * 1e3, f.wall * 1e3, f.systemd * 1e3);
    std::printf("  systemctl / D-Bus processor: %.1fx; D-Bus / list only: %.2fx\n",
                tool.processor / bus.processor, bus.processor / list.processor);
    tarn::data::DictionaryKill();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--inside") return Inside();
    std::map<std::string, std::string> units;
    std::vector<std::string> start = {"start"};
    for (int u = 0; u < kUnits; ++u) {
        units["bench" + std::to_string(u) + ".service"] =
            "[Service]\nExecStart=/bin/sleep infinity\n";
        start.push_back("bench" + std::to_string(u) + ".service");
    }
    tarn::test::SystemdLab lab(units);
    if (!lab.Ready()) {
        std::printf("bench_bus_pass skipped: no systemd lab (%s%s)\n", lab.SkipReason().c_str(),
                    lab.Error().c_str());
        return 0;
    }
    start.insert(start.begin(), "systemctl");
    if (lab.Run(start).exitCode != 0) std::abort();
    fs::create_directories(tarn::test::LabFolder());
    tarn::test::TempFolder folder("bench-bus-pass", tarn::test::LabFolder());
    const tarn::test::LabResult r =
        lab.Run({fs::canonical("/proc/self/exe").string(), "--inside"}, folder.Path());
    std::fputs(r.output.c_str(), stdout);
    return r.exitCode;
}
