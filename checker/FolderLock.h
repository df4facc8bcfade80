#pragma once
// One checker per data folder: two would check and restart every service twice and log every
// line twice. The lock is an flock on the data folder itself, held through a descriptor of "."
// that stays open: a folder cannot be removed and made again under a running checker the way a
// lock file could be, and the kernel drops the lock when its holder ends, however it ends, so a
// killed checker never blocks the next one.
namespace tarn::checker {

enum class FolderLock {
    Held,           // this process holds the lock until it ends
    HeldElsewhere,  // another process holds it
    Unavailable,    // the folder cannot be opened for reading: the data files decide
};

// Takes the lock of the current folder for the rest of the process. Services started later do
// not inherit it.
FolderLock LockDataFolder();

}  // namespace tarn::checker
