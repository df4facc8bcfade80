// `cmake --install` of the build into a scratch DESTDIR: what lands where, and a unit that starts
// the checker it installed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace tarn::packaging::test {
namespace {

using tarn::test::ReadAll;
using tarn::test::RunProgram;
using tarn::test::TempFolder;

// The plain files under folder, sorted, as paths relative to it.
std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

// Installs the build into destdir with prefix; "" when it worked, else what cmake said. Named by
// its component, the install lists its files apart: the list of a real make install, which make
// uninstall reads, must not be overwritten with this one's.
std::string Install(const std::string& destdir, const std::string& prefix) {
    const auto run =
        RunProgram(TARN_CMAKE_COMMAND,
                   {"--install", TARN_BINARY_DIR, "--component", "Unspecified", "--prefix", prefix},
                   destdir, {{"DESTDIR", destdir}}, std::chrono::seconds(60));
    return run.exitCode == 0 ? "" : run.out + run.err;
}

std::string ExecStart(const std::string& unitPath) {
    const std::string unit = ReadAll(unitPath);
    const size_t at = unit.find("\nExecStart=");
    if (at == std::string::npos) return "";
    const size_t from = at + 11;
    return unit.substr(from, unit.find('\n', from) - from);
}

bool Executable(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) == 0111;
}

TEST(InstallTest, LocalPrefixPutsProgramsPagesAndUnitUnderIt) {
    TempFolder dest("tarn-install");
    ASSERT_EQ(Install(dest.Path(), "/usr/local"), "");
    EXPECT_EQ(FilesUnder(dest.Path()), (std::vector<std::string>{
                                           "usr/local/lib/systemd/system/tarnwatch.service",
                                           "usr/local/sbin/tarnconfig",
                                           "usr/local/sbin/tarnwatch",
                                           "usr/local/share/man/man8/tarnconfig.8",
                                           "usr/local/share/man/man8/tarnwatch.8",
                                       }));
    EXPECT_EQ(ExecStart(dest / "usr/local/lib/systemd/system/tarnwatch.service"),
              "/usr/local/sbin/tarnwatch");
    EXPECT_TRUE(Executable(dest / "usr/local/sbin/tarnwatch"));
    EXPECT_TRUE(Executable(dest / "usr/local/sbin/tarnconfig"));
    const auto version = RunProgram(dest / "usr/local/sbin/tarnwatch", {"--version"}, dest.Path());
    EXPECT_EQ(version.out, "tarnwatch " TARN_VERSION "\n");
}

TEST(InstallTest, SystemPrefixPutsTheUnitWithTheSystemsUnits) {
    TempFolder dest("tarn-install");
    ASSERT_EQ(Install(dest.Path(), "/usr"), "");
    EXPECT_EQ(FilesUnder(dest.Path()), (std::vector<std::string>{
                                           "lib/systemd/system/tarnwatch.service",
                                           "usr/sbin/tarnconfig",
                                           "usr/sbin/tarnwatch",
                                           "usr/share/man/man8/tarnconfig.8",
                                           "usr/share/man/man8/tarnwatch.8",
                                       }));
    EXPECT_EQ(ExecStart(dest / "lib/systemd/system/tarnwatch.service"), "/usr/sbin/tarnwatch");
    // The placeholder is filled in everywhere, comments included.
    EXPECT_EQ(ReadAll(dest / "lib/systemd/system/tarnwatch.service").find("@TARN_"),
              std::string::npos);
}

TEST(InstallTest, LeavesTheListOfARealInstallAlone) {
    const std::string manifest = std::string(TARN_BINARY_DIR) + "/install_manifest.txt";
    const std::string before = ReadAll(manifest);
    TempFolder dest("tarn-install");
    ASSERT_EQ(Install(dest.Path(), "/usr"), "");
    EXPECT_EQ(ReadAll(manifest), before);
}

TEST(InstallTest, ManualPagesRenderWithoutWarnings) {
    for (const char* page : {"tarnwatch.8", "tarnconfig.8"}) {
        const std::string path = std::string(TARN_SOURCE_DIR) + "/packaging/man/" + page;
        const auto run = RunProgram("/usr/bin/man", {"--warnings", "-l", path}, TARN_SOURCE_DIR,
                                    {{"MANWIDTH", "80"}, {"MANPAGER", "cat"}, {"PAGER", "cat"}});
        EXPECT_EQ(run.exitCode, 0) << page << run.err;
        EXPECT_EQ(run.err, "") << page;
        EXPECT_NE(run.out.find("EXIT STATUS"), std::string::npos) << page;
    }
}

}  // namespace
}  // namespace tarn::packaging::test
