#pragma once
// Display pictures: how numbers, dates, times and texts are shown and read back.
//
// Supported pictures (case of the leading letter matters only for dates, where 'D' and 'd' are
// the same here):
//   d12 / D12      yyyymmdd                           date
//   d08-b / D08-b  dd-Mon-yyyy, blank for 0           date (Mon is Jan..Dec)
//   D17            the locale's short date            date
//   t06b           hh:mm:ss AM/PM, blank for 0        time (hours 1..12)
//   T8             the locale's short time            time
//   n14 (n<w>)     number with thousands separators, right-aligned in w characters
//   s<n>           text, at most n bytes (never cutting a UTF-8 character in half)
// A trailing 'b' on a date or time picture shows 0 as blanks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform {

// Formats a number (day number, clock value or plain number) with a numeric picture.
std::string FormatPicture(std::string_view picture, int64_t value);
// Formats a text with a text picture ("s<n>"); other pictures show the text unchanged.
std::string FormatPicture(std::string_view picture, std::string_view text);
// Reads a number back through a picture; nullopt when the text does not fit it.
// A blank text reads as 0 for every numeric picture.
std::optional<int64_t> ReadPicture(std::string_view picture, std::string_view text);
// True when the picture shows a number, date or time (rather than text).
bool IsNumericPicture(std::string_view picture);

}  // namespace tarn::platform
