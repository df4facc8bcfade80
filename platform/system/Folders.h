#pragma once
// The file system and the machine as the programs see them.
#include <string>

namespace tarn::platform {

// The current folder in long form (absolute, symbolic links resolved); "" when it is gone.
std::string CurrentFolder();
// True when path names an existing folder.
bool FolderExists(const std::string& path);
// Creates the folder (and missing parents); true when it exists afterwards.
bool CreateFolder(const std::string& path);
// This computer's host name; "" when it cannot be read.
std::string ComputerName();
// The platform's folder separator.
constexpr char kFolderSeparator = '/';

}  // namespace tarn::platform
