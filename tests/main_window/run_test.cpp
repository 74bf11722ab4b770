// A conversion run on its worker: it goes on while modal windows are open, it can be
// stopped, and closing the window during it asks first.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QtTest/QTest>

#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

// A door the conversion function waits at until the test opens it. The wait gives up
// after ten seconds so a broken window fails the test instead of hanging it.
class Gate {
public:
    void open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_reached = true;
        m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }
    bool reached()
    {
        const std::lock_guard lock(m_mutex);
        return m_reached;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    bool m_reached = false;
};

// Lets the event loop run until `done` holds (ten seconds at most).
template <typename Predicate>
bool processUntil(Predicate done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class MainWindowRun : public MainWindowTest {
protected:
    void writeDocs(int count)
    {
        for (int i = 0; i < count; ++i)
            writeDoc(QStringLiteral("d%1.htm").arg(i, 2, 10, QLatin1Char('0')));
    }
    static std::vector<int> range(int count)
    {
        std::vector<int> entries;
        for (int i = 0; i < count; ++i)
            entries.push_back(i);
        return entries;
    }
};

TEST_F(MainWindowRun, ManyDocumentsAreConvertedWhileAboutIsOpen)
{
    constexpr int kDocs = 40;
    writeDocs(kDocs);
    auto w = makeWindow();
    // The first document waits until the About box is open, so everything after it
    // happens with the box open.
    Gate aboutOpen;
    outcome = [&](const Call& call, const EngineContext&) -> Result<ConversionReport> {
        if (call.source.filename() == "d00.htm")
            aboutOpen.wait();
        return ConversionReport{};
    };
    select(*w, range(kDocs));
    w->Command1_Click(1);
    ASSERT_TRUE(w->isBusy());

    std::size_t convertedWhileOpen = 0;
    std::vector<int> selectedWhileOpen;
    bool finishedWhileOpen = false;
    QDeadlineTimer deadline(10000);
    QTimer driver;
    driver.setInterval(5);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        aboutOpen.open();
        if (w->isBusy() && !deadline.hasExpired())
            return;
        finishedWhileOpen = !w->isBusy();
        {
            std::lock_guard lock(mutex);
            convertedWhileOpen = calls.size();
        }
        selectedWhileOpen = selectedEntries(*w);
        modal->close();
    });
    driver.start();
    w->Command1_Click(6);  // modal: returns when the driver closes it
    driver.stop();

    EXPECT_TRUE(finishedWhileOpen);
    EXPECT_EQ(convertedWhileOpen, static_cast<std::size_t>(kDocs));
    EXPECT_TRUE(selectedWhileOpen.empty());
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, QStringLiteral("转换完毕!"));
}

TEST_F(MainWindowRun, StoppingEndsTheRunAfterTheCurrentDocument)
{
    struct Case {
        const char* name;
        std::function<void(SorvMain&, const Controls&)> stop;
    };
    const Case cases[] = {
        {"stop button", [](SorvMain&, const Controls& c) { c.Command1[0]->click(); }},
        {"Esc", [](SorvMain&, const Controls& c) { QTest::keyClick(c.File1, Qt::Key_Escape); }},
    };
    writeDocs(9);
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        calls.clear();
        shown.clear();
        auto w = makeWindow();
        const Controls c(*w);
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        // d01 fails; d03 is being converted when the stop comes.
        Gate release;
        outcome = [&](const Call& call, const EngineContext&) -> Result<ConversionReport> {
            if (call.source.filename() == "d01.htm")
                return Error{ErrorCode::Unwritable, "无法写入输出文件", call.source.string()};
            if (call.source.filename() == "d03.htm")
                release.wait();
            return ConversionReport{};
        };
        select(*w, {1, 3, 5, 7});
        w->Command1_Click(1);
        ASSERT_TRUE(processUntil([&] { return release.reached(); }));
        EXPECT_EQ(c.Command1[0]->text(), QStringLiteral("停　止(&X)"));

        tc.stop(*w, c);
        release.open();
        waitIdle(*w);

        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[1].source.filename(), "d03.htm");
        EXPECT_EQ(selectedEntries(*w), (std::vector<int>{1, 5, 7}));  // the failure and the unreached
        ASSERT_EQ(shown.size(), 2u);
        const QString message = shown[1].text;
        EXPECT_TRUE(message.contains(QStringLiteral("已转换 1 个文件"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("2 个文件未转换"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("d01.htm: 无法写入输出文件"))) << message.toStdString();
        EXPECT_EQ(c.Command1[0]->text(), QStringLiteral("退　出(&X)"));
        EXPECT_TRUE(w->isVisible());  // stopping does not close the window
        w->close();
    }
}

TEST_F(MainWindowRun, TheFinalMessageNamesWhatAReaderLeftOut)
{
    // A saved page whose frameset names a frame the file lacks; the rest is read.
    writeDoc(QStringLiteral("a.mht"),
             "Content-Type: multipart/related; boundary=\"B\"\r\n\r\n"
             "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/index.htm\r\n\r\n"
             "<html><frameset><frame src=\"b.htm\"><frame src=\"gone.htm\"></frameset></html>\r\n"
             "--B\r\nContent-Type: text/html; charset=utf-8\r\nContent-Location: http://x/b.htm\r\n\r\n"
             "<html><body><p>x</p></body></html>\r\n--B--\r\n");
    writeDoc(QStringLiteral("b.htm"), "<html><body><p>y</p></body></html>");
    for (const bool join : {false, true}) {
        SCOPED_TRACE(join ? "join" : "run");
        shown.clear();
        for (const char* written : {"a.txt", "b.txt"})
            std::filesystem::remove(std::filesystem::path(docs().toStdString()) / written);
        auto w = makeWindow(false);
        const Controls c(*w);
        c.Combo1[0]->setCurrentIndex(0);  // "*.*"
        c.joinBox->setChecked(join);
        ASSERT_EQ(fileEntries(*w), (QStringList{"a.mht", "b.htm"}));
        select(*w, {0, 1});
        w->Command1_Click(1);
        waitIdle(*w);
        ASSERT_FALSE(shown.empty());
        const QString message = shown.back().text;
        EXPECT_TRUE(message.contains(QDir(docs()).filePath(QStringLiteral("a.mht")) +
                                     QStringLiteral(": 框架页面不在文件中：gone.htm")))
            << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("b.htm:"))) << message.toStdString();
    }
}

// A run that follows a finished one starts its bar at nothing done, not at the last
// run's "3 / 3", while its first document is still being converted.
TEST_F(MainWindowRun, EveryRunStartsItsProgressBarFromZero)
{
    writeDocs(3);
    auto w = makeWindow();
    const Controls c(*w);
    select(*w, range(3));
    w->Command1_Click(1);
    waitIdle(*w);
    ASSERT_EQ(calls.size(), 3u);

    Gate release;
    outcome = [&](const Call&, const EngineContext&) -> Result<ConversionReport> {
        release.wait();
        return ConversionReport{};
    };
    select(*w, {0, 2});
    w->Command1_Click(1);
    ASSERT_TRUE(processUntil([&] { return release.reached(); }));
    QApplication::processEvents();
    EXPECT_EQ(c.progressBar->value(), 0);
    EXPECT_EQ(c.progressBar->text(), QStringLiteral("0 / 2"));
    release.open();
    waitIdle(*w);
}

TEST_F(MainWindowRun, ClosingDuringARunAsksFirst)
{
    writeDocs(4);
    for (const MsgAnswer answer : {AnswerNo, AnswerYes}) {
        SCOPED_TRACE(answer);
        calls.clear();
        shown.clear();
        std::filesystem::remove(settingsFile());
        auto w = makeWindow();
        w->show();
        Gate release;
        outcome = [&](const Call& call, const EngineContext&) -> Result<ConversionReport> {
            if (call.source.filename() == "d00.htm")
                release.wait();
            return ConversionReport{};
        };
        select(*w, range(4));
        w->Command1_Click(1);
        ASSERT_TRUE(processUntil([&] { return release.reached(); }));

        answers = {answer};
        w->close();
        EXPECT_TRUE(w->isVisible());  // the document being converted is finished first
        release.open();
        waitIdle(*w);

        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown[1].text, QStringLiteral("正在转换，要停止转换并退出吗?"));
        EXPECT_EQ(shown[1].style, MsgYesNoQuestion);
        if (answer == AnswerNo) {
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(calls.size(), 4u);
            ASSERT_EQ(shown.size(), 3u);
            EXPECT_EQ(shown[2].text, QStringLiteral("转换完毕!"));
            EXPECT_FALSE(std::filesystem::exists(settingsFile()));
            w->close();
        } else {
            EXPECT_FALSE(w->isVisible());
            EXPECT_EQ(calls.size(), 1u);
            EXPECT_EQ(shown.size(), 2u);  // no final message
            EXPECT_EQ(selectedEntries(*w), (std::vector<int>{1, 2, 3}));
            EXPECT_TRUE(std::filesystem::exists(settingsFile()));
        }
    }
}

// A close the system asks for (shutdown, logout, SIGTERM) asks nothing: a run stops after
// its current document, the settings are saved and the window closes, also while the
// user's own close question is open.
TEST_F(MainWindowRun, ASystemCloseIsNeverRefused)
{
    writeDocs(4);
    const struct {
        const char* name;
        bool running;
        bool questionOpen;
    } cases[] = {{"idle", false, false}, {"during a run", true, false}, {"with the question open", true, true}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        calls.clear();
        shown.clear();
        std::filesystem::remove(settingsFile());
        auto w = makeWindow();
        w->show();
        Gate release;
        outcome = [&](const Call&, const EngineContext&) -> Result<ConversionReport> {
            release.wait();
            return ConversionReport{};
        };
        if (tc.running) {
            select(*w, range(4));
            w->Command1_Click(1);
            ASSERT_TRUE(processUntil([&] { return release.reached(); }));
        }
        const std::size_t shownBefore = shown.size();
        if (tc.questionOpen) {
            // The user's close waits on its question; the system's close comes meanwhile
            // and answers it for the user.
            setMsgBoxHook([&](const QString& text, MsgStyle style) {
                shown.push_back({text, style});
                w->systemClose();
                return AnswerNo;
            });
            w->close();
        } else {
            w->systemClose();
        }
        release.open();
        waitIdle(*w);
        processUntil([&] { return !w->isVisible(); });

        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(calls.size(), tc.running ? 1u : 0u);
        EXPECT_TRUE(std::filesystem::exists(settingsFile()));
        std::size_t questions = 0;
        for (std::size_t k = shownBefore; k < shown.size(); ++k)
            questions += shown[k].style == MsgYesNoQuestion ? 1 : 0;
        EXPECT_EQ(questions, tc.questionOpen ? 1u : 0u);  // only the user's own close asked
        EXPECT_EQ(shown.size(), shownBefore + questions);  // and no final message
    }
}

}  // namespace
}  // namespace sorvane::ui::testing
