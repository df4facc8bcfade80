#pragma once
// A temporary folder for one test, with helpers to write stub tools into it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace tarn::vuft4::testing {

class StubFolder {
  public:
    StubFolder() {
        char pattern[] = "/tmp/tarn_vuft4_XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~StubFolder() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    StubFolder(const StubFolder&) = delete;
    StubFolder& operator=(const StubFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    void Write(const std::string& name, const std::string& content, mode_t mode = 0644) const {
        std::ofstream(File(name), std::ios::binary) << content;
        chmod(File(name).c_str(), mode);
    }
    // An executable shell script; @DIR@ in body is replaced by the folder's path.
    void Script(const std::string& name, std::string body) const {
        for (size_t at; (at = body.find("@DIR@")) != std::string::npos;) body.replace(at, 5, path_);
        Write(name, "#!/bin/sh\n" + body, 0755);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& name) const { return access(File(name).c_str(), F_OK) == 0; }

  private:
    std::string path_;
};

// Puts a folder first on PATH for the life of the object.
class PathFirst {
  public:
    explicit PathFirst(const std::string& folder) {
        const char* old = std::getenv("PATH");
        saved_ = old ? old : "";
        setenv("PATH", (folder + ":" + saved_).c_str(), 1);
    }
    ~PathFirst() { setenv("PATH", saved_.c_str(), 1); }

  private:
    std::string saved_;
};

}  // namespace tarn::vuft4::testing
