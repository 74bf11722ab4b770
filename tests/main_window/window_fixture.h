#pragma once
// Shared set-up of the main window tests: temporary program and document folders, the
// message-box hook, a recording conversion function and a closer for modal windows.

#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "ui_common/message_box.h"
#include "main_window/link_label.h"
#include "main_window/sorv_main.h"
#include "main_window/source_lists.h"

namespace sorvane::ui::testing {

// The window's controls, found by their object names; a missing one fails the test.
struct Controls {
    explicit Controls(const SorvMain& w);

    std::array<QPushButton*, 7> Command1{};
    std::array<QComboBox*, 2> Combo1{};
    std::array<QComboBox*, 3> Combo2{};
    std::array<QLineEdit*, 2> Text2{};
    std::array<LinkLabel*, 2> Label1{};
    std::array<QGroupBox*, 2> Frame2{};
    QGroupBox* Frame1 = nullptr;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    QListWidget* List1_0 = nullptr;
    QTimer* Timer1 = nullptr;
    QProgressBar* progressBar = nullptr;
    QLineEdit* outputFolderBox = nullptr;
    QPushButton* outputFolderButton = nullptr;
    QComboBox* outputEncodingBox = nullptr;
    QCheckBox* joinBox = nullptr;
    QComboBox* convertBox = nullptr;
};

// Lets the window's event loop run until no conversion or rendering is in progress
// (ten seconds at most, which fails the test).
void waitIdle(const SorvMain& w);

struct Shown {
    QString text;
    MsgStyle style;
};

// Closes every modal window that appears while it lives, remembering their classes.
class ModalCloser {
public:
    ModalCloser();
    ~ModalCloser();
    QStringList closed;  // class names of the windows closed, in order

private:
    QTimer m_timer;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path programFolder() const;
    QString docs() const { return m_docs->path(); }
    std::filesystem::path settingsFile() const;
    // The manual the windows' help opens; it exists unless a test removes it.
    QString manualPath() const;
    std::filesystem::path listFile() const;
    // Creates `name` in the document folder (or under `folder`) with `content`.
    QString writeDoc(const QString& name, const QByteArray& content = "<html><body><p>x</p></body></html>",
                     const QString& folder = {});
    std::string readFile(const std::filesystem::path& file) const;

    // A window on the temporary program folder, opening addresses into `urls` and
    // converting through `convert` when it is set (the real engine otherwise).
    std::unique_ptr<SorvMain> makeWindow(bool recordConversions = true);

    QStringList fileEntries(const SorvMain& w) const;
    std::vector<int> selectedEntries(const SorvMain& w) const;
    void select(SorvMain& w, const std::vector<int>& entries) const;

    std::vector<Shown> shown;       // message boxes, in order
    std::vector<MsgAnswer> answers;  // answers for Yes/No boxes, used from the front
    std::vector<QUrl> urls;         // addresses handed to the system to open
    bool urlsOpen = true;           // whether the system manages to open them

    // Conversions the window asked for (path, preview), in order; guarded by mutex.
    struct Call {
        std::filesystem::path source;
        int preview;
        ConversionParams params;
    };
    std::mutex mutex;
    std::vector<Call> calls;
    std::vector<std::string> log;  // conversions and selection changes, interleaved
    // What the recorded conversion returns for one document; success by default.
    std::function<Result<ConversionReport>(const Call&, const EngineContext&)> outcome;

private:
    std::unique_ptr<QTemporaryDir> m_program;
    std::unique_ptr<QTemporaryDir> m_docs;
    QString m_oldCurrent;
};

}  // namespace sorvane::ui::testing
