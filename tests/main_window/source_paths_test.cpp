// Pattern matching, drive filtering, full paths and file-list order of the source lists.
#include <gtest/gtest.h>

#include "main_window/link_label.h"
#include "main_window/source_paths.h"

namespace sorvane::ui {
namespace {

TEST(MainWindowSourcePaths, PatternMatching)
{
    struct Case {
        const char* name;
        const char* patterns;
        bool matches;
    };
    const Case cases[] = {
        {"a.htm", "*.htm", true},
        {"a.html", "*.htm", false},          // no 8.3 short-name leniency
        {"A.HTM", "*.htm", true},            // case ignored
        {"a.htm", "*.HTM", true},
        {"a.html", "*.htm;*.html", true},    // several patterns
        {"a.htm", " *.txt ; *.htm ", true},  // blanks around patterns ignored
        {"a.txt", "*.htm;*.html", false},
        {"readme", "*.*", true},             // "*.*" is every name
        {"readme", "readme.*", true},
        {"readme.md", "readme.*", true},
        {"chap01.htm", "chap??.htm", true},
        {"chap1.htm", "chap??.htm", false},  // "?" is exactly one character
        {"chap001.htm", "chap??.htm", false},
        {"第一章.htm", "第?章.htm", true},   // "?" is one character, not one byte
        {"abcabd", "*ab?", true},           // backtracking past an early partial match
        {"x", "", true},                     // empty text lists every file
        {"x", ";;", true},
        {"x", "*.htm;", false},              // the empty piece adds nothing
        {"", "*", true},
        {"a.b.c", "*.c", true},
        {"a.b.c", "*.b", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesPattern(QString::fromUtf8(c.name), QString::fromUtf8(c.patterns)), c.matches)
            << c.name << " vs " << c.patterns;
    }
}

TEST(MainWindowSourcePaths, UserVolumes)
{
    struct Case {
        const char* root;
        const char* type;
        bool offered;
    };
    const Case cases[] = {
        {"/", "overlay", true},  // the root always, whatever it is
        {"/", "ext4", true},
        {"/home", "ext4", true},
        {"/media/alice/USB", "vfat", true},
        {"/run/media/alice/CARD", "exfat", true},
        {"/mnt/data", "btrfs", true},
        {"/proc", "proc", false},
        {"/sys/fs/cgroup", "cgroup2", false},
        {"/dev/shm", "tmpfs", false},
        {"/tmp", "tmpfs", false},
        {"/run/user/1000", "tmpfs", false},
        {"/run/lock", "ext4", false},
        {"/etc/hosts", "ext4", false},  // bind-mounted files of containers
        {"/boot/efi", "vfat", false},
        {"/snap/core/1", "squashfs", false},
        {"/run/user/1000/doc", "fuse.portal", false},
        {"/mnt/remote", "fuse.sshfs", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isUserVolume(QString::fromUtf8(c.root), QString::fromUtf8(c.type)), c.offered) << c.root;
}

TEST(MainWindowSourcePaths, FullPathHasExactlyOneSeparator)
{
    EXPECT_EQ(fullPath(QStringLiteral("/"), QStringLiteral("a.htm")), QStringLiteral("/a.htm"));
    EXPECT_EQ(fullPath(QStringLiteral("/media/usb"), QStringLiteral("a.htm")), QStringLiteral("/media/usb/a.htm"));
    EXPECT_EQ(fullPath(QStringLiteral("/media/usb/"), QStringLiteral("a.htm")), QStringLiteral("/media/usb/a.htm"));
}

TEST(MainWindowSourcePaths, FileNamesSortInNaturalOrder)
{
    struct Case {
        const char* name;
        QStringList names;
        QStringList expected;
    };
    const Case cases[] = {
        {"digits as numbers",
         {"chap10.htm", "chap2.htm", "chap1000.htm", "chap1.htm", "chap100.htm", "chap11.htm"},
         {"chap1.htm", "chap2.htm", "chap10.htm", "chap11.htm", "chap100.htm", "chap1000.htm"}},
        {"numbers inside Chinese names", {"第10章.htm", "第2章.htm", "第1章.htm"}, {"第1章.htm", "第2章.htm", "第10章.htm"}},
        // Chinese numerals are text, in code unit order: 三 U+4E09, 二 U+4E8C, 十 U+5341.
        {"Chinese numerals left as text", {"第十章.htm", "第二章.htm", "第三章.htm"}, {"第三章.htm", "第二章.htm", "第十章.htm"}},
        {"case ignored, then code point order", {"b.htm", "B.htm", "a.htm", "A.htm"}, {"A.htm", "a.htm", "B.htm", "b.htm"}},
        {"leading zeros", {"chap2.htm", "chap02.htm", "chap1.htm", "chap003.htm"}, {"chap1.htm", "chap02.htm", "chap2.htm", "chap003.htm"}},
        {"several runs", {"v1.10.htm", "v1.9.htm", "v1.9a.htm", "v2.htm"}, {"v1.9.htm", "v1.9a.htm", "v1.10.htm", "v2.htm"}},
        // Folded to lower case, "_" sorts between digits and letters.
        {"other characters", {"b.htm", "_x.htm", "10.htm", "9.htm"}, {"9.htm", "10.htm", "_x.htm", "b.htm"}},
        {"huge numbers", {"a99999999999999999999.htm", "a100000000000000000000.htm", "a5.htm"},
         {"a5.htm", "a99999999999999999999.htm", "a100000000000000000000.htm"}},
    };
    for (const Case& c : cases) {
        QStringList names = c.names;
        sortFileNames(names);
        EXPECT_EQ(names, c.expected) << c.name;
        // The order does not depend on where the names started.
        QStringList reversed(c.names.rbegin(), c.names.rend());
        sortFileNames(reversed);
        EXPECT_EQ(reversed, c.expected) << c.name;
    }
}

TEST(MainWindowSourcePaths, ColourCycle)
{
    struct Case {
        int step;
        int red, green, blue;
    };
    const Case cases[] = {
        {0, 0, 0, 0},        {1, 0, 0, 128},     {2, 0, 0, 255},     {3, 0, 128, 0},
        {9, 128, 0, 0},      {13, 128, 128, 128}, {25, 255, 255, 128}, {26, 255, 255, 255},
        {27, 0, 0, 0},       {28, 0, 0, 128},
    };
    for (const Case& c : cases) {
        const QColor colour = cycleColour(c.step);
        EXPECT_EQ(colour, QColor(c.red, c.green, c.blue)) << "step " << c.step;
    }
}

}  // namespace
}  // namespace sorvane::ui
