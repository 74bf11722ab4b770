// The replacement confirmation window T1, driven headless.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

#include "common/replacement_list.h"
#include "engine/convert/ch_txt.h"
#include "io/codepage.h"
#include "engine/convert/renderer.h"
#include "replace_window/t1.h"
#include "window_test_support.h"

namespace sorvane::ui {
namespace {

using testing::MsgBoxRecorder;
using testing::TempFolder;

QString u(const char16_t* s)
{
    return QString::fromStdU16String(s);
}

// Finds a child that must exist; fails the test otherwise.
template <typename W>
W* child(const T1& window, const char* name)
{
    W* w = window.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void select(T1& window, int start, int length)
{
    auto* box = child<QPlainTextEdit>(window, "Text1_1");
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

// Selects `piece` where it first appears in the box.
void selectPiece(T1& window, const QString& piece)
{
    const QString shown = child<QPlainTextEdit>(window, "Text1_1")->toPlainText();
    const auto at = shown.indexOf(piece);
    ASSERT_GE(at, 0) << piece.toStdString();
    select(window, static_cast<int>(at), static_cast<int>(piece.size()));
}

void confirm(T1& window)
{
    child<QAction>(window, "MENU_0_2")->trigger();
}

std::string cp936(const char16_t* text)
{
    return encodeCp936(text).bytes;
}

TEST(T1Window, ModeDecidesCaptionMenuAndReplacementRow)
{
    struct Case {
        const char* mode;
        bool preview;
    };
    const Case cases[] = {{"4", true}, {"2", false}, {"", false}, {"44", false}};

    TempFolder folder;
    const auto file = folder.write("TEMP.TXT", "text");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ReplacementList list;
        T1 window(QString::fromLatin1(c.mode), file, list);
        ASSERT_TRUE(window.Read_T());
        EXPECT_EQ(window.windowTitle(), c.preview ? u(u"预览转换后文本") : u(u"确认替换内容"));
        EXPECT_EQ(child<QFrame>(window, "Frame1")->isHidden(), c.preview);
        EXPECT_EQ(child<QAction>(window, "MENU_0_2")->isVisible(), !c.preview);
        EXPECT_TRUE(child<QAction>(window, "MENU_0_0")->isVisible());
        EXPECT_EQ(child<QAction>(window, "MENU_0_0")->text(), u(u"&X.退出"));
        EXPECT_EQ(child<QAction>(window, "MENU_0_2")->text(), u(u"&K.确认"));
        EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(window.isModal());
        auto* check = child<QCheckBox>(window, "Check1");
        EXPECT_TRUE(check->isChecked());
        EXPECT_EQ(check->text(), u(u"&T.临时替换"));
        EXPECT_TRUE(child<QLineEdit>(window, "Text1_0")->text().isEmpty());
    }
}

TEST(T1Window, PreviewShowsScratchFilePassedThroughTheListAgain)
{
    TempFolder folder;
    // What the engine wrote for the preview: code page 936, CR LF, list already applied.
    const auto scratch = folder.write("TEMP.TXT", cp936(u"　　第一行 ab 末尾\r\n\r\n第二行 ab\r\n"));
    ReplacementList list{{u"ab", u"abab", "Y"}, {u"第二", u"第贰", "N"}};

    MsgBoxRecorder boxes;
    T1 window(QStringLiteral("4"), scratch, list);
    ASSERT_TRUE(window.Read_T());
    EXPECT_EQ(child<QPlainTextEdit>(window, "Text1_1")->toPlainText(),
              u(u"　　第一行 abab 末尾\n\n第贰行 abab\n"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(list.size(), 2u);  // showing changes nothing in the list
}

// The box lines of a text: line breaks as the box holds them, trailing empty lines gone.
QStringList boxLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The lines the engine's preview conversion writes for `page`, without their indent: what
// the replacement editor must show line for line.
QStringList previewLines(TempFolder& folder, const std::filesystem::path& page, const ConversionParams& params,
                         const ReplacementList& list)
{
    EngineContext context;
    context.programFolder = folder.path("");
    const Result<ConversionReport> converted = ch_txt(page, 1, params, list, context);
    EXPECT_TRUE(converted);
    QStringList written;
    for (QString line : boxLines(QString::fromStdU16String(
             decodeCp936(testing::readBytes(folder.path("TEMP.TXT")))))) {
        if (line.startsWith(u(u"\u3000\u3000")))
            line.remove(0, 2);
        written << line;
    }
    return written;
}

TEST(T1Window, ShownTextIsWhatTheConversionGoesOnWithAndTheClipboardIsLeftAlone)
{
    TempFolder folder;
    // U+00E9 and U+20AC survive code page 936; U+0E01 and U+263A do not, and neither does
    // the replacement U+D55C the list brings in.
    const auto page = folder.write(
        "page.html",
        "<html><body><p>caf\xC3\xA9 \xE2\x82\xAC 5</p><p>\xE0\xB8\x81 \xE2\x98\xBA tail</p></body></html>");

    QClipboard* clipboard = QApplication::clipboard();
    auto* before = new QMimeData;
    before->setText(QStringLiteral("saved text"));
    before->setHtml(QStringLiteral("<b>saved</b>"));
    clipboard->setMimeData(before);

    ReplacementList list{{u"tail", u"\uD55C", "Y"}};
    MsgBoxRecorder boxes;
    T1 window(QStringLiteral("2"), page, list);
    ASSERT_TRUE(window.Read_T());
    const QString shown = child<QPlainTextEdit>(window, "Text1_1")->toPlainText();
    EXPECT_TRUE(shown.contains(u(u"caf\u00E9 \u20AC 5"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("? ? ?"))) << shown.toStdString();

    // The conversion of the same page with every line kept: each written line, without
    // its indent, is a line of the box.
    ConversionParams keepAll;
    keepAll.headBlank = "9";
    keepAll.restBlank = "9";
    const QStringList written = previewLines(folder, page, keepAll, list);
    EXPECT_EQ(boxLines(shown), written);

    select(window, 0, 4);
    confirm(window);
    const QMimeData* after = clipboard->mimeData();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->text(), QStringLiteral("saved text"));
    EXPECT_EQ(after->html(), QStringLiteral("<b>saved</b>"));
}

// With Traditional to Simplified chosen, the replacement editor shows the text the
// conversion goes on with, so a pair picked there is written in the reader's script.
TEST(T1Window, ShownTextFollowsTheChosenScriptConversion)
{
    TempFolder folder;
    const auto page = folder.write("page.html",
                                   "<html><body><p>\xE8\x87\xBA\xE7\x81\xA3\xE9\x80\x99\xE8\xA3\xA1</p>"
                                   "<p>tail</p></body></html>");  // 臺灣這裡
    ConversionParams params;
    params.headBlank = "9";
    params.restBlank = "9";
    params.script = ScriptConversion::T2S;
    const ReplacementList list{{u"tail", u"\u5C3E", "Y"}};  // 尾

    const Result<Text> shown = T1::shownText(QStringLiteral("2"), page, params, list);
    ASSERT_TRUE(shown) << shown.error().describe();
    const QString box = QString::fromStdU16String(*shown);
    EXPECT_TRUE(box.contains(u(u"\u53F0\u6E7E\u8FD9\u91CC"))) << box.toStdString();  // 台湾这里

    const QStringList written = previewLines(folder, page, params, list);
    EXPECT_EQ(boxLines(box), written);

    // Without the choice the page shows as written.
    const Result<Text> plain = T1::shownText(QStringLiteral("2"), page, ConversionParams{}, list);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(QString::fromStdU16String(*plain).contains(u(u"\u81FA\u7063\u9019\u88E1")));
}

// The scratch file is read as code page 936: short GBK lines that also happen to be
// valid UTF-8 still show as the Chinese the conversion wrote.
TEST(T1Window, PreviewReadsTheScratchFileAsCodePage936)
{
    TempFolder folder;
    const auto page = folder.write(
        "page.html", "<html><head><meta charset=\"utf-8\"></head><body><p>\xE6\x97\xB6\xE8\xAF\xB4</p></body></html>");
    EngineContext context;
    context.programFolder = folder.path("");
    ASSERT_TRUE(ch_txt(page, 1, ConversionParams{}, {}, context));
    ASSERT_EQ(testing::readBytes(folder.path("TEMP.TXT")), "\xca\xb1\xcb\xb5\r\n");

    ReplacementList list;
    MsgBoxRecorder boxes;
    T1 window(QStringLiteral("4"), folder.path("TEMP.TXT"), list);
    ASSERT_TRUE(window.Read_T());
    EXPECT_EQ(child<QPlainTextEdit>(window, "Text1_1")->toPlainText(), u(u"\u65F6\u8BF4\n"));
}

TEST(T1Window, DocumentThatCannotBeShownIsReportedAndNotOpened)
{
    TempFolder folder;
    const auto binary = folder.write("image.dat", std::string("GIF89a\0\0\x01\x02", 10));
    const std::filesystem::path missing = folder.path("gone.htm");
    const std::filesystem::path aFolder = folder.path("");

    for (const auto& path : {binary, missing, aFolder}) {
        SCOPED_TRACE(path.string());
        MsgBoxRecorder boxes;
        ReplacementList list;
        T1 window(QStringLiteral("2"), path, list);
        EXPECT_FALSE(window.Read_T());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].style, MsgOkExclamation);
        EXPECT_TRUE(boxes.boxes[0].text.contains(QString::fromStdString(path.filename().string())))
            << boxes.boxes[0].text.toStdString();
        EXPECT_FALSE(window.isVisible());
    }
}

TEST(T1Window, ConfirmingAddsOrUpdatesRowsWithinOneOpening)
{
    TempFolder folder;
    const auto doc = folder.write("doc.txt", "abc ABC\r\nsecond line\r\nend");
    ReplacementList list{{u"absent", u"x", "Y"}};

    MsgBoxRecorder boxes;
    T1 window(QStringLiteral("2"), doc, list);
    ASSERT_TRUE(window.Read_T());
    std::vector<int> confirmedRows;
    QObject::connect(&window, &T1::rowConfirmed, [&](int row) { confirmedRows.push_back(row); });
    const QString shownBefore = child<QPlainTextEdit>(window, "Text1_1")->toPlainText();

    struct Step {
        const char16_t* piece;  // selected in the box
        const char16_t* replacement;
        bool temporary;  // Check1
        int row;         // row appended or updated
        ReplacementRow expected;
    };
    const Step steps[] = {
        {u"abc", u"xyz", true, 1, {u"abc", u"xyz", "N"}},
        {u"ABC", u"", false, 2, {u"ABC", u"", "Y"}},       // case counts; empty replacement
        {u"abc", u"def", false, 1, {u"abc", u"def", "Y"}},  // same text again: updated
        {u"ond line", u"L", true, 3, {u"ond line", u"L", "N"}},
        {u"ABC", u"q", true, 2, {u"ABC", u"q", "N"}},
    };
    auto* replacement = child<QLineEdit>(window, "Text1_0");
    auto* temporary = child<QCheckBox>(window, "Check1");
    size_t shown = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(QString::fromStdU16String(s.piece).toStdString());
        selectPiece(window, QString::fromStdU16String(s.piece));
        replacement->setText(QString::fromStdU16String(s.replacement));
        temporary->setChecked(s.temporary);
        confirm(window);

        ASSERT_EQ(boxes.boxes.size(), ++shown);
        EXPECT_EQ(boxes.boxes.back().text, QStringLiteral("OK"));
        EXPECT_EQ(boxes.boxes.back().style, MsgOk);
        ASSERT_EQ(confirmedRows.back(), s.row);
        ASSERT_LT(static_cast<size_t>(s.row), list.size());
        EXPECT_EQ(list[s.row].search, s.expected.search);
        EXPECT_EQ(list[s.row].replacement, s.expected.replacement);
        EXPECT_EQ(list[s.row].keep, s.expected.keep);
    }
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].search, u"absent");
    EXPECT_EQ(confirmedRows, (std::vector<int>{1, 2, 1, 3, 2}));
    // The shown text is not recomputed after a confirmation.
    EXPECT_EQ(child<QPlainTextEdit>(window, "Text1_1")->toPlainText(), shownBefore);
}

TEST(T1Window, SelectionIsStoredWithTheLineBreaksOfTheRenderedText)
{
    struct Case {
        const char* name;
        std::string bytes;         // the document (.txt)
        ReplacementList list;      // applied before showing
        int start, length;         // selection in the box
        const char16_t* expected;  // the stored search text
    };
    const Case cases[] = {
        {"across one break", "one\r\ntwo\r\nthree", {}, 2, 4, u"e\r\ntw"},
        {"lone LF in the file becomes CR LF", "one\ntwo", {}, 0, 7, u"one\r\ntwo"},
        {"two breaks, empty line between", "a\r\n\r\nb", {}, 0, 4, u"a\r\n\r\nb"},
        {"break at both ends", "x\r\ny\r\nz", {}, 1, 3, u"\r\ny\r\n"},
        {"only the break", "x\r\ny", {}, 1, 1, u"\r\n"},
        {"after several breaks", "1\r\n2\r\n3\r\n4\r\n5", {}, 6, 3, u"4\r\n5"},
        {"a lone CR left by the list", "a\r\nb", {{u"\n", u"", "Y"}}, 0, 3, u"a\rb"},
        {"a lone LF left by the list", "a\r\nb\r\nc", {{u"\r", u"", "Y"}}, 2, 3, u"b\nc"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto doc = folder.write("lines.txt", c.bytes);
        ReplacementList list = c.list;
        MsgBoxRecorder boxes;
        T1 window(QStringLiteral("2"), doc, list);
        ASSERT_TRUE(window.Read_T());
        select(window, c.start, c.length);
        confirm(window);
        ASSERT_EQ(list.size(), c.list.size() + 1);
        EXPECT_EQ(QString::fromStdU16String(list.back().search),
                  QString::fromStdU16String(c.expected));
    }
}

TEST(T1Window, ConfirmedMultiLinePieceIsFoundByTheConversion)
{
    TempFolder folder;
    const auto doc = folder.write("story.htm",
                                  "<html><body><p>正文开始</p><p>广告 第一行</p>"
                                  "<p>广告 第二行</p><p>正文结束</p></body></html>");
    ReplacementList list;
    MsgBoxRecorder boxes;
    T1 window(QStringLiteral("2"), doc, list);
    ASSERT_TRUE(window.Read_T());
    const QString shown = child<QPlainTextEdit>(window, "Text1_1")->toPlainText();
    const auto from = shown.indexOf(u(u"广告 第一行"));
    const auto to = shown.indexOf(u(u"广告 第二行")) + 6;
    ASSERT_GE(from, 0);
    select(window, static_cast<int>(from), static_cast<int>(to - from));
    confirm(window);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(list[0].search.find(u"\r\n"), Text::npos);

    // The preview conversion with the new row no longer has the piece.
    EngineContext context;
    context.programFolder = folder.path("");
    Result<ConversionReport> report = ch_txt(doc, 1, ConversionParams{}, list, context);
    ASSERT_TRUE(report) << report.error().describe();
    Result<std::string> written = readWholeFile(folder.path("TEMP.TXT"));
    ASSERT_TRUE(written);
    const QString text = QString::fromStdU16String(decodeCp936(*written));
    EXPECT_FALSE(text.contains(u(u"广告"))) << text.toStdString();
    EXPECT_TRUE(text.contains(u(u"正文开始")));
    EXPECT_TRUE(text.contains(u(u"正文结束")));
}

TEST(T1Window, EmptySelectionIsRefusedWithAWarning)
{
    TempFolder folder;
    const auto doc = folder.write("doc.txt", "some text");
    ReplacementList list{{u"x", u"y", "Y"}};
    MsgBoxRecorder boxes;
    T1 window(QStringLiteral("2"), doc, list);
    ASSERT_TRUE(window.Read_T());
    int confirmed = 0;
    QObject::connect(&window, &T1::rowConfirmed, [&](int) { ++confirmed; });
    child<QLineEdit>(window, "Text1_0")->setText(QStringLiteral("replacement"));

    select(window, 3, 0);
    confirm(window);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, u(u"请选定要替换的文字部分!"));
    EXPECT_EQ(boxes.boxes[0].style, MsgOkExclamation);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].replacement, u"y");
    EXPECT_EQ(confirmed, 0);
}

class T1Focus : public ::testing::Test {
protected:
    void open(const std::string& bytes)
    {
        doc = folder.write("doc.txt", bytes);
        window = std::make_unique<T1>(QStringLiteral("2"), doc, list);
        ASSERT_TRUE(window->Read_T());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        box = child<QPlainTextEdit>(*window, "Text1_1");
        box->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(box->hasFocus());
    }

    void expectSelection(int start, int end)
    {
        EXPECT_EQ(box->textCursor().selectionStart(), start);
        EXPECT_EQ(box->textCursor().selectionEnd(), end);
    }

    TempFolder folder;
    std::filesystem::path doc;
    ReplacementList list;
    MsgBoxRecorder boxes;
    std::unique_ptr<T1> window;
    QPlainTextEdit* box = nullptr;
};

TEST_F(T1Focus, SelectionComesBackAfterWorkingInTheReplacementRow)
{
    open("first line\r\nsecond line\r\nthird line");
    select(*window, 6, 9);  // "line\r\nseco"
    auto* replacement = child<QLineEdit>(*window, "Text1_0");
    replacement->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(replacement->hasFocus());
    QTest::keyClicks(replacement, QStringLiteral("new"));

    // Whatever the box's cursor did meanwhile, coming back restores the saved selection.
    box->moveCursor(QTextCursor::End);
    box->setFocus(Qt::MouseFocusReason);
    expectSelection(6, 15);

    // A click on Check1 unticks it and sends the focus back to the box, same selection.
    replacement->setFocus(Qt::TabFocusReason);
    box->moveCursor(QTextCursor::Start);
    auto* check = child<QCheckBox>(*window, "Check1");
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(box->hasFocus());
    expectSelection(6, 15);

    confirm(*window);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].search, u"line\r\nseco");
    EXPECT_EQ(list[0].replacement, u"new");
    EXPECT_EQ(list[0].keep, "Y");
}

TEST_F(T1Focus, SelectionLongerThan32767CharactersIsKeptWhole)
{
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += "0123456789\r\n";  // 11 characters a line in the box, 12 in the text
    open(text);
    const int length = 11 * 3500;  // 38,500 characters
    select(*window, 11, length);
    child<QLineEdit>(*window, "Text1_0")->setFocus(Qt::TabFocusReason);
    box->moveCursor(QTextCursor::Start);
    child<QCheckBox>(*window, "Check1")->click();
    expectSelection(11, 11 + length);

    confirm(*window);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].search.size(), 12u * 3500);
    EXPECT_EQ(list[0].search.substr(0, 12), u"0123456789\r\n");
}

TEST(T1Window, LayoutFillsTheWindow)
{
    TempFolder folder;
    const auto doc = folder.write("doc.txt", "text");
    for (const char* mode : {"2", "4"}) {
        for (const QSize size : {QSize(640, 480), QSize(1100, 700), QSize(300, 200)}) {
            SCOPED_TRACE(std::string(mode) + " " + std::to_string(size.width()));
            ReplacementList list;
            T1 window(QString::fromLatin1(mode), doc, list);
            ASSERT_TRUE(window.Read_T());
            window.setWindowState(Qt::WindowNoState);
            window.resize(size);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            QApplication::processEvents();

            const QRect inner = window.rect();
            const QRect text = child<QPlainTextEdit>(window, "Text1_1")->geometry();
            const QRect bar = child<QMenuBar>(window, "menuBar")->geometry();
            EXPECT_LE(text.left(), 3);
            EXPECT_GE(text.right(), inner.right() - 3);
            EXPECT_GE(text.bottom(), inner.bottom() - 3);
            if (QString::fromLatin1(mode) == QLatin1String("4")) {
                EXPECT_LE(text.top(), bar.bottom() + 3);
            } else {
                auto* frame = child<QFrame>(window, "Frame1");
                const QRect entry = child<QLineEdit>(window, "Text1_0")->geometry();
                const QRect entryInWindow(frame->mapTo(&window, entry.topLeft()), entry.size());
                EXPECT_GE(entryInWindow.right(), inner.right() - 3);
                EXPECT_GT(entry.width(), inner.width() / 3);
                EXPECT_GE(text.top(), frame->geometry().bottom());
                EXPECT_LE(text.top(), frame->geometry().bottom() + 4);
            }
        }
    }
}

TEST(T1Window, EscAndExitMenuCloseTheWindow)
{
    TempFolder folder;
    const auto doc = folder.write("doc.txt", "text");
    const std::vector<std::function<void(T1&)>> closers = {
        [](T1& w) { QTest::keyClick(&w, Qt::Key_Escape); },
        [](T1& w) { QTest::keyClick(child<QPlainTextEdit>(w, "Text1_1"), Qt::Key_Escape); },
        [](T1& w) { child<QAction>(w, "MENU_0_0")->trigger(); },
    };
    for (size_t i = 0; i < closers.size(); ++i) {
        SCOPED_TRACE(i);
        ReplacementList list;
        T1 window(QStringLiteral("4"), doc, list);
        ASSERT_TRUE(window.Read_T());
        bool ran = false;
        QTimer::singleShot(0, &window, [&] {
            ran = true;
            closers[i](window);
        });
        // A guard so a failing closer cannot hang the test run.
        QTimer::singleShot(5000, &window, [&] { window.done(42); });
        EXPECT_EQ(window.exec(), QDialog::Rejected);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(window.isVisible());
    }
}

}  // namespace
}  // namespace sorvane::ui
