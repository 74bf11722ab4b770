#pragma once
// Path and name rules of the source selection: which mounted file systems are offered
// as drives, which file names a document-type pattern lets through, and how a document's
// full path is built.

#include <QString>
#include <QStringList>

namespace sorvane::ui {

// Whether a mounted file system is one a user would pick documents from: the root, home
// folders, removable media and other real disks. Pseudo file systems (proc, sysfs,
// tmpfs, cgroup, ...) and mounts under system folders (/proc, /sys, /dev, /run except
// /run/media, /etc, /boot, /snap) are not.
bool isUserVolume(const QString& rootPath, const QString& fileSystemType);

// Whether `name` matches `patterns`: one or more file-name patterns separated by ";",
// each with "*" (any run of characters) and "?" (exactly one character), compared
// without regard to case. Blanks around each pattern are ignored. A pattern ending in
// ".*" also matches a name without extension ("*.*" matches every name). Patterns that
// are empty after trimming are skipped; when none is left, every name matches.
bool matchesPattern(const QString& name, const QString& patterns);

// The folder, one "/" unless the folder already ends in one, and the name.
QString fullPath(const QString& folder, const QString& name);

// Compares names in natural order: runs of digits as the numbers they write (chap2
// before chap10, leading zeros aside), everything else character by character without
// regard to case. Returns < 0, 0 or > 0; 0 also for names that differ only in case or
// in leading zeros.
int naturalCompare(const QString& a, const QString& b);

// Sorts file names the way the file list shows them: in natural order, names that
// compare equal there in code point order, so the order is total.
void sortFileNames(QStringList& names);

}  // namespace sorvane::ui
