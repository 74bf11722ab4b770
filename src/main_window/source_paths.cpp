#include "main_window/source_paths.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace sorvane::ui {
namespace {

bool isUnder(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// "*" / "?" match over code points, case folded, with backtracking to the last "*".
bool globMatch(const QList<uint>& name, const QList<uint>& pattern)
{
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool matchesOne(const QString& foldedName, const QString& pattern)
{
    const QString folded = pattern.toCaseFolded();
    if (globMatch(foldedName.toUcs4(), folded.toUcs4()))
        return true;
    // "readme.*" also finds "readme", and "*.*" every name, as users of these
    // patterns expect.
    if (folded.endsWith(QLatin1String(".*")) && !foldedName.contains(QLatin1Char('.')))
        return globMatch(foldedName.toUcs4(), folded.chopped(2).toUcs4());
    return false;
}

}  // namespace

bool isUserVolume(const QString& rootPath, const QString& fileSystemType)
{
    static constexpr std::array<std::string_view, 28> pseudoTypes = {
        "proc",        "sysfs",      "tmpfs",       "devtmpfs",        "devpts",
        "cgroup",      "cgroup2",    "securityfs",  "pstore",          "debugfs",
        "tracefs",     "configfs",   "fusectl",     "mqueue",          "hugetlbfs",
        "bpf",         "autofs",     "binfmt_misc", "nsfs",            "squashfs",
        "efivarfs",    "rpc_pipefs", "ramfs",       "selinuxfs",       "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs", "fuse.snapfuse"};
    if (rootPath == QLatin1String("/"))
        return true;
    const QByteArray type = fileSystemType.toLatin1();
    const std::string_view typeView(type.constData(), static_cast<std::size_t>(type.size()));
    if (std::find(pseudoTypes.begin(), pseudoTypes.end(), typeView) != pseudoTypes.end())
        return false;
    if (isUnder(rootPath, QStringLiteral("/run/media")))
        return true;
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/etc", "/boot", "/snap"}) {
        if (isUnder(rootPath, QLatin1String(system)))
            return false;
    }
    return true;
}

bool matchesPattern(const QString& name, const QString& patterns)
{
    const QString foldedName = name.toCaseFolded();
    bool anyPattern = false;
    for (const QString& piece : patterns.split(QLatin1Char(';'))) {
        const QString pattern = piece.trimmed();
        if (pattern.isEmpty())
            continue;
        anyPattern = true;
        if (matchesOne(foldedName, pattern))
            return true;
    }
    return !anyPattern;
}

QString fullPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

int naturalCompare(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Two runs of digits compare as numbers: leading zeros aside, the longer run
            // is the larger number, and runs of equal length compare digit by digit.
            qsizetype endA = i;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            qsizetype endB = j;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            while (i + 1 < endA && a[i].digitValue() == 0)
                ++i;
            while (j + 1 < endB && b[j].digitValue() == 0)
                ++j;
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            for (; i < endA; ++i, ++j) {
                if (a[i].digitValue() != b[j].digitValue())
                    return a[i].digitValue() < b[j].digitValue() ? -1 : 1;
            }
            continue;
        }
        const char16_t foldedA = a[i].toCaseFolded().unicode();
        const char16_t foldedB = b[j].toCaseFolded().unicode();
        if (foldedA != foldedB)
            return foldedA < foldedB ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

void sortFileNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int natural = naturalCompare(a, b);
        return natural != 0 ? natural < 0 : a < b;
    });
}

}  // namespace sorvane::ui
