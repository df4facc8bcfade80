#pragma once
// Cutting texts to a byte limit without leaving half a UTF-8 character behind, and trimming them.
#include <string>
#include <string_view>

namespace tarn::platform {

// The longest prefix of text of at most maxBytes bytes that ends on a character boundary;
// maxBytes < 0 means no limit.
std::string CutText(std::string_view text, long maxBytes);
// text without leading and trailing white space.
std::string_view TrimSpaces(std::string_view text);
// text without the blanks that pad it on the right (fixed-width fields, clipped names).
std::string_view TrimTrailingBlanks(std::string_view text);

}  // namespace tarn::platform
