#include "window_fixture.h"

#include <fstream>
#include <sstream>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QWidget>

#include "ui_common/message_box.h"
#include "main_window/source_lists.h"

namespace sorvane::ui::testing {

namespace {

template <typename W>
W* control(const SorvMain& w, const QString& name)
{
    W* found = w.findChild<W*>(name);
    if (!found)
        ADD_FAILURE() << "no control " << name.toStdString();
    return found;
}

template <typename W, std::size_t N>
void controls(const SorvMain& w, const char* name, std::array<W*, N>& out)
{
    for (std::size_t i = 0; i < N; ++i)
        out[i] = control<W>(w, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
}

}  // namespace

Controls::Controls(const SorvMain& w)
{
    controls(w, "Command1", Command1);
    controls(w, "Combo1", Combo1);
    controls(w, "Combo2", Combo2);
    controls(w, "Text2", Text2);
    controls(w, "Label1", Label1);
    controls(w, "Frame2", Frame2);
    Frame1 = control<QGroupBox>(w, QStringLiteral("Frame1"));
    Drive1 = control<DriveListBox>(w, QStringLiteral("Drive1"));
    Dir1 = control<DirListBox>(w, QStringLiteral("Dir1"));
    File1 = control<FileListBox>(w, QStringLiteral("File1"));
    List1_0 = control<QListWidget>(w, QStringLiteral("List1_0"));
    Timer1 = control<QTimer>(w, QStringLiteral("Timer1"));
    progressBar = control<QProgressBar>(w, QStringLiteral("progressBar"));
    outputFolderBox = control<QLineEdit>(w, QStringLiteral("outputFolderBox"));
    outputFolderButton = control<QPushButton>(w, QStringLiteral("outputFolderButton"));
    outputEncodingBox = control<QComboBox>(w, QStringLiteral("outputEncodingBox"));
    joinBox = control<QCheckBox>(w, QStringLiteral("joinBox"));
    convertBox = control<QComboBox>(w, QStringLiteral("convertBox"));
}

void waitIdle(const SorvMain& w)
{
    QDeadlineTimer deadline(10000);
    while (w.isBusy() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(w.isBusy()) << "the window is still busy";
}

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
    QFile manual(manualPath());
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html><body>manual</body></html>");
    setMsgBoxHook([this](const QString& text, MsgStyle style) {
        shown.push_back({text, style});
        if (style != MsgYesNoQuestion)
            return AnswerOk;
        if (answers.empty())
            return AnswerYes;
        const MsgAnswer answer = answers.front();
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

QString MainWindowTest::manualPath() const
{
    return m_program->path() + QStringLiteral("/manual.html");
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
    w->setUrlOpener([this](const QUrl& url) {
        urls.push_back(url);
        return urlsOpen;
    });
    w->setManualPath(manualPath());
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
    const Controls c(*w);
    QObject::connect(c.File1, &QListWidget::itemSelectionChanged, w.get(), [this, list = c.File1] {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->isSelected())
                names << list->item(i)->text();
        }
        std::lock_guard lock(mutex);
        log.push_back("selected [" + names.join(QLatin1Char(',')).toStdString() + "]");
    });
    return w;
}

QStringList MainWindowTest::fileEntries(const SorvMain& w) const
{
    const Controls c(w);
    QStringList names;
    for (int i = 0; i < c.File1->count(); ++i)
        names << c.File1->item(i)->text();
    return names;
}

std::vector<int> MainWindowTest::selectedEntries(const SorvMain& w) const
{
    const Controls c(w);
    std::vector<int> entries;
    for (int i = 0; i < c.File1->count(); ++i) {
        if (c.File1->item(i)->isSelected())
            entries.push_back(i);
    }
    return entries;
}

void MainWindowTest::select(SorvMain& w, const std::vector<int>& entries) const
{
    const Controls c(w);
    c.File1->clearSelection();
    for (const int i : entries) {
        if (i < 0 || i >= c.File1->count()) {
            ADD_FAILURE() << "no entry " << i;
            continue;
        }
        c.File1->item(i)->setSelected(true);
    }
}

}  // namespace sorvane::ui::testing
