// The windows speak one language: English when it is set, and Chinese, the program's own,
// otherwise, for their own texts and for the engine's messages they show.
#include <filesystem>
#include <fstream>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

#include "about_window/about.h"
#include "common/messages.h"
#include "replace_window/t1.h"
#include "settings/ini_file.h"
#include "ui_common/window_language.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

// Every text the user can read on `window`: caption, labels, buttons, frame titles, the
// entries of its menu bar and pop-up menus, the items of fixed choice lists,
// placeholders and tooltips, of every widget, shown or not (a mode or a state may show
// it). Lists of files, folders, drives and patterns hold the user's names and are left
// out.
QStringList windowTexts(QWidget* window)
{
    static const QStringList data = {QStringLiteral("Combo1_0"), QStringLiteral("Drive1"), QStringLiteral("Dir1"),
                                     QStringLiteral("File1"), QStringLiteral("List1_0")};
    QStringList texts = {window->windowTitle()};
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (data.contains(w->objectName()))
            continue;
        texts << w->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        // A button never shown is captioned with its code name (T1's Command1, pressed by Esc).
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->text() != w->objectName())
            texts << button->text();
        if (auto* frame = qobject_cast<QGroupBox*>(w))
            texts << frame->title();
        if (auto* line = qobject_cast<QLineEdit*>(w))
            texts << line->placeholderText();
        if (auto* box = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < box->count(); ++i)
                texts << box->itemText(i);
    }
    for (QAction* action : window->findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    texts.removeAll(QString());
    return texts;
}

// English words of `text`, leaving out what names things: paths, access keys ("(&K)"),
// single letters (keys, "K" for the size unit), and the names of the program, of the
// encodings, of the keys Alt and Tab and of the confirmation "OK".
QStringList englishWords(QString text)
{
    static const QStringList names = {QStringLiteral("Sorvane"), QStringLiteral("GBK"), QStringLiteral("GB"),
                                      QStringLiteral("UTF"), QStringLiteral("OK"), QStringLiteral("http"),
                                      QStringLiteral("www"), QStringLiteral("sorvane"), QStringLiteral("example"),
                                      QStringLiteral("Alt"), QStringLiteral("Tab")};
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

// The (context, source) texts of a translation file and whether each has its translation.
QMap<QPair<QString, QString>, bool> translationEntries(const QString& file)
{
    QFile in(file);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
    QXmlStreamReader xml(&in);
    QMap<QPair<QString, QString>, bool> entries;
    QString context;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QStringLiteral("name"))
            context = xml.readElementText();
        else if (xml.name() == QStringLiteral("source"))
            source = xml.readElementText();
        else if (xml.name() == QStringLiteral("translation"))
            entries[{context, source}] = xml.attributes().value(QStringLiteral("type")).isEmpty() &&
                                         !xml.readElementText().isEmpty();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

// Every tr() text of the windows' code has its English, found by Qt's own lupdate: a text
// added without one fails here even if no other test shows it. The catalogue holds no
// window text the code no longer has.
TEST(WindowTexts, EveryTrTextHasItsEnglishAndNoEntryIsStale)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fresh = dir.filePath(QStringLiteral("fresh_en.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(SORVANE_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                   QStringLiteral("none"), QStringLiteral(SORVANE_SOURCE_DIR "/src"), QStringLiteral("-ts"), fresh});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const auto found = translationEntries(fresh);
    const auto ours = translationEntries(QStringLiteral(SORVANE_SOURCE_DIR "/translations/sorvane_en.ts"));
    EXPECT_GT(found.size(), 80);
    for (auto it = found.begin(); it != found.end(); ++it)
        EXPECT_TRUE(ours.value(it.key(), false))
            << it.key().first.toStdString() << ": \"" << it.key().second.toStdString() << "\" has no English";
    for (auto it = ours.begin(); it != ours.end(); ++it) {
        if (it.key().first != QStringLiteral("Messages")) {
            EXPECT_TRUE(found.contains(it.key()))
                << it.key().first.toStdString() << ": \"" << it.key().second.toStdString() << "\" is used no more";
        }
    }
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
    // Runs the first document and returns the message boxes the run shows, answered yes.
    const auto boxesOfARun = [this](SorvMain& w) {
        std::vector<QString> boxes;
        setMsgBoxHook([&boxes](const QString& text, MsgStyle) {
            boxes.push_back(text);
            return AnswerYes;
        });
        select(w, {0});
        w.Command1_Click(1);
        waitIdle(w);
        setMsgBoxHook({});
        return boxes;
    };
    writeDoc(QStringLiteral("binary.htm"), QByteArray("\0\1\2\3", 4));
    const QString page = writeDoc(QStringLiteral("page.htm"));
    for (const Language language : {Language::English, Language::Chinese}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Chinese");
        ASSERT_TRUE(setWindowLanguage(language));
        QStringList texts;
        {
            auto w = makeWindow(false);
            texts << windowTexts(w.get());
            about box(w.get());
            texts << windowTexts(&box);
            ReplacementList list;
            for (const char* mode : {"2", "4"}) {
                T1 t1(QString::fromLatin1(mode), page.toStdString(), list, w.get());
                texts << windowTexts(&t1);
            }
            // A run where the engine refuses a document, and the message that reports it.
            const std::vector<QString> boxes = boxesOfARun(*w);
            ASSERT_EQ(boxes.size(), 2u);
            const std::string refusal = formatMessage(language, "不是文本或网页文件（含有二进制数据）");
            EXPECT_TRUE(boxes[1].contains(QString::fromStdString(refusal))) << boxes[1].toStdString();
            texts << QStringList(boxes.begin(), boxes.end());
            // A message box as shown, with its own title and buttons.
            for (const MsgStyle style : {MsgYesNoQuestion, MsgOkExclamation}) {
                QTimer::singleShot(0, [&texts] {
                    QWidget* modal = QApplication::activeModalWidget();
                    ASSERT_NE(modal, nullptr);
                    texts << windowTexts(modal);
                    modal->close();
                });
                msgBox(w.get(), QStringLiteral("Sorvane"), style);
            }
        }
        // A rules file with a bad expression refuses the run, the library's reason told
        // in the language set too.
        {
            const std::filesystem::path rules = std::filesystem::path(docs().toStdString()) / "rules.txt";
            std::ofstream(rules, std::ios::binary) << "(x\t\n";
            ASSERT_TRUE(Write_INI(settingsFile(), "SET", "RULES", rules.string()));
            auto w = makeWindow(false);
            const std::vector<QString> boxes = boxesOfARun(*w);
            ASSERT_EQ(boxes.size(), 2u);
            const std::string why = formatMessage(language, "缺少 )：%1", {"(x"});
            EXPECT_TRUE(boxes[1].contains(QString::fromStdString(why))) << boxes[1].toStdString();
            texts << QStringList(boxes.begin(), boxes.end());
            w->close();
        }
        ASSERT_TRUE(Write_INI(settingsFile(), "SET", "RULES", ""));
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
