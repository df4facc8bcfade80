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
    PictureSpec spec;
    if (!picture.empty() && picture.front() == '@') picture.remove_prefix(1);
    if (picture.empty()) return spec;
    spec.kind = KindOf(picture.front());
    size_t i = 1;
    if (spec.kind == PictureKind::Number && i < picture.size() && picture[i] == '-') ++i;
    int number = -1;
    for (; i < picture.size() && std::isdigit(static_cast<unsigned char>(picture[i])); ++i) {
        number = (number < 0 ? 0 : number * 10) + (picture[i] - '0');
        if (number > 100000) number = 100000;  // an absurd width is clamped, not overflowed
    }
    for (; i < picture.size(); ++i) {
        const char c = picture[i];
        if (c == 'b' || c == 'B') spec.blankZero = true;
        if (c == '-' || c == '/' || c == '.' || c == '_') spec.separator = c == '_' ? ' ' : c;
    }
    if (spec.kind == PictureKind::Date || spec.kind == PictureKind::Time) {
        spec.style = number;
    } else {
        spec.width = number;
    }
    return spec;
}

}  // namespace tarn::platform
