#pragma once
// Runs the real tarnwatch binary in a temporary folder for end-to-end tests.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestFolder.h"

namespace tarn::checker::test {

using tarn::test::ReadAll;
using tarn::test::TempFolder;

// Writes an executable shell script (the stub service managers of the tests).
void WriteScript(const std::string& path, const std::string& body);
// The lines of a CR LF file, without their terminators.
std::vector<std::string> ReadCrLfLines(const std::string& path);

class CheckerProcess {
  public:
    // Exit codes of a child that never became the checker.
    static constexpr int kCannotReachBinary = 125;
    static constexpr int kCannotStart = 127;

    // Starts tarnwatch in folder with stubBin first on PATH (when not empty), as user uid when
    // it is not -1 (root ignores file permissions). That user runs a copy of the binary in a
    // folder anyone may enter: the build folder may lie where only its owner can reach it.
    // inChild runs in the new process just before the checker is started there, in folder with
    // PATH and standard error set (to change its environment or close descriptors).
    CheckerProcess(const std::string& folder, const std::string& stubBin = "", int uid = -1,
                   const std::function<void()>& inChild = {});
    // Starts tarnwatch through launcher (its words, then the binary's path), with stubBin first
    // on PATH, in a process group of its own that Stop ends whole: a launcher that runs the
    // checker in other namespaces leaves it a process apart from the one started here.
    static std::unique_ptr<CheckerProcess> Through(const std::vector<std::string>& launcher,
                                                   const std::string& folder,
                                                   const std::string& stubBin = "");
    ~CheckerProcess();
    // Polls until done() is true or the time runs out; false on time-out or when the checker
    // ended by itself.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Ends the checker from outside (SIGTERM, then SIGKILL) and returns its wait status.
    int Stop();
    bool Running();
    pid_t Pid() const { return pid_; }
    std::string Stderr() const;

  private:
    CheckerProcess(const std::string& folder, const std::string& stubBin, int uid,
                   const std::function<void()>& inChild, const std::vector<std::string>& launcher);

    std::unique_ptr<TempFolder> copyFolder_;
    bool ownGroup_ = false;
    pid_t pid_ = -1;
    int status_ = 0;
    std::string stderrPath_;
};

// The day's log file of a checker started today in folder.
std::string TodaysLog(const std::string& folder);

}  // namespace tarn::checker::test
