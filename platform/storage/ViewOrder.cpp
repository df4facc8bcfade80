#include "platform/storage/ViewOrder.h"

#include "platform/storage/ExprLexer.h"
#include "platform/system/NoCase.h"

namespace tarn::storage {

namespace {

bool Is(const Token& t, const char* symbol) { return t.kind == Token::Symbol && t.text == symbol; }

// Parses one item starting at tokens[i]; answers the index after it, or 0 on error.
size_t ParseItem(const std::vector<Token>& t, size_t i, const FileDesc& desc, OrderItem& item,
                 std::string& error) {
    if (Is(t[i], "+") || Is(t[i], "-")) item.descending = Is(t[i++], "-");
    if (t[i].kind == Token::Name && platform::EqualNoCase(t[i].text, "UPPER") &&
        Is(t[i + 1], "(")) {
        item.upper = true;
        i += 2;
    }
    if (t[i].kind != Token::Name) {
        error = "Expected a field name at position " + std::to_string(t[i].at + 1);
        return 0;
    }
    item.field = FindField(desc, t[i].text);
    if (item.field < 0) {
        error = "Unknown field '" + t[i].text + "'";
        return 0;
    }
    ++i;
    if (item.upper) {
        if (!Is(t[i], ")")) {
            error = "Expected ')' at position " + std::to_string(t[i].at + 1);
            return 0;
        }
        ++i;
    }
    return i;
}

}  // namespace

bool ParseOrder(std::string_view text, const FileDesc& desc, std::vector<OrderItem>& items,
                std::string& error) {
    items.clear();
    error.clear();
    std::vector<Token> t;
    if (!Tokenize(text, t, error)) return false;
    if (t.front().kind == Token::End) return true;
    for (size_t i = 0;;) {
        OrderItem item;
        i = ParseItem(t, i, desc, item, error);
        if (i == 0) return false;
        items.push_back(item);
        if (t[i].kind == Token::End) return true;
        if (!Is(t[i], ",")) {
            error = "Expected ',' at position " + std::to_string(t[i].at + 1);
            return false;
        }
        ++i;
    }
}

}  // namespace tarn::storage
