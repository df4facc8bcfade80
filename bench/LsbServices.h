#pragma once
// Small SysV services for the benchmarks: LSB init scripts (start, stop, status, restart; status
// answers from the pid file with 0 running, 1 dead with a pid file left, 3 not running) whose
// daemon is a `sleep infinity` in a session of its own.
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "data/records/Records.h"

namespace tarn::bench {

// Writes folder/name (root's, 0755); its pid file is pidFolder/name.pid. A status sleeps
// statusDelay seconds first (0: none), a script whose status is slow.
inline void WriteLsbScript(const std::string& folder, const std::string& name,
                           const std::string& pidFolder, int statusDelay = 0) {
    const std::string path = folder + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "#!/bin/sh\n"
           "### BEGIN INIT INFO\n"
           "# Provides:          "
        << name
        << "\n"
           "# Required-Start:    $local_fs\n"
           "# Required-Stop:     $local_fs\n"
           "# Default-Start:     2 3 4 5\n"
           "# Default-Stop:      0 1 6\n"
           "# Short-Description: benchmark daemon "
        << name
        << "\n"
           "### END INIT INFO\n"
           "PIDFILE="
        << pidFolder << "/" << name
        << ".pid\n"
           "running() {\n"
           "    [ -r \"$PIDFILE\" ] && read pid < \"$PIDFILE\" && [ -n \"$pid\" ] &&\n"
           "        kill -0 \"$pid\" 2>/dev/null\n"
           "}\n"
           "case \"$1\" in\n"
           "start)\n"
           "    running && exit 0\n"
           "    setsid sleep infinity </dev/null >/dev/null 2>&1 &\n"
           "    echo $! > \"$PIDFILE\"\n"
           "    ;;\n"
           "stop)\n"
           "    running && kill \"$pid\"\n"
           "    rm -f \"$PIDFILE\"\n"
           "    ;;\n"
           "status)\n";
    if (statusDelay > 0) out << "    sleep " << statusDelay << "\n";
    out << "    running && exit 0\n"
           "    [ -e \"$PIDFILE\" ] && exit 1\n"
           "    exit 3\n"
           "    ;;\n"
           "restart|force-reload)\n"
           "    \"$0\" stop; \"$0\" start\n"
           "    ;;\n"
           "*)\n"
           "    echo \"Usage: $0 {start|stop|status|restart|force-reload}\" >&2\n"
           "    exit 2\n"
           "    ;;\n"
           "esac\n"
           "exit 0\n";
    out.close();
    chmod(path.c_str(), 0755);
}

// "svc01".."svcNN".
inline std::vector<std::string> ServiceNames(int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "svc%02d", i);
        names.push_back(name);
    }
    return names;
}

// Ends the daemon whose pid file is pidFolder/name.pid, if any.
inline void StopDaemon(const std::string& pidFolder, const std::string& name) {
    std::ifstream in(pidFolder + "/" + name + ".pid");
    long pid = 0;
    if (in >> pid && pid > 1) kill(static_cast<pid_t>(pid), SIGTERM);
}

// A list in the current folder with names as services of this computer, in that order.
inline void FillLocalList(const std::vector<std::string>& names) {
    auto& f = tarn::records::ServicesToCheckFile();
    if (f.Create() != 0 || f.Open(0x42) != 0 || f.BeginTransaction(30) != 0) std::abort();
    int id = 0;
    for (const std::string& name : names) {
        auto& r = tarn::records::ServicesToCheck();
        std::memset(&r, 0, sizeof r);
        r.RecordID = ++id;
        std::snprintf(r.ServerName, sizeof r.ServerName, "localhost");
        std::snprintf(r.ServiceName, sizeof r.ServiceName, "%s", name.c_str());
        if (f.Add() != 0) std::abort();
    }
    if (f.Commit() != 0) std::abort();
    f.Close();
}

}  // namespace tarn::bench
