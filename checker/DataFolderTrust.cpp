#include "checker/DataFolderTrust.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/system/FileTrust.h"
#include "platform/system/Folders.h"

namespace tarn::checker {

namespace {

// The files the data managers and the INI store open in the data folder (the record files get
// the driver's ".db"; SQLite adds the -wal and -shm files beside them), and the log folder.
constexpr const char* kEntries[] = {
    "Settings.db",
    "Settings.db-wal",
    "Settings.db-shm",
    "ServicesToCheck.db",
    "ServicesToCheck.db-wal",
    "ServicesToCheck.db-shm",
    "Tarnwatch.INI",
    "logfiles",
};

std::string Refusal(const std::string& path, const std::string& reason, uid_t owner) {
    return "will not use " + path + ": it is " + reason +
           "; as root the checker needs its data folder, data files and logfiles/ to be plain "
           "files and folders (no symbolic links) owned by uid " +
           std::to_string(owner) + " and not writable by group or others; it ends";
}

std::string FirstUntrusted(int folderFd, const std::string& folder, uid_t owner) {
    struct stat st {};
    if (fstat(folderFd, &st) != 0) return Refusal(folder, std::strerror(errno), owner);
    std::string reason = platform::UntrustedReason(st, owner);
    if (!reason.empty()) return Refusal(folder, reason, owner);
    for (const char* name : kEntries) {
        const std::string path = folder + "/" + name;
        if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;  // made by the checker itself when needed
            return Refusal(path, std::string("not readable (") + std::strerror(errno) + ")", owner);
        }
        reason = platform::UntrustedReason(st, owner);
        if (!reason.empty()) return Refusal(path, reason, owner);
    }
    return "";
}

}  // namespace

std::string DataFolderRefusal(uid_t owner) {
    std::string folder = platform::CurrentFolder();
    if (folder.empty()) folder = ".";
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Refusal(folder, std::string("not readable (") + std::strerror(errno) + ")", owner);
    const std::string refusal = FirstUntrusted(fd, folder, owner);
    ::close(fd);
    return refusal;
}

}  // namespace tarn::checker
