#pragma once
// The parts of a display picture text, parsed once for formatting and reading.
#include <string_view>

namespace tarn::platform {

enum class PictureKind { Date, Time, Number, Text };

struct PictureSpec {
    PictureKind kind = PictureKind::Text;
    int style = 0;           // dates: 12, 8, else the locale's; times: 6, 1, 4, else the locale's
    int width = -1;          // numbers: minimum width; texts: most bytes; -1 = no limit
    char separator = '-';    // dates of style 8: between day, month and year
    bool blankZero = false;  // trailing 'b': 0 shows blank
};

// Reads "d12", "D08-b", "t06b", "n14", "s20", ... (an optional leading '@' is skipped). Anything
// not starting with d, t or n (either case) is a text picture.
PictureSpec ParsePicture(std::string_view picture);

}  // namespace tarn::platform
