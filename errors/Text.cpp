#include "errors/Text.h"

#include <cctype>

#include "platform/system/TextCut.h"

namespace tarn::errors {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::string Clip(std::string_view text, size_t width) {
    size_t end = text.find_last_not_of(' ');
    text = end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
    return platform::CutText(text, static_cast<long>(width));
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t start) {
    if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = start; i + needle.size() <= text.size(); ++i) {
        if (EqualNoCase(text.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

}  // namespace tarn::errors
