// The output row of Frame2(0): where the files go and in what encoding, kept in
// KELDRAN.INI after the six described keys; and the run's refusal of a shared output.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "settings/ini_file.h"
#include "window_fixture.h"

namespace sorvane::ui::testing {
namespace {

using MainWindowOutputRow = MainWindowTest;

const QByteArray kPage = "<html><head><meta charset=\"utf-8\"></head><body><p>"
                         "\xF0\x9F\x98\x80\xC2\xBD\xED\x95\x9C\xE2\x82\xAC\xE9\x95\x95</p></body></html>";

TEST_F(MainWindowOutputRow, StoredAfterTheSixKeysAndReadBack)
{
    auto w = makeWindow();
    const Controls c(*w);
    EXPECT_TRUE(c.outputFolderBox->text().isEmpty());  // beside each source
    EXPECT_EQ(c.outputEncodingBox->currentIndex(), 0);
    EXPECT_EQ(c.outputEncodingBox->itemText(0), QStringLiteral("GBK (默认)"));
    EXPECT_EQ(c.outputEncodingBox->count(), 3);
    EXPECT_EQ(c.outputFolderButton->text(), QStringLiteral("…"));

    const QString out = docs() + QStringLiteral("/输出");
    c.outputFolderBox->setText(out);
    c.outputEncodingBox->setCurrentIndex(2);
    EXPECT_FALSE(c.joinBox->isChecked());
    EXPECT_EQ(c.convertBox->currentIndex(), 0);
    EXPECT_EQ(c.convertBox->count(), 5);
    c.joinBox->setChecked(true);
    c.convertBox->setCurrentIndex(1);  // Traditional to Simplified
    w->close();
    const std::string ini = readFile(settingsFile());
    std::size_t at = 0;
    for (const char* line : {"MAX_Len=\r\n", "OUT_PATH=", "OUT_ENC=UTF-8\r\n", "JOIN=1\r\n", "CONVERT=t2s\r\n"}) {
        const std::size_t found = ini.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << ini;
        at = found;
    }

    EXPECT_EQ(Read_INI(settingsFile(), "SET", "OUT_PATH"), out.toStdString());

    auto again = makeWindow();
    const Controls c2(*again);
    EXPECT_EQ(c2.outputFolderBox->text(), out);
    EXPECT_EQ(c2.outputEncodingBox->currentIndex(), 2);
    EXPECT_TRUE(c2.joinBox->isChecked());
    EXPECT_EQ(c2.convertBox->currentIndex(), 1);
    again->close();
}

TEST_F(MainWindowOutputRow, AFileWithTheSixDescribedKeysOnlyReadsAsBefore)
{
    // Written by the described program: code page 936, CR LF, six keys.
    const std::string described = "[SET]\r\nUSE_PATH=" + docs().toStdString() +
                                  "\r\nValue0=2\r\nValue1=0\r\nValue2=3\r\nMAX_L=8\r\nMAX_Len=30\r\n";
    {
        std::ofstream(settingsFile(), std::ios::binary) << described;
    }
    auto w = makeWindow();
    const Controls c(*w);
    EXPECT_EQ(c.Combo2[0]->currentIndex(), 2);
    EXPECT_EQ(c.Combo2[1]->currentIndex(), 0);
    EXPECT_EQ(c.Combo2[2]->currentIndex(), 3);
    EXPECT_EQ(c.Text2[0]->text(), QStringLiteral("8"));
    EXPECT_EQ(c.Text2[1]->text(), QStringLiteral("30"));
    EXPECT_TRUE(c.outputFolderBox->text().isEmpty());
    EXPECT_EQ(c.outputEncodingBox->currentIndex(), 0);
    EXPECT_FALSE(c.joinBox->isChecked());
    EXPECT_EQ(c.convertBox->currentIndex(), 0);
    w->close();
    // The six lines stay as they were; the new keys follow them, the output row last.
    const std::string after = readFile(settingsFile());
    EXPECT_EQ(after.substr(0, described.size()), described);
    const std::string tail = "OUT_PATH=\r\nOUT_ENC=GBK\r\nJOIN=0\r\nCONVERT=none\r\n";
    ASSERT_GE(after.size(), tail.size());
    EXPECT_EQ(after.substr(after.size() - tail.size()), tail) << after;
}

TEST_F(MainWindowOutputRow, RunWritesIntoTheFolderInTheChosenEncoding)
{
    writeDoc(QStringLiteral("p.htm"), kPage);
    auto w = makeWindow(false);
    const Controls c(*w);
    const QString out = docs() + QStringLiteral("/out/deep");
    c.outputFolderBox->setText(out);
    c.outputEncodingBox->setCurrentIndex(2);  // UTF-8
    select(*w, {0});
    w->Command1_Click(1);
    waitIdle(*w);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, QStringLiteral("转换完毕!"));
    EXPECT_EQ(readFile(std::filesystem::path(out.toStdString()) / "p.txt"),
              "\xE3\x80\x80\xE3\x80\x80\xF0\x9F\x98\x80\xC2\xBD\xED\x95\x9C\xE2\x82\xAC\xE9\x95\x95\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(docs().toStdString()) / "p.txt"));

    // GBK, beside the source: the three lost characters are reported in the final message.
    c.outputFolderBox->clear();
    c.outputEncodingBox->setCurrentIndex(0);
    select(*w, {0});
    w->Command1_Click(1);
    waitIdle(*w);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_TRUE(shown[3].text.startsWith(QStringLiteral("转换完毕!"))) << shown[3].text.toStdString();
    EXPECT_TRUE(shown[3].text.contains(QStringLiteral("3 个字符"))) << shown[3].text.toStdString();
    EXPECT_EQ(readFile(std::filesystem::path(docs().toStdString()) / "p.txt"),
              "\xA1\xA1\xA1\xA1???\x80\xE9\x46\r\n");
    w->close();
}

TEST_F(MainWindowOutputRow, TwoEntriesForOneFileConvertOnlyTheFirst)
{
    writeDoc(QStringLiteral("dup.htm"), "<p>first</p>");
    writeDoc(QStringLiteral("dup.html"), "<p>second</p>");
    auto w = makeWindow(false);
    const Controls c(*w);
    c.Combo1[0]->setCurrentIndex(0);  // "*.*"
    ASSERT_EQ(fileEntries(*w), (QStringList{"dup.htm", "dup.html"}));
    select(*w, {0, 1});
    w->Command1_Click(1);
    waitIdle(*w);
    EXPECT_EQ(readFile(std::filesystem::path(docs().toStdString()) / "dup.txt"), "\xA1\xA1\xA1\xA1" "first\r\n");
    ASSERT_EQ(w->lastFailures().size(), 1);
    const QString failure = w->lastFailures().front();
    EXPECT_TRUE(failure.startsWith(docs() + QStringLiteral("/dup.html: "))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(docs() + QStringLiteral("/dup.htm "))) << failure.toStdString();
    EXPECT_EQ(selectedEntries(*w), std::vector<int>{1});
    w->close();
}

TEST_F(MainWindowOutputRow, JoinsTheSelectedEntriesIntoABookNamedAfterTheFolder)
{
    QDir(docs()).mkdir(QStringLiteral("小说"));
    const QString novel = docs() + QStringLiteral("/小说");
    // Big5 chapters, listed in natural order; the middle one cannot be read.
    writeDoc(QStringLiteral("chap1.htm"), "<html><head><meta charset=\"big5\"></head><body><p>\xBB\x4F\xC6\x57</p></body></html>", novel);
    writeDoc(QStringLiteral("chap2.htm"), QByteArray("\0\1\2\3", 4), novel);
    writeDoc(QStringLiteral("chap10.htm"), "<html><head><meta charset=\"big5\"></head><body><p>\xB3\x6F\xB8\xCC</p></body></html>", novel);
    auto w = makeWindow(false);
    const Controls c(*w);
    w->openPaths({novel});
    ASSERT_EQ(fileEntries(*w), (QStringList{"chap1.htm", "chap2.htm", "chap10.htm"}));
    c.joinBox->setChecked(true);
    c.convertBox->setCurrentIndex(1);  // Traditional to Simplified
    const QString out = docs() + QStringLiteral("/books");
    c.outputFolderBox->setText(out);
    select(*w, {0, 1, 2});
    w->Command1_Click(1);
    waitIdle(*w);
    // 臺灣 and 這裡 in Simplified, one blank line between the chapters, the bad one left out.
    EXPECT_EQ(readFile(std::filesystem::path(out.toStdString()) / "小说.txt"),
              "\xCC\xA8\xCD\xE5\r\n\r\n\xD5\xE2\xC0\xEF\r\n");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("chap2.htm"))) << shown[1].text.toStdString();
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("小说.txt"))) << shown[1].text.toStdString();
    w->close();
}

TEST_F(MainWindowOutputRow, WithoutAHomeTheSettingsStayInMemoryAndCloseSaysSo)
{
    writeDoc(QStringLiteral("a.htm"), "<p>preview text</p>");
    auto w = std::make_unique<SorvMain>(std::filesystem::path());
    const Controls c(*w);
    EXPECT_EQ(c.Combo2[1]->currentIndex(), 1);
    c.Text2[0]->setText(QStringLiteral("9"));
    w->show();
    // The preview still works, from a private folder of its own.
    select(*w, {0});
    {
        ModalCloser closer;
        w->Command1_Click(4);
        waitIdle(*w);
        EXPECT_EQ(closer.closed, QStringList{QStringLiteral("sorvane::ui::T1")});
    }
    EXPECT_TRUE(shown.empty());
    w->close();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("HOME"))) << shown[0].text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(docs().toStdString()) / "TEMP.TXT"));
    // Nothing written anywhere: not beside the documents (the current folder) either.
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(docs().toStdString()) / "KELDRAN.INI"));
    EXPECT_FALSE(std::filesystem::exists(programFolder() / "KELDRAN.INI"));
}

}  // namespace
}  // namespace sorvane::ui::testing
