#pragma once
// A real OpenSSH server for the tests, on a loopback address and a free port, with a host key
// and a client key made in a folder of the test's own (never the machine's ~/.ssh or /etc/ssh
// keys), and a client configuration of Host aliases for it (the TARN_SSH_CONFIG of the checker).
// It logs at VERBOSE into sshd.log, so the connections it took can be counted.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestFolder.h"

namespace tarn::test {

// A port of address that nothing listens on when asked.
inline int FreePort(const std::string& address) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    socklen_t size = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

// Runs a program without a shell, output to /dev/null; its exit code.
inline int Quietly(std::vector<std::string> argv) {
    std::fflush(stdout);  // else the child's redirection writes the parent's buffer again
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SshServer {
  public:
    // The build folder for the tests; /tmp for a program built without it.
    static std::string DefaultBase() {
#ifdef TARN_BINARY_DIR
        return TARN_BINARY_DIR;
#else
        return "/tmp";
#endif
    }

    static constexpr const char* kSshd = "/usr/sbin/sshd";

    // Why a server cannot run here, or "" when it can.
    static std::string CannotRun() {
        if (geteuid() != 0) return "sshd needs root";
        if (access(kSshd, X_OK) != 0) return "no /usr/sbin/sshd (scripts/setup installs it)";
        if (access("/usr/bin/ssh", X_OK) != 0) return "no ssh client";
        return "";
    }

    // Keys and the server's configuration in a folder made in base (the build folder); sshd
    // listens on ports free ports of address; sessionEnv ("NAME=VALUE ...", PATH=... for a stub
    // tool, say) is set in every session.
    explicit SshServer(std::string address = "127.0.0.1", const std::string& sessionEnv = "",
                       int ports = 1, const std::string& base = DefaultBase())
        : address_(std::move(address)) {
        std::string pattern = base + "/ssh-test-XXXXXX";
        dir_ = mkdtemp(pattern.data()) ? pattern : "";
        chmod(dir_.c_str(), 0700);
        Quietly({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", File("host_key")});
        Quietly({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", File("client_key")});
        std::filesystem::copy_file(File("client_key.pub"), File("authorized_keys"));
        std::ofstream known(File("known_hosts")), config(File("sshd_config"));
        for (int i = 0; i < ports; ++i) {
            int port = FreePort(address_);
            while (std::find(ports_.begin(), ports_.end(), port) != ports_.end())
                port = FreePort(address_);
            ports_.push_back(port);
            known << "[" << address_ << "]:" << ports_.back() << " "
                  << ReadAll(File("host_key.pub"));
            config << "ListenAddress " << address_ << ":" << ports_.back() << "\n";
        }
        config << "HostKey " << File("host_key") << "\nAuthorizedKeysFile "
               << File("authorized_keys") << "\nPidFile " << File("sshd.pid")
               << "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
                  "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                  "LogLevel VERBOSE\nMaxStartups 100\n"
               // SHLVL=1 makes the login shell a nested one, which reads no ~/.bashrc: this
               // machine's root runs tools there at every login that a watched server would not.
               << "SetEnv SHLVL=1 " << sessionEnv << "\n";
    }
    ~SshServer() {
        Stop();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    // Starts sshd on this machine and waits until it takes connections; false when it did not.
    bool Start() {
        mkdir("/run/sshd", 0755);  // sshd's own empty folder for its unprivileged part
        std::fflush(stdout);
        pid_ = fork();
        if (pid_ == 0) {
            execl(kSshd, kSshd, "-D", "-E", File("sshd.log").c_str(), "-f",
                  File("sshd_config").c_str(), nullptr);
            _exit(127);
        }
        return WaitListening();
    }
    // A unit that runs this server inside a systemd lab instead (its /run is the lab's own).
    std::string Unit() const {
        return "[Service]\nRuntimeDirectory=sshd\nExecStart=" + std::string(kSshd) + " -D -E " +
               File("sshd.log") + " -f " + File("sshd_config") + "\n";
    }
    // Waits until sshd said it listens (a connection would count as one); false after 5 s.
    bool WaitListening() const {
        for (int i = 0; i < 100; ++i) {
            if (ReadAll(File("sshd.log")).find("Server listening") != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // Ends the shared connections made through controlFolder (their sessions would keep
    // sshd's children), then sshd.
    void Stop(const std::string& controlFolder = "") {
        if (!controlFolder.empty()) EndSharedConnections(controlFolder);
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // A Host alias for this server in the client configuration (on another port, with a
    // known_hosts that does not know it, under another name of the address).
    void Alias(const std::string& alias, int port = 0, bool known = true,
               const std::string& hostName = "") {
        const passwd* me = getpwuid(geteuid());
        std::ofstream(File("ssh_config"), std::ios::app)
            << "Host " << alias << "\n  HostName " << (hostName.empty() ? address_ : hostName)
            << "\n  Port " << (port ? port : ports_[0]) << "\n  User "
            << (me ? me->pw_name : "root") << "\n  IdentityFile " << File("client_key")
            << "\n  IdentitiesOnly yes"
            << "\n  UserKnownHostsFile " << (known ? File("known_hosts") : File("no_hosts"))
            << "\n  GlobalKnownHostsFile /dev/null\n  StrictHostKeyChecking yes\n";
    }

    // The connections sshd took so far.
    int Connections() const {
        const std::string log = ReadAll(File("sshd.log"));
        int count = 0;
        for (size_t at = 0; (at = log.find("Connection from", at)) != std::string::npos; ++at)
            ++count;
        return count;
    }

    std::string File(const std::string& name) const { return dir_ + "/" + name; }
    std::string ClientConfig() const { return File("ssh_config"); }
    const std::string& Address() const { return address_; }
    const std::vector<int>& Ports() const { return ports_; }

  private:
    static void EndSharedConnections(const std::string& controlFolder) {
        std::error_code ec;
        for (auto& entry : std::filesystem::recursive_directory_iterator(controlFolder, ec))
            if (entry.is_socket(ec))
                Quietly({"ssh", "-F", "/dev/null", "-o", "ControlPath=" + entry.path().string(),
                         "-O", "exit", "shared"});
    }

    std::string address_;
    std::vector<int> ports_;
    std::string dir_;
    pid_t pid_ = -1;
};

}  // namespace tarn::test
