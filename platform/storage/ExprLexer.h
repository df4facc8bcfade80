#pragma once
// Tokens of filter and order texts: names (letters, digits, '_', ':'), numbers, quoted strings
// ('it''s'), operators and punctuation.
#include <string>
#include <string_view>
#include <vector>

namespace tarn::storage {

struct Token {
    enum Kind { Name, Number, String, Symbol, End } kind = End;
    std::string text;  // a string's value without quotes; a symbol's characters
    size_t at = 0;     // offset in the source, for messages
};

// Splits text into tokens ending with an End token; false with a readable error on a character
// that starts no token or a string without its closing quote.
bool Tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error);

}  // namespace tarn::storage
