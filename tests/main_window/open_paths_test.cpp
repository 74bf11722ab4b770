// Files and folders given from outside: dropped on the window or named at start-up.
#include <chrono>
#include <thread>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QtTest/QTest>

#include "settings/ini_file.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

class MainWindowOpenPaths : public MainWindowTest {
protected:
    QString other() const { return docs() + QStringLiteral("/other"); }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        writeDoc(QStringLiteral("here.htm"));
        QDir(docs()).mkdir(QStringLiteral("other"));
        for (const char* name : {"a.htm", "b.txt", "c.html", "d.htm", "e.htm"})
            writeDoc(QString::fromLatin1(name), "<p>x</p>", other());
    }

    QStringList selectedNames(const SorvMain& w) const
    {
        QStringList names;
        const QStringList entries = fileEntries(w);
        for (const int i : selectedEntries(w))
            names << entries[i];
        return names;
    }

    // Drops `paths` on the window as a file manager does; returns whether the window
    // accepted the drag.
    bool drop(SorvMain& w, const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint at(w.width() / 2, w.height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &dropped);
        QApplication::processEvents();
        return true;
    }
};

TEST_F(MainWindowOpenPaths, DroppedFilesFromAnotherFolderAreExactlyTheSelection)
{
    auto w = makeWindow();
    const Controls c(*w);
    ASSERT_EQ(c.File1->path(), docs());

    ASSERT_TRUE(drop(*w, {other() + QStringLiteral("/e.htm"), other() + QStringLiteral("/b.txt"),
                          other() + QStringLiteral("/a.htm")}));

    EXPECT_EQ(c.Dir1->path(), other());
    EXPECT_EQ(c.File1->path(), other());
    // "*.htm" hid b.txt: the pattern grows by its extension, and no further.
    EXPECT_EQ(c.Combo1[0]->currentText(), QStringLiteral("*.htm;*.txt"));
    EXPECT_EQ(fileEntries(*w), (QStringList{"a.htm", "b.txt", "d.htm", "e.htm"}));
    EXPECT_EQ(selectedNames(*w), (QStringList{"a.htm", "b.txt", "e.htm"}));
    EXPECT_EQ(w->focusWidget(), c.File1);
    EXPECT_TRUE(shown.empty());
}

TEST_F(MainWindowOpenPaths, DroppedFolderBecomesTheCurrentFolder)
{
    auto w = makeWindow();
    const Controls c(*w);
    ASSERT_TRUE(drop(*w, {other()}));
    EXPECT_EQ(c.Dir1->path(), other());
    EXPECT_EQ(c.File1->path(), other());
    EXPECT_EQ(c.Combo1[0]->currentText(), QStringLiteral("*.htm"));
    EXPECT_EQ(fileEntries(*w), (QStringList{"a.htm", "d.htm", "e.htm"}));
    EXPECT_TRUE(selectedEntries(*w).empty());
    EXPECT_TRUE(shown.empty());

    // Text without file addresses is not taken.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(MainWindowOpenPaths, StartUpPathsApplyAfterTheStoredSettings)
{
    QDir(docs()).mkdir(QStringLiteral("stored"));
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "USE_PATH", (docs() + QStringLiteral("/stored")).toStdString()));
    ASSERT_TRUE(Write_INI(settingsFile(), "SET", "PATTERN", "*.html"));
    auto w = makeWindow();
    const Controls c(*w);
    ASSERT_EQ(c.File1->path(), docs() + QStringLiteral("/stored"));

    const QString missing = docs() + QStringLiteral("/gone.htm");
    w->openPaths({other() + QStringLiteral("/d.htm"), missing, other() + QStringLiteral("/c.html")});

    EXPECT_EQ(c.File1->path(), other());
    EXPECT_EQ(c.Combo1[0]->currentText(), QStringLiteral("*.html;*.htm"));
    EXPECT_EQ(selectedNames(*w), (QStringList{"c.html", "d.htm"}));
    // What could not be opened is named in one message.
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(missing)) << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].style, MsgOkExclamation);
}

TEST_F(MainWindowOpenPaths, NothingOpensDuringARun)
{
    auto w = makeWindow();
    const Controls c(*w);
    std::atomic<bool> release{false};
    outcome = [&](const Call&, const EngineContext&) -> Result<ConversionReport> {
        for (int waited = 0; !release && waited < 10000; waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ConversionReport{};
    };
    select(*w, {0});
    w->Command1_Click(1);
    ASSERT_TRUE(w->isBusy());
    EXPECT_FALSE(drop(*w, {other()}));
    w->openPaths({other()});
    EXPECT_EQ(c.File1->path(), docs());  // the entries being converted stay listed
    release = true;
    waitIdle(*w);
}

}  // namespace
}  // namespace sorvane::ui::testing
