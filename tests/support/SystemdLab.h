#pragma once
// A throwaway systemd for a test (tests/lab/systemd-lab): booted with the test's units in the
// constructor, ended in the destructor, and ended too when the test process dies. It needs root;
// where it cannot run the test skips with the reason:
//
//   tarn::test::SystemdLab lab({{"x.service", "[Service]\nExecStart=/bin/sleep infinity\n"}});
//   TARN_REQUIRE_LAB(lab);
//
// What the lab shares with the test (data folders, programs) must lie outside /tmp, /var/tmp and
// /run, which the lab has of its own: under the build folder (LabFolder()), the one folder of
// this machine that the lab may write to.
#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestFolder.h"

namespace tarn::test {

struct LabResult {
    int exitCode = -1;   // -1 when the command was killed or could not be run
    std::string output;  // standard output and error together
};

class SystemdLab {
  public:
    // units: unit file name -> text, placed in the lab's /run/systemd/system. options are passed
    // to `systemd-lab start` (--private PATH, --bind SRC:DST).
    explicit SystemdLab(const std::map<std::string, std::string>& units,
                        const std::vector<std::string>& options = {});
    ~SystemdLab();
    SystemdLab(const SystemdLab&) = delete;
    SystemdLab& operator=(const SystemdLab&) = delete;

    bool Ready() const { return ready_; }
    // Why a lab cannot run on this machine; "" when it could (then Error() says what failed).
    const std::string& SkipReason() const { return skipReason_; }
    const std::string& Error() const { return error_; }

    // Runs argv inside the lab, in folder when not empty; waits for it.
    LabResult Run(const std::vector<std::string>& argv, const std::string& folder = "") const;
    // The lab's systemctl with these arguments.
    template <typename... Args>
    LabResult Systemctl(const Args&... args) const {
        return Run({"systemctl", std::string(args)...});
    }
    // The words that run a command inside the lab, in folder: the command's own words follow.
    std::vector<std::string> Launcher(const std::string& folder) const;
    // A program of this machine that runs the lab's systemctl with its arguments.
    std::string SystemctlPath() const;
    // The lab's systemd as this machine numbers it.
    pid_t Pid() const;

  private:
    std::unique_ptr<TempFolder> state_;
    bool ready_ = false;
    std::string skipReason_;
    std::string error_;
};

// The script that runs labs.
std::string SystemdLabScript();
// A folder under the build folder for what a test shares with its lab.
std::string LabFolder();

}  // namespace tarn::test

// Skips the test where no lab can run, and fails it when one could but did not start.
#define TARN_REQUIRE_LAB(lab)                                                    \
    do {                                                                         \
        if (!(lab).Ready()) {                                                    \
            if (!(lab).SkipReason().empty()) GTEST_SKIP() << (lab).SkipReason(); \
            FAIL() << (lab).Error();                                             \
        }                                                                        \
    } while (0)
