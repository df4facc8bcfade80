#include "checker/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tarn::checker {

FolderLock LockDataFolder() {
    // Close-on-exec: a service started by the checker would otherwise hold the lock after it.
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return FolderLock::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return FolderLock::Held;  // fd stays open: the lock
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? FolderLock::HeldElsewhere : FolderLock::Unavailable;
}

}  // namespace tarn::checker
