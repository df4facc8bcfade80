#pragma once
// The machine has one cron. Tests that stop or start it take turns through a lock file, also
// with the test programs of other checkouts on the same machine, which the test runner's own
// resource lock does not reach.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarn::test {

class RealServiceLock {
  public:
    // Waits for the lock; a lock file that cannot be made leaves the test as it was without it.
    RealServiceLock()
        : fd_(open("/tmp/tarn-real-services.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (fd_ >= 0) flock(fd_, LOCK_EX);
    }
    ~RealServiceLock() {
        if (fd_ >= 0) close(fd_);
    }
    RealServiceLock(const RealServiceLock&) = delete;
    RealServiceLock& operator=(const RealServiceLock&) = delete;

  private:
    int fd_;
};

}  // namespace tarn::test
