// The drive, folder and file lists, the pattern, and files given from outside (dropped or
// named at start-up).

#include "main_window/sorv_main.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "ui_common/message_box.h"
#include "main_window/source_lists.h"
#include "main_window/source_paths.h"

namespace sorvane::ui {

QString SorvMain::driveFolder(const QString& drive) const
{
    if (const auto it = m_driveFolders.find(drive); it != m_driveFolders.end())
        return it->second;
    const QString current = QDir::currentPath();
    if (Drive1->driveFor(current) == drive)
        return current;
    return drive;
}

bool SorvMain::setDir1Path(const QString& folder, QString* problem)
{
    const QString clean = QDir::cleanPath(folder);
    return Dir1->setPath(clean, Drive1->driveFor(clean), problem);
}

void SorvMain::Drive1_Change()
{
    const QString drive = Drive1->drive();
    QString problem;
    if (setDir1Path(driveFolder(drive), &problem))
        return;
    // The drive cannot be read: the lists stay where they were.
    const bool blocked = Drive1->blockSignals(true);
    Drive1->setDrive(Drive1->driveFor(Dir1->path()));
    Drive1->blockSignals(blocked);
    if (!m_quiet)
        msgBox(this, tr("无法读取 %1：%2").arg(drive, problem), MsgOkExclamation);
}

void SorvMain::Dir1_Change()
{
    const QString folder = Dir1->path();
    m_driveFolders[Drive1->driveFor(folder)] = folder;
    QString problem;
    if (!File1->setPath(folder, &problem) && !m_quiet)
        msgBox(this, tr("无法读取 %1：%2").arg(folder, problem), MsgOkExclamation);
}

void SorvMain::openFolder(const QString& folder)
{
    QString problem;
    if (!setDir1Path(folder, &problem))
        msgBox(this, tr("无法打开文件夹 %1：%2").arg(folder, problem), MsgOkExclamation);
}

void SorvMain::Combo1_Change(int Index)
{
    Combo1_Click(Index);
}

void SorvMain::Combo1_Click(int Index)
{
    if (Index == 0)
        File1->setPattern(Combo1[0]->currentText());
}

QString SorvMain::firstSelectedOrWarn()
{
    const int bound = File1->count() - 1;
    for (int i = 0; i <= bound; ++i) {
        if (File1->isEntrySelected(i))
            return fullPath(File1->path(), File1->fileName(i));
    }
    msgBox(this, tr("请选中一个要转换的文件!"), MsgOkExclamation);
    focusFile1();
    return {};
}

void SorvMain::applyPattern(const QString& pattern)
{
    const int item = Combo1[0]->findText(pattern);
    if (item >= 0)
        Combo1[0]->setCurrentIndex(item);
    else
        Combo1[0]->setEditText(pattern);
    Combo1_Click(0);
}

bool SorvMain::showFolder(const QString& folder, QString* problem)
{
    const QString clean = QDir::cleanPath(folder);
    if (const QString why = folderProblem(clean); !why.isEmpty()) {
        *problem = why;
        return false;
    }
    {
        const bool blocked = Drive1->blockSignals(true);
        Drive1->setDrive(Drive1->driveFor(clean));
        Drive1->blockSignals(blocked);
    }
    if (!setDir1Path(clean, problem))
        return false;
    // Dir1 moves File1 when its folder changes; when it was already there, File1 may
    // still show another folder.
    if (File1->path() != clean)
        return File1->setPath(clean, problem);
    File1->refresh();
    return true;
}

void SorvMain::openPaths(const QStringList& paths)
{
    if (m_busy || paths.isEmpty())
        return;
    QString folder;
    QStringList files;
    QStringList problems;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            problems << tr("%1：文件不存在").arg(path);
        } else if (info.isDir()) {
            if (folder.isEmpty())
                folder = info.absoluteFilePath();
            else
                problems << tr("%1：一次只能打开一个文件夹").arg(path);
        } else if (folder.isEmpty() || (files.size() > 0 && info.absolutePath() == folder)) {
            folder = info.absolutePath();
            files << info.fileName();
        } else {
            problems << tr("%1：不在 %2 中，未选中").arg(path, folder);
        }
    }

    QString problem;
    if (!folder.isEmpty() && !showFolder(folder, &problem))
        problems << tr("%1：%2").arg(folder, problem);
    else if (!files.isEmpty()) {
        // Widen the pattern by the extensions it hides, so every file is listed.
        QString pattern = Combo1[0]->currentText().trimmed();
        for (const QString& name : files) {
            if (matchesPattern(name, pattern))
                continue;
            const QString suffix = QFileInfo(name).suffix();
            const QString added = suffix.isEmpty() ? name : QStringLiteral("*.") + suffix;
            pattern = pattern.isEmpty() ? added : pattern + QLatin1Char(';') + added;
        }
        if (pattern != Combo1[0]->currentText())
            applyPattern(pattern);
        File1->clearSelection();
        int first = -1;
        for (int i = 0; i < File1->count(); ++i) {
            if (files.contains(File1->fileName(i))) {
                File1->setEntrySelected(i, true);
                first = first < 0 ? i : first;
            }
        }
        if (first >= 0)
            File1->scrollToItem(File1->item(first));
    }
    if (!problems.isEmpty())
        msgBox(this, problems.join(QLatin1Char('\n')), MsgOkExclamation);
    focusFile1();
}

void SorvMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_busy && event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
}

void SorvMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    // The drop ends before any message box of opening them shows.
    QTimer::singleShot(0, this, [this, paths] { openPaths(paths); });
}

}  // namespace sorvane::ui
