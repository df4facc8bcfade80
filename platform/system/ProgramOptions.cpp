#include "platform/system/ProgramOptions.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace tarn::platform {
namespace {

void PrintUsage(const ProgramAbout& about, FILE* to) {
    std::fprintf(to, "Usage: %s [--help | --version]\n", about.name);
}

void PrintHelp(const ProgramAbout& about, FILE* out) {
    PrintUsage(about, out);
    std::fprintf(out,
                 "%s\nOptions:\n"
                 "  -h, --help     print this help and exit\n"
                 "  -V, --version  print the version and exit\n\n"
                 "%s\nSee %s(8).\n",
                 about.purpose, about.details, about.name);
}

// A full disk or a closed pipe behind standard output is said, not hidden behind exit code 0.
int Finish(const ProgramAbout& about, FILE* out, FILE* err) {
    if (std::fflush(out) == 0 && !std::ferror(out)) return kExitDone;
    std::fprintf(err, "%s: cannot write to standard output: %s\n", about.name,
                 std::strerror(errno));
    return kExitCannotWrite;
}

}  // namespace

std::optional<int> HandleProgramOptions(int argc, const char* const* argv,
                                        const ProgramAbout& about, FILE* out, FILE* err) {
    if (argc <= 1) return std::nullopt;
    const std::string_view option = argv[1];
    if (argc == 2 && (option == "--help" || option == "-h")) {
        PrintHelp(about, out);
        return Finish(about, out, err);
    }
    if (argc == 2 && (option == "--version" || option == "-V")) {
        std::fprintf(out, "%s %s\n", about.name, about.version);
        return Finish(about, out, err);
    }
    if (argc == 2)
        std::fprintf(err, "%s: unknown option '%s'\n", about.name, argv[1]);
    else
        std::fprintf(err, "%s: takes at most one option\n", about.name);
    PrintUsage(about, err);
    std::fprintf(err, "Try '%s --help' for more information.\n", about.name);
    return kExitUsage;
}

}  // namespace tarn::platform
