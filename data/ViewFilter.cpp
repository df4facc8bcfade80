// The view's filter text from the range in force and the named filters; ranges that follow
// their sources; the open component of the sort order.
#include <algorithm>
#include <cctype>

#include "data/ViewManager.h"

namespace tarn::data {

namespace {

constexpr size_t kFilterWidth = 5000;
constexpr size_t kNameWidth = 500;
constexpr size_t kValueWidth = 2000;

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

// A range value as the filter writes it: strings quoted (and cased like the component).
std::string ViewManager::RangeValueText(SortOrder& order, int pair, int component) {
    const FieldRef& source = order.RangeList->Left(pair);
    std::string value = order.RangeList->Right(pair).Text().substr(0, kValueWidth);
    if (!source.IsString()) return value;
    std::string name = Primary->Me->KeyComponentName(order.MainKey, component);
    std::string quoted = Quoted(value);
    if (name.find("UPPER(") != std::string::npos) return "UPPER(" + quoted + ")";
    if (name.find("LOWER(") != std::string::npos) return "LOWER(" + quoted + ")";
    return quoted;
}

std::string ViewManager::RangeText(SortOrder& order) {
    uint8_t type = order.LimitType;
    if (type == RangeNone || type >= 5 || !order.RangeList || order.MainKey < 0) return {};
    FileManager* fm = Primary->Me;
    auto name = [&](int c) { return fm->KeyComponentName(order.MainKey, c).substr(0, kNameWidth); };
    std::string text;
    auto join = [&](const std::string& condition) {
        if (!text.empty()) text += " AND ";
        text += condition;
    };
    int pairs = order.RangeList->Count();
    if (type == RangeBetween) {
        if (pairs < 2) return {};
        for (int i = 1; i <= pairs - 1; ++i) {
            const char* op = i < pairs - 1 ? " = " : " >= ";
            join(name(i) + op + RangeValueText(order, i, i));
        }
        join(name(pairs - 1) + " <= " + RangeValueText(order, pairs, pairs - 1));
        return text;
    }
    for (int i = 1; i <= pairs; ++i) join(name(i) + " = " + RangeValueText(order, i, i));
    return text;
}

std::string ViewManager::FilterText() {
    SortOrder& order = CurrentOrder();
    std::string text = RangeText(order);
    if (order.Filter) {
        for (const NamedFilter& f : *order.Filter) {
            text += text.empty() ? "(" + f.Filter + ")" : " AND (" + f.Filter + ")";
        }
    }
    return text.substr(0, kFilterWidth);
}

uint8_t ViewManager::RefreshRange() {
    SortOrder& order = CurrentOrder();
    FieldPairs* pairs = order.RangeList.get();
    int count = pairs ? pairs->Count() : 0;
    bool taken = false;
    auto take = [&](int i) {
        pairs->Right(i).Assign(pairs->Left(i));
        taken = true;
    };
    switch (order.LimitType) {
        case RangeFollowLast:
            if (count > 0 && !pairs->EqualPair(count)) take(count);
            break;
        case RangeBetween:
            if (count >= 2 && (!pairs->EqualPair(count - 1) || !pairs->EqualPair(count))) {
                take(count - 1);
                take(count);
            }
            break;
        case RangeFollowAll:
            if (count > 0 && !pairs->Equal()) {
                for (int i = 1; i <= count; ++i) take(i);
            }
            break;
        default:
            break;
    }
    if (!taken) return 0;
    BuildFilter();
    return 1;
}

uint8_t ViewManager::OpenComponentNumber() {
    SortOrder& order = CurrentOrder();
    if (order.MainKey < 0) return 0;
    int pairs = order.RangeList ? order.RangeList->Count() : 0;
    int n = order.LimitType == RangeBetween ? pairs : pairs + 1;
    return n <= Primary->Me->KeyComponentCount(order.MainKey) ? static_cast<uint8_t>(n) : 0;
}

std::string ViewManager::OpenComponentName() {
    uint8_t n = OpenComponentNumber();
    return n ? Primary->Me->KeyComponentName(CurrentOrder().MainKey, n) : std::string();
}

uint8_t ViewManager::OpenComponentAscending() {
    uint8_t n = OpenComponentNumber();
    return n ? Primary->Me->KeyComponentAscending(CurrentOrder().MainKey, n) : 1;
}

uint8_t ViewManager::FieldAscendingInOrder(const FieldRef& field) const {
    FileManager* fm = Primary ? Primary->Me : nullptr;
    if (!fm || !View) return 1;
    std::string name;
    for (const storage::FieldDesc& fd : fm->File->Desc().fields) {
        if (fm->Buffer + fd.offset == field.address) name = fd.name;
    }
    if (name.empty()) return 1;
    // Each element of the order text, optionally signed, is compared whole: first the plain
    // name, then the name inside UPPER().
    std::vector<std::string> elements;
    std::string order = View->Order();
    size_t start = 0;
    while (start <= order.size()) {
        size_t comma = order.find(',', start);
        if (comma == std::string::npos) comma = order.size();
        elements.push_back(Upper(order.substr(start, comma - start)));
        start = comma + 1;
    }
    for (const std::string& wanted : {Upper(name), "UPPER(" + Upper(name) + ")"}) {
        for (const std::string& e : elements) {
            std::string bare = !e.empty() && (e[0] == '+' || e[0] == '-') ? e.substr(1) : e;
            if (bare == wanted) return e[0] == '-' ? 0 : 1;
        }
    }
    return 1;
}

}  // namespace tarn::data
