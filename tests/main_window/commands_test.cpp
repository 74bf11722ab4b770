// The conversion run, delete, preview, replacement editor, help and About.
#include <chrono>
#include <thread>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QtTest/QTest>

#include "common/site.h"
#include "main_window/link_label.h"
#include "main_window/source_lists.h"
#include "settings/list_file.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

class MainWindowCommands : public MainWindowTest {
protected:
    // Nine documents f0.htm .. f8.htm.
    void writeNine()
    {
        for (int i = 0; i < 9; ++i)
            writeDoc(QStringLiteral("f%1.htm").arg(i));
    }
};

TEST_F(MainWindowCommands, RunConvertsSelectedEntriesTopFirstAndDeselectsEachAfterItsConversion)
{
    writeNine();
    auto w = makeWindow();
    const Controls c(*w);
    c.Combo2[0]->setCurrentIndex(4);
    c.Text2[1]->setText(QStringLiteral("64"));
    select(*w, {7, 1, 4});
    c.Text2[0]->setFocus();
    QStringList titles;
    QObject::connect(w.get(), &QWidget::windowTitleChanged, [&](const QString& t) { titles << t; });
    log.clear();

    c.Command1[1]->click();
    waitIdle(*w);

    const std::vector<std::string> expected = {
        "convert f1.htm", "selected [f4.htm,f7.htm]", "convert f4.htm", "selected [f7.htm]",
        "convert f7.htm", "selected []"};
    EXPECT_EQ(log, expected);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].source, std::filesystem::path(docs().toStdString()) / "f1.htm");
    for (const Call& call : calls) {
        EXPECT_EQ(call.preview, 0);
        EXPECT_EQ(call.params.head, "4");
        EXPECT_EQ(call.params.maxSize, "64");
        EXPECT_EQ(call.params.naming, 0);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("确实要转换吗?"));
    EXPECT_EQ(shown[0].style, MsgYesNoQuestion);
    EXPECT_EQ(shown[1].text, QStringLiteral("转换完毕!"));
    EXPECT_EQ(shown[1].style, MsgOkExclamation);
    EXPECT_EQ(w->focusWidget(), c.File1);
    // The caption named each document, then went back.
    EXPECT_TRUE(titles.contains(QStringLiteral("正在转换 %1/f4.htm ...").arg(docs())));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sorvane"));
    EXPECT_FALSE(c.progressBar->isVisibleTo(w.get()));
    EXPECT_FALSE(w->isBusy());
}

TEST_F(MainWindowCommands, RunWithNothingSelectedOrAnsweredNo)
{
    writeNine();
    struct Case {
        const char* name;
        std::vector<int> selection;
        MsgAnswer answer;
        QStringList messages;
    };
    const Case cases[] = {
        {"nothing selected, Yes", {}, AnswerYes, {"确实要转换吗?", "请选中需要转换的文件!"}},
        {"nothing selected, No", {}, AnswerNo, {"确实要转换吗?"}},
        {"two selected, No", {2, 3}, AnswerNo, {"确实要转换吗?"}},
    };
    for (const Case& tc : cases) {
        auto w = makeWindow();
        const Controls c(*w);
        select(*w, tc.selection);
        shown.clear();
        calls.clear();
        answers = {tc.answer};
        c.Text2[0]->setFocus();
        w->Command1_Click(1);
        waitIdle(*w);
        QStringList messages;
        for (const Shown& s : shown)
            messages << s.text;
        EXPECT_EQ(messages, tc.messages) << tc.name;
        EXPECT_TRUE(calls.empty()) << tc.name;
        EXPECT_EQ(selectedEntries(*w), tc.selection) << tc.name;
        EXPECT_EQ(w->focusWidget(), c.File1) << tc.name;
    }
}

TEST_F(MainWindowCommands, FailingDocumentDoesNotStopTheRunAndStaysSelected)
{
    writeNine();
    auto w = makeWindow();
    const Controls c(*w);
    outcome = [](const Call& call, const EngineContext&) -> Result<ConversionReport> {
        if (call.source.filename() == "f3.htm")
            return Error{ErrorCode::Unwritable, "无法写入输出文件", call.source.string()};
        return ConversionReport{};
    };
    select(*w, {0, 3, 5});
    w->Command1_Click(1);
    waitIdle(*w);

    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].source.filename(), "f5.htm");
    EXPECT_EQ(selectedEntries(*w), std::vector<int>{3});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[1].text, QStringLiteral("转换完毕!"));
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("f3.htm: 无法写入输出文件"))) << shown[1].text.toStdString();
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("已转换 2 个文件")));
    EXPECT_EQ(w->lastFailures().size(), 1);
}

TEST_F(MainWindowCommands, RealEngineWritesFilesAndReportsTheOnesItCannotWrite)
{
    writeDoc(QStringLiteral("a.htm"), "<html><body><p>\xe4\xbd\xa0\xe5\xa5\xbd</p></body></html>");
    writeDoc(QStringLiteral("b.htm"), "<html><body><p>second</p></body></html>");
    writeDoc(QStringLiteral("c.htm"), "<p>c</p>");
    QDir(docs()).mkdir(QStringLiteral("c.txt"));  // the output's place is taken by a folder
    writeDoc(QStringLiteral("d.txt"), "text\r\n");  // its output would overwrite it
    writeDoc(QStringLiteral("e.htm"), "<p>e</p>");
    auto w = makeWindow(false);
    const Controls c(*w);
    c.Combo1[0]->setCurrentIndex(0);  // "*.*"
    ASSERT_EQ(fileEntries(*w), (QStringList{"a.htm", "b.htm", "c.htm", "d.txt", "e.htm"}));
    select(*w, {0, 1, 2, 3, 4});
    QFile::remove(docs() + QStringLiteral("/e.htm"));  // gone after it was listed

    w->Command1_Click(1);
    waitIdle(*w);

    EXPECT_EQ(readFile(std::filesystem::path(docs().toStdString()) / "a.txt"), "\xc4\xe3\xba\xc3\r\n");
    EXPECT_NE(readFile(std::filesystem::path(docs().toStdString()) / "b.txt").find("second\r\n"), std::string::npos);
    EXPECT_EQ(readFile(std::filesystem::path(docs().toStdString()) / "d.txt"), "text\r\n");
    EXPECT_EQ(selectedEntries(*w), (std::vector<int>{2, 3, 4}));
    ASSERT_EQ(shown.size(), 2u);
    // Each failure names the source, the reason and, where it differs, the file concerned.
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("/c.htm: "))) << shown[1].text.toStdString();
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("/c.txt")));
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("d.txt")));
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("e.htm")));
    EXPECT_EQ(w->lastFailures().size(), 3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sorvane"));
}

TEST_F(MainWindowCommands, WindowStaysResponsiveDuringARunAndRefusesASecondOne)
{
    writeNine();
    auto w = makeWindow();
    const Controls c(*w);
    std::atomic<bool> release{false};
    outcome = [&](const Call& call, const EngineContext& context) -> Result<ConversionReport> {
        if (call.source.filename() == "f2.htm") {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!release && std::chrono::steady_clock::now() < deadline) {
                context.progress(0.5);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return ConversionReport{};
    };
    select(*w, {2, 6});
    bool busyDuringRun = false;
    bool barShown = false;
    bool buttonsDisabled = false;
    int ticksDuringRun = 0;
    QTimer probe;
    probe.setInterval(100);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!w->isBusy())
            return;
        busyDuringRun = true;
        barShown = c.progressBar->isVisibleTo(w.get());
        buttonsDisabled = !c.Command1[1]->isEnabled();
        const std::int16_t before = w->colorStep();
        QTest::qWait(120);  // the colour timer keeps ticking
        ticksDuringRun = (w->colorStep() - before + 27) % 27;
        w->Command1_Click(1);  // refused: no second confirmation, no conversion
        w->Command1_Click(4);
        release = true;
        probe.stop();
    });
    probe.start();
    w->Command1_Click(1);
    waitIdle(*w);

    EXPECT_TRUE(busyDuringRun);
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(buttonsDisabled);
    EXPECT_GT(ticksDuringRun, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].source.filename(), "f6.htm");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, QStringLiteral("转换完毕!"));
    EXPECT_TRUE(c.Command1[1]->isEnabled());
    EXPECT_FALSE(c.progressBar->isVisibleTo(w.get()));
}

TEST_F(MainWindowCommands, DeleteRemovesTheSelectedReplacement)
{
    struct Case {
        const char* name;
        int rows;
        int selected;
        QStringList remaining;
        int selectedAfter;
        bool changes;
    };
    const Case cases[] = {
        {"first of three", 3, 0, {"r1", "r2"}, 0, true},
        {"middle of three", 3, 1, {"r0", "r2"}, 1, true},
        {"last of three", 3, 2, {"r0", "r1"}, 1, true},
        {"only entry", 1, 0, {}, -1, true},
        {"empty list", 0, -1, {}, -1, false},
        {"none selected", 2, -1, {"r0", "r1"}, -1, false},
    };
    for (const Case& tc : cases) {
        ReplacementList rows;
        for (int i = 0; i < tc.rows; ++i)
            rows.push_back({fromUtf8("r" + std::to_string(i)), fromUtf8("x" + std::to_string(i)), "Y"});
        std::filesystem::remove(listFile());
        if (!rows.empty()) {
            ASSERT_TRUE(saveListFile(listFile(), rows));
        }
        auto w = makeWindow();
        const Controls c(*w);
        if (tc.selected >= 0)
            c.List1_0->item(tc.selected)->setSelected(true);
        c.Text2[0]->setFocus();

        c.Command1[3]->click();

        QStringList remaining;
        for (int i = 0; i < c.List1_0->count(); ++i)
            remaining << c.List1_0->item(i)->text();
        EXPECT_EQ(remaining, tc.remaining) << tc.name;
        ASSERT_EQ(w->replacementList().size(), static_cast<std::size_t>(tc.remaining.size())) << tc.name;
        for (int i = 0; i < tc.remaining.size(); ++i) {
            const std::string search = toUtf8(w->replacementList()[static_cast<std::size_t>(i)].search);
            const std::string replacement = toUtf8(w->replacementList()[static_cast<std::size_t>(i)].replacement);
            EXPECT_EQ(replacement, "x" + search.substr(1)) << tc.name;  // columns stay parallel
        }
        const QList<QListWidgetItem*> selected = c.List1_0->selectedItems();
        EXPECT_EQ(selected.isEmpty() ? -1 : c.List1_0->row(selected.first()), tc.selectedAfter) << tc.name;
        EXPECT_EQ(w->listChanged(), tc.changes ? 1 : 0) << tc.name;
        EXPECT_EQ(w->focusWidget(), tc.changes ? static_cast<QWidget*>(c.File1) : c.Text2[0]) << tc.name;
    }
}

TEST_F(MainWindowCommands, DeletedAndTemporaryRowsAreGoneAfterTheNextStart)
{
    ASSERT_TRUE(saveListFile(listFile(), {{u"keep", u"k", "Y"}, {u"drop", u"d", "Y"}}));
    {
        auto w = makeWindow();
        const Controls c(*w);
        c.List1_0->item(1)->setSelected(true);
        w->Command1_Click(3);
        w->close();
    }
    EXPECT_EQ(loadListFile(listFile()).size(), 1u);
    auto w = makeWindow();
    const Controls c(*w);
    ASSERT_EQ(c.List1_0->count(), 1);
    EXPECT_EQ(c.List1_0->item(0)->text(), QStringLiteral("keep"));
}

TEST_F(MainWindowCommands, PreviewConvertsTheTopmostSelectedEntryAndKeepsTheSelection)
{
    writeNine();
    std::ofstream(programFolder() / "TEMP_9999.txt") << "not ours";
    outcome = [](const Call&, const EngineContext& context) -> Result<ConversionReport> {
        std::ofstream(context.programFolder / "TEMP.TXT", std::ios::binary) << "preview text\r\n";
        std::ofstream(context.programFolder / "TEMP_0153.txt", std::ios::binary) << "part two\r\n";
        return ConversionReport{{context.programFolder / "TEMP.TXT", context.programFolder / "TEMP_0153.txt"}, 0, 2};
    };
    auto w = makeWindow();
    const Controls c(*w);
    select(*w, {5, 2, 8});
    const QString title = w->windowTitle();
    {
        ModalCloser closer;
        c.Command1[4]->click();
        waitIdle(*w);
        EXPECT_EQ(closer.closed, QStringList{"sorvane::ui::T1"});
    }
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].source.filename(), "f2.htm");
    EXPECT_EQ(calls[0].preview, 1);
    EXPECT_EQ(w->t1Mode(), QStringLiteral("4"));
    EXPECT_EQ(selectedEntries(*w), (std::vector<int>{2, 5, 8}));
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(w->focusWidget(), c.File1);

    // Closing removes the scratch file and the part this run wrote, nothing else.
    w->close();
    EXPECT_FALSE(std::filesystem::exists(programFolder() / "TEMP.TXT"));
    EXPECT_FALSE(std::filesystem::exists(programFolder() / "TEMP_0153.txt"));
    EXPECT_TRUE(std::filesystem::exists(programFolder() / "TEMP_9999.txt"));
}

TEST_F(MainWindowCommands, PreviewThatFailsShowsWhyAndOpensNothing)
{
    writeNine();
    outcome = [](const Call& call, const EngineContext&) -> Result<ConversionReport> {
        return Error{ErrorCode::BinaryInput, "这不是网页或文本文档", call.source.string()};
    };
    auto w = makeWindow();
    const Controls c(*w);
    select(*w, {1});
    ModalCloser closer;
    w->Command1_Click(4);
    waitIdle(*w);
    EXPECT_TRUE(closer.closed.isEmpty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("f1.htm: 这不是网页或文本文档")));
    EXPECT_EQ(w->focusWidget(), c.File1);
}

TEST_F(MainWindowCommands, CommandsThatNeedADocumentWarnWhenNoneIsSelected)
{
    writeNine();
    for (const int index : {2, 4}) {
        auto w = makeWindow();
        const Controls c(*w);
        shown.clear();
        ModalCloser closer;
        c.Text2[0]->setFocus();
        w->Command1_Click(index);
        ASSERT_EQ(shown.size(), 1u) << index;
        EXPECT_EQ(shown[0].text, QStringLiteral("请选中一个要转换的文件!"));
        EXPECT_EQ(shown[0].style, MsgOkExclamation);
        EXPECT_TRUE(closer.closed.isEmpty());
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(w->listChanged(), 0);
        EXPECT_EQ(w->focusWidget(), c.File1);
    }
}

TEST_F(MainWindowCommands, ReplacementEditorSetsListChangedWhenItCloses)
{
    writeDoc(QStringLiteral("a.htm"), "<html><body><p>one two</p></body></html>");
    writeDoc(QStringLiteral("b.htm"), "<html><body><p>three</p></body></html>");
    auto w = makeWindow();
    const Controls c(*w);
    select(*w, {1});
    {
        ModalCloser closer;
        c.Command1[2]->click();
        waitIdle(*w);
        EXPECT_EQ(closer.closed, QStringList{"sorvane::ui::T1"});
    }
    EXPECT_EQ(w->t1Mode(), QStringLiteral("2"));
    EXPECT_EQ(w->listChanged(), 1);  // even without a change
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(selectedEntries(*w), std::vector<int>{1});
    EXPECT_EQ(w->focusWidget(), c.File1);
}

TEST_F(MainWindowCommands, HelpOpensTheManualAndLinkLabelsTheAddress)
{
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const QUrl address(QString::fromUtf8(kMakerAddress));
    c.Text2[0]->setFocus();
    c.Command1[5]->click();
    QTest::mouseClick(c.Label1[1], Qt::LeftButton);
    QTest::mouseClick(c.Label1[0], Qt::LeftButton);
    EXPECT_EQ(urls, (std::vector<QUrl>{QUrl::fromLocalFile(manualPath()), address, address}));
    EXPECT_EQ(w->focusWidget(), c.File1);
    EXPECT_TRUE(shown.empty());
}

TEST_F(MainWindowCommands, HelpAndLinkThatCannotBeOpenedSayWhere)
{
    struct Case {
        const char* name;
        bool manualThere;
        bool opens;
        int command;  // 5 help, -1 the link label
        QString mentioned;
    };
    const QString address = QString::fromUtf8(kMakerAddress);
    const Case cases[] = {
        {"manual missing", false, true, 5, QStringLiteral("manual.html")},
        {"manual not opened", true, false, 5, QStringLiteral("manual.html")},
        {"address not opened", true, false, -1, address},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        shown.clear();
        if (!tc.manualThere)
            QFile::remove(manualPath());
        urlsOpen = tc.opens;
        auto w = makeWindow();
        if (tc.command == 5)
            w->Command1_Click(5);
        else
            w->Label1_Click(0);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].style, MsgOkExclamation);
        EXPECT_TRUE(shown[0].text.contains(tc.mentioned)) << shown[0].text.toStdString();
        if (tc.command == 5) {
            EXPECT_TRUE(shown[0].text.contains(QString::fromStdString(programFolder().string())))
                << shown[0].text.toStdString();
        }
    }
}

TEST_F(MainWindowCommands, AboutOpensModallyAndGivesTheFocusBack)
{
    auto w = makeWindow();
    const Controls c(*w);
    c.Text2[0]->setFocus();
    ModalCloser closer;
    c.Command1[6]->click();
    EXPECT_EQ(closer.closed, QStringList{"sorvane::ui::about"});
    EXPECT_EQ(w->focusWidget(), c.File1);
}


TEST_F(MainWindowCommands, AccessKeysPressTheirButtons)
{
    struct Case {
        Qt::Key key;
        QString message;  // what the pressed button shows first
    };
    const Case cases[] = {
        {Qt::Key_K, QStringLiteral("确实要转换吗?")},
        {Qt::Key_R, QStringLiteral("请选中一个要转换的文件!")},
        {Qt::Key_W, QStringLiteral("请选中一个要转换的文件!")},
    };
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    for (const Case& tc : cases) {
        shown.clear();
        answers = {AnswerNo};
        QTest::keyClick(c.File1, tc.key, Qt::AltModifier);
        // An access key animates the press: the click follows a moment later.
        for (int waited = 0; shown.empty() && waited < 2000; waited += 20)
            QTest::qWait(20);
        ASSERT_FALSE(shown.empty()) << tc.key;
        EXPECT_EQ(shown[0].text, tc.message);
    }
    EXPECT_TRUE(calls.empty());
}


TEST_F(MainWindowCommands, KeptPairFromTheEditorIsSavedAtCloseAndATemporaryOneIsNot)
{
    writeDoc(QStringLiteral("a.htm"), "<html><body><p>one two three</p></body></html>");
    ASSERT_TRUE(saveListFile(listFile(), {{u"zero", u"0", "Y"}}));
    auto w = makeWindow();
    const Controls c(*w);
    select(*w, {0});
    bool drove = false;
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || drove)
            return;
        drove = true;
        auto* text = modal->findChild<QPlainTextEdit*>(QStringLiteral("Text1_1"));
        auto* replacement = modal->findChild<QLineEdit*>(QStringLiteral("Text1_0"));
        auto* temporary = modal->findChild<QCheckBox*>(QStringLiteral("Check1"));
        auto* confirm = modal->findChild<QAction*>(QStringLiteral("MENU_0_2"));
        if (text && replacement && temporary && confirm) {
            // "two" as a kept pair, then "three" as a temporary one.
            const auto enter = [&](const QString& piece, const QString& by, bool isTemporary) {
                const int at = text->toPlainText().indexOf(piece);
                QTextCursor cursor = text->textCursor();
                cursor.setPosition(at);
                cursor.setPosition(at + static_cast<int>(piece.size()), QTextCursor::KeepAnchor);
                text->setTextCursor(cursor);
                replacement->setText(by);
                temporary->setChecked(isTemporary);
                confirm->trigger();
            };
            enter(QStringLiteral("two"), QStringLiteral("2"), false);
            enter(QStringLiteral("three"), QStringLiteral("3"), true);
        }
        modal->close();
    });
    driver.start();
    w->Command1_Click(2);
    waitIdle(*w);
    driver.stop();

    ASSERT_TRUE(drove);
    ASSERT_EQ(c.List1_0->count(), 3);
    EXPECT_EQ(c.List1_0->item(1)->text(), QStringLiteral("two"));
    EXPECT_EQ(c.List1_0->item(2)->text(), QStringLiteral("three"));
    EXPECT_TRUE(c.List1_0->item(2)->isSelected());
    ASSERT_EQ(w->replacementList().size(), 3u);
    EXPECT_EQ(w->replacementList()[1].replacement, u"2");
    EXPECT_EQ(w->replacementList()[1].keep, "Y");
    EXPECT_EQ(w->replacementList()[2].keep, "N");
    EXPECT_EQ(w->listChanged(), 1);
    w->close();
    // The kept pair is saved; the temporary one lived only for this run.
    const ReplacementList saved = loadListFile(listFile());
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].search, u"two");
}

}  // namespace
}  // namespace sorvane::ui::testing
