#include "about_window/about.h"

#include <algorithm>

#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/site.h"
#include "ui_common/center_form.h"

namespace sorvane::ui {
namespace {

QFont songTi9()
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

}  // namespace

QString about::aboutText()
{
    const QString paragraph1 = tr(
        "　　该软件可以帮助你将html/htm/doc/rft等文档的内容转换为文本文件。可用于不支持浏览器的手机阅读。");
    const QString paragraph2 = tr(
        "　　本软件免费提供给个人使用，欢迎复制和转发，但请保持软件完整，不要用于任何商业用途。"
        "使用本软件所产生的一切后果由使用者自行承担。");
    const QString paragraph3 = tr(
        "　　作者不能保证该软件适合所有情况，并且不保证在所有情况下转换的正确性，但作者会极力的避免这种情况的发生。");
    const QString sentence4 = tr(
        "作者会不断推出改进后的新版本，欢迎随时访问作者的网站获取最新版本。");
    const QString host = QUrl(QString::fromUtf8(kMakerAddress)).host();

    const QChar br = u'\n';
    return br + paragraph1 + br + br + paragraph2 + br + br + paragraph3 + sentence4 + br + br +
           br + host;
}

about::about(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(tr("关于... ..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setModal(true);

    // Designed as 5460 x 2925 twips of text and a 1515 x 420 button in a 6390 x 4260
    // client area; the label takes the height its wrapped text needs at that width.
    constexpr int labelWidth = 364;
    m_Label1 = new QLabel(aboutText(), this);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->setFont(songTi9());
    m_Label1->setWordWrap(true);
    m_Label1->setTextFormat(Qt::PlainText);
    m_Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Label1->setFixedWidth(labelWidth);
    m_Label1->setMinimumHeight(std::max(195, m_Label1->heightForWidth(labelWidth)));

    m_Command1 = new QPushButton(tr("退　出"), this);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    m_Command1->setFont(songTi9());
    m_Command1->setMinimumSize(101, 28);
    m_Command1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 27, 30, 10);
    layout->setSpacing(0);
    layout->addWidget(m_Label1);
    layout->addSpacing(22);
    auto* buttons = new QHBoxLayout;
    buttons->addSpacing(3);
    buttons->addWidget(m_Command1);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_Command1, &QPushButton::clicked, this, &about::Command1_Click);

    adjustSize();
    Center_Form(this);
}

void about::Command1_Click()
{
    done(QDialog::Rejected);
}

void about::keyPressEvent(QKeyEvent* event)
{
    // Esc presses the button, as in every window of the program.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_Command1->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace sorvane::ui
