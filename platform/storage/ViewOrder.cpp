#include "platform/storage/ViewOrder.h"

#include <cctype>

#include "platform/storage/ExprLexer.h"
#include "platform/storage/FieldCodec.h"

namespace tarn::storage {

namespace {

bool Is(const Token& t, const char* symbol) { return t.kind == Token::Symbol && t.text == symbol; }

// Parses one item starting at tokens[i]; answers the index after it, or 0 on error.
size_t ParseItem(const std::vector<Token>& t, size_t i, const FileDesc& desc, OrderItem& item,
                 std::string& error) {
    if (Is(t[i], "+") || Is(t[i], "-")) item.descending = Is(t[i++], "-");
    if (t[i].kind == Token::Name && SameWord(t[i].text, "UPPER") && Is(t[i + 1], "(")) {
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

std::vector<ExprValue> OrderValues(const std::vector<OrderItem>& items, const FileDesc& desc,
                                   const uint8_t* record) {
    std::vector<ExprValue> values;
    for (const OrderItem& item : items) {
        const FieldDesc& f = desc.fields[item.field];
        ExprValue v;
        v.isText = f.kind != FieldKind::Long;
        if (v.isText) {
            v.text = FieldText(f, record);
            if (item.upper)
                for (char& c : v.text) c = char(std::toupper(static_cast<unsigned char>(c)));
        } else {
            v.number = double(std::get<int64_t>(ReadField(f, record)));
        }
        values.push_back(std::move(v));
    }
    return values;
}

int CompareOrder(const std::vector<OrderItem>& items, const std::vector<ExprValue>& a,
                 const std::vector<ExprValue>& b) {
    for (size_t i = 0; i < items.size(); ++i) {
        int c = a[i].isText ? a[i].text.compare(b[i].text)
                            : (a[i].number > b[i].number) - (a[i].number < b[i].number);
        if (c != 0) return items[i].descending ? -c : c;
    }
    return 0;
}

}  // namespace tarn::storage
