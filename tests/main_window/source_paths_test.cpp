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

TEST(MainWindowSourcePaths, FileNamesSortAlphabeticallyIgnoringCase)
{
    QStringList names = {QStringLiteral("b.htm"), QStringLiteral("A.htm"), QStringLiteral("a.htm"),
                         QStringLiteral("C.htm"), QStringLiteral("_x.htm"), QStringLiteral("10.htm"),
                         QStringLiteral("9.htm")};
    sortFileNames(names);
    // Folded to lower case, "_" sorts between digits and letters.
    const QStringList expected = {QStringLiteral("10.htm"), QStringLiteral("9.htm"), QStringLiteral("_x.htm"),
                                  QStringLiteral("A.htm"),  QStringLiteral("a.htm"), QStringLiteral("b.htm"),
                                  QStringLiteral("C.htm")};
    EXPECT_EQ(names, expected);
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
