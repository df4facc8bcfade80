// Field references and field pairs: copying between kinds, comparing, snapshots.
#include <gtest/gtest.h>

#include <cstring>

#include "data/FieldPairs.h"

namespace tarn::data {
namespace {

TEST(FieldRef, TextIsCutWithoutSplittingACharacter) {
    char text[5];
    FieldRef f = TextVariable(text, sizeof text);
    f.SetText("abc\xC3\xA9");  // "abcé": 5 bytes do not fit in 4
    EXPECT_STREQ(text, "abc");
    f.SetText("ab\xC3\xA9");
    EXPECT_STREQ(text, "ab\xC3\xA9");
}

TEST(FieldRef, FixedTextIsPaddedAndReadWithoutPadding) {
    char fixed[6];
    FieldRef f{storage::FieldKind::FixedString, reinterpret_cast<uint8_t*>(fixed), 6, {}};
    f.SetText("ab");
    EXPECT_EQ(std::string(fixed, 6), "ab    ");
    EXPECT_EQ(f.Text(), "ab");
    f.Clear();
    EXPECT_EQ(std::string(fixed, 6), "      ");
}

TEST(FieldRef, NumbersAndTextsConvert) {
    int32_t n = 0;
    char text[8] = "";
    FieldRef num = LongVariable(n);
    FieldRef txt = TextVariable(text, sizeof text);
    txt.SetText("42");
    num.Assign(txt);
    EXPECT_EQ(n, 42);
    n = -7;
    txt.Assign(num);
    EXPECT_STREQ(text, "-7");
    EXPECT_TRUE(num.Equals(txt));
    num.SetLimit(true);
    EXPECT_EQ(n, INT32_MAX);
    txt.SetLimit(true);
    EXPECT_EQ(static_cast<uint8_t>(text[0]), 0xFF);
    EXPECT_EQ(text[7], 0);
}

TEST(FieldPairs, CopyCompareAndClearEitherSide) {
    int32_t a = 1, b = 2, x = 0, y = 0;
    FieldPairs pairs;
    EXPECT_EQ(pairs.AddPair(LongVariable(a), LongVariable(x)), 1);
    EXPECT_EQ(pairs.AddPair(LongVariable(b), LongVariable(y)), 2);
    EXPECT_FALSE(pairs.Equal());
    pairs.AssignLeftToRight();
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_TRUE(pairs.Equal());
    y = 5;
    EXPECT_TRUE(pairs.EqualPair(1));
    EXPECT_FALSE(pairs.EqualPair(2));
    pairs.AssignRightToLeft();
    EXPECT_EQ(b, 5);
    pairs.ClearLeft();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(x, 1);
    EXPECT_FALSE(pairs.Left(3).IsSet());
}

TEST(BufferedPairs, SnapshotDetectsAndUndoesChanges) {
    char left[10] = "old";
    char right[10] = "";
    BufferedPairs pairs;
    pairs.AddPair(TextVariable(left, sizeof left), TextVariable(right, sizeof right));
    pairs.AssignLeftToBuffer();
    EXPECT_TRUE(pairs.EqualLeftBuffer());
    std::strcpy(left, "new");
    EXPECT_FALSE(pairs.EqualLeftBuffer());
    pairs.AssignBufferToRight();
    EXPECT_STREQ(right, "old");
    pairs.AssignBufferToLeft();
    EXPECT_STREQ(left, "old");
    pairs.Kill();
    EXPECT_EQ(pairs.Count(), 0);
}

}  // namespace
}  // namespace tarn::data
