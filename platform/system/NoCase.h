#pragma once
// The one case fold of the record files: a case-insensitive key, a view's UPPER(...) order item,
// a filter comparing UPPER() or LOWER() values and a locator all compare texts exactly as
// SQLite's built-in NOCASE collation does, which is what the KEYED files' indexes use. Only the
// ASCII letters A-Z are folded, to lower case, and the bytes are then compared unsigned; so the
// characters between 'Z' and 'a' ([ \ ] ^ _ `) sort before every letter ("_x" < "A[b" < "a_b"
// < "aab" < "Zed").
#include <algorithm>
#include <string_view>

namespace tarn::platform {

inline unsigned char FoldNoCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// <0, 0 or >0 as a sorts before, with or after b under NOCASE.
inline int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = FoldNoCase(static_cast<unsigned char>(a[i])) -
                      FoldNoCase(static_cast<unsigned char>(b[i]));
        if (d != 0) return d;
    }
    return (a.size() > b.size()) - (a.size() < b.size());
}

// Whether a and b are equal under NOCASE: names, keywords and words the operator may type in any
// case compare this way everywhere.
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace tarn::platform
