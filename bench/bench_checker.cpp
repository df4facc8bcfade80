// Cost of one checker pass per record (read, stamp, write back) with a service manager that
// answers "running" at once, next to raw SQLite reading and durably updating the same records
// one by one (WAL, synchronous=FULL) in the same run. Each pass also says what it cost the disk
// per record: the bytes the process wrote (wchar: handed to write calls; write_bytes: reached
// the storage layer) and the syncs SQLite asked for, counted by a thin VFS.
//
//   bench_checker [records]
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "SyncCountingVfs.h"
#include "checker/CheckLoop.h"
#include "checker/ReadThroughServices.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "platform/system/Clock.h"
#include "platform/vuft4/ServiceManager.h"

namespace {

using Clock = std::chrono::steady_clock;

class AlwaysRunning : public tarn::vuft4::ServiceManager {
  public:
    int32_t Status(const std::string&) override { return 6; }
    tarn::vuft4::StartReport Start(const std::string&) override { return {}; }
};

void Fill(int records) {
    auto& f = tarn::records::ServicesToCheckFile();
    // A set-up that failed would time nothing.
    if (f.Create() != 0 || f.Open(0x42) != 0 || f.BeginTransaction(30) != 0) std::abort();
    for (int id = 1; id <= records; ++id) {
        auto& r = tarn::records::ServicesToCheck();
        std::memset(&r, 0, sizeof r);
        r.RecordID = id;
        std::snprintf(r.ServerName, sizeof r.ServerName, "localhost");
        std::snprintf(r.ServiceName, sizeof r.ServiceName, "service%d", id);
        if (f.Add() != 0) std::abort();
    }
    if (f.Commit() != 0) std::abort();
    f.Close();
}

// Raw SQLite: read each row and update its two stamps in its own transaction.
double RawMicrosPerRecord(int records) {
    sqlite3* db = nullptr;
    sqlite3_open("raw.db", &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                 "CREATE TABLE t(id INTEGER PRIMARY KEY, server TEXT, service TEXT, "
                 "description TEXT, checked INTEGER, checkedtime INTEGER, chg INTEGER);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?1,'localhost','svc','',0,0,1)", -1, &ins,
                       nullptr);
    for (int id = 1; id <= records; ++id) {
        sqlite3_bind_int(ins, 1, id);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

    sqlite3_stmt* sel = nullptr;
    sqlite3_stmt* upd = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM t WHERE id = ?1", -1, &sel, nullptr);
    sqlite3_prepare_v2(db,
                       "UPDATE t SET checked=?2, checkedtime=?3, chg=chg+1 WHERE id=?1 AND chg=?4",
                       -1, &upd, nullptr);
    auto start = Clock::now();
    for (int id = 1; id <= records; ++id) {
        sqlite3_bind_int(sel, 1, id);
        sqlite3_step(sel);
        int64_t chg = sqlite3_column_int64(sel, 6);
        sqlite3_reset(sel);
        sqlite3_bind_int(upd, 1, id);
        sqlite3_bind_int(upd, 2, tarn::platform::Today());
        sqlite3_bind_int(upd, 3, tarn::platform::Clock());
        sqlite3_bind_int64(upd, 4, chg);
        sqlite3_step(upd);
        sqlite3_reset(upd);
    }
    double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    sqlite3_finalize(sel);
    sqlite3_finalize(upd);
    sqlite3_close(db);
    return micros / records;
}

// Processor time of the process so far, in microseconds: in the program and in the kernel.
struct Cpu {
    double user = 0;
    double system = 0;
};

Cpu CpuMicros() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return {u.ru_utime.tv_sec * 1e6 + u.ru_utime.tv_usec,
            u.ru_stime.tv_sec * 1e6 + u.ru_stime.tv_usec};
}

long ResidentKilobytes() {
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (f && std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) break;
    if (f) std::fclose(f);
    return kb;
}

}  // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    char pattern[] = "/tmp/tarn-bench-checker-XXXXXX";
    std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(mkdtemp(pattern));

    tarn::bench::InstallSyncCounter();
    tarn::vuft4::SetServiceManager(std::make_shared<AlwaysRunning>());
    Fill(records);
    tarn::checker::DailyLog log(tarn::checker::StartUp());
    tarn::checker::LoadSettings(log);

    for (int pass = 1; pass <= 3; ++pass) {
        auto start = Clock::now();
        const Cpu cpuStart = CpuMicros();
        const tarn::bench::Written writtenStart = tarn::bench::WrittenSoFar();
        const long syncsStart = tarn::bench::syncCount;
        tarn::checker::ReadThroughServices(log);
        double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        const Cpu cpu = CpuMicros();
        const tarn::bench::Written written = tarn::bench::WrittenSoFar();
        const double syncs = double(tarn::bench::syncCount - syncsStart);
        std::printf(
            "pass %d: %d records, %.3f s, %.1f us/record, CPU %.1f us user + %.1f us system\n",
            pass, records, micros / 1e6, micros / records, (cpu.user - cpuStart.user) / records,
            (cpu.system - cpuStart.system) / records);
        std::printf(
            "pass %d per record: %.0f bytes written (wchar), %.0f bytes to storage "
            "(write_bytes), %.3f syncs (%.0f syncs in the pass)\n",
            pass, double(written.wchar - writtenStart.wchar) / records,
            double(written.writeBytes - writtenStart.writeBytes) / records, syncs / records, syncs);
    }
    std::printf("raw SQLite read + durable update: %.1f us/record\n", RawMicrosPerRecord(records));
    std::printf("resident memory after the passes: %ld kB\n", ResidentKilobytes());

    tarn::data::DictionaryKill();
    std::filesystem::current_path(old);
    std::filesystem::remove_all(pattern);
    return 0;
}
