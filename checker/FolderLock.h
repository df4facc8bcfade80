#pragma once
// One checker per data folder: two would check and restart every service twice and log every
// line twice. The lock is an flock on "Tarnwatch.lock" in the data folder, which the kernel
// drops when its holder ends, however it ends, so a killed checker never blocks the next one.
#include <string>

namespace tarn::checker {

inline constexpr const char* kLockFileName = "Tarnwatch.lock";

enum class FolderLock {
    Held,           // this process holds the lock until it ends
    HeldElsewhere,  // another process holds it
    Unavailable,    // the lock file cannot be made (a read-only folder): the data files decide
};

// Takes the lock of the current folder for the rest of the process. Services started later do
// not inherit it.
FolderLock LockDataFolder();

}  // namespace tarn::checker
