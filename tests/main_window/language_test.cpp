// The windows speak one language: English when it is set, and Chinese, the program's own,
// otherwise, for their own texts and for the engine's messages they show.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTimer>

#include "about_window/about.h"
#include "common/messages.h"
#include "replace_window/t1.h"
#include "ui_common/window_language.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

// Every text the user reads on `window`: caption, labels, buttons, frame titles, menu
// entries, the items of fixed choice lists, placeholders and tooltips of what is shown.
// Lists of files, folders, drives and patterns hold the user's names and are left out.
QStringList visibleTexts(QWidget* window)
{
    static const QStringList data = {QStringLiteral("Combo1_0"), QStringLiteral("Drive1"), QStringLiteral("Dir1"),
                                     QStringLiteral("File1"), QStringLiteral("List1_0")};
    QStringList texts = {window->windowTitle()};
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || data.contains(w->objectName()))
            continue;
        texts << w->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        if (auto* frame = qobject_cast<QGroupBox*>(w))
            texts << frame->title();
        if (auto* line = qobject_cast<QLineEdit*>(w))
            texts << line->placeholderText();
        if (auto* box = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < box->count(); ++i)
                texts << box->itemText(i);
        if (auto* menu = qobject_cast<QMenuBar*>(w))
            for (QAction* action : menu->actions())
                texts << (action->isVisible() ? action->text() : QString());
    }
    texts.removeAll(QString());
    return texts;
}

// English words of `text`, leaving out what names things: paths, access keys ("(&K)"),
// single letters (keys, "K" for the size unit), and the names of the program, of the
// encodings and of the confirmation "OK".
QStringList englishWords(QString text)
{
    static const QStringList names = {QStringLiteral("Sorvane"), QStringLiteral("GBK"), QStringLiteral("GB"),
                                      QStringLiteral("UTF"), QStringLiteral("OK"), QStringLiteral("http"),
                                      QStringLiteral("www"), QStringLiteral("sorvane"), QStringLiteral("example")};
    text.remove(QRegularExpression(QStringLiteral("\\S*/\\S*")));
    QStringList words;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("[A-Za-z]{2,}")).globalMatch(text);
    while (it.hasNext()) {
        const QString word = it.next().captured();
        if (!names.contains(word))
            words << word;
    }
    return words;
}

class WindowLanguage : public MainWindowTest {
protected:
    void TearDown() override
    {
        setWindowLanguage(Language::Chinese);
        MainWindowTest::TearDown();
    }
};

TEST_F(WindowLanguage, EveryTextOfTheWindowsIsInTheLanguageSet)
{
    writeDoc(QStringLiteral("binary.htm"), QByteArray("\0\1\2\3", 4));
    const QString page = writeDoc(QStringLiteral("page.htm"));
    for (const Language language : {Language::English, Language::Chinese}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Chinese");
        ASSERT_TRUE(setWindowLanguage(language));
        QStringList texts;
        {
            auto w = makeWindow(false);
            texts << visibleTexts(w.get());
            about box(w.get());
            texts << visibleTexts(&box);
            ReplacementList list;
            for (const char* mode : {"2", "4"}) {
                T1 t1(QString::fromLatin1(mode), page.toStdString(), list, w.get());
                texts << visibleTexts(&t1);
            }
            // A run where the engine refuses a document, and the message that reports it.
            std::vector<QString> boxes;
            setMsgBoxHook([&boxes](const QString& text, MsgStyle) {
                boxes.push_back(text);
                return AnswerYes;
            });
            select(*w, {0});
            w->Command1_Click(1);
            waitIdle(*w);
            ASSERT_EQ(boxes.size(), 2u);
            const std::string refusal = formatMessage(language, "不是文本或网页文件（含有二进制数据）");
            EXPECT_TRUE(boxes[1].contains(QString::fromStdString(refusal))) << boxes[1].toStdString();
            texts << QStringList(boxes.begin(), boxes.end());
            // A message box as shown, with its own title and buttons.
            setMsgBoxHook({});
            for (const MsgStyle style : {MsgYesNoQuestion, MsgOkExclamation}) {
                QTimer::singleShot(0, [&texts] {
                    QWidget* modal = QApplication::activeModalWidget();
                    ASSERT_NE(modal, nullptr);
                    texts << visibleTexts(modal);
                    modal->close();
                });
                msgBox(w.get(), QStringLiteral("Sorvane"), style);
            }
        }
        // Qt's own texts (its dialogs' buttons) follow too.
        texts << QCoreApplication::translate("QPlatformTheme", "&Yes");
        EXPECT_GT(texts.size(), 60);
        for (const QString& text : texts) {
            if (language == Language::English)
                EXPECT_FALSE(hasChinese(text.toStdString())) << text.toStdString();
            else
                EXPECT_EQ(englishWords(text), QStringList()) << text.toStdString();
        }
    }
}

}  // namespace
}  // namespace sorvane::ui::testing
