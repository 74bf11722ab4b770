// Start-up defaults, stored settings, and what closing writes.
#include <QComboBox>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "common/site.h"
#include "main_window/link_label.h"
#include "main_window/source_lists.h"
#include "settings/ini_file.h"
#include "settings/list_file.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

QStringList items(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

std::string iniValue(const std::filesystem::path& file, const char* key)
{
    return Read_INI(file, "SET", key);
}

using MainWindowStartup = MainWindowTest;

TEST_F(MainWindowStartup, FirstStartShowsDefaultsAndCloseWritesTheSixKeys)
{
    writeDoc(QStringLiteral("b.htm"));
    writeDoc(QStringLiteral("A.htm"));
    writeDoc(QStringLiteral("c.html"));
    writeDoc(QStringLiteral(".hidden.htm"));
    auto w = makeWindow();
    const Controls c(*w);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sorvane"));
    // "不变化", then one item per width from 2 to 9 digits.
    EXPECT_EQ(c.Combo1[1]->count(), 9);
    EXPECT_EQ(c.Combo1[1]->currentIndex(), 0);
    EXPECT_EQ(c.Combo1[1]->itemText(0), QStringLiteral("不变化"));
    EXPECT_EQ(c.Combo1[1]->itemText(1), QStringLiteral("将文件名尾部数字变为2位"));
    EXPECT_EQ(c.Combo1[1]->itemText(8), QStringLiteral("将文件名尾部数字变为9位"));
    const QStringList digits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (QComboBox* box : c.Combo2)
        EXPECT_EQ(items(box), digits);
    EXPECT_EQ(c.Combo2[0]->currentIndex(), 0);
    EXPECT_EQ(c.Combo2[1]->currentIndex(), 1);
    EXPECT_EQ(c.Combo2[2]->currentIndex(), 1);
    EXPECT_TRUE(c.Text2[0]->text().isEmpty());
    EXPECT_TRUE(c.Text2[1]->text().isEmpty());
    EXPECT_EQ(items(c.Combo1[0]),
              (QStringList{"*.*", "*.htm", "*.html", "*.htm;*.html;*.xhtml;*.shtml;*.asp;*.aspx;*.php;*.jsp;*.mht;*.mhtml;*.epub;*.chm;*.docx;*.odt;*.rtf;*.doc;*.fb2;*.fb2.zip;*.mobi;*.azw;*.azw3;*.prc;*.txt;*.text"}));
    EXPECT_EQ(c.Combo1[0]->currentText(), QStringLiteral("*.htm"));
    EXPECT_TRUE(c.Combo1[0]->isEditable());
    EXPECT_FALSE(c.Combo1[1]->isEditable());
    // The process's current folder, "*.htm" files only, hidden ones left out.
    EXPECT_EQ(c.File1->path(), docs());
    EXPECT_EQ(c.Dir1->path(), docs());
    EXPECT_EQ(c.Drive1->drive(), c.Drive1->driveFor(docs()));
    EXPECT_EQ(fileEntries(*w), (QStringList{"A.htm", "b.htm"}));
    EXPECT_EQ(c.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(c.List1_0->count(), 0);
    EXPECT_EQ(w->listChanged(), 0);
    EXPECT_TRUE(c.Timer1->isActive());
    EXPECT_EQ(c.Timer1->interval(), 50);
    EXPECT_EQ(w->focusWidget(), c.File1);
    EXPECT_TRUE(shown.empty());

    // The preview's scratch file goes at close; a part file no preview of this run
    // wrote stays.
    std::ofstream(programFolder() / "TEMP.TXT") << "x";
    std::ofstream(programFolder() / "TEMP_0153.txt") << "x";
    w->show();
    c.Command1[0]->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(shown.empty());

    EXPECT_EQ(iniValue(settingsFile(), "USE_PATH"), docs().toStdString());
    EXPECT_EQ(iniValue(settingsFile(), "Value0"), "0");
    EXPECT_EQ(iniValue(settingsFile(), "Value1"), "1");
    EXPECT_EQ(iniValue(settingsFile(), "Value2"), "1");
    // All six keys, in the order of their first writing, the two boxes empty.
    const std::string ini = readFile(settingsFile());
    std::size_t at = 0;
    for (const char* line : {"[SET]", "USE_PATH=", "Value0=0\r\n", "Value1=1\r\n", "Value2=1\r\n",
                             "MAX_L=\r\n", "MAX_Len=\r\n"}) {
        const std::size_t found = ini.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << ini;
        at = found;
    }
    EXPECT_FALSE(std::filesystem::exists(listFile()));
    EXPECT_FALSE(std::filesystem::exists(programFolder() / "TEMP.TXT"));
    EXPECT_TRUE(std::filesystem::exists(programFolder() / "TEMP_0153.txt"));
}

TEST_F(MainWindowStartup, StoredSettingsAreAppliedAtTheNextStart)
{
    QDir(docs()).mkdir(QStringLiteral("books"));
    const QString books = docs() + QStringLiteral("/books");
    writeDoc(QStringLiteral("ch1.htm"), "<p>1</p>", books);
    writeDoc(QStringLiteral("ch2.htm"), "<p>2</p>", books);
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "USE_PATH", books.toStdString()));
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "Value0", "3"));
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "Value1", "-1"));  // no selection
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "Value2", "12"));  // no such item: default stays
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "MAX_L", "30"));
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "MAX_Len", "7 lines"));
    const ReplacementList stored = {{u"广告", u"", "Y"}, {u"A", u"B", "Y"}};
    ASSERT_TRUE(saveListFile(listFile(), stored));
    const std::string listBefore = readFile(listFile());

    auto w = makeWindow();

    const Controls c(*w);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(c.Dir1->path(), books);
    EXPECT_EQ(c.File1->path(), books);
    EXPECT_EQ(fileEntries(*w), (QStringList{"ch1.htm", "ch2.htm"}));
    EXPECT_EQ(c.Combo2[0]->currentIndex(), 3);
    EXPECT_EQ(c.Combo2[1]->currentIndex(), -1);
    EXPECT_EQ(c.Combo2[2]->currentIndex(), 1);
    EXPECT_EQ(c.Text2[0]->text(), QStringLiteral("30"));
    EXPECT_EQ(c.Text2[1]->text(), QStringLiteral("7 lines"));  // exactly as read
    // The naming method and the document type always start on their defaults.
    EXPECT_EQ(c.Combo1[1]->currentIndex(), 0);
    EXPECT_EQ(c.Combo1[0]->currentText(), QStringLiteral("*.htm"));
    ASSERT_EQ(c.List1_0->count(), 2);
    EXPECT_EQ(c.List1_0->item(0)->text(), QStringLiteral("广告"));
    EXPECT_TRUE(c.List1_0->selectedItems().isEmpty());
    EXPECT_EQ(w->replacementList().size(), 2u);
    EXPECT_EQ(w->listChanged(), 0);

    c.Text2[0]->setText(QStringLiteral("12.6"));
    w->close();
    EXPECT_EQ(iniValue(settingsFile(), "Value0"), "3");
    EXPECT_EQ(iniValue(settingsFile(), "Value1"), "-1");
    EXPECT_EQ(iniValue(settingsFile(), "MAX_L"), "13");
    EXPECT_EQ(iniValue(settingsFile(), "MAX_Len"), "7");
    // The list was not changed: its file is left byte for byte.
    EXPECT_EQ(readFile(listFile()), listBefore);
}

TEST_F(MainWindowStartup, PatternAndGeometryAreKeptAfterTheSixKeys)
{
    struct Case {
        const char* name;
        QString pattern;
        int item;  // the item of Combo1(0) chosen at the next start; -1 for a typed one
    };
    const Case cases[] = {
        {"typed pattern", QStringLiteral("*.txt;*.htm"), -1},
        {"one of the items", QStringLiteral("*.html"), 2},
    };
    writeDoc(QStringLiteral("a.txt"));
    writeDoc(QStringLiteral("b.htm"));
    writeDoc(QStringLiteral("c.html"));
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        std::filesystem::remove(settingsFile());
        {
            auto w = makeWindow();
            const Controls c(*w);
            c.Combo1[0]->setEditText(tc.pattern);
            w->resize(701, 523);
            w->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
            w->close();
        }
        // Our keys follow the six, so the six read as before.
        const std::string ini = readFile(settingsFile());
        const std::size_t six = ini.find("MAX_Len=");
        EXPECT_LT(six, ini.find("PATTERN=" + tc.pattern.toStdString() + "\r\n")) << ini;
        EXPECT_LT(ini.find("PATTERN="), ini.find("GEOMETRY=")) << ini;

        auto w = makeWindow();
        const Controls c(*w);
        EXPECT_EQ(c.Combo1[0]->currentText(), tc.pattern);
        if (tc.item >= 0) {
            EXPECT_EQ(c.Combo1[0]->currentIndex(), tc.item);
        }
        EXPECT_EQ(c.File1->pattern(), tc.pattern);
        EXPECT_EQ(w->size(), QSize(701, 523));
    }
    // Only the types the pattern names are listed.
    auto w = makeWindow();
    EXPECT_EQ(fileEntries(*w), QStringList{"c.html"});
}

TEST_F(MainWindowStartup, StoredFolderThatNoLongerExistsLeavesTheListsOnTheDrivesFolder)
{
    writeDoc(QStringLiteral("here.htm"));
    const QString gone = docs() + QStringLiteral("/deleted/books");
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "USE_PATH", gone.toStdString()));

    auto w = makeWindow();

    const Controls c(*w);
    EXPECT_TRUE(shown.empty());  // ignored without a message
    EXPECT_EQ(c.Drive1->drive(), c.Drive1->driveFor(docs()));
    EXPECT_EQ(c.Dir1->path(), docs());
    EXPECT_EQ(c.File1->path(), docs());
    EXPECT_EQ(fileEntries(*w), QStringList{"here.htm"});
    w->close();
    EXPECT_EQ(iniValue(settingsFile(), "USE_PATH"), docs().toStdString());
}

TEST_F(MainWindowStartup, CloseReportsSettingsThatCannotBeSaved)
{
    // A folder in the settings file's place makes every write fail.
    std::filesystem::create_directory(settingsFile());
    ASSERT_TRUE(saveListFile(listFile(), {{u"a", u"b", "Y"}}));
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    // Deleting the one row changes the list, so closing rewrites the list file too.
    c.List1_0->item(0)->setSelected(true);
    w->Command1_Click(3);
    ASSERT_EQ(w->listChanged(), 1);
    std::filesystem::remove(listFile());
    std::filesystem::create_directory(listFile());
    w->close();
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("设置没有保存成功"))) << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("KELDRAN.INI")));
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("KELDRAN.DAT")));
    EXPECT_EQ(shown[0].style, MsgOkExclamation);
}

TEST_F(MainWindowStartup, EscapeAndAltXCloseThroughTheExitButton)
{
    struct Case {
        const char* name;
        std::function<void(SorvMain&)> press;
    };
    const Case cases[] = {
        {"Esc on File1", [](SorvMain& w) { QTest::keyClick(Controls(w).File1, Qt::Key_Escape); }},
        {"Esc on Text2(0)", [](SorvMain& w) { QTest::keyClick(Controls(w).Text2[0], Qt::Key_Escape); }},
        {"Alt+X", [](SorvMain& w) { QTest::keyClick(Controls(w).File1, Qt::Key_X, Qt::AltModifier); }},
        {"exit button", [](SorvMain& w) { Controls(w).Command1[0]->click(); }},
        {"close box", [](SorvMain& w) { w.close(); }},
    };
    for (const Case& tc : cases) {
        std::filesystem::remove(settingsFile());
        auto w = makeWindow();
        const Controls c(*w);
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        c.Text2[1]->setText(QStringLiteral("30"));
        tc.press(*w);
        // An access key animates the button press: it clicks a moment later.
        for (int waited = 0; w->isVisible() && waited < 2000; waited += 20)
            QTest::qWait(20);
        EXPECT_FALSE(w->isVisible()) << tc.name;
        EXPECT_EQ(iniValue(settingsFile(), "MAX_Len"), "30") << tc.name;
    }
}

TEST_F(MainWindowStartup, ControlsCarryTheirNamesCaptionsAndFocusOrder)
{
    auto w = makeWindow();
    const Controls c(*w);
    const std::pair<const char*, const char*> buttons[] = {
        {"Command1_0", "退　出(&X)"},        {"Command1_1", "转换开始(&K)"},
        {"Command1_2", "确定替换内容(&R)"}, {"Command1_3", "删除"},
        {"Command1_4", "预览转换后内容(&W)"}, {"Command1_5", "帮助(F1)"},
        {"Command1_6", "关于..."}};
    for (const auto& [name, caption] : buttons) {
        auto* button = w->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), QString::fromUtf8(caption));
    }
    EXPECT_TRUE(c.Command1[1]->font().bold());
    EXPECT_FALSE(c.Command1[2]->font().bold());
    EXPECT_EQ(c.Command1[3]->parentWidget(), static_cast<QWidget*>(c.Frame2[1]));
    EXPECT_EQ(c.Frame1->title(), QStringLiteral("选择源文件"));
    EXPECT_EQ(c.Frame2[0]->title(), QStringLiteral("转换参数"));
    EXPECT_EQ(c.Frame2[1]->title(), QStringLiteral("替换列表"));
    const std::pair<int, const char*> labels[] = {
        {0, "目标文档命名方法"}, {1, "开头"}, {2, "行内，最多允许"}, {3, "行空行。"},
        {4, "其余部分，最多允许"}, {5, "行空行。"}, {6, "文档类型："}, {7, "每行连续字符最多"},
        {8, "个。"}, {9, "K"}, {10, "目标文档最大字节数"}};
    for (const auto& [index, text] : labels) {
        auto* label = w->findChild<QLabel*>(QStringLiteral("Label2_%1").arg(index));
        ASSERT_NE(label, nullptr) << index;
        EXPECT_EQ(label->text(), QString::fromUtf8(text));
    }
    EXPECT_TRUE(c.Label1[1]->text().endsWith(QStringLiteral("请访问: ")));
    EXPECT_EQ(c.Label1[0]->text(), QString::fromUtf8(kMakerAddress));
    for (LinkLabel* label : c.Label1) {
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(label->textColour(), QColor(255, 0, 0));
    }
    for (const char* name : {"File1", "Drive1", "Dir1", "Combo1_0", "Combo1_1", "Combo2_0", "Combo2_1",
                             "Combo2_2", "Text2_0", "Text2_1", "List1_0", "Timer1", "Frame1", "Frame2_0",
                             "Frame2_1", "Label1_0", "Label1_1", "outputFolderBox", "outputFolderButton",
                             "outputEncodingBox", "joinBox", "convertBox"})
        EXPECT_NE(w->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;

    // Tab walks the controls in the window's order, starting from File1.
    w->show();
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    const std::vector<QWidget*> order = {
        c.File1,       c.Drive1,      c.Dir1,        c.Combo1[0],   c.Combo1[1],   c.Combo2[0],
        c.Combo2[1],   c.Combo2[2],   c.Text2[0],    c.Text2[1],
        c.outputFolderBox, c.outputFolderButton, c.outputEncodingBox, c.joinBox, c.convertBox,
        c.Command1[0], c.Command1[1], c.Command1[4], c.Command1[2], c.List1_0,
        c.Command1[3], c.Command1[5], c.Command1[6], c.File1};
    EXPECT_EQ(QApplication::focusWidget(), c.File1);
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // An editable combo box hands its focus to its line edit.
        if (focus && focus->parentWidget() == c.Combo1[0])
            focus = c.Combo1[0];
        EXPECT_EQ(focus, order[i]) << "step " << i << ": " << (focus ? focus->objectName().toStdString() : "none");
    }
    w->close();
}

TEST_F(MainWindowStartup, NoCaptionIsCutOffAndTheAddressFollowsTheAdvertisement)
{
    auto w = makeWindow();
    const Controls c(*w);
    for (const int pointSize : {0, 14, 20}) {
        if (pointSize > 0) {
            QFont font = w->font();
            font.setPointSize(pointSize);
            w->setFont(font);
        }
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->adjustSize();
        QApplication::processEvents();
        for (QPushButton* button : w->findChildren<QPushButton*>()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString() << " at " << pointSize;
            EXPECT_GE(button->height(), button->minimumSizeHint().height()) << button->objectName().toStdString();
        }
        for (QLabel* label : w->findChildren<QLabel*>()) {
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_GE(label->contentsRect().width(), needed) << label->objectName().toStdString() << " at " << pointSize;
        }
        // The delete button sits on the caption line, right of the caption, above the list.
        const QRect del = c.Command1[3]->geometry();
        EXPECT_LE(del.bottom(), c.List1_0->geometry().top());
        EXPECT_LE(del.right(), c.Frame2[1]->width());
        EXPECT_GT(del.left(), c.Frame2[1]->fontMetrics().horizontalAdvance(c.Frame2[1]->title()));
        // The address directly after the advertisement, on the same line.
        const QRect ad = c.Label1[1]->geometry();
        const QRect address = c.Label1[0]->geometry();
        EXPECT_EQ(address.left(), ad.right() + 1);
        EXPECT_EQ(address.top(), ad.top());
        EXPECT_EQ(address.height(), ad.height());
        // The source frame above the parameter frame; the buttons right of both.
        EXPECT_LT(c.Frame1->geometry().bottom(), c.Frame2[0]->geometry().top());
        EXPECT_GT(c.Command1[0]->mapTo(w.get(), QPoint(0, 0)).x(), c.Frame1->geometry().right());
    }
    w->close();
}

}  // namespace
}  // namespace sorvane::ui::testing
