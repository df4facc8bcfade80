#pragma once
// Scratch folders and file reading shared by the test programs.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tarn::test {

// A fresh folder under parent (made when missing), removed with everything in it (also after a
// test took its write permission away).
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix = "tarn", const std::string& parent = "/tmp") {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
        std::string pattern = parent + "/" + prefix + "-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        path_ = made ? made : "";
    }
    ~TempFolder() {
        if (path_.empty()) return;
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Makes a folder the current one for a scope (the programs keep their files there).
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string& path) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentFolder() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    std::filesystem::path old_;
};

// The whole file as bytes; "" when it is missing.
inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace tarn::test
