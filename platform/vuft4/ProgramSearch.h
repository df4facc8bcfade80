#pragma once
// Where outside tools are looked up. The checker runs as root with its data folder as current
// folder: an empty or relative PATH entry would let a file placed there ("./service") run as
// root, so only absolute folders are searched.
#include <string>

namespace tarn::vuft4 {

// The system's own search path, used when PATH gives no absolute folder.
inline constexpr const char* kSystemSearchPath =
    "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

// The absolute folders of pathVariable (a PATH value, null when unset), in order, ':'-separated;
// empty and relative entries are left out. kSystemSearchPath when none is left.
std::string CleanSearchPath(const char* pathVariable);
// CleanSearchPath of this process's PATH.
std::string ProgramSearchPath();
// name itself when it holds a '/'; else the first executable plain file named name in an
// absolute folder of searchPath (relative and empty entries are skipped); "" when none.
std::string FindProgram(const std::string& name, const std::string& searchPath);

}  // namespace tarn::vuft4
