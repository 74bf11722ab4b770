// The About box, driven headless.
#include <functional>
#include <vector>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "about_window/about.h"
#include "common/site.h"

namespace sorvane::ui {
namespace {

TEST(AboutBox, TextHasItsLineStructure)
{
    const QString text = about::aboutText();
    EXPECT_FALSE(text.contains(u'\r'));
    const QStringList lines = text.split(u'\n');
    ASSERT_EQ(lines.size(), 9);

    // An empty first line, three paragraphs with empty lines between, then two empty
    // lines and the bare host name of the maker's site.
    EXPECT_EQ(lines[0], QString());
    EXPECT_EQ(lines[1],
              QStringLiteral("　　该软件可以帮助你将html/htm/doc/rft等文档的内容转换为文本文件。"
                             "可用于不支持浏览器的手机阅读。"));
    EXPECT_EQ(lines[2], QString());
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("　　")));
    EXPECT_GT(lines[3].size(), 10);
    EXPECT_EQ(lines[4], QString());
    const QString paragraph3 = QStringLiteral(
        "　　作者不能保证该软件适合所有情况，并且不保证在所有情况下转换的正确性，"
        "但作者会极力的避免这种情况的发生。");
    EXPECT_TRUE(lines[5].startsWith(paragraph3));
    EXPECT_GT(lines[5].size(), paragraph3.size() + 10);  // sentence 4 runs on directly
    EXPECT_FALSE(lines[5].mid(paragraph3.size()).startsWith(u' '));
    EXPECT_EQ(lines[6], QString());
    EXPECT_EQ(lines[7], QString());

    const QString host = QUrl(QString::fromUtf8(kMakerAddress)).host();
    ASSERT_FALSE(host.isEmpty());
    EXPECT_EQ(lines[8], host);
    EXPECT_FALSE(lines[8].contains(QStringLiteral("://")));
}

TEST(AboutBox, ShowsTheWholeTextInAFixedSizeWindow)
{
    about box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("关于... ..."));
    EXPECT_TRUE(box.isModal());
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));

    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);

    auto* label = box.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), about::aboutText());
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    EXPECT_TRUE(box.rect().contains(label->geometry()));

    auto* button = box.findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("退　出"));
    EXPECT_TRUE(box.rect().contains(button->geometry()));
    EXPECT_GT(button->geometry().top(), label->geometry().bottom());
    EXPECT_GE(button->width(), button->sizeHint().width());
}

TEST(AboutBox, EscAndTheButtonCloseIt)
{
    const std::vector<std::function<void(about&)>> closers = {
        [](about& b) { QTest::keyClick(&b, Qt::Key_Escape); },
        [](about& b) {
            QTest::keyClick(b.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::Key_Escape);
        },
        [](about& b) {
            QTest::mouseClick(b.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        },
    };
    for (size_t i = 0; i < closers.size(); ++i) {
        SCOPED_TRACE(i);
        about box;
        bool ran = false;
        QTimer::singleShot(0, &box, [&] {
            ran = true;
            closers[i](box);
        });
        QTimer::singleShot(5000, &box, [&] { box.done(42); });
        EXPECT_EQ(box.exec(), QDialog::Rejected);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(box.isVisible());
    }
}

}  // namespace
}  // namespace sorvane::ui
