#pragma once
// The command line of both programs: they are configured through their data files, so the only
// options are the ones that ask a program about itself.
#include <cstdio>
#include <optional>

namespace tarn::platform {

// What a program says about itself.
struct ProgramAbout {
    const char* name;     // "tarnwatch"
    const char* version;  // "0.1.0"
    const char* purpose;  // what the program does, lines ended by '\n'
    const char* details;  // printed after the options (files, exit codes), lines ended by '\n'
};

// Exit codes of the command line itself.
constexpr int kExitDone = 0;
constexpr int kExitCannotWrite = 1;
constexpr int kExitUsage = 2;

// Reads the command line before the program touches anything, and opens no file. Without
// arguments the program is to run: nullopt. --help (-h) prints the help and --version (-V) the
// name and version to out and return kExitDone, or kExitCannotWrite when out cannot take them;
// anything else prints the usage to err and returns kExitUsage.
std::optional<int> HandleProgramOptions(int argc, const char* const* argv,
                                        const ProgramAbout& about, FILE* out, FILE* err);

}  // namespace tarn::platform
