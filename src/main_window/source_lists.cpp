#include "main_window/source_lists.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>

#include "main_window/source_paths.h"

namespace sorvane::ui {
namespace {

constexpr int kPathRole = Qt::UserRole;

QStringList visibleEntries(const QString& folder, QDir::Filters kind)
{
    QStringList names = QDir(folder).entryList(kind | QDir::NoDotAndDotDot, QDir::NoSort);
    sortFileNames(names);
    return names;
}

}  // namespace

QString folderProblem(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.exists())
        return DirListBox::tr("文件夹不存在");
    if (!info.isDir())
        return DirListBox::tr("这不是一个文件夹");
    if (!info.isReadable() || !info.isExecutable())
        return DirListBox::tr("没有读取这个文件夹的权限");
    return {};
}

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
}

void DriveListBox::refreshDrives()
{
    struct Entry {
        QString root;
        QString label;
    };
    std::vector<Entry> entries;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        if (!QFileInfo(root).isDir() || !isUserVolume(root, QString::fromLatin1(volume.fileSystemType())))
            continue;
        if (std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.root == root; }))
            continue;
        QString label = root;
        if (!volume.name().isEmpty())
            label += QStringLiteral("  [") + volume.name() + QLatin1Char(']');
        entries.push_back({root, label});
    }
    if (std::none_of(entries.begin(), entries.end(), [](const Entry& e) { return e.root == QLatin1String("/"); }))
        entries.push_back({QStringLiteral("/"), QStringLiteral("/")});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.root < b.root; });

    const QString before = drive();
    const bool blocked = blockSignals(true);
    clear();
    for (const Entry& e : entries)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), e.label, e.root);
    const int index = findData(before);
    setCurrentIndex(index >= 0 ? index : 0);
    blockSignals(blocked);
}

QString DriveListBox::drive() const
{
    const QVariant root = currentData();
    return root.isValid() ? root.toString() : QStringLiteral("/");
}

QString DriveListBox::driveFor(const QString& path) const
{
    QString best = QStringLiteral("/");
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool holds = path == root
                           || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
        if (holds && root.size() > best.size())
            best = root;
    }
    return best;
}

bool DriveListBox::setDrive(const QString& root)
{
    const int index = findData(root);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setExpandsOnDoubleClick(false);  // a double click opens the folder instead
    setIndentation(12);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        emit folderActivated(item->data(0, kPathRole).toString());
    });
}

bool DirListBox::setPath(const QString& folder, const QString& root, QString* problem)
{
    const QString clean = QDir::cleanPath(folder);
    if (const QString why = folderProblem(clean); !why.isEmpty()) {
        if (problem)
            *problem = why;
        return false;
    }

    // The chain from the root down to the folder, each opened; then its subfolders.
    QStringList chain;
    QString rest = clean;
    const QString top = clean.startsWith(root) ? root : QStringLiteral("/");
    while (rest.size() > top.size()) {
        chain.prepend(rest);
        rest = QFileInfo(rest).path();
    }
    chain.prepend(top);

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    QTreeWidgetItem* parentItem = nullptr;
    for (const QString& step : chain) {
        const QString label = parentItem ? QFileInfo(step).fileName() : step;
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, label);
        item->setIcon(0, open);
        item->setData(0, kPathRole, step);
        item->setExpanded(true);
        parentItem = item;
    }
    QTreeWidgetItem* current = parentItem;
    for (const QString& name : visibleEntries(clean, QDir::Dirs)) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, name);
        item->setIcon(0, closed);
        item->setData(0, kPathRole, fullPath(clean, name));
    }
    current->setExpanded(true);
    setCurrentItem(current);
    scrollToItem(current);

    const bool changed = clean != m_path;
    m_path = clean;
    if (changed)
        emit pathChanged(m_path);
    return true;
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

bool FileListBox::setPath(const QString& folder, QString* problem)
{
    const QString clean = QDir::cleanPath(folder);
    if (const QString why = folderProblem(clean); !why.isEmpty()) {
        if (problem)
            *problem = why;
        return false;
    }
    m_path = clean;
    refresh();
    return true;
}

void FileListBox::setPattern(const QString& pattern)
{
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    refresh();
}

void FileListBox::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    for (const QString& name : visibleEntries(m_path, QDir::Files)) {
        if (matchesPattern(name, m_pattern))
            addItem(name);
    }
}

QString FileListBox::fileName(int entry) const
{
    const QListWidgetItem* it = item(entry);
    return it ? it->text() : QString();
}

bool FileListBox::isEntrySelected(int entry) const
{
    const QListWidgetItem* it = item(entry);
    return it && it->isSelected();
}

void FileListBox::setEntrySelected(int entry, bool selected)
{
    if (QListWidgetItem* it = item(entry))
        it->setSelected(selected);
}

}  // namespace sorvane::ui
