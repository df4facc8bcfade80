#include "platform/storage/ExprLexer.h"

#include <cctype>

namespace tarn::storage {

namespace {

bool NameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':';
}

// Reads a quoted string starting at text[i] (the quote); answers the offset after it or npos.
size_t ReadString(std::string_view text, size_t i, std::string& value) {
    for (++i; i < text.size(); ++i) {
        if (text[i] != '\'') {
            value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\'') {
            value += '\'';
            ++i;
        } else {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace

bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error) {
    tokens.clear();
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        Token t;
        t.at = i;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && i + 1 < text.size() && std::isdigit(text[i + 1]))) {
            t.kind = Token::Number;
            while (i < text.size() &&
                   (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                t.text += text[i++];
        } else if (NameChar(c)) {
            t.kind = Token::Name;
            while (i < text.size() && NameChar(text[i])) t.text += text[i++];
        } else if (c == '\'') {
            t.kind = Token::String;
            i = ReadString(text, i, t.text);
            if (i == std::string_view::npos) {
                error = "Missing closing quote for the text starting at position " +
                        std::to_string(t.at + 1);
                return false;
            }
        } else if (std::string_view("<>=(),+-").find(c) != std::string_view::npos) {
            t.kind = Token::Symbol;
            t.text = c;
            ++i;
            if (i < text.size() && (c == '<' || c == '>') &&
                (text[i] == '=' || (c == '<' && text[i] == '>')))
                t.text += text[i++];
        } else {
            error = std::string("Unexpected character '") + c + "' at position " +
                    std::to_string(i + 1);
            return false;
        }
        tokens.push_back(std::move(t));
    }
    Token end;
    end.at = text.size();
    tokens.push_back(end);
    return true;
}

}  // namespace tarn::storage
