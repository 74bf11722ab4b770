#pragma once
// Shared set-up of the main window tests: temporary program and document folders, the
// message-box hook, a recording conversion function and a closer for modal windows.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QDir>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "common/ui/message_box.h"
#include "main_window/sorv_main.h"

namespace sorvane::ui::testing {

struct Shown {
    QString text;
    int style;
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
    std::vector<int> answers;       // answers for Yes/No boxes, used from the front
    std::vector<QUrl> urls;         // addresses handed to the browser

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
