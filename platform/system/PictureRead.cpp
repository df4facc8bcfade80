#include <cctype>
#include <climits>
#include <ctime>

#include "platform/system/Clock.h"
#include "platform/system/NoCase.h"
#include "platform/system/Picture.h"
#include "platform/system/PictureSpec.h"
#include "platform/system/TextCut.h"

// Reading is more lenient than writing: case, one or two digit fields and the blank before an
// AM/PM marker are accepted; anything left over makes the text not fit the picture.
namespace tarn::platform {

namespace {

const char* const kMonthNames[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};

// Reads 1..maxDigits digits at pos; -1 when there are none.
int ReadDigits(std::string_view s, size_t& pos, size_t maxDigits) {
    int value = 0;
    size_t start = pos;
    while (pos < s.size() && pos - start < maxDigits &&
           std::isdigit(static_cast<unsigned char>(s[pos]))) {
        value = value * 10 + (s[pos++] - '0');
    }
    return pos == start ? -1 : value;
}

bool IsDateSeparator(char c) { return c == '-' || c == '/' || c == '.' || c == ' '; }

std::optional<int64_t> Checked(int32_t value) {
    if (value == 0) return std::nullopt;
    return value;
}

std::optional<int64_t> ReadDigitsDate(std::string_view s) {
    size_t pos = 0;
    if (s.size() != 8) return std::nullopt;
    const int y = ReadDigits(s, pos, 4), m = ReadDigits(s, pos, 2), d = ReadDigits(s, pos, 2);
    if (pos != 8) return std::nullopt;
    return Checked(DayNumber(y, m, d));
}

std::optional<int64_t> ReadMonthNameDate(std::string_view s) {
    size_t pos = 0;
    const int d = ReadDigits(s, pos, 2);
    if (d < 0 || pos >= s.size() || !IsDateSeparator(s[pos++])) return std::nullopt;
    if (s.size() < pos + 3) return std::nullopt;
    int m = 0;
    for (int i = 0; i < 12 && m == 0; ++i) {
        if (EqualNoCase(s.substr(pos, 3), kMonthNames[i])) m = i + 1;
    }
    pos += 3;
    if (m == 0 || pos >= s.size() || !IsDateSeparator(s[pos++])) return std::nullopt;
    const size_t yearStart = pos;
    const int y = ReadDigits(s, pos, 4);
    if (pos != s.size() || pos - yearStart != 4) return std::nullopt;
    return Checked(DayNumber(y, m, d));
}

// The locale's own format, through strptime; the whole text must be used.
std::optional<std::tm> ReadLocale(std::string_view s, const char* format) {
    const std::string text(s);
    std::tm tm{};
    tm.tm_mday = 1;
    const char* end = strptime(text.c_str(), format, &tm);
    if (end == nullptr || *end != '\0') return std::nullopt;
    return tm;
}

std::optional<int64_t> ReadDate(const PictureSpec& pic, std::string_view s) {
    if (pic.style == 12) return ReadDigitsDate(s);
    if (pic.style == 8) return ReadMonthNameDate(s);
    const auto tm = ReadLocale(s, "%x");
    if (!tm) return std::nullopt;
    return Checked(DayNumber(tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday));
}

// "h:mm", "h:mm:ss", each optionally followed by AM or PM (with or without a blank).
std::optional<int64_t> ReadClockText(std::string_view s) {
    size_t pos = 0;
    int h = ReadDigits(s, pos, 2), m = -1, sec = 0;
    if (h < 0 || pos >= s.size() || s[pos++] != ':') return std::nullopt;
    m = ReadDigits(s, pos, 2);
    if (m < 0) return std::nullopt;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        sec = ReadDigits(s, pos, 2);
        if (sec < 0) return std::nullopt;
    }
    const std::string_view marker = TrimSpaces(s.substr(pos));
    if (!marker.empty()) {
        if (marker.size() != 2 || (marker[1] != 'M' && marker[1] != 'm')) return std::nullopt;
        const char ap = static_cast<char>(std::toupper(static_cast<unsigned char>(marker[0])));
        if ((ap != 'A' && ap != 'P') || h < 1 || h > 12) return std::nullopt;
        h = h % 12 + (ap == 'P' ? 12 : 0);
    }
    return Checked(ClockValue(h, m, sec));
}

std::optional<int64_t> ReadTime(const PictureSpec& pic, std::string_view s) {
    if (pic.style == 6 || pic.style == 1 || pic.style == 4) return ReadClockText(s);
    const auto tm = ReadLocale(s, "%X");
    if (!tm) return std::nullopt;
    return Checked(ClockValue(tm->tm_hour, tm->tm_min, tm->tm_sec));
}

// Digits with optional thousands separators and a leading sign.
std::optional<int64_t> ReadNumber(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() == ',' || s.back() == ',') return std::nullopt;
    uint64_t magnitude = 0;
    for (char c : s) {
        if (c == ',') continue;
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        if (magnitude > (static_cast<uint64_t>(INT64_MAX) + 1 - (c - '0')) / 10) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    }
    if (!negative && magnitude > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

}  // namespace

std::optional<int64_t> ReadPicture(std::string_view picture, std::string_view text) {
    const PictureSpec pic = ParsePicture(picture);
    const std::string_view s = TrimSpaces(text);
    if (s.empty()) return 0;
    switch (pic.kind) {
        case PictureKind::Date:
            return ReadDate(pic, s);
        case PictureKind::Time:
            return ReadTime(pic, s);
        default:
            return ReadNumber(s);
    }
}

}  // namespace tarn::platform
