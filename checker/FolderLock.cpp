#include "checker/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tarn::checker {

FolderLock LockDataFolder() {
    int fd = ::open(kLockFileName, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file left in a folder that has become read-only still locks: flock needs no write.
    if (fd < 0) fd = ::open(kLockFileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FolderLock::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return FolderLock::Held;  // fd stays open: the lock
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? FolderLock::HeldElsewhere : FolderLock::Unavailable;
}

}  // namespace tarn::checker
