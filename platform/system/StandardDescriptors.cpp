#include "platform/system/StandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tarn::platform {

bool OpenStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number is taken, and the lower ones are open by now: it is fd.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened < 0) return false;
        if (opened != fd) {
            ::close(opened);
            return false;
        }
    }
    return true;
}

}  // namespace tarn::platform
