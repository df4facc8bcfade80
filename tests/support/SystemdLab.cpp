#include "tests/support/SystemdLab.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace tarn::test {

namespace {

constexpr int kCannotRunHere = 77;

// Runs argv (no shell) with standard input on /dev/null; returns its exit code and what it
// wrote on standard output and error.
LabResult Execute(const std::vector<std::string>& argv) {
    LabResult result;
    std::vector<std::string> words = argv;
    std::vector<char*> args;
    for (std::string& word : words) args.push_back(word.data());
    args.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0) result.output.append(buffer, static_cast<size_t>(n));
        if (n < 0 && errno != EINTR) break;
    }
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

std::string SystemdLabScript() { return std::string(TARN_SOURCE_DIR) + "/tests/lab/systemd-lab"; }

std::string LabFolder() { return std::string(TARN_BINARY_DIR) + "/test-labs"; }

SystemdLab::SystemdLab(const std::map<std::string, std::string>& units,
                       const std::vector<std::string>& options)
    : state_(std::make_unique<TempFolder>("lab", LabFolder())) {
    const std::string unitDir = *state_ / "units";
    std::filesystem::create_directories(unitDir);
    for (const auto& [name, text] : units) std::ofstream(unitDir + "/" + name) << text;
    std::vector<std::string> argv = {SystemdLabScript(), "start", *state_ / "lab", "--unit-dir",
                                     unitDir, "--owner", std::to_string(getpid()),
                                     // The machine's files are read-only in the lab, but for
                                     // this folder, where tests keep what the lab writes.
                                     "--bind", LabFolder() + ":" + LabFolder()};
    argv.insert(argv.end(), options.begin(), options.end());
    const LabResult started = Execute(argv);
    ready_ = started.exitCode == 0;
    if (started.exitCode == kCannotRunHere) {
        skipReason_ = Trimmed(started.output);
    } else if (!ready_) {
        error_ = "the lab did not start (" + std::to_string(started.exitCode) +
                 "): " + Trimmed(started.output);
    }
}

SystemdLab::~SystemdLab() { Execute({SystemdLabScript(), "stop", *state_ / "lab"}); }

std::vector<std::string> SystemdLab::Launcher(const std::string& folder) const {
    std::vector<std::string> words = {SystemdLabScript(), "run", *state_ / "lab"};
    if (!folder.empty()) words.insert(words.end(), {"--chdir", folder});
    words.push_back("--");
    return words;
}

LabResult SystemdLab::Run(const std::vector<std::string>& argv, const std::string& folder) const {
    std::vector<std::string> words = Launcher(folder);
    words.insert(words.end(), argv.begin(), argv.end());
    return Execute(words);
}

std::string SystemdLab::SystemctlPath() const { return *state_ / "lab/bin/systemctl"; }

pid_t SystemdLab::Pid() const {
    std::ifstream in(*state_ / "lab/pid");
    pid_t pid = -1;
    in >> pid;
    return pid;
}

}  // namespace tarn::test
