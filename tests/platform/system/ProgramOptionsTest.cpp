// The command line both programs share: what each option prints where, and its exit code.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/system/ProgramOptions.h"

namespace tarn::platform {
namespace {

const ProgramAbout kAbout{"tarnwatch", "1.2.3", "Keeps services running.\n", "Exit status: 1.\n"};

struct Outcome {
    std::optional<int> code;
    std::string out;
    std::string err;
};

std::string Contents(FILE* f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

Outcome Handle(std::vector<const char*> args) {
    args.insert(args.begin(), "tarnwatch");
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    Outcome o;
    o.code = HandleProgramOptions(static_cast<int>(args.size()), args.data(), kAbout, out, err);
    o.out = Contents(out);
    o.err = Contents(err);
    return o;
}

TEST(ProgramOptionsTest, WithoutArgumentsTheProgramRunsAndNothingIsPrinted) {
    const Outcome o = Handle({});
    EXPECT_FALSE(o.code.has_value());
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "");
}

TEST(ProgramOptionsTest, HelpAndVersionPrintToStandardOutputAndSucceed) {
    const std::string help =
        "Usage: tarnwatch [--help | --version]\n"
        "Keeps services running.\n\n"
        "Options:\n"
        "  -h, --help     print this help and exit\n"
        "  -V, --version  print the version and exit\n\n"
        "Exit status: 1.\n\n"
        "See tarnwatch(8).\n";
    for (const char* option : {"--help", "-h"}) {
        const Outcome o = Handle({option});
        EXPECT_EQ(o.code, kExitDone) << option;
        EXPECT_EQ(o.out, help) << option;
        EXPECT_EQ(o.err, "") << option;
    }
    for (const char* option : {"--version", "-V"}) {
        const Outcome o = Handle({option});
        EXPECT_EQ(o.code, kExitDone) << option;
        EXPECT_EQ(o.out, "tarnwatch 1.2.3\n") << option;
        EXPECT_EQ(o.err, "") << option;
    }
}

TEST(ProgramOptionsTest, AnythingElseIsAUsageErrorOnStandardError) {
    const std::string usage =
        "Usage: tarnwatch [--help | --version]\n"
        "Try 'tarnwatch --help' for more information.\n";
    const Outcome unknown = Handle({"--verbose"});
    EXPECT_EQ(unknown.code, kExitUsage);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "tarnwatch: unknown option '--verbose'\n" + usage);
    // An operand, a prefix of an option and an empty argument are refused alike.
    for (const char* arg : {"/var/lib/tarnwatch", "--h", "-", ""}) {
        const Outcome o = Handle({arg});
        EXPECT_EQ(o.code, kExitUsage) << arg;
        EXPECT_EQ(o.out, "") << arg;
    }
    // An option followed by more is no request for help: the rest could be a typo.
    const Outcome more = Handle({"--help", "now"});
    EXPECT_EQ(more.code, kExitUsage);
    EXPECT_EQ(more.out, "");
    EXPECT_EQ(more.err, "tarnwatch: takes at most one option\n" + usage);
}

TEST(ProgramOptionsTest, AnOutputThatCannotBeWrittenIsAFailure) {
    FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    FILE* err = std::tmpfile();
    const char* args[] = {"tarnwatch", "--version"};
    EXPECT_EQ(HandleProgramOptions(2, args, kAbout, full, err), kExitCannotWrite);
    std::fclose(full);
    EXPECT_EQ(Contents(err),
              "tarnwatch: cannot write to standard output: No space left on device\n");
}

}  // namespace
}  // namespace tarn::platform
