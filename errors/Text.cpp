#include "errors/Text.h"

#include "platform/system/NoCase.h"
#include "platform/system/TextCut.h"

namespace tarn::errors {

std::string Clip(std::string_view text, size_t width) {
    return platform::CutText(platform::TrimTrailingBlanks(text), static_cast<long>(width));
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t start) {
    if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = start; i + needle.size() <= text.size(); ++i) {
        if (platform::EqualNoCase(text.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

}  // namespace tarn::errors
