// A program started with standard descriptors closed: the next file it opens must not take their
// numbers. Each case runs in a child process, whose descriptors the test may close.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <initializer_list>
#include <string>

#include "platform/system/StandardDescriptors.h"

namespace tarn::platform {
namespace {

std::string Target(int fd) {
    char buffer[256];
    const ssize_t n =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? "" : std::string(buffer, static_cast<size_t>(n));
}

// Closes the given descriptors, makes the standard ones open and opens a file. The exit code
// says what went wrong: 0 none, 1 the call failed, 2 the file took a standard number, 3 a
// standard descriptor is not /dev/null, 4 one left open was changed.
int ExitCodeWithClosed(std::initializer_list<int> closed) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string kept = Target(1);
        for (int fd : closed) ::close(fd);
        if (!OpenStandardDescriptors()) _exit(1);
        if (::open("/proc/self/stat", O_RDONLY) <= 2) _exit(2);
        for (int fd : closed)
            if (Target(fd) != "/dev/null") _exit(3);
        bool oneKept = true;
        for (int fd : closed) oneKept = oneKept && fd != 1;
        if (oneKept && Target(1) != kept) _exit(4);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StandardDescriptorsTest, ClosedOnesAreOpenedOnDevNullAndOpenOnesKept) {
    EXPECT_EQ(ExitCodeWithClosed({2}), 0);
    EXPECT_EQ(ExitCodeWithClosed({0, 1, 2}), 0);
    EXPECT_EQ(ExitCodeWithClosed({0, 2}), 0);
    EXPECT_EQ(ExitCodeWithClosed({}), 0);
}

}  // namespace
}  // namespace tarn::platform
