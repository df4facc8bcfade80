#include "platform/system/IniFile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/system/IniText.h"

// Names that would not read back as the same entry are refused: a section with ']' or a line
// break, an entry that is empty or holds '=' or a line break, a value with a line break.
namespace tarn::platform {

namespace {

enum class Loaded { Ok, Missing, Unreadable };

Loaded Load(const std::string& file, std::string& content) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? Loaded::Missing : Loaded::Unreadable;
    char buffer[8192];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) content.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return n < 0 ? Loaded::Unreadable : Loaded::Ok;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the whole file beside the old one and renames it into place.
bool Store(const std::string& file, const std::string& data) {
    std::string temp = file + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    struct stat st {};
    const mode_t mode = stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644;
    const bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data) && fsync(fd) == 0;
    if (close(fd) != 0 || !ok || rename(temp.c_str(), file.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

bool ValidNames(const std::string& section, const std::string& entry) {
    return !HasLineBreak(section) && section.find(']') == std::string::npos && !entry.empty() &&
           !HasLineBreak(entry) && entry.find('=') == std::string::npos;
}

// Loads, edits and stores; false when the file cannot be read or written.
template <typename Edit>
bool Rewrite(const std::string& file, Edit edit) {
    std::string content;
    const Loaded loaded = Load(file, content);
    if (loaded == Loaded::Unreadable) return false;
    IniText ini(content);
    if (!edit(ini)) return true;  // nothing changed: leave the file alone
    return Store(file, ini.Text());
}

}  // namespace

std::string GetIniEntry(const std::string& section, const std::string& entry,
                        const std::string& fallback, const std::string& file) {
    std::string content;
    if (Load(file, content) != Loaded::Ok) return fallback;
    return IniText(content).Get(section, entry).value_or(fallback);
}

bool PutIniEntry(const std::string& section, const std::string& entry, const std::string& value,
                 const std::string& file) {
    if (!ValidNames(section, entry) || HasLineBreak(value)) return false;
    return Rewrite(file, [&](IniText& ini) { return ini.Put(section, entry, value); });
}

bool DeleteIniEntry(const std::string& section, const std::string& entry, const std::string& file) {
    if (!ValidNames(section, entry)) return true;  // such an entry cannot be in any file
    return Rewrite(file, [&](IniText& ini) { return ini.Delete(section, entry); });
}

}  // namespace tarn::platform
