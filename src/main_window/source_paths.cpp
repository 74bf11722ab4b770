#include "main_window/source_paths.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/natural_order.h"

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

void sortFileNames(QStringList& names)
{
    // Converted once, not once per comparison.
    std::vector<std::pair<std::string, QString>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        keyed.emplace_back(name.toStdString(), name);
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return naturalCompare(a.first, b.first) < 0; });
    for (qsizetype k = 0; k < names.size(); ++k)
        names[k] = keyed[static_cast<std::size_t>(k)].second;
}

}  // namespace sorvane::ui
