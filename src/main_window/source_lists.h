#pragma once
// The three source-selection lists: mounted file systems (the drive list), the folder
// tree of one of them (the folder list) and the matching files of one folder (the file
// list). Each only shows and reports; the main window chains them together.

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace sorvane::ui {

// Why `folder` cannot be listed ("文件夹不存在", ...), or an empty string when it can.
QString folderProblem(const QString& folder);

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // Lists the mounted file systems a user picks documents from; the root comes first.
    void refreshDrives();
    // The root folder of the chosen entry ("/" when the list is empty).
    QString drive() const;
    // The root of the listed file system that holds `path` (longest matching root).
    QString driveFor(const QString& path) const;
    // Chooses the entry whose root is `root`; false when there is none.
    bool setDrive(const QString& root);
};

class DirListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Shows `folder` as the current folder: the chain of folders from `root` down to it,
    // and its subfolders (hidden ones left out). Returns false and sets `problem` when
    // the folder cannot be listed; the tree then stays as it was. Emits pathChanged when
    // the folder differs from the one shown before.
    bool setPath(const QString& folder, const QString& root, QString* problem = nullptr);

signals:
    void pathChanged(const QString& folder);
    // The user opened a folder of the tree (double click or Enter).
    void folderActivated(const QString& folder);

private:
    QString m_path;
};

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    QString pattern() const { return m_pattern; }
    // Lists the files of `folder` that match the pattern. Returns false and sets
    // `problem` when the folder cannot be listed; the list then stays as it was.
    bool setPath(const QString& folder, QString* problem = nullptr);
    // A new pattern lists the folder again; the selection is dropped.
    void setPattern(const QString& pattern);
    // Reads the folder again (drops the selection).
    void refresh();

    QString fileName(int entry) const;
    bool isEntrySelected(int entry) const;
    void setEntrySelected(int entry, bool selected);

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};

}  // namespace sorvane::ui
