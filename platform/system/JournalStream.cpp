#include "platform/system/JournalStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tarn::platform {

bool JournalStreamNames(const char* value, dev_t device, ino_t inode) {
    if (!value) return false;
    unsigned long long readDevice = 0, readInode = 0;
    int used = 0;
    if (std::sscanf(value, "%llu:%llu%n", &readDevice, &readInode, &used) != 2 ||
        value[used] != '\0')
        return false;
    return readDevice == device && readInode == inode;
}

bool StderrIsJournal() {
    static const bool journal = [] {
        struct stat st {};
        return fstat(STDERR_FILENO, &st) == 0 &&
               JournalStreamNames(std::getenv("JOURNAL_STREAM"), st.st_dev, st.st_ino);
    }();
    return journal;
}

std::string JournalPrefix(JournalPriority priority) {
    if (!StderrIsJournal()) return "";
    return "<" + std::to_string(static_cast<int>(priority)) + ">";
}

}  // namespace tarn::platform
