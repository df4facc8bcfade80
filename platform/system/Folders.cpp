#include "platform/system/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tarn::platform {

std::string CurrentFolder() {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return "";
    char resolved[PATH_MAX];
    if (realpath(cwd, resolved) == nullptr) return cwd;
    return resolved;
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (FolderExists(path)) return true;
    // Create each missing parent in turn; another process creating the same folder at the same
    // moment (EEXIST) is success.
    for (size_t pos = path.find(kFolderSeparator, 1); pos != std::string::npos;
         pos = path.find(kFolderSeparator, pos + 1)) {
        const std::string parent = path.substr(0, pos);
        if (!FolderExists(parent) && mkdir(parent.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
    }
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
    return FolderExists(path);
}

std::string ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

}  // namespace tarn::platform
