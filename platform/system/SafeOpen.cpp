#include "platform/system/SafeOpen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarn::platform {

namespace {

constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0640;

SafeOpened Failed(int error) { return SafeOpened{-1, error, ""}; }

SafeOpened Refused(int fd, std::string why) {
    if (fd >= 0) ::close(fd);
    return SafeOpened{-1, 0, std::move(why)};
}

// A failed no-follow open says ELOOP (or ENOTDIR for a folder) when a link stands at the name.
SafeOpened FailedOpen(int at, const std::string& name, int error) {
    struct stat st;
    if ((error == ELOOP || error == ENOTDIR) &&
        fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        return Refused(-1, name + " is a symbolic link, which is not followed");
    return Failed(error);
}

// The checks that make an open entry ours to use.
SafeOpened Checked(int fd, const std::string& name, bool folder) {
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return Failed(error);
    }
    if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode))
        return Refused(fd, name + (folder ? " is not a folder" : " is not a plain file"));
    if (st.st_uid != geteuid())
        return Refused(fd, name + " belongs to user " + std::to_string(st.st_uid) +
                               ", not to this user (" + std::to_string(geteuid()) + ")");
    if (!folder && st.st_nlink > 1) return Refused(fd, name + " has another name (a hard link)");
    return SafeOpened{fd, 0, ""};
}

}  // namespace

SafeOpened OpenOwnFolder(int at, const std::string& name) {
    const int fd = openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return FailedOpen(at, name, errno);
    return Checked(fd, name, true);
}

SafeOpened MakeOwnFolder(int at, const std::string& name) {
    const bool made = mkdirat(at, name.c_str(), kFolderMode) == 0;
    if (!made && errno != EEXIST) return Failed(errno);
    SafeOpened opened = OpenOwnFolder(at, name);
    // The umask took bits away from the mode asked for; others must not plant entries here.
    if (made && opened.fd >= 0 && fchmod(opened.fd, kFolderMode) != 0) {
        const int error = errno;
        ::close(opened.fd);
        return Failed(error);
    }
    return opened;
}

SafeOpened OpenOwnFile(int at, const std::string& name, int flags) {
    // Non-blocking: a fifo must not hang the open; plain files ignore the flag.
    const int fd = openat(at, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return FailedOpen(at, name, errno);
    SafeOpened opened = Checked(fd, name, false);
    if (opened.fd >= 0) fcntl(opened.fd, F_SETFL, flags & O_APPEND);
    return opened;
}

SafeOpened CreateOwnFile(int at, const std::string& name, int flags) {
    const int fd =
        openat(at, name.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd < 0 && errno == EEXIST) return OpenOwnFile(at, name, flags);
    if (fd < 0) return FailedOpen(at, name, errno);
    // Owner and group only, whatever the umask.
    if (fchmod(fd, kFileMode) != 0) {
        const int error = errno;
        ::close(fd);
        return Failed(error);
    }
    return SafeOpened{fd, 0, ""};
}

}  // namespace tarn::platform
