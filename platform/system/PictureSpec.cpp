#include "platform/system/PictureSpec.h"

#include <cctype>

namespace tarn::platform {

namespace {

PictureKind KindOf(char letter) {
    switch (std::tolower(static_cast<unsigned char>(letter))) {
        case 'd':
            return PictureKind::Date;
        case 't':
            return PictureKind::Time;
        case 'n':
            return PictureKind::Number;
        default:
            return PictureKind::Text;
    }
}

}  // namespace

PictureSpec ParsePicture(std::string_view picture) {
    PictureSpec pic;
    if (!picture.empty() && picture.front() == '@') picture.remove_prefix(1);
    if (picture.empty()) return pic;
    pic.kind = KindOf(picture.front());
    size_t i = 1;
    if (pic.kind == PictureKind::Number && i < picture.size() && picture[i] == '-') ++i;
    int number = -1;
    for (; i < picture.size() && std::isdigit(static_cast<unsigned char>(picture[i])); ++i) {
        number = (number < 0 ? 0 : number * 10) + (picture[i] - '0');
        if (number > 100000) number = 100000;  // an absurd width is clamped, not overflowed
    }
    for (; i < picture.size(); ++i) {
        const char c = picture[i];
        if (c == 'b' || c == 'B') pic.blankZero = true;
        if (c == '-' || c == '/' || c == '.' || c == '_') pic.separator = c == '_' ? ' ' : c;
    }
    if (pic.kind == PictureKind::Date || pic.kind == PictureKind::Time) {
        pic.style = number;
    } else {
        pic.width = number;
    }
    return pic;
}

}  // namespace tarn::platform
