#include "platform/vuft4/ProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tarn::vuft4 {

namespace {

std::vector<std::string> AbsoluteFolders(const std::string& searchPath) {
    std::vector<std::string> folders;
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string::npos) end = searchPath.size();
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string CleanSearchPath(const char* pathVariable) {
    std::string clean;
    for (const std::string& folder : AbsoluteFolders(pathVariable ? pathVariable : "")) {
        if (!clean.empty()) clean += ':';
        clean += folder;
    }
    return clean.empty() ? kSystemSearchPath : clean;
}

std::string ProgramSearchPath() { return CleanSearchPath(std::getenv("PATH")); }

std::string FindProgram(const std::string& name, const std::string& searchPath) {
    if (name.empty()) return "";
    if (name.find('/') != std::string::npos) return name;
    for (const std::string& folder : AbsoluteFolders(searchPath)) {
        const std::string candidate = folder + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return "";
}

}  // namespace tarn::vuft4
