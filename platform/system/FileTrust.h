#pragma once
// Whether a program running as root may take orders from a file or folder: only when nobody but
// its owner could have written it, as sshd, cron and sudo judge their own files.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace tarn::platform {

// st comes from a stat that does not follow symbolic links. Returns "" when st is a plain file
// or a folder, owned by owner and writable neither by its group nor by others; else what is
// wrong in words, followed by the owner and mode found, e.g.
// "writable by others (owner uid 0, mode 0646)". Whether a file is where a folder belongs is not
// a question of trust: the program's own use of it finds that out.
std::string UntrustedReason(const struct stat& st, uid_t owner);

}  // namespace tarn::platform
