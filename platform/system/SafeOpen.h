#pragma once
// Opening files and folders without following symbolic links, for a program that runs as root in
// a folder that others may reach: a link planted there must not lead its writes anywhere else.
//
// Every open is relative to an open folder (AT_FDCWD for the current one) and never follows a
// link at the name's last part. What is found there is used only when it is a plain file (or a
// folder) that belongs to this process's user; a file must also have no other name, since a hard
// link can name any file of that user. Anything else is refused in words, naming the entry.
// Folders are made 0755 and files 0640 whatever the umask.
#include <string>

namespace tarn::platform {

struct SafeOpened {
    int fd = -1;          // the open descriptor, or -1; the caller closes it
    int error = 0;        // errno of the call that failed, or 0
    std::string refused;  // why an entry that exists was not used; "" unless refused
};

// Opens folder name under at for reading its entries.
SafeOpened OpenOwnFolder(int at, const std::string& name);
// Makes folder name under at when it is missing, then opens it as OpenOwnFolder does.
SafeOpened MakeOwnFolder(int at, const std::string& name);
// Opens plain file name under at with flags (O_RDONLY, or O_RDWR with O_APPEND).
SafeOpened OpenOwnFile(int at, const std::string& name, int flags);
// Makes plain file name under at when it is missing; an existing one is opened as it is.
SafeOpened CreateOwnFile(int at, const std::string& name, int flags);

}  // namespace tarn::platform
