#include "settings/settings_paths.h"

#include <gtest/gtest.h>

#include "common/program_paths.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::ScratchFolder;

TEST(SettingsPaths, UsesTheExecutableFolderWhenWritable)
{
    ScratchFolder dir;
    const auto exe = dir / "bin";
    std::filesystem::create_directory(exe);
    EXPECT_EQ(resolveProgramFolder(exe, (dir / "xdg").string(), (dir / "home").string()), exe);
    EXPECT_FALSE(std::filesystem::exists(dir / "xdg"));
    EXPECT_EQ(programFile(exe, kSettingsFileName), exe / "KELDRAN.INI");
    EXPECT_EQ(programFile("/", kListFileName).string(), "/KELDRAN.DAT");
    EXPECT_EQ(programFile(exe.string() + "/", kScratchFileName), exe / "TEMP.TXT");
}

TEST(SettingsPaths, FallsBackToTheConfigurationFolder)
{
    ScratchFolder dir;
    test::writeFile(dir / "file", "x");
    const std::string xdg = (dir / "xdg").string();
    const std::string home = (dir / "home").string();
    struct Case {
        const char* name;
        std::filesystem::path exe;
        std::optional<std::string> xdg;
        std::optional<std::string> home;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {"missing folder", dir / "gone", xdg, home, dir / "xdg" / "sorvane"},
        {"a file, not a folder", dir / "file" / "bin", xdg, home, dir / "xdg" / "sorvane"},
        {"no XDG_CONFIG_HOME", dir / "gone", std::nullopt, home, dir / "home" / ".config" / "sorvane"},
        {"empty XDG_CONFIG_HOME", dir / "gone", "", home, dir / "home" / ".config" / "sorvane"},
        {"relative XDG_CONFIG_HOME", dir / "gone", "rel/cfg", home, dir / "home" / ".config" / "sorvane"},
    };
    for (const Case& c : cases) {
        const auto folder = resolveProgramFolder(c.exe, c.xdg, c.home);
        EXPECT_EQ(folder, c.expected) << c.name;
        EXPECT_TRUE(isWritableFolder(folder)) << c.name;  // created when missing
    }
}

TEST(SettingsPaths, FallsBackFromAReadOnlyFolder)
{
    if (test::runningAsRoot())
        GTEST_SKIP() << "permission bits do not stop root";
    ScratchFolder dir;
    const auto exe = dir / "bin";
    std::filesystem::create_directory(exe);
    std::filesystem::permissions(exe, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto folder = resolveProgramFolder(exe, (dir / "xdg").string(), std::nullopt);
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    EXPECT_EQ(folder, dir / "xdg" / "sorvane");
}

}  // namespace
}  // namespace sorvane
