#include "platform/vuft4/SshControlFolder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace tarn::vuft4 {

namespace {

// A socket path takes at most 107 bytes; ssh's %C is 40 characters, and while a shared
// connection is set up ssh adds a suffix of 17 more; "/tarnwatch-ssh-XXXXXX/" takes 22.
constexpr size_t kMaxBase = 107 - 40 - 17 - 22;

std::once_flag made;
std::string folder;

void RemoveFolder() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

}  // namespace

std::string ControlFolderBase(const char* runtimeDirectory) {
    std::string base = runtimeDirectory ? runtimeDirectory : "";
    base = base.substr(0, base.find(':'));
    if (base.empty() || base.front() != '/' || base.size() > kMaxBase) return "/tmp";
    return base;
}

std::string SshControlFolder() {
    std::call_once(made, [] {
        std::string pattern =
            ControlFolderBase(std::getenv("RUNTIME_DIRECTORY")) + "/tarnwatch-ssh-XXXXXX";
        if (!mkdtemp(pattern.data())) return;
        folder = pattern;
        std::atexit(RemoveFolder);
        std::at_quick_exit(RemoveFolder);
    });
    return folder;
}

}  // namespace tarn::vuft4
