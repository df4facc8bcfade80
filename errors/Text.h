#pragma once
// Small text helpers of the error manager.
#include <string>
#include <string_view>

namespace tarn::errors {

// text without trailing blanks, cut to width bytes on a character boundary.
std::string Clip(std::string_view text, size_t width);
// Position of needle in text from start, ignoring ASCII letter case; npos when absent.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t start = 0);

}  // namespace tarn::errors
