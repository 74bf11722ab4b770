// Drive, folder and file lists; pattern typing; the colour cycle; F1 and Ctrl+A.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "common/site.h"
#include "main_window/link_label.h"
#include "main_window/source_lists.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

using MainWindowSelection = MainWindowTest;

QTreeWidgetItem* findFolderItem(QTreeWidget* tree, const QString& name)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Opens a folder of Dir1 by double click (press, release, then the double click, as a
// mouse delivers it) or by Enter.
void openInDir1(SorvMain& w, const QString& name, bool byMouse = false)
{
    QTreeWidgetItem* item = findFolderItem(Controls(w).Dir1, name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    if (byMouse) {
        const QPoint at = Controls(w).Dir1->visualItemRect(item).center();
        QTest::mousePress(Controls(w).Dir1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(Controls(w).Dir1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Controls(w).Dir1->viewport(), Qt::LeftButton, {}, at);
        return;
    }
    Controls(w).Dir1->setCurrentItem(item);
    Controls(w).Dir1->setFocus();
    QTest::keyClick(Controls(w).Dir1, Qt::Key_Return);
}

TEST_F(MainWindowSelection, TypedPatternsRefilterOnEveryKeystrokeAndDropTheSelection)
{
    for (const char* name : {"a.htm", "b.html", "c.txt", "D.HTM", ".hidden.htm", "e.htm.bak"})
        writeDoc(QString::fromLatin1(name));
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(fileEntries(*w), (QStringList{"a.htm", "D.HTM"}));

    c.Combo1[0]->setCurrentIndex(0);  // "*.*": every file but the hidden one
    EXPECT_EQ(fileEntries(*w), (QStringList{"a.htm", "b.html", "c.txt", "D.HTM", "e.htm.bak"}));

    // Changing the naming method leaves the list and its selection alone.
    select(*w, {0, 2});
    c.Combo1[1]->setCurrentIndex(3);
    EXPECT_EQ(selectedEntries(*w), (std::vector<int>{0, 2}));

    QLineEdit* edit = c.Combo1[0]->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_TRUE(selectedEntries(*w).empty());  // a new pattern drops the selection
    EXPECT_EQ(fileEntries(*w).size(), 5);       // empty text: every file
    struct Step {
        const char* typed;
        QStringList entries;
    };
    const Step steps[] = {
        {"*", {"a.htm", "b.html", "c.txt", "D.HTM", "e.htm.bak"}},
        {".", {}},  // "*." : names ending in a dot
        {"h", {}},
        {"tm", {"a.htm", "D.HTM"}},
        {";", {"a.htm", "D.HTM"}},
        {"*.html", {"a.htm", "b.html", "D.HTM"}},
    };
    for (const Step& step : steps) {
        if (c.File1->count() > 0)
            select(*w, {0});
        QTest::keyClicks(edit, QString::fromLatin1(step.typed));
        EXPECT_EQ(fileEntries(*w), step.entries) << "after typing " << step.typed;
        EXPECT_TRUE(selectedEntries(*w).empty()) << step.typed;
    }
    EXPECT_EQ(c.File1->pattern(), QStringLiteral("*.htm;*.html"));
}

TEST_F(MainWindowSelection, OpeningAFolderMovesTheFileListAndAnUnreadableOneIsReported)
{
    writeDoc(QStringLiteral("top.htm"));
    QDir(docs()).mkpath(QStringLiteral("sub/inner"));
    QDir(docs()).mkdir(QStringLiteral("vanishing"));
    QDir(docs()).mkdir(QStringLiteral(".hidden"));
    writeDoc(QStringLiteral("deep.htm"), "<p>d</p>", docs() + QStringLiteral("/sub"));
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(findFolderItem(c.Dir1, QStringLiteral(".hidden")), nullptr);
    select(*w, {0});

    openInDir1(*w, QStringLiteral("sub"), true);
    EXPECT_EQ(c.Dir1->path(), docs() + QStringLiteral("/sub"));
    EXPECT_EQ(c.File1->path(), docs() + QStringLiteral("/sub"));
    EXPECT_EQ(fileEntries(*w), QStringList{"deep.htm"});
    EXPECT_TRUE(selectedEntries(*w).empty());
    EXPECT_NE(findFolderItem(c.Dir1, QStringLiteral("inner")), nullptr);

    // Back up through the chain of open folders.
    openInDir1(*w, QFileInfo(docs()).fileName());
    EXPECT_EQ(c.File1->path(), docs());
    EXPECT_TRUE(shown.empty());

    // A folder removed after it was listed: a message, and the lists stay.
    QDir(docs()).rmdir(QStringLiteral("vanishing"));
    openInDir1(*w, QStringLiteral("vanishing"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("vanishing")));
    EXPECT_EQ(shown[0].style, MsgOkExclamation);
    EXPECT_EQ(c.Dir1->path(), docs());
    EXPECT_EQ(c.File1->path(), docs());
    EXPECT_EQ(fileEntries(*w), QStringList{"top.htm"});
}

TEST_F(MainWindowSelection, DriveListOffersTheRootAndMovesTheFolderList)
{
    auto w = makeWindow();
    const Controls c(*w);
    EXPECT_GE(c.Drive1->findData(QStringLiteral("/")), 0);
    EXPECT_EQ(c.Drive1->driveFor(QStringLiteral("/")), QStringLiteral("/"));
    // Choosing the root drive shows the root, whose file list is read from "/".
    const int root = c.Drive1->findData(QStringLiteral("/"));
    const QString docsDrive = c.Drive1->drive();
    if (docsDrive != QStringLiteral("/")) {
        c.Drive1->setCurrentIndex(root);
        EXPECT_EQ(c.Dir1->path(), QStringLiteral("/"));
        EXPECT_EQ(c.File1->path(), QStringLiteral("/"));
        // Coming back to the first drive returns to the folder shown there before.
        c.Drive1->setCurrentIndex(c.Drive1->findData(docsDrive));
        EXPECT_EQ(c.Dir1->path(), docs());
    } else {
        // Documents on the root drive: the tree starts at "/" and leads to them.
        ASSERT_GT(c.Dir1->topLevelItemCount(), 0);
        EXPECT_EQ(c.Dir1->topLevelItem(0)->text(0), QStringLiteral("/"));
        EXPECT_EQ(c.Dir1->path(), docs());
    }
    EXPECT_TRUE(shown.empty());

    // A drive that cannot be read (a medium taken out after the list was made): a
    // message, and drive, folder and file lists stay where they were.
    const QString before = c.Drive1->drive();
    c.Drive1->addItem(QStringLiteral("/media/gone"), QStringLiteral("/media/sorvane-test-gone"));
    c.Drive1->setCurrentIndex(c.Drive1->count() - 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("/media/sorvane-test-gone")));
    EXPECT_EQ(c.Drive1->drive(), before);
    EXPECT_EQ(c.Dir1->path(), docs());
    EXPECT_EQ(c.File1->path(), docs());
}

TEST_F(MainWindowSelection, ColourCyclesThroughTheTableEveryTick)
{
    auto w = makeWindow();
    const Controls c(*w);
    c.Timer1->stop();
    ASSERT_EQ(w->colorStep(), 0);  // no tick before the event loop ran
    struct Case {
        int ticks;
        QColor colour;
    };
    const Case cases[] = {{1, QColor(0, 0, 0)}, {2, QColor(0, 0, 128)}, {3, QColor(0, 0, 255)},
                          {27, QColor(255, 255, 255)}, {28, QColor(0, 0, 0)}, {29, QColor(0, 0, 128)}};
    int done = 0;
    for (const Case& step : cases) {
        for (; done < step.ticks; ++done)
            w->Timer1_Timer();
        EXPECT_EQ(c.Label1[1]->textColour(), step.colour) << "after " << step.ticks << " ticks";
        EXPECT_EQ(c.Label1[0]->textColour(), QColor(255, 0, 0));  // the address keeps its red
    }
    EXPECT_EQ(w->colorStep(), 2);  // 29 ticks: 28 mod 27, plus one
}

TEST_F(MainWindowSelection, F1WithAnyModifiersRunsHelp)
{
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                               Qt::AltModifier};
    for (const Qt::KeyboardModifiers m : modifiers) {
        urls.clear();
        c.Text2[0]->setFocus();
        QTest::keyClick(c.Text2[0], Qt::Key_F1, m);
        ASSERT_EQ(urls.size(), 1u) << m.toInt();
        EXPECT_EQ(urls[0], QUrl::fromLocalFile(manualPath()));
        EXPECT_EQ(w->focusWidget(), c.File1);
    }
    // A key released in another window of the program is not this window's business.
    QLineEdit other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    urls.clear();
    QTest::keyClick(&other, Qt::Key_F1);
    EXPECT_TRUE(urls.empty());
}

TEST_F(MainWindowSelection, CtrlASelectsEveryEntryFromAnyControl)
{
    for (const char* name : {"a1.htm", "a2.htm", "b.htm", "c.htm"})
        writeDoc(QString::fromLatin1(name));
    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        bool selectsAll;
    };
    const Case cases[] = {
        {"Ctrl+A", Qt::ControlModifier, true},
        {"Ctrl+Shift+A", Qt::ControlModifier | Qt::ShiftModifier, false},
        {"Alt+A", Qt::AltModifier, false},
        {"Ctrl+Alt+A", Qt::ControlModifier | Qt::AltModifier, false},
    };
    for (const Case& tc : cases) {
        auto w = makeWindow();
        const Controls c(*w);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        for (QWidget* target : {static_cast<QWidget*>(c.Text2[1]), static_cast<QWidget*>(c.File1),
                                static_cast<QWidget*>(c.Combo2[2])}) {
            c.File1->clearSelection();
            target->setFocus();
            QTest::keyClick(target, Qt::Key_A, tc.modifiers);
            const std::vector<int> expected = tc.selectsAll ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{};
            EXPECT_EQ(selectedEntries(*w), expected) << tc.name << " on " << target->objectName().toStdString();
        }
    }
    // An empty list: nothing to select; the list stays shown.
    auto w = makeWindow();
    const Controls c(*w);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    c.Combo1[0]->setEditText(QStringLiteral("*.none"));
    ASSERT_EQ(c.File1->count(), 0);
    QTest::keyClick(c.Text2[0], Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(c.File1->isVisible());
    EXPECT_TRUE(c.File1->updatesEnabled());
}

}  // namespace
}  // namespace sorvane::ui::testing
