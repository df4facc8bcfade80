// 50 SysV services of this computer, one of whose status takes 5 seconds: how long the pass's
// status queries (asked together before the walk) and the whole pass take when up to 8 are
// asked at once, next to one after the other (as before). The services are LSB init scripts in a
// folder of the benchmark's own (the SysV back end takes its init folder), run directly; their
// daemons are started before the passes and ended after, so every pass finds all 50 running.
//
//   bench_sysv_slow [services]
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "LsbServices.h"
#include "checker/CheckLoop.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "platform/vuft4/ChildProcess.h"
#include "platform/vuft4/SysvServiceManager.h"
#include "platform/vuft4/TimeLimits.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kSlowSeconds = 5;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 50;
    char pattern[] = "/tmp/tarn-bench-sysv-slow-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const std::string initDir = folder / "init.d", pids = folder / "run";
    fs::create_directories(initDir);
    fs::create_directories(pids);
    fs::create_directories(folder / "data");
    const std::vector<std::string> names = tarn::bench::ServiceNames(count);
    for (size_t i = 0; i < names.size(); ++i) {
        tarn::bench::WriteLsbScript(initDir, names[i], pids, i == 0 ? kSlowSeconds : 0);
        tarn::vuft4::RunChild({initDir + "/" + names[i], "start"}, 5000, false);
    }
    // The slow status must answer, not run out of its time limit.
    tarn::vuft4::TimeLimits limits = tarn::vuft4::CurrentTimeLimits();
    limits.statusMs = (kSlowSeconds + 5) * 1000;
    tarn::vuft4::SetTimeLimits(limits);
    auto sysv = std::make_shared<tarn::vuft4::SysvServiceManager>("service", initDir);
    tarn::vuft4::SetServiceManager(sysv);

    const fs::path old = fs::current_path();
    fs::current_path(folder / "data");
    tarn::bench::FillLocalList(names);
    tarn::checker::DailyLog log(tarn::checker::StartUp());
    tarn::checker::LoadSettings(log);

    std::printf("%d SysV services (init scripts run directly), %s's status takes %d s\n", count,
                names[0].c_str(), kSlowSeconds);
    for (size_t atOnce : {tarn::vuft4::ServiceManager::kStatusesAtOnce, size_t{1}}) {
        sysv->SetStatusesAtOnce(atOnce);
        Clock::time_point start = Clock::now();
        const std::vector<int32_t> codes = sysv->StatusOfAll(names);
        const double asked = SecondsSince(start);
        int running = 0;
        for (int32_t code : codes) running += code == 6;
        start = Clock::now();
        const tarn::checker::PassCounts counts = tarn::checker::ReadThroughServices(log);
        const double pass = SecondsSince(start);
        std::printf(
            "up to %zu at once: statuses asked together %.2f s (%d of %zu running); whole pass "
            "%.2f s (%d services, %d running, %d restarted)\n",
            atOnce, asked, running, codes.size(), pass, counts.services, counts.running,
            counts.restarted);
    }

    tarn::data::DictionaryKill();
    fs::current_path(old);
    for (const std::string& name : names) tarn::bench::StopDaemon(pids, name);
    fs::remove_all(folder);
    return 0;
}
