#pragma once
// A thin SQLite VFS over the default one that counts the syncs (fsync) of every file SQLite
// opens through it, and what the process has written so far (from /proc/self/io), so that a
// benchmark can say what each record costs the disk.
#include <sqlite3.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace tarn::bench {

inline std::atomic<long> syncCount{0};

struct CountingFile {
    sqlite3_file base;   // must come first: SQLite sees this
    sqlite3_file* real;  // the default VFS's file, kept right behind this struct
};

inline sqlite3_vfs* RealVfs() {
    static sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
    return real;
}

inline sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<CountingFile*>(f)->real; }

inline int CountingSync(sqlite3_file* f, int flags) {
    ++syncCount;
    return Real(f)->pMethods->xSync(Real(f), flags);
}

// Every other method goes straight to the real file.
inline const sqlite3_io_methods* CountingMethods(const sqlite3_io_methods* r) {
    // Each call goes to the real file's own methods (the default VFS gives files of different
    // kinds different methods); only the version is taken from the first file.
    static sqlite3_io_methods m;
    if (m.iVersion) return &m;
    m.iVersion = r->iVersion;
    m.xClose = [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); };
    m.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
        return Real(f)->pMethods->xRead(Real(f), b, n, o);
    };
    m.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
        return Real(f)->pMethods->xWrite(Real(f), b, n, o);
    };
    m.xTruncate = [](sqlite3_file* f, sqlite3_int64 s) {
        return Real(f)->pMethods->xTruncate(Real(f), s);
    };
    m.xSync = CountingSync;  // counted, then passed on
    m.xFileSize = [](sqlite3_file* f, sqlite3_int64* s) {
        return Real(f)->pMethods->xFileSize(Real(f), s);
    };
    m.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
    m.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
    m.xCheckReservedLock = [](sqlite3_file* f, int* o) {
        return Real(f)->pMethods->xCheckReservedLock(Real(f), o);
    };
    m.xFileControl = [](sqlite3_file* f, int op, void* a) {
        return Real(f)->pMethods->xFileControl(Real(f), op, a);
    };
    m.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    m.xDeviceCharacteristics = [](sqlite3_file* f) {
        return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
    };
    m.xShmMap = [](sqlite3_file* f, int p, int s, int e, void volatile** o) {
        return Real(f)->pMethods->xShmMap(Real(f), p, s, e, o);
    };
    m.xShmLock = [](sqlite3_file* f, int o, int n, int fl) {
        return Real(f)->pMethods->xShmLock(Real(f), o, n, fl);
    };
    m.xShmBarrier = [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); };
    m.xShmUnmap = [](sqlite3_file* f, int d) { return Real(f)->pMethods->xShmUnmap(Real(f), d); };
    m.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
        return Real(f)->pMethods->xFetch(Real(f), o, n, p);
    };
    m.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) {
        return Real(f)->pMethods->xUnfetch(Real(f), o, p);
    };
    return &m;
}

// Registers the counting VFS as the default for every connection opened after this call.
inline void InstallSyncCounter() {
    static sqlite3_vfs vfs;
    sqlite3_vfs* real = RealVfs();
    vfs = *real;
    vfs.zName = "tarn-sync-counter";
    vfs.szOsFile = int(sizeof(CountingFile)) + real->szOsFile;
    vfs.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out) {
        auto* c = reinterpret_cast<CountingFile*>(f);
        c->real = reinterpret_cast<sqlite3_file*>(c + 1);
        std::memset(c->real, 0, size_t(RealVfs()->szOsFile));
        const int rc = RealVfs()->xOpen(RealVfs(), name, c->real, flags, out);
        c->base.pMethods =
            rc == SQLITE_OK && c->real->pMethods ? CountingMethods(c->real->pMethods) : nullptr;
        return rc;
    };
    sqlite3_vfs_register(&vfs, 1);
}

// What the process has written: bytes handed to write calls (wchar) and bytes that reached the
// storage layer (write_bytes).
struct Written {
    long long wchar = 0;
    long long writeBytes = 0;
};

inline Written WrittenSoFar() {
    Written w;
    FILE* f = std::fopen("/proc/self/io", "r");
    char line[128];
    while (f && std::fgets(line, sizeof line, f)) {
        std::sscanf(line, "wchar: %lld", &w.wchar);
        std::sscanf(line, "write_bytes: %lld", &w.writeBytes);
    }
    if (f) std::fclose(f);
    return w;
}

}  // namespace tarn::bench
