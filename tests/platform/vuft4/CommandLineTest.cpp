#include <gtest/gtest.h>

#include "platform/vuft4/CommandLine.h"

namespace tarn::vuft4 {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLineTest, BlanksSeparateAndQuotesGroup) {
    EXPECT_EQ(SplitCommandLine("net start \"cron\""), (Words{"net", "start", "cron"}));
    EXPECT_EQ(SplitCommandLine("  net\t start   x  "), (Words{"net", "start", "x"}));
    EXPECT_EQ(SplitCommandLine("net start \"Print Spooler\""),
              (Words{"net", "start", "Print Spooler"}));
    EXPECT_EQ(SplitCommandLine("a b\"c d\"e"), (Words{"a", "bc de"}));
    EXPECT_EQ(SplitCommandLine("a \"\" b"), (Words{"a", "", "b"}));
    EXPECT_EQ(SplitCommandLine("a \"open to the end"), (Words{"a", "open to the end"}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
    EXPECT_EQ(SplitCommandLine("   \t "), Words{});
}

TEST(CommandLineTest, BackslashesBeforeQuotes) {
    EXPECT_EQ(SplitCommandLine(R"(p a\\\"b)"), (Words{"p", R"(a\"b)"}));      // 3 -> \ and "
    EXPECT_EQ(SplitCommandLine(R"(p "a\\" b)"), (Words{"p", R"(a\)", "b"}));  // 2 -> \ and group
    EXPECT_EQ(SplitCommandLine(R"(p a\"b)"), (Words{"p", R"(a"b)"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\b c\)"), (Words{"p", R"(a\\b)", R"(c\)"}));  // plain
    EXPECT_EQ(SplitCommandLine(R"(p "C:\Program Files\\")"), (Words{"p", R"(C:\Program Files\)"}));
}

TEST(CommandLineTest, DoubledQuotesInsideQuotedPart) {
    EXPECT_EQ(SplitCommandLine(R"(p "a""b c")"), (Words{"p", R"(a"b c)"}));
    EXPECT_EQ(SplitCommandLine(R"(p "say ""hi""")"), (Words{"p", R"(say "hi")"}));
}

TEST(CommandLineTest, ProgramWordHasNoBackslashRules) {
    EXPECT_EQ(SplitCommandLine(R"("C:\dir name\tool.exe" x)"),
              (Words{R"(C:\dir name\tool.exe)", "x"}));
    EXPECT_EQ(SplitCommandLine(R"(C:\a\"b c)"), (Words{R"(C:\a\"b)", "c"}));
    EXPECT_EQ(SplitCommandLine(R"("prog"x y)"), (Words{"prog", "x", "y"}));
}

TEST(CommandLineTest, HostileTextStaysInOneWord) {
    EXPECT_EQ(SplitCommandLine("net start \"x;rm -rf y\""), (Words{"net", "start", "x;rm -rf y"}));
    EXPECT_EQ(SplitCommandLine("net start \"$(touch pwned)\""),
              (Words{"net", "start", "$(touch pwned)"}));
    EXPECT_EQ(SplitCommandLine("net start \"-h\""), (Words{"net", "start", "-h"}));
}

}  // namespace
}  // namespace tarn::vuft4
