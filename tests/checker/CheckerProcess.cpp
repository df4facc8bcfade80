#include "CheckerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/system/Clock.h"
#include "platform/system/Picture.h"

namespace tarn::checker::test {

void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
}

std::vector<std::string> ReadCrLfLines(const std::string& path) {
    std::string text = ReadAll(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

CheckerProcess::CheckerProcess(const std::string& folder, const std::string& stubBin, int uid,
                               const std::function<void()>& inChild)
    : CheckerProcess(folder, stubBin, uid, inChild, {}) {}

std::unique_ptr<CheckerProcess> CheckerProcess::Through(const std::vector<std::string>& launcher,
                                                        const std::string& folder,
                                                        const std::string& stubBin) {
    return std::unique_ptr<CheckerProcess>(new CheckerProcess(folder, stubBin, -1, {}, launcher));
}

CheckerProcess::CheckerProcess(const std::string& folder, const std::string& stubBin, int uid,
                               const std::function<void()>& inChild,
                               const std::vector<std::string>& launcher)
    : ownGroup_(!launcher.empty()), stderrPath_(folder + "/.stderr") {
    std::string binary = std::string(TARN_BINARY_DIR) + "/tarnwatch";
    if (uid != -1) {
        copyFolder_ = std::make_unique<TempFolder>("tarnwatch-copy");
        chmod(copyFolder_->Path().c_str(), 0755);
        const std::string copy = *copyFolder_ / "tarnwatch";
        std::error_code ec;
        std::filesystem::copy_file(binary, copy, ec);
        chmod(copy.c_str(), 0755);
        binary = copy;
    }
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    if (!stubBin.empty()) path = stubBin + ":" + path;
    pid_ = fork();
    if (pid_ == 0) {
        int err = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (uid != -1 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(126);
        if (access(binary.c_str(), X_OK) != 0) _exit(kCannotReachBinary);
        if (chdir(folder.c_str()) != 0) _exit(kCannotStart);
        int null = open("/dev/null", O_RDWR | O_CLOEXEC);
        dup2(null, 0);
        dup2(err, 2);
        setenv("PATH", path.c_str(), 1);
        if (inChild) inChild();
        if (!launcher.empty()) {
            setpgid(0, 0);
            std::vector<std::string> words = launcher;
            words.push_back(binary);
            std::vector<char*> args;
            for (std::string& word : words) args.push_back(word.data());
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(kCannotStart);
        }
        execl(binary.c_str(), "tarnwatch", static_cast<char*>(nullptr));
        _exit(kCannotStart);
    }
    // Also here, so that a Stop right away reaches the group.
    if (pid_ > 0 && ownGroup_) setpgid(pid_, pid_);
}

CheckerProcess::~CheckerProcess() {
    if (pid_ > 0) Stop();
}

bool CheckerProcess::Running() {
    if (pid_ <= 0) return false;
    pid_t r = waitpid(pid_, &status_, WNOHANG);
    if (r == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

bool CheckerProcess::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        if (!Running()) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int CheckerProcess::Stop() {
    if (pid_ > 0) {
        const pid_t target = ownGroup_ ? -pid_ : pid_;
        kill(target, SIGTERM);
        for (int i = 0; i < 200 && Running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (pid_ > 0) {
            kill(target, SIGKILL);
            waitpid(pid_, &status_, 0);
            pid_ = -1;
        }
    }
    return status_;
}

std::string CheckerProcess::Stderr() const { return ReadAll(stderrPath_); }

std::string TodaysLog(const std::string& folder) {
    return folder + "/logfiles/Tarnwatch" + platform::FormatPicture("d12", platform::Today()) +
           ".log";
}

}  // namespace tarn::checker::test
