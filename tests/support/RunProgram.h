#pragma once
// Runs a program to its end in a folder and keeps what it wrote, for tests of command lines.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/TestFolder.h"

namespace tarn::test {

struct ProgramRun {
    int exitCode = -1;  // -1: killed at the time limit or by a signal
    std::string out;
    std::string err;
};

// Runs program with args in folder, standard input on /dev/null and env (NAME, value) added.
// A program still running after limit is killed: a command line that is ignored and starts the
// program for real must fail the test, not hang it.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& folder,
                             const std::vector<std::pair<std::string, std::string>>& env = {},
                             std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    TempFolder outputs("tarn-run");
    const std::string outPath = outputs / "out", errPath = outputs / "err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ProgramRun run;
    int status = 0;
    const auto until = std::chrono::steady_clock::now() + limit;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    return run;
}

// The names in a folder, sorted, with those of its sub-folders as "sub/name".
inline std::vector<std::string> FolderContents(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tarn::test
