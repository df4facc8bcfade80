#pragma once
// Running test steps in a forked child, optionally as the unprivileged user "nobody" (65534):
// tests run as root, which ignores file permissions, so a refusal is only real in such a child.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace tarn::storage::test {

constexpr uid_t kNobody = 65534;

// Runs body in a child process and answers the codes it returned; a child that dies or cannot
// drop its privileges answers {-1}.
inline std::vector<int> InChild(const std::function<std::vector<int>()>& body, bool asNobody) {
    int fds[2];
    if (pipe(fds) != 0) return {-1};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (asNobody && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(3);
        std::vector<int> codes = body();
        const ssize_t n = write(fds[1], codes.data(), codes.size() * sizeof(int));
        _exit(n == ssize_t(codes.size() * sizeof(int)) ? 0 : 2);
    }
    close(fds[1]);
    std::vector<int> codes;
    int value;
    while (read(fds[0], &value, sizeof value) == sizeof value) codes.push_back(value);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1};
    return codes;
}

}  // namespace tarn::storage::test
