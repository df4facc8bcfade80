// Placeholder substitution of the current message.
#include <string>

#include "errors/ErrorManager.h"
#include "errors/Text.h"
#include "platform/system/NoCase.h"
#include "platform/system/TextCut.h"

namespace tarn::errors {

namespace {

std::string CutSubstituted(std::string_view text) {
    return platform::CutText(text, static_cast<long>(kSubstitutedWidth));
}

// Replaces every occurrence of placeholder (any letter case); inserted values are not searched
// again, so a value holding its own placeholder goes in once.
void Replace(std::string& text, std::string_view placeholder, std::string_view value) {
    if (platform::EqualNoCase(value, placeholder)) return;
    size_t at = FindNoCase(text, placeholder);
    while (at != std::string::npos) {
        std::string rebuilt = text.substr(0, at);
        rebuilt += value;
        rebuilt += std::string_view(text).substr(at + placeholder.size());
        text = CutSubstituted(rebuilt);
        size_t resume = at + value.size();
        if (resume >= text.size()) break;
        at = FindNoCase(text, placeholder, resume);
    }
}

std::string ErrorText(const ErrorStatus& s) {
    // Driver and file-system failures carry the driver's own text and code.
    if (s.saveErrorCode == 90 || s.saveErrorCode == 100 || s.saveErrorCode == 47) {
        return s.saveFileError + " (" + s.saveFileErrorCode + ")";
    }
    return s.saveError + " (" + std::to_string(s.saveErrorCode) + ")";
}

}  // namespace

std::string ErrorManager::SubstitutedText() {
    const ErrorStatus& s = Context();
    std::string text = CutSubstituted(s.errorBuffer.message);
    // Longer names come before their prefixes.
    Replace(text, "%ErrorFile", s.saveErrorFile);
    Replace(text, "%FileErrorCode", s.saveFileErrorCode);
    Replace(text, "%FileError", s.saveFileError);
    Replace(text, "%File", s.fileName);
    Replace(text, "%Key", s.keyName);
    Replace(text, "%ErrorCode", std::to_string(s.saveErrorCode));
    Replace(text, "%ErrorText", ErrorText(s));
    Replace(text, "%Error", s.saveError);
    Replace(text, "%Message", s.messageText);
    Replace(text, "%Field", s.fieldName);
    Replace(text, "%Procedure", CurrentProcedureName());
    Replace(text, "%Category", s.errorBuffer.category);
    if (text.find("%Previous") != std::string::npos) {
        std::string previous;
        {
            platform::CriticalSectionHold hold(critSect_);
            if (const ErrorEntry* entry = Find(s.prevErrorId, false)) previous = entry->message;
        }
        Replace(text, "%Previous", previous);
    }
    return text;
}

}  // namespace tarn::errors
