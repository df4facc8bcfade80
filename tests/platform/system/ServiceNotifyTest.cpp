// The notify socket's addresses, the watchdog's interval and the journal's stream, each read the
// way systemd hands them over.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/system/JournalStream.h"
#include "platform/system/ServiceNotify.h"
#include "platform/system/Watchdog.h"
#include "tests/support/TestFolder.h"

namespace tarn::platform {
namespace {

// A receiving socket bound to name (a leading zero byte: an abstract name).
int Receiver(const std::string& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.data(), name.size());
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string Received(int fd) {
    char buffer[256];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    return n < 0 ? "(nothing)" : std::string(buffer, n);
}

TEST(ServiceNotifyTest, MessagesReachAPathAndAnAbstractName) {
    tarn::test::TempFolder folder;
    const std::string path = folder / "notify";
    const std::string abstractName = "tarn-notify-test-" + std::to_string(getpid());
    for (const std::string& bound : {path, std::string(1, '\0') + abstractName}) {
        const int fd = Receiver(bound);
        ASSERT_GE(fd, 0);
        const std::string address = bound[0] == '/' ? bound : "@" + abstractName;
        NotifySocket socket(address);
        ASSERT_TRUE(socket.Usable()) << address;
        EXPECT_TRUE(socket.Send("READY=1", 7)) << address;
        EXPECT_EQ(Received(fd), "READY=1") << address;
        close(fd);
    }
    // systemd names an absolute path or an abstract socket, nothing else.
    for (const char* address : {"", "notify", "./notify"})
        EXPECT_FALSE(NotifySocket(address).Usable()) << address;
}

TEST(ServiceNotifyTest, TheWatchdogIsOursOnlyWhenItsProcessIsUs) {
    EXPECT_EQ(WatchdogIntervalMs("30000000", nullptr, 42), 30000);
    EXPECT_EQ(WatchdogIntervalMs("30000000", "42", 42), 30000);
    // Meant for another process (WATCHDOG_PID inherited from a parent service, say).
    EXPECT_EQ(WatchdogIntervalMs("30000000", "43", 42), 0);
    EXPECT_EQ(WatchdogIntervalMs("30000000", "", 42), 0);
    for (const char* usec : {"", "0", "-5", "30s", "99999999999999999999999"})
        EXPECT_EQ(WatchdogIntervalMs(usec, nullptr, 42), 0) << usec;
    EXPECT_EQ(WatchdogIntervalMs(nullptr, nullptr, 42), 0);
}

TEST(ServiceNotifyTest, TheJournalStreamNamesOneFile) {
    EXPECT_TRUE(JournalStreamNames("8:123456", 8, 123456));
    EXPECT_FALSE(JournalStreamNames("8:123457", 8, 123456));
    EXPECT_FALSE(JournalStreamNames("9:123456", 8, 123456));
    EXPECT_FALSE(JournalStreamNames("8:123456x", 8, 123456));
    EXPECT_FALSE(JournalStreamNames("8", 8, 123456));
    EXPECT_FALSE(JournalStreamNames(nullptr, 8, 123456));
}

}  // namespace
}  // namespace tarn::platform
