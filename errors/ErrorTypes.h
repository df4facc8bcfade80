#pragma once
// Records of the error manager: catalog entries, the per-thread error context, the
// procedure-name stack and the message history.
#include <cstddef>
#include <cstdint>
#include <string>

#include "errors/Levels.h"

namespace tarn::errors {

// Widths of the context's texts (characters kept; longer values are cut without notice).
inline constexpr size_t kNameWidth = 1023;  // field, file, key names and the message text
inline constexpr size_t kSaveWidth = 254;   // snapshot of the runtime's last error
inline constexpr size_t kSubstitutedWidth = 1999;
inline constexpr size_t kHistoryTextWidth = 1023;

// One message of the catalog.
struct ErrorEntry {
    int32_t id = 0;
    std::string message;  // template with % placeholders; '|' is a line break
    std::string title;
    uint8_t fatality = LevelQuiet;
    std::string category;  // empty for the standard catalog
};

// The error context; one per thread and error manager.
struct ErrorStatus {
    std::string fieldName;                // %Field
    std::string fileName;                 // %File
    std::string keyName;                  // %Key
    std::string messageText;              // %Message
    std::string saveErrorFile;            // %ErrorFile
    std::string saveError;                // %Error
    int32_t saveErrorCode = 0;            // %ErrorCode
    std::string saveFileError;            // %FileError
    std::string saveFileErrorCode = "0";  // %FileErrorCode
    ErrorEntry errorBuffer;               // the current message
    int32_t prevErrorId = 0;              // id the current message replaced; source of %Previous
};

struct ProcNameEntry {
    int32_t thread = 0;
    std::string name;
};

struct HistoryEntry {
    std::string category;
    std::string txt;  // at most kHistoryTextWidth characters
    int16_t id = 0;
};

}  // namespace tarn::errors
