#include "platform/system/FileTrust.h"

#include <cstdio>

namespace tarn::platform {

namespace {

std::string WhatIsWrong(const struct stat& st, uid_t owner) {
    if (S_ISLNK(st.st_mode)) return "a symbolic link";
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return "not a plain file or folder";
    if (st.st_uid != owner) return "owned by another user";
    const bool group = (st.st_mode & S_IWGRP) != 0;
    const bool others = (st.st_mode & S_IWOTH) != 0;
    if (group && others) return "writable by its group and by others";
    if (group) return "writable by its group";
    if (others) return "writable by others";
    return "";
}

}  // namespace

std::string UntrustedReason(const struct stat& st, uid_t owner) {
    const std::string wrong = WhatIsWrong(st, owner);
    if (wrong.empty()) return "";
    char found[64];
    std::snprintf(found, sizeof found, " (owner uid %u, mode %04o)",
                  static_cast<unsigned>(st.st_uid), static_cast<unsigned>(st.st_mode & 07777));
    return wrong + found;
}

}  // namespace tarn::platform
