#include "platform/ui/ListFormat.h"

#include <algorithm>
#include <cctype>

namespace tarn::ui {

namespace {

class FormatParser {
  public:
    explicit FormatParser(std::string_view text) : s_(text) {}

    std::optional<ListFormat> Parse(std::string* error);

  private:
    bool AtEnd() const { return i_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[i_]; }
    bool Digit() const { return std::isdigit(static_cast<unsigned char>(Peek())) != 0; }
    bool Fail(std::string why);
    int Number();
    bool OptionalParen(int* value);
    bool Delimited(char delim, std::string* out);
    bool ParseField(int group);
    bool ParseGroup();
    bool GroupModifiers(ListGroup& g);

    std::string_view s_;
    size_t i_ = 0;
    ListFormat f_;
    std::string error_;
};

bool FormatParser::Fail(std::string why) {
    if (error_.empty()) error_ = why + " at position " + std::to_string(i_ + 1);
    return false;
}

int FormatParser::Number() {
    int n = 0;
    while (Digit() && n < 100000) n = n * 10 + (s_[i_++] - '0');
    return n;
}

// "(n)" after a letter; absent is fine.
bool FormatParser::OptionalParen(int* value) {
    if (Peek() != '(') return true;
    ++i_;
    bool negative = Peek() == '-';
    if (negative) ++i_;
    if (!Digit()) return Fail("number expected");
    int n = Number();
    if (Peek() != ')') return Fail("')' expected");
    ++i_;
    if (value) *value = negative ? -n : n;
    return true;
}

bool FormatParser::Delimited(char delim, std::string* out) {
    size_t end = s_.find(delim, i_ + 1);
    if (end == std::string_view::npos) return Fail(std::string("unclosed '") + delim + "'");
    *out = std::string(s_.substr(i_ + 1, end - i_ - 1));
    i_ = end + 1;
    return true;
}

bool FormatParser::ParseField(int group) {
    ListField field;
    field.width = Number();
    char a = static_cast<char>(std::toupper(static_cast<unsigned char>(Peek())));
    if (a != 'L' && a != 'R' && a != 'C' && a != 'D') return Fail("alignment expected");
    field.align = a;
    ++i_;
    if (!OptionalParen(&field.indent)) return false;
    while (!AtEnd() && !Digit() && Peek() != '[' && Peek() != ']') {
        char c = Peek();
        if (c == '|') {
            field.rightBorder = true;
            ++i_;
        } else if (c == '/') {
            field.lastOnLine = true;
            ++i_;
        } else if (c == '~') {
            if (!Delimited('~', &field.header)) return false;
            char h = static_cast<char>(std::toupper(static_cast<unsigned char>(Peek())));
            if (h == 'L' || h == 'R' || h == 'C' || h == 'D') {
                field.headerAlign = h;
                ++i_;
                if (!OptionalParen(&field.headerIndent)) return false;
            }
        } else if (c == '@') {
            if (!Delimited('@', &field.picture)) return false;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '?' ||
                   c == '*' || c == '#') {
            char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ++i_;
            if (up == 'M') field.resizable = true;
            if (up == 'S') field.hscroll = true;
            if (!OptionalParen(nullptr)) return false;
        } else {
            return Fail(std::string("unexpected '") + c + "'");
        }
    }
    field.group = group;
    field.column = f_.columns;
    if (field.header.size() > 0) f_.headerLines = std::max(f_.headerLines, 1);
    f_.fields.push_back(field);
    return true;
}

bool FormatParser::GroupModifiers(ListGroup& g) {
    while (!AtEnd() && !Digit() && Peek() != '[') {
        char c = Peek();
        if (c == '|') {
            g.rightBorder = true;
            ++i_;
        } else if (c == '~') {
            if (!Delimited('~', &g.header)) return false;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            if (std::toupper(static_cast<unsigned char>(c)) == 'M') g.resizable = true;
            ++i_;
            if (!OptionalParen(nullptr)) return false;
        } else {
            return Fail(std::string("unexpected '") + c + "'");
        }
    }
    return true;
}

bool FormatParser::ParseGroup() {
    ++i_;  // '['
    ListGroup g;
    g.firstField = static_cast<int>(f_.fields.size());
    int index = static_cast<int>(f_.groups.size());
    int line = 0;
    while (Peek() != ']') {
        if (AtEnd()) return Fail("unclosed '['");
        if (!Digit()) return Fail("field width expected");
        if (!ParseField(index)) return false;
        ListField& field = f_.fields.back();
        field.line = line;
        if (field.lastOnLine) ++line;
    }
    ++i_;  // ']'
    g.fieldCount = static_cast<int>(f_.fields.size()) - g.firstField;
    if (g.fieldCount == 0) return Fail("empty group");
    // A '/' after the last field ends its line; it does not open another one.
    g.lines = f_.fields.back().lastOnLine ? line : line + 1;
    if (!GroupModifiers(g)) return false;
    f_.linesPerRow = std::max(f_.linesPerRow, g.lines);
    int headerLines = g.header.empty() ? 0 : 1;
    for (int k = 0; k < g.fieldCount; ++k) {
        if (!f_.fields[g.firstField + k].header.empty()) {
            headerLines = std::max(headerLines, (g.header.empty() ? 0 : 1) + g.lines);
        }
    }
    f_.headerLines = std::max(f_.headerLines, headerLines);
    f_.groups.push_back(g);
    return true;
}

std::optional<ListFormat> FormatParser::Parse(std::string* error) {
    while (!AtEnd()) {
        bool ok =
            Peek() == '[' ? ParseGroup() : (Digit() ? ParseField(-1) : Fail("field expected"));
        if (!ok) {
            if (error) *error = error_;
            return std::nullopt;
        }
        ++f_.columns;
    }
    return f_;
}

}  // namespace

std::optional<ListFormat> ParseListFormat(std::string_view text, std::string* error) {
    return FormatParser(text).Parse(error);
}

}  // namespace tarn::ui
