#include "platform/system/TextCut.h"

#include <cctype>

namespace tarn::platform {

std::string CutText(std::string_view text, long maxBytes) {
    if (maxBytes < 0 || text.size() <= static_cast<size_t>(maxBytes)) return std::string(text);
    size_t end = static_cast<size_t>(maxBytes);
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace tarn::platform
