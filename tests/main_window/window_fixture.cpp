#include "window_fixture.h"

#include <fstream>
#include <sstream>

#include <QApplication>
#include <QFile>
#include <QWidget>

#include "common/ui/message_box.h"
#include "main_window/source_lists.h"

namespace sorvane::ui::testing {

ModalCloser::ModalCloser()
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            closed << QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    m_timer.start();
}

ModalCloser::~ModalCloser() = default;

void MainWindowTest::SetUp()
{
    m_program = std::make_unique<QTemporaryDir>();
    m_docs = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_program->isValid());
    ASSERT_TRUE(m_docs->isValid());
    // The lists start on the process's current folder: make it the document folder.
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_docs->path());
    setMsgBoxHook([this](const QString& text, int style) {
        shown.push_back({text, style});
        if (style != MsgYesNoQuestion)
            return static_cast<int>(AnswerOk);
        if (answers.empty())
            return static_cast<int>(AnswerYes);
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
}

void MainWindowTest::TearDown()
{
    setMsgBoxHook({});
    QDir::setCurrent(m_oldCurrent);
}

std::filesystem::path MainWindowTest::programFolder() const
{
    return std::filesystem::path(QFile::encodeName(m_program->path()).toStdString());
}

std::filesystem::path MainWindowTest::settingsFile() const
{
    return programFolder() / "KELDRAN.INI";
}

std::filesystem::path MainWindowTest::listFile() const
{
    return programFolder() / "KELDRAN.DAT";
}

QString MainWindowTest::writeDoc(const QString& name, const QByteArray& content, const QString& folder)
{
    const QString path = (folder.isEmpty() ? m_docs->path() : folder) + QLatin1Char('/') + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

std::string MainWindowTest::readFile(const std::filesystem::path& file) const
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::unique_ptr<SorvMain> MainWindowTest::makeWindow(bool recordConversions)
{
    auto w = std::make_unique<SorvMain>(programFolder());
    w->setUrlOpener([this](const QUrl& url) { urls.push_back(url); });
    if (recordConversions) {
        w->setConvertFunction([this](const std::filesystem::path& source, int preview,
                                     const ConversionParams& params, const ReplacementList&,
                                     const EngineContext& context) -> Result<ConversionReport> {
            const Call call{source, preview, params};
            {
                std::lock_guard lock(mutex);
                calls.push_back(call);
                log.push_back("convert " + source.filename().string());
            }
            if (preview == 0 && context.setCaption)
                context.setCaption("正在转换 " + source.string() + " ...");
            if (outcome)
                return outcome(call, context);
            return ConversionReport{};
        });
    }
    QObject::connect(w->File1, &QListWidget::itemSelectionChanged, w.get(), [this, win = w.get()] {
        QStringList names;
        for (int i = 0; i < win->File1->count(); ++i) {
            if (win->File1->item(i)->isSelected())
                names << win->File1->item(i)->text();
        }
        std::lock_guard lock(mutex);
        log.push_back("selected [" + names.join(QLatin1Char(',')).toStdString() + "]");
    });
    return w;
}

QStringList MainWindowTest::fileEntries(const SorvMain& w) const
{
    QStringList names;
    for (int i = 0; i < w.File1->count(); ++i)
        names << w.File1->item(i)->text();
    return names;
}

std::vector<int> MainWindowTest::selectedEntries(const SorvMain& w) const
{
    std::vector<int> entries;
    for (int i = 0; i < w.File1->count(); ++i) {
        if (w.File1->item(i)->isSelected())
            entries.push_back(i);
    }
    return entries;
}

void MainWindowTest::select(SorvMain& w, const std::vector<int>& entries) const
{
    w.File1->clearSelection();
    for (const int i : entries) {
        if (i < 0 || i >= w.File1->count()) {
            ADD_FAILURE() << "no entry " << i;
            continue;
        }
        w.File1->item(i)->setSelected(true);
    }
}

}  // namespace sorvane::ui::testing
