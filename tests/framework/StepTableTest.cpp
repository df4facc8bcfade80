// Step tables: thumb positions to key values and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/locate/ProgressStepper.h"
#include "framework/locate/StepString.h"

namespace tarn::framework {
namespace {

std::vector<std::string> TableOf(const StepString& step) {
    return std::vector<std::string>(step.Table.begin(), step.Table.end());
}

TEST(StepStringTest, RunTimeStepsSpanTheLimitsAfterTheirCommonRoot) {
    StepString step;
    step.Init(StepString::kLetters, 3);
    ASSERT_TRUE(step.NeedsRuntimeLimits());
    step.SetLimits("adams   ", "ADLER");  // trailing blanks cut, upper-cased
    EXPECT_EQ(step.Root, "AD");
    EXPECT_EQ(step.TestLen, 4);
    // AMS padded with A (8580 in base 26) to LER padded with Z (196507): steps of 1879.
    EXPECT_EQ(step.ValueAt(1), "ADAMSA");
    EXPECT_EQ(step.ValueAt(2), "ADAPMH");
    EXPECT_EQ(step.ValueAt(100), "ADLBWR");
    EXPECT_TRUE(std::is_sorted(step.Table.begin(), step.Table.end()));
    EXPECT_EQ(step.PercentileOf("ADAMS"), 1);
    EXPECT_EQ(step.PercentileOf("adler"), 100);
    EXPECT_EQ(step.PercentileOf(step.ValueAt(40)), 40);
    // Values added outside the limits stay on the bar.
    EXPECT_EQ(step.PercentileOf("AA"), 1);
    EXPECT_EQ(step.PercentileOf("ZEBRA"), 100);

    step.SetLimits("BAKER", "ZULU");
    EXPECT_EQ(step.Root, "");
    EXPECT_EQ(step.ValueAt(1), "BAKE");
}

TEST(StepStringTest, DescendingOrderMirrorsPercentiles) {
    StepString step;
    step.Init(StepString::kLetters | StepString::kDescending, 3);
    step.SetLimits("ADLER", "ADAMS");  // first and last of a descending order
    EXPECT_TRUE(std::is_sorted(step.Table.begin(), step.Table.end()));
    EXPECT_EQ(step.PercentileOf("ADLER"), 1);
    EXPECT_EQ(step.PercentileOf("ADAMS"), 100);
    EXPECT_EQ(step.Table.back(), "LERZ");  // the larger limit, padded with the last character
    EXPECT_GE(step.Table.front(), "AMSA");

    StepString names;
    names.Init(StepString::kLetters | StepString::kDescending, 1);
    EXPECT_EQ(names.PercentileOf("ALBERT"), 98);
    EXPECT_EQ(names.ValueAt(98), "ALB");
}

TEST(StepStringTest, RunTimeAlphabetFollowsTheFlagsInCodeOrder) {
    StepString step;
    step.Init(StepString::kDigits | StepString::kPunctuation, 3);
    // 30 distinct punctuation characters (the percent sign is listed twice) and 10 digits.
    EXPECT_EQ(step.SortChars.size(), 40u);
    EXPECT_TRUE(std::is_sorted(step.SortChars.begin(), step.SortChars.end(),
                               [](char a, char b) { return uint8_t(a) < uint8_t(b); }));
    EXPECT_EQ(step.SortChars.front(), ' ');
    EXPECT_EQ(step.SortChars.back(), '\xA3');

    step.Init(StepString::kLetters | StepString::kCaseSensitive, 3);
    EXPECT_EQ(step.SortChars, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    step.SetLimits("mike", "mila");  // not upper-cased
    EXPECT_EQ(step.Root, "mi");
}

TEST(StepStringTest, FixedTablesAreExact) {
    StepString names;
    names.Init(StepString::kLetters, 1);
    EXPECT_FALSE(names.NeedsRuntimeLimits());
    EXPECT_EQ(names.TestLen, 3);
    std::vector<std::string> expected = {
        "   ", "ALB", "AME", "ARN", "BAK", "BAT", "BEN", "BIA", "BOB", "BRA", "BRO", "BUA", "CAC",
        "CAR", "CEN", "CHR", "COE", "CON", "COR", "CRU", "DAS", "DEL", "DIA", "DON", "DUR", "ELD",
        "EVE", "FEL", "FIS", "FLO", "FRE", "FUT", "GAR", "GIB", "GOL", "GOS", "GRE", "GUT", "HAM",
        "HEM", "HOB", "HOT", "ING", "JAS", "JON", "KAG", "KEA", "KIR", "KOR", "KYO", "LAT", "LEO",
        "LIG", "LOU", "MAC", "MAQ", "MAR", "MAU", "MCK", "MER", "MIL", "MON", "MOR", "NAT", "NOL",
        "OKE", "PAG", "PAU", "PET", "PIN", "POR", "PUL", "RAU", "REY", "ROB", "ROS", "RUB", "SAL",
        "SCA", "SCH", "SCR", "SHA", "SIG", "SKI", "SNA", "SOU", "STE", "STI", "SUN", "TAY", "TIR",
        "TUC", "VAN", "WAC", "WAS", "WEI", "WIE", "WIM", "WOL", "YOR"};
    EXPECT_EQ(TableOf(names), expected);
    names.SetLimits("ADAMS", "ADLER");  // fixed tables ignore limits
    EXPECT_EQ(names.ValueAt(57), "MAR");
    EXPECT_EQ(names.PercentileOf("Martin"), 57);

    StepString pairs;
    pairs.Init(StepString::kLetters, 2);
    EXPECT_EQ(pairs.TestLen, 2);
    std::string joined;
    for (const std::string& entry : pairs.Table) joined += entry + "|";
    EXPECT_EQ(joined,
              "  |AF|AN|AT|B |BF|BN|BT|C |CF|CN|CT|D |DF|DN|DT|E |EF|EN|ET|F |FF|FN|FT|G |GF|GN|GT|"
              "H |HF|HN|HT|I |IF|IN|IT|J |JF|JN|JT|K |KF|KN|KT|L |LF|LN|LT|M |MF|MN|MT|N |NF|NN|NT|"
              "O |OF|ON|OT|P |PF|PN|PT|Q |QN|R |RF|RN|RT|S |SF|SN|ST|T |TF|TN|TT|U |UF|UN|UT|"
              "V |VF|VN|VT|W |WF|WN|WT|X |XF|XN|XT|Y |YF|YN|YT|Z |ZN|");
}

TEST(ProgressStepperTest, TextValuesGoThroughTheNumericSteps) {
    ProgressStepper step;
    step.Init(4);
    step.SetLimits(std::string("1"), std::string("11"));
    EXPECT_EQ(step.PercentileOf("3"), 20);
    EXPECT_EQ(step.ValueAt(50), "6");
    EXPECT_TRUE(step.NeedsRuntimeLimits());
}

}  // namespace
}  // namespace tarn::framework
