#pragma once
// A list control's format string, parsed into fields and column groups.
//
// A field reads: width, alignment letter (L R C D) with an optional indent "(n)", then modifiers
// in any order: '|' right border, 'M' resizable, '~text~' header (optionally followed by the
// header's own alignment and indent), '@picture@', 'S(n)' horizontal scroll bar, '/' the next
// field of the group starts a new line, and other single letters with an optional "(n)" that the
// runtime keeps but does not act on. "[ ... ]" groups fields into one column; the group may carry
// modifiers of its own after ']' ('|', 'M', '~header~').
//
// Example: "[80L(2)|M~Server~@s127@/80L(2)|M~Service~@s127@/]|80R(2)~Date~C(0)@d08-b@"
// gives two columns: a two-line group (Server above Service) and a date field.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::ui {

struct ListField {
    int width = 0;     // dialog units
    char align = 'L';  // L left, R right, C centre, D decimal
    int indent = 0;
    std::string header;
    char headerAlign = 0;  // 0: as the field
    int headerIndent = 0;
    std::string picture;  // without the '@' delimiters; "" shows the value as it is
    bool rightBorder = false;
    bool resizable = false;
    bool hscroll = false;
    bool lastOnLine = false;  // '/': the next field of the group goes below
    int group = -1;           // index into ListFormat::groups, -1 for a plain column
    int line = 0;             // line within the group's row, from 0
    int column = 0;           // column index (a group is one column)
};

struct ListGroup {
    int firstField = 0;
    int fieldCount = 0;
    int lines = 1;
    std::string header;
    bool rightBorder = false;
    bool resizable = false;
};

struct ListFormat {
    std::vector<ListField> fields;
    std::vector<ListGroup> groups;
    int columns = 0;
    int linesPerRow = 1;  // the most lines any group takes
    int headerLines = 0;  // 0 when no field has a header
};

// Parses a format string; nullopt with a reason in *error when it does not parse.
std::optional<ListFormat> ParseListFormat(std::string_view text, std::string* error = nullptr);

}  // namespace tarn::ui
