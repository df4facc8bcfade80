#include <gtest/gtest.h>

#include "platform/tui/EntryEdit.h"
#include "platform/ui/Events.h"

namespace tarn::tui {
namespace {

TEST(EntryEdit, TypingOverASelectionReplacesTheWholeText) {
    EntryEdit e;
    e.Start("60", true);
    e.Type('3');
    e.Type('0');
    EXPECT_EQ(e.Text(), "30");
    EXPECT_FALSE(e.AllSelected());
}

TEST(EntryEdit, ArrowsHomeAndEndMoveTheCursorAndKeepTheText) {
    EntryEdit e;
    e.Start("web", true);
    EXPECT_TRUE(e.Key(ui::EndKey));
    e.Type('1');
    EXPECT_EQ(e.Text(), "web1");
    e.Key(ui::HomeKey);
    e.Type('x');
    e.Key(ui::RightKey);
    e.Key(ui::DeleteKey);
    EXPECT_EQ(e.Text(), "xwb1");
    e.Key(ui::LeftKey);
    e.Key(ui::BackspaceKey);
    EXPECT_EQ(e.Text(), "wb1");
    EXPECT_EQ(e.Cursor(), 0);
    EXPECT_FALSE(e.Key(ui::UpKey));
}

TEST(EntryEdit, BackspaceOnASelectionClearsIt) {
    EntryEdit e;
    e.Start("old", true);
    e.Key(ui::BackspaceKey);
    EXPECT_EQ(e.Text(), "");
    e.Start("old", false);
    e.Key(ui::BackspaceKey);
    EXPECT_EQ(e.Text(), "ol");
}

// Keys act on whole characters: no key leaves half a UTF-8 character in the text.
TEST(EntryEdit, KeysMoveAndEraseWholeCharacters) {
    EntryEdit e;
    e.Start("日本é", false);
    e.Key(ui::BackspaceKey);
    EXPECT_EQ(e.Text(), "日本");
    e.Key(ui::LeftKey);
    EXPECT_EQ(e.Cursor(), 3);
    e.Key(ui::DeleteKey);
    EXPECT_EQ(e.Text(), "日");
    e.Key(ui::LeftKey);
    e.Type('a');
    e.Key(ui::RightKey);
    e.Type('b');
    EXPECT_EQ(e.Text(), "a日b");
}

TEST(EntryEdit, AFullEntryRefusesMoreAndNeverTakesHalfACharacter) {
    EntryEdit e;
    e.SetLimit(4);
    e.Start("ab", false);
    EXPECT_TRUE(e.Type('c'));
    // "é" is two bytes and only one is left: neither of its bytes goes in.
    EXPECT_FALSE(e.Type('\xC3'));
    EXPECT_FALSE(e.Type('\xA9'));
    EXPECT_EQ(e.Text(), "abc");
    EXPECT_TRUE(e.Type('d'));
    EXPECT_FALSE(e.Type('e'));
    EXPECT_EQ(e.Text(), "abcd");
    // Typing over a selection replaces the whole text, so it fits again.
    e.Start("abcd", true);
    EXPECT_TRUE(e.Type('\xC3'));
    EXPECT_TRUE(e.Type('\xA9'));
    EXPECT_EQ(e.Text(), "\xC3\xA9");
}

}  // namespace
}  // namespace tarn::tui
