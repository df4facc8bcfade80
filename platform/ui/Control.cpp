#include "platform/ui/Control.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/system/Picture.h"
#include "platform/system/PictureSpec.h"
#include "platform/system/TextCut.h"

namespace tarn::ui {

namespace {

constexpr int kLineHeight = 8;  // dialog units per text line

}  // namespace

Binding Binding::Int(int32_t* v, std::string picture) {
    return Binding{Int32, v, sizeof(int32_t), std::move(picture)};
}

Binding Binding::Chars(char* v, size_t capacity, std::string picture) {
    return Binding{CText, v, capacity, std::move(picture)};
}

Binding Binding::Fixed(char* v, size_t capacity, std::string picture) {
    return Binding{FixedText, v, capacity, std::move(picture)};
}

Binding Binding::Str(std::string* v, std::string picture) {
    return Binding{String, v, 0, std::move(picture)};
}

std::string Binding::Format() const {
    switch (type) {
        case None:
            return "";
        case Int32: {
            // Record fields are packed: the number may stand at any address.
            int32_t v;
            std::memcpy(&v, target, sizeof v);
            return platform::FormatPicture(picture, v);
        }
        case CText: {
            const char* p = static_cast<const char*>(target);
            return platform::FormatPicture(picture, std::string_view(p, strnlen(p, capacity)));
        }
        case FixedText: {
            const char* p = static_cast<const char*>(target);
            return std::string(platform::TrimTrailingBlanks(
                platform::FormatPicture(picture, std::string_view(p, capacity))));
        }
        case String:
            return platform::FormatPicture(picture, *static_cast<const std::string*>(target));
    }
    return "";
}

bool Binding::Read(const std::string& text) const {
    switch (type) {
        case None:
            return true;
        case Int32: {
            auto v = platform::ReadPicture(picture, text);
            if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
            const int32_t value = static_cast<int32_t>(*v);
            std::memcpy(target, &value, sizeof value);
            return true;
        }
        case CText: {
            // Zero-terminated: at most capacity - 1 bytes of text.
            std::string cut = platform::CutText(platform::FormatPicture(picture, text),
                                                static_cast<long>(capacity) - 1);
            char* p = static_cast<char*>(target);
            std::memset(p, 0, capacity);
            std::memcpy(p, cut.data(), cut.size());
            return true;
        }
        case FixedText: {
            std::string cut = platform::CutText(platform::FormatPicture(picture, text),
                                                static_cast<long>(capacity));
            char* p = static_cast<char*>(target);
            std::memset(p, ' ', capacity);
            std::memcpy(p, cut.data(), cut.size());
            return true;
        }
        case String:
            *static_cast<std::string*>(target) = platform::FormatPicture(picture, text);
            return true;
    }
    return false;
}

bool Control::CanFocus() const {
    if (hidden || disabled) return false;
    return kind == KindEntry || kind == KindButton || kind == KindList || kind == KindTextBox;
}

bool Control::IsEditable() const { return kind == KindEntry || kind == KindTextBox; }

int Control::MaxInput() const {
    const platform::PictureSpec pic = platform::ParsePicture(binding.picture);
    if (pic.kind != platform::PictureKind::Text) return 0;
    int most = pic.width > 0 ? pic.width : 0;
    int holds = 0;
    if (binding.type == Binding::CText) holds = static_cast<int>(binding.capacity) - 1;
    if (binding.type == Binding::FixedText) holds = static_cast<int>(binding.capacity);
    if (holds > 0 && (most == 0 || holds < most)) most = holds;
    return most;
}

bool Control::HasAlert(int keycode) const {
    return std::find(alertKeys.begin(), alertKeys.end(), keycode) != alertKeys.end();
}

int Control::Accelerator() const {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        char c = text[++i];
        if (c == '&') continue;  // "&&" shows one '&'
        return std::isalnum(static_cast<unsigned char>(c))
                   ? std::toupper(static_cast<unsigned char>(c))
                   : 0;
    }
    return 0;
}

int Control::VisibleRows() const {
    int lines = std::max(1, columns.linesPerRow);
    int body = rect.height - columns.headerLines * kLineHeight;
    return std::max(0, body / (lines * kLineHeight));
}

int Control::RowTop(int row) const {
    int lines = std::max(1, columns.linesPerRow);
    return rect.y + (columns.headerLines + (row - 1) * lines) * kLineHeight;
}

std::string Control::CellText(int row, int field) const {
    if (!rows || row < 1 || row > rows->RowCount()) return "";
    CellValue v = rows->Cell(row, field);
    std::string picture;
    if (field >= 1 && field <= static_cast<int>(columns.fields.size()))
        picture = columns.fields[field - 1].picture;
    if (const int64_t* n = std::get_if<int64_t>(&v))
        return picture.empty() ? std::to_string(*n) : platform::FormatPicture(picture, *n);
    const std::string& s = std::get<std::string>(v);
    return picture.empty() ? s : platform::FormatPicture(picture, s);
}

Control MakeControl(int number, const ControlDef& def) {
    Control c;
    c.number = number;
    c.kind = def.kind;
    c.name = def.name;
    c.text = def.text;
    c.icon = def.icon;
    c.tip = def.tip;
    c.status = def.status;
    c.rect = def.rect;
    c.parent = def.parent;
    c.isDefault = def.flags & FlagDefault;
    c.readOnly = def.flags & FlagReadOnly;
    c.hidden = def.flags & FlagHidden;
    c.disabled = def.flags & FlagDisabled;
    c.immediate = def.flags & FlagImmediate;
    c.vscroll = def.flags & FlagVScroll;
    c.autoWidth = def.flags & FlagAutoWidth;
    c.autoHeight = def.flags & FlagAutoHeight;
    c.centred = def.flags & FlagCentred;
    c.keepPlace = def.flags & FlagKeepPlace;
    c.dropList = def.flags & FlagDropList;
    c.relayoutChildren = def.flags & FlagRelayoutChildren;
    // Automatic sizes follow the text: four dialog units a character, one line high.
    if (c.autoWidth) c.rect.width = 4 * static_cast<int>(c.text.size());
    if (c.autoHeight) c.rect.height = kLineHeight;
    // An entry or value text defined with a picture ("@n14@") shows nothing until displayed.
    if ((c.kind == KindEntry || c.kind == KindString) && c.text.size() > 1 && c.text[0] == '@') {
        size_t end = c.text.find('@', 1);
        c.binding.picture = c.text.substr(1, end == std::string::npos ? end : end - 1);
        c.text.clear();
    }
    c.format = def.format;
    if (!def.format.empty()) {
        if (auto f = ParseListFormat(def.format)) c.columns = *f;
    }
    return c;
}

}  // namespace tarn::ui
