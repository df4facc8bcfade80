// Timing of the KEYED driver on 100,000 ServicesToCheck records, next to raw SQLite doing the
// same work on the same kind of table in the same run (both WAL with synchronous=FULL).
//
//   bench_storage [records]
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/records/Records.h"
#include "platform/system/LastError.h"

namespace {

using Clock = std::chrono::steady_clock;
using tarn::records::ServicesToCheck;
using tarn::records::ServicesToCheckFile;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

double MedianMicros(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2] * 1e6;
}

template <class Body>
std::vector<double> Sample(int n, Body body) {
    std::vector<double> s;
    for (int i = 0; i < n; ++i) {
        const auto t = Clock::now();
        body(i);
        s.push_back(Seconds(t));
    }
    return s;
}

void Check(int rc, const char* what) {
    if (rc == 0) return;
    std::fprintf(stderr, "%s failed: %d %s\n", what, rc,
                 tarn::platform::LastError().driverText.c_str());
    std::exit(1);
}

void FillRecord(int id) {
    auto& r = ServicesToCheck();
    std::memset(&r, 0, sizeof r);
    r.RecordID = id;
    std::snprintf(r.ServerName, sizeof r.ServerName, "server%02d", id % 50);
    std::snprintf(r.ServiceName, sizeof r.ServiceName, "Service number %d", id);
    std::snprintf(r.ServiceDescription, sizeof r.ServiceDescription, "Description of service %d",
                  id);
}

struct Figures {
    double readPerSecond = 0, getMicros = 0, putMicros = 0;
};

Figures BenchDriver(const std::string& dir, int n) {
    tarn::storage::RecordFile& f = ServicesToCheckFile();
    f.SetName(dir + "/ServicesToCheck");
    Check(f.Create(), "create");
    Check(f.Open(0x42), "open");
    auto t = Clock::now();
    Check(f.BeginTransaction(5), "begin");
    for (int id = 1; id <= n; ++id) {
        FillRecord(id);
        Check(f.Add(), "add");
    }
    Check(f.Commit(), "commit");
    std::printf("driver: add %d records in one transaction: %.2f s\n", n, Seconds(t));

    Figures fig;
    for (int key : {0, 1}) {
        t = Clock::now();
        Check(f.SetToStart(key), "set");
        int count = 0;
        while (f.Next() == 0) ++count;
        const double rate = count / Seconds(t);
        std::printf("driver: read in key %d order: %d records, %.0f records/s\n", key, count, rate);
        if (key == 0) fig.readPerSecond = rate;
    }
    std::mt19937 rng(7);
    fig.getMicros = MedianMicros(Sample(20000, [&](int) {
        ServicesToCheck().RecordID = int(rng() % n) + 1;
        Check(f.GetByKey(0), "get");
    }));
    fig.putMicros = MedianMicros(Sample(300, [&](int i) {
        ServicesToCheck().RecordID = int(rng() % n) + 1;
        Check(f.GetByKey(0), "get");
        ServicesToCheck().LastChecked = i;
        const auto t0 = Clock::now();
        Check(f.BeginTransaction(5), "begin");
        Check(f.Put(), "put");
        Check(f.Commit(), "commit");
        (void)t0;
    }));
    f.Close();
    return fig;
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::exit(1);
    }
    return s;
}

void ReadRow(sqlite3_stmt* s) {
    auto& r = ServicesToCheck();
    r.RecordID = sqlite3_column_int(s, 0);
    std::snprintf(r.ServerName, sizeof r.ServerName, "%s", (const char*)sqlite3_column_text(s, 1));
    std::snprintf(r.ServiceName, sizeof r.ServiceName, "%s",
                  (const char*)sqlite3_column_text(s, 2));
    std::snprintf(r.ServiceDescription, sizeof r.ServiceDescription, "%s",
                  (const char*)sqlite3_column_text(s, 3));
    r.LastChecked = sqlite3_column_int(s, 4);
    r.LastCheckedTime = sqlite3_column_int(s, 5);
}

Figures BenchRaw(const std::string& dir, int n) {
    sqlite3* db = nullptr;
    sqlite3_open((dir + "/raw.db").c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                 "CREATE TABLE s(id INTEGER PRIMARY KEY, server TEXT COLLATE NOCASE, service TEXT "
                 "COLLATE NOCASE,"
                 " descr TEXT, d INTEGER, t INTEGER);"
                 "CREATE INDEX s2 ON s(server, service);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = Prepare(db, "INSERT INTO s VALUES(?1, ?2, ?3, ?4, 0, 0)");
    for (int id = 1; id <= n; ++id) {
        FillRecord(id);
        auto& r = ServicesToCheck();
        sqlite3_bind_int(ins, 1, id);
        sqlite3_bind_text(ins, 2, r.ServerName, -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 3, r.ServiceName, -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 4, r.ServiceDescription, -1, SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

    Figures fig;
    auto t = Clock::now();
    sqlite3_stmt* all = Prepare(db, "SELECT id, server, service, descr, d, t FROM s ORDER BY id");
    int count = 0;
    while (sqlite3_step(all) == SQLITE_ROW) {
        ReadRow(all);
        ++count;
    }
    sqlite3_finalize(all);
    fig.readPerSecond = count / Seconds(t);
    std::printf("raw:    read in id order: %d records, %.0f records/s\n", count, fig.readPerSecond);
    std::mt19937 rng(7);
    sqlite3_stmt* get = Prepare(db, "SELECT id, server, service, descr, d, t FROM s WHERE id = ?1");
    fig.getMicros = MedianMicros(Sample(20000, [&](int) {
        sqlite3_bind_int(get, 1, int(rng() % n) + 1);
        if (sqlite3_step(get) == SQLITE_ROW) ReadRow(get);
        sqlite3_reset(get);
    }));
    sqlite3_stmt* put = Prepare(db, "UPDATE s SET d = ?2 WHERE id = ?1");
    fig.putMicros = MedianMicros(Sample(300, [&](int i) {
        sqlite3_bind_int(put, 1, int(rng() % n) + 1);
        sqlite3_bind_int(put, 2, i);
        sqlite3_step(put);
        sqlite3_reset(put);
    }));
    sqlite3_finalize(get);
    sqlite3_finalize(put);
    sqlite3_close(db);
    return fig;
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    char pattern[] = "/tmp/tarnbenchXXXXXX";
    const std::string dir = mkdtemp(pattern);
    const Figures driver = BenchDriver(dir, n);
    const Figures raw = BenchRaw(dir, n);
    std::printf("\n%-28s %14s %14s\n", "", "driver", "raw SQLite");
    std::printf("%-28s %14.0f %14.0f   (goal >= 200000)\n", "key order read, records/s",
                driver.readPerSecond, raw.readPerSecond);
    std::printf("%-28s %14.1f %14.1f   (goal < 20)\n", "get by key, median us", driver.getMicros,
                raw.getMicros);
    std::printf("%-28s %14.1f %14.1f   (goal < 100)\n", "put in own transaction, us",
                driver.putMicros, raw.putMicros);
    std::filesystem::remove_all(dir);
    return 0;
}
