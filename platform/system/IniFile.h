#pragma once
// Entries of INI files: [section] lines followed by entry=value lines.
//
// Section and entry names compare without regard to case. A value is read back exactly as it was
// written (no trimming of inner text, no quoting). Writes rewrite the file through a temporary file
// renamed into place, so a reader never sees half a file; a write creates a missing file.
#include <optional>
#include <string>

namespace tarn::platform {

// The entry's value; fallback when the file, the section or the entry is missing.
std::string GetIniEntry(const std::string& section, const std::string& entry,
                        const std::string& fallback, const std::string& file);
// Writes (adding section and entry when missing); false when the file cannot be written.
bool PutIniEntry(const std::string& section, const std::string& entry, const std::string& value,
                 const std::string& file);
// Removes one entry; false when the file cannot be written (a missing entry is not an error).
bool DeleteIniEntry(const std::string& section, const std::string& entry, const std::string& file);

}  // namespace tarn::platform
