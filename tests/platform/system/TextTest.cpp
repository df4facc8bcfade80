// The text helpers every layer shares: trailing blanks and the one case-insensitive equality.
#include <gtest/gtest.h>

#include "platform/system/NoCase.h"
#include "platform/system/TextCut.h"

namespace tarn::platform {
namespace {

TEST(Text, OnlyTrailingBlanksAreTrimmed) {
    EXPECT_EQ(TrimTrailingBlanks("  a b  "), "  a b");
    EXPECT_EQ(TrimTrailingBlanks("    "), "");
    EXPECT_EQ(TrimTrailingBlanks("tab\t"), "tab\t");  // padding is blanks only
    EXPECT_EQ(TrimTrailingBlanks(""), "");
}

TEST(Text, EqualityIgnoresTheCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(EqualNoCase("Set:KeyRecID", "SET:KEYRECID"));
    EXPECT_FALSE(EqualNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualNoCase("abc", "ab"));
    // '_' and '[' lie between the cases: a fold by arithmetic on them would match '?' or '{'.
    EXPECT_FALSE(EqualNoCase("_", "\x7f"));
    EXPECT_FALSE(EqualNoCase("[", "{"));
    EXPECT_FALSE(EqualNoCase("\xC3\xA9", "\xC3\x89"));  // e-acute and E-acute stay apart
}

}  // namespace
}  // namespace tarn::platform
