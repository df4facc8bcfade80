#include "platform/system/Picture.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "platform/system/Clock.h"
#include "platform/system/PictureSpec.h"
#include "platform/system/TextCut.h"

// Renderings chosen here: blank means the empty text; dates and times of 0 (or out of range)
// show blank with or without the 'b' flag, since no real date or time exists for them; "t06"
// writes the marker right after the seconds ("01:05:09PM") and reads it with or without a blank.
namespace tarn::platform {

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int32_t kLastClock = 24 * 60 * 60 * 100;

std::string Strftime(const char* format, const std::tm& tm) {
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
    return std::string(buffer, n);
}

std::string FormatDate(const PictureSpec& pic, int64_t value) {
    if (value < 1 || value > DayNumber(9999, 12, 31)) return "";
    const Ymd d = DateOf(static_cast<int32_t>(value));
    char out[32];
    switch (pic.style) {
        case 12:
            std::snprintf(out, sizeof out, "%04d%02d%02d", d.year, d.month, d.day);
            return out;
        case 8:
            std::snprintf(out, sizeof out, "%02d%c%s%c%04d", d.day, pic.separator,
                          kMonths[d.month - 1], pic.separator, d.year);
            return out;
        default: {
            std::tm tm{};
            tm.tm_year = d.year - 1900;
            tm.tm_mon = d.month - 1;
            tm.tm_mday = d.day;
            return Strftime("%x", tm);
        }
    }
}

std::string FormatTime(const PictureSpec& pic, int64_t value) {
    if (value < 1 || value > kLastClock) return "";
    const int64_t seconds = (value - 1) / 100;
    const int h = static_cast<int>(seconds / 3600);
    const int m = static_cast<int>(seconds / 60 % 60);
    const int s = static_cast<int>(seconds % 60);
    char out[32];
    switch (pic.style) {
        case 6: {
            const int h12 = h % 12 == 0 ? 12 : h % 12;  // midnight is 12 AM, noon 12 PM
            std::snprintf(out, sizeof out, "%02d:%02d:%02d%s", h12, m, s, h < 12 ? "AM" : "PM");
            return out;
        }
        case 1:
            std::snprintf(out, sizeof out, "%02d:%02d", h, m);
            return out;
        case 4:
            std::snprintf(out, sizeof out, "%02d:%02d:%02d", h, m, s);
            return out;
        default: {
            std::tm tm{};
            tm.tm_hour = h;
            tm.tm_min = m;
            tm.tm_sec = s;
            return Strftime("%X", tm);
        }
    }
}

std::string FormatNumber(const PictureSpec& pic, int64_t value) {
    if (value == 0 && pic.blankZero) return "";
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits;
    int count = 0;
    do {
        if (count > 0 && count % 3 == 0) digits.insert(digits.begin(), ',');
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
        ++count;
    } while (magnitude != 0);
    if (negative) digits.insert(digits.begin(), '-');
    // A number wider than the picture is shown whole rather than cut into a wrong value.
    if (static_cast<int>(digits.size()) < pic.width) {
        digits.insert(digits.begin(), static_cast<size_t>(pic.width) - digits.size(), ' ');
    }
    return digits;
}

}  // namespace

std::string FormatPicture(std::string_view picture, int64_t value) {
    const PictureSpec pic = ParsePicture(picture);
    switch (pic.kind) {
        case PictureKind::Date:
            return FormatDate(pic, value);
        case PictureKind::Time:
            return FormatTime(pic, value);
        case PictureKind::Number:
            return FormatNumber(pic, value);
        case PictureKind::Text:
            return CutText(std::to_string(value), pic.width);
    }
    return std::to_string(value);
}

std::string FormatPicture(std::string_view picture, std::string_view text) {
    const PictureSpec pic = ParsePicture(picture);
    if (pic.kind != PictureKind::Text) return std::string(text);
    return CutText(text, pic.width);
}

bool IsNumericPicture(std::string_view picture) {
    return ParsePicture(picture).kind != PictureKind::Text;
}

}  // namespace tarn::platform
