#pragma once
// The checker runs as root and starts what its list names: a list, settings file or log folder
// that another user could write would let that user choose what root starts. So as root it
// refuses a data folder whose folder, data files or logfiles/ belong to someone else, are
// writable by group or others, or are symbolic links (or neither plain files nor folders).
#include <sys/types.h>

#include <string>

namespace tarn::checker {

// Checks the current folder and, where present, Settings.db, ServicesToCheck.db, their -wal and
// -shm files, Tarnwatch.INI and logfiles/ against owner, without following symbolic links.
// Returns "" when all can be trusted; else one line naming the first that cannot, what was found
// and what is required.
std::string DataFolderRefusal(uid_t owner);

}  // namespace tarn::checker
