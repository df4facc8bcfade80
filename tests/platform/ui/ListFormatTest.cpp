#include <gtest/gtest.h>

#include "platform/ui/ListFormat.h"

namespace tarn::ui {
namespace {

const char* kServicesFormat =
    "[80L(2)|M~Server Name~@s127@/80L(2)|M~Service Name~@s127@/]|"
    "[80R(2)|M~Last Checked~C(0)@d08-b@/80R(2)|M~Last Checked Time~C(0)@t06b@/]|"
    "80L(2)|M~Service Description~S(1)@s254@";

TEST(ListFormat, ServicesBrowseHasThreeColumnsOfFiveFields) {
    auto f = ParseListFormat(kServicesFormat);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->columns, 3);
    ASSERT_EQ(f->fields.size(), 5u);
    ASSERT_EQ(f->groups.size(), 2u);
    EXPECT_EQ(f->linesPerRow, 2);

    const char* headers[] = {"Server Name", "Service Name", "Last Checked", "Last Checked Time",
                             "Service Description"};
    const char* pictures[] = {"s127", "s127", "d08-b", "t06b", "s254"};
    const int columns[] = {0, 0, 1, 1, 2};
    const int lines[] = {0, 1, 0, 1, 0};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f->fields[i].header, headers[i]);
        EXPECT_EQ(f->fields[i].picture, pictures[i]);
        EXPECT_EQ(f->fields[i].width, 80);
        EXPECT_EQ(f->fields[i].indent, 2);
        EXPECT_EQ(f->fields[i].column, columns[i]);
        EXPECT_EQ(f->fields[i].line, lines[i]);
        EXPECT_TRUE(f->fields[i].resizable);
        EXPECT_TRUE(f->fields[i].rightBorder);
    }
}

TEST(ListFormat, AlignmentHeaderAlignmentGroupsAndScrollBars) {
    auto f = ParseListFormat(kServicesFormat);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->fields[0].align, 'L');
    EXPECT_EQ(f->fields[0].headerAlign, 0);
    EXPECT_EQ(f->fields[2].align, 'R');
    EXPECT_EQ(f->fields[2].headerAlign, 'C');
    EXPECT_EQ(f->fields[3].headerIndent, 0);
    EXPECT_EQ(f->fields[0].group, 0);
    EXPECT_EQ(f->fields[3].group, 1);
    EXPECT_EQ(f->fields[4].group, -1);
    EXPECT_FALSE(f->fields[0].hscroll);
    EXPECT_TRUE(f->fields[4].hscroll);
    EXPECT_EQ(f->groups[1].firstField, 2);
    EXPECT_EQ(f->groups[1].fieldCount, 2);
    EXPECT_EQ(f->groups[1].lines, 2);
    EXPECT_TRUE(f->groups[0].rightBorder);
    // Two header lines: one for each line of the groups.
    EXPECT_EQ(f->headerLines, 2);
}

TEST(ListFormat, PlainColumnsAndAGroupOnOneLine) {
    auto f = ParseListFormat("40C~A~@n6@[20L~B~30D(3)~C~]");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->columns, 2);
    ASSERT_EQ(f->fields.size(), 3u);
    EXPECT_EQ(f->fields[0].align, 'C');
    EXPECT_EQ(f->fields[0].picture, "n6");
    EXPECT_FALSE(f->fields[0].rightBorder);
    EXPECT_EQ(f->fields[2].align, 'D');
    EXPECT_EQ(f->fields[2].indent, 3);
    EXPECT_EQ(f->fields[2].line, 0);
    EXPECT_EQ(f->groups[0].lines, 1);
    EXPECT_EQ(f->linesPerRow, 1);
}

TEST(ListFormat, RefusesBrokenFormatsWithAReason) {
    const char* bad[] = {"80X", "80L~open", "80L@s10", "[80L", "[]", "80L(2", "L", "80L$"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(ParseListFormat(text, &error));
        EXPECT_NE(error.find("at position"), std::string::npos) << error;
    }
    EXPECT_TRUE(ParseListFormat(""));
}

}  // namespace
}  // namespace tarn::ui
