#include "settings/settings_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/program_paths.h"
#include "settings/ini_file.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::ScratchFolder;

TEST(SettingsPaths, TheProgramFolderOnlyWhenItAlreadyHoldsTheFiles)
{
    ScratchFolder dir;
    const auto exe = dir / "bin";
    std::filesystem::create_directory(exe);
    std::filesystem::create_directory(dir / "portable");
    test::writeFile(dir / "portable" / "KELDRAN.DAT", "");
    std::filesystem::create_directory(dir / "carried");
    test::writeFile(dir / "carried" / "KELDRAN.INI", "[SET]\r\n");
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
        // A writable program folder without the files is not used any more.
        {"writable, no files", exe, xdg, home, dir / "xdg" / "sorvane"},
        {"holds KELDRAN.DAT", dir / "portable", xdg, home, dir / "portable"},
        {"holds KELDRAN.INI", dir / "carried", std::nullopt, std::nullopt, dir / "carried"},
        {"missing folder", dir / "gone", xdg, home, dir / "xdg" / "sorvane"},
        {"a file, not a folder", dir / "file" / "bin", xdg, home, dir / "xdg" / "sorvane"},
        {"no XDG_CONFIG_HOME", exe, std::nullopt, home, dir / "home" / ".config" / "sorvane"},
        {"empty XDG_CONFIG_HOME", exe, "", home, dir / "home" / ".config" / "sorvane"},
        {"relative XDG_CONFIG_HOME", exe, "rel/cfg", home, dir / "home" / ".config" / "sorvane"},
        // No home at all: no folder, never the system's temporary one.
        {"neither", exe, std::nullopt, std::nullopt, {}},
        {"both empty", exe, "", "", {}},
        {"relative HOME", exe, std::nullopt, "rel", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = resolveSettingsLocation(c.exe, c.xdg, c.home);
        EXPECT_EQ(folder, c.expected);
        if (!folder.empty() && folder != c.exe) {
            // Created for the user alone, and so accepted for writing.
            struct stat st = {};
            ASSERT_EQ(::stat(folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            EXPECT_TRUE(checkSettingsFolder(folder).ok());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(exe / "KELDRAN.INI"));
}

TEST(SettingsPaths, AReadOnlyProgramFolderWithTheFilesIsStillTheirs)
{
    if (test::runningAsRoot())
        GTEST_SKIP() << "permission bits do not stop root";
    ScratchFolder dir;
    const auto exe = dir / "bin";
    std::filesystem::create_directory(exe);
    test::writeFile(exe / "KELDRAN.INI", "[SET]\r\nValue0=3\r\n");
    std::filesystem::permissions(exe, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto folder = resolveSettingsLocation(exe, (dir / "xdg").string(), std::nullopt);
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    EXPECT_EQ(folder, exe);
}

TEST(SettingsPaths, SettingsAreNeverWrittenIntoAFolderOthersMayWriteIn)
{
    ScratchFolder dir;
    struct Case {
        const char* name;
        std::filesystem::perms perms;
        bool ok;
    };
    using P = std::filesystem::perms;
    const Case cases[] = {
        {"the user's alone", P::owner_all, true},
        {"others may read", P::owner_all | P::group_read | P::group_exec | P::others_read | P::others_exec, true},
        {"group may write", P::owner_all | P::group_all, false},
        {"anyone may write", P::owner_all | P::others_all, false},
        {"anyone, sticky as the temporary folder", P::owner_all | P::group_all | P::others_all | P::sticky_bit, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = dir / c.name;
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, c.perms);
        EXPECT_EQ(checkSettingsFolder(folder).ok(), c.ok);
        // The writer itself refuses, and writes nothing.
        const Status written = Write_INI(folder / "KELDRAN.INI", "SET", "Value0", "1");
        EXPECT_EQ(written.ok(), c.ok);
        EXPECT_EQ(std::filesystem::exists(folder / "KELDRAN.INI"), c.ok);
        std::filesystem::permissions(folder, P::owner_all);
    }
    EXPECT_FALSE(checkSettingsFolder(dir / "missing").ok());

    // A folder of another user: root hands one to "nobody"; anyone else has "/".
    std::filesystem::path foreign = "/";
    if (test::runningAsRoot()) {
        foreign = dir / "foreign";
        std::filesystem::create_directory(foreign);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }
    const Status refused = checkSettingsFolder(foreign);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::Unwritable);
    if (test::runningAsRoot()) {
        EXPECT_FALSE(Write_INI(foreign / "KELDRAN.INI", "SET", "Value0", "1").ok());
        EXPECT_FALSE(std::filesystem::exists(foreign / "KELDRAN.INI"));
    }
}

}  // namespace
}  // namespace sorvane
