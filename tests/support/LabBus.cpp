#include "tests/support/LabBus.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace tarn::test {

namespace {

// Connects to path and sends the socket over to.
void ConnectAndSend(const std::string& path, int to) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) _exit(1);
    char byte = 0;
    iovec iov{&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
    _exit(sendmsg(to, &msg, 0) == 1 ? 0 : 1);
}

int Receive(int from) {
    char byte;
    iovec iov{&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    if (recvmsg(from, &msg, MSG_CMSG_CLOEXEC) != 1) return -1;
    cmsghdr* c = CMSG_FIRSTHDR(&msg);
    if (!c || c->cmsg_type != SCM_RIGHTS) return -1;
    int fd;
    std::memcpy(&fd, CMSG_DATA(c), sizeof fd);
    return fd;
}

}  // namespace

int ConnectLabBus(pid_t labPid) {
    const std::string root = "/proc/" + std::to_string(labPid);
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        // The namespace applies to the children of the process that enters it.
        const int ns = open((root + "/ns/pid").c_str(), O_RDONLY | O_CLOEXEC);
        if (ns < 0 || setns(ns, CLONE_NEWPID) != 0) _exit(1);
        const pid_t inside = fork();
        if (inside == 0) ConnectAndSend(root + "/root/run/systemd/private", pair[1]);
        int status = 1;
        waitpid(inside, &status, 0);
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
    }
    close(pair[1]);
    const int fd = child > 0 ? Receive(pair[0]) : -1;
    close(pair[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return fd;
}

}  // namespace tarn::test
