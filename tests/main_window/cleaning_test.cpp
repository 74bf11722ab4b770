// 去除网页杂项 and the rules file in the window: the box follows the join box unless set
// otherwise and is kept then, a run over a folder of site pages cleans them and names the
// table of contents, and a bad rules file converts nothing.
#include <QCheckBox>
#include <QToolButton>

#include "main_window/window_fixture.h"
#include "settings/ini_file.h"

namespace sorvane::ui::testing {
namespace {

class MainWindowCleaning : public MainWindowTest {};

QByteArray sitePage(int n)
{
    static const char* const places[] = {"渡口", "客栈", "山门"};
    const std::string page = "<html><head><meta charset=\"utf-8\"></head><body><div class=\"nav\"><a href=\"/\">首页</a> "
                             "<a href=\"/s\">书架</a></div><h1>书名 第" + std::to_string(n) + "章 " + places[n - 1] +
                             "</h1><div id=\"content\">他走到" + places[n - 1] + "，雨还没有停，风从河面上吹过来。<br><br>"
                             "她在" + places[n - 1] + "没有回答，只是把信放在桌上。</div>"
                             "<div class=\"footer\">某某书坊 版权所有</div></body></html>";
    return QByteArray::fromStdString(page);
}

QByteArray contentsPage()
{
    std::string links;
    for (int i = 1; i <= 12; ++i)
        links += "<li><a href=\"" + std::to_string(i) + ".htm\">第" + std::to_string(i) + "章</a></li>";
    return QByteArray::fromStdString("<html><body><h1>书名</h1><ul>" + links + "</ul></body></html>");
}

TEST_F(MainWindowCleaning, TheBoxFollowsTheJoinBoxUnlessSetAndIsKept)
{
    auto w = makeWindow();
    auto* cleanBox = w->findChild<QCheckBox*>(QStringLiteral("cleanBox"));
    auto* rulesButton = w->findChild<QToolButton*>(QStringLiteral("rulesButton"));
    ASSERT_NE(cleanBox, nullptr);
    ASSERT_NE(rulesButton, nullptr);
    const Controls c(*w);
    EXPECT_FALSE(cleanBox->isChecked());
    EXPECT_EQ(rulesButton->text(), QStringLiteral("规则文件(&G)：无"));
    c.joinBox->setChecked(true);
    EXPECT_TRUE(cleanBox->isChecked());
    cleanBox->setChecked(false);  // a book joined whole
    w->close();
    EXPECT_EQ(Read_INI(settingsFile(), "SET", "CLEAN"), "0");
    EXPECT_EQ(Read_INI(settingsFile(), "SET", "RULES"), "");

    auto again = makeWindow();
    const Controls c2(*again);
    EXPECT_TRUE(c2.joinBox->isChecked());
    EXPECT_FALSE(again->findChild<QCheckBox*>(QStringLiteral("cleanBox"))->isChecked());
    again->close();
}

TEST_F(MainWindowCleaning, ARunCleansTheSitePagesAndNamesTheContents)
{
    for (int n = 1; n <= 3; ++n)
        writeDoc(QStringLiteral("%1.htm").arg(n), sitePage(n));
    writeDoc(QStringLiteral("index.htm"), contentsPage());
    auto w = makeWindow(false);
    w->findChild<QCheckBox*>(QStringLiteral("cleanBox"))->setChecked(true);
    const Controls c(*w);
    c.outputEncodingBox->setCurrentIndex(2);  // UTF-8
    ASSERT_EQ(fileEntries(*w), (QStringList{"1.htm", "2.htm", "3.htm", "index.htm"}));
    select(*w, {0, 1, 2, 3});
    w->Command1_Click(1);
    waitIdle(*w);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].text.startsWith(QStringLiteral("转换完毕!\n去除网页杂项 6 行。\n以下 1 页没有正文"))) << shown[1].text.toStdString();
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("index.htm"))) << shown[1].text.toStdString();
    EXPECT_EQ(readFile(std::filesystem::path(docs().toStdString()) / "2.txt"),
              "\xE3\x80\x80\xE3\x80\x80第2章 客栈\r\n\xE3\x80\x80\xE3\x80\x80他走到客栈，雨还没有停，风从河面上吹过来。\r\n\r\n"
              "\xE3\x80\x80\xE3\x80\x80她在客栈没有回答，只是把信放在桌上。\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(docs().toStdString()) / "index.txt"));
    EXPECT_TRUE(selectedEntries(*w).empty());  // the table of contents is no failure
    w->close();
}

TEST_F(MainWindowCleaning, ABadRulesFileConvertsNothing)
{
    writeDoc(QStringLiteral("1.htm"), sitePage(1));
    const std::filesystem::path rules = std::filesystem::path(docs().toStdString()) / "rules.txt";
    std::ofstream(rules, std::ios::binary) << "# 规则\n(没有关上\t\n";
    {
        std::ofstream(settingsFile(), std::ios::binary) << "[SET]\r\nRULES=" << rules.string() << "\r\n";
    }
    auto w = makeWindow(false);
    EXPECT_EQ(w->findChild<QToolButton*>(QStringLiteral("rulesButton"))->text(), QStringLiteral("规则文件(&G)：rules.txt"));
    select(*w, {0});
    w->Command1_Click(1);
    waitIdle(*w);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].text.startsWith(QStringLiteral("规则文件有误，没有转换：\n"))) << shown[1].text.toStdString();
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("规则文件第 2 行：正则表达式有误"))) << shown[1].text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(docs().toStdString()) / "1.txt"));
    w->close();
    EXPECT_EQ(Read_INI(settingsFile(), "SET", "RULES"), rules.string());
}

}  // namespace
}  // namespace sorvane::ui::testing
