// Building the main window's controls and arranging them.

#include "main_window/sorv_main.h"

#include <array>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/site.h"
#include "main_window/caption_button_frame.h"
#include "main_window/link_label.h"
#include "main_window/sorv_main_private.h"
#include "main_window/source_lists.h"

namespace sorvane::ui {

using sorv_main_detail::exitCaption;
using sorv_main_detail::makeLabel;

namespace {

// Client area of the window's design, 8610 x 6615 twips at 15 twips per pixel.
constexpr int kDesignWidth = 574;
constexpr int kDesignHeight = 441;

const QColor kLinkRed(255, 0, 0);

QString objectNameOf(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

}  // namespace

void SorvMain::createSourceFrame()
{
    Frame1 = new QGroupBox(tr("选择源文件"));
    Frame1->setObjectName(QStringLiteral("Frame1"));

    Drive1 = new DriveListBox;
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Dir1 = new DirListBox;
    Dir1->setObjectName(QStringLiteral("Dir1"));
    File1 = new FileListBox;
    File1->setObjectName(QStringLiteral("File1"));

    Label2[6] = makeLabel(tr("文档类型："), Qt::AlignLeft, objectNameOf("Label2", 6));
    Combo1[0] = new QComboBox;
    Combo1[0]->setObjectName(objectNameOf("Combo1", 0));
    Combo1[0]->setEditable(true);
    Combo1[0]->setInsertPolicy(QComboBox::NoInsert);
    Label2[6]->setBuddy(Combo1[0]);

    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(Drive1, 0, 0);
    grid->addWidget(Dir1, 1, 0, 3, 1);
    grid->addWidget(File1, 0, 1, 2, 1);
    grid->addWidget(Label2[6], 2, 1);
    grid->addWidget(Combo1[0], 3, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

void SorvMain::createParameterFrame()
{
    Frame2[0] = new QGroupBox(tr("转换参数"));
    Frame2[0]->setObjectName(objectNameOf("Frame2", 0));

    const auto label = [this](int i, const QString& text, Qt::Alignment alignment) {
        Label2[static_cast<std::size_t>(i)] = makeLabel(text, alignment, objectNameOf("Label2", i));
        return Label2[static_cast<std::size_t>(i)];
    };
    Combo1[1] = new QComboBox;
    Combo1[1]->setObjectName(objectNameOf("Combo1", 1));
    for (std::size_t i = 0; i < Combo2.size(); ++i) {
        Combo2[i] = new QComboBox;
        Combo2[i]->setObjectName(objectNameOf("Combo2", static_cast<int>(i)));
    }
    for (std::size_t i = 0; i < Text2.size(); ++i) {
        Text2[i] = new QLineEdit;
        Text2[i]->setObjectName(objectNameOf("Text2", static_cast<int>(i)));
    }
    // Text2 holds short numbers: as wide as the boxes of the same column.
    const int columnWidth = Text2[0]->fontMetrics().horizontalAdvance(QStringLiteral("00000000"));
    for (QLineEdit* box : Text2)
        box->setMinimumWidth(columnWidth);

    // Each row reads left to right as one sentence; rows 2 to 5 share the column of
    // Combo2(1), Combo2(2), Text2(0) and Text2(1) (grid column 3).
    auto* grid = new QGridLayout(Frame2[0]);
    grid->addWidget(label(0, tr("目标文档命名方法"), Qt::AlignRight), 0, 0);
    grid->addWidget(Combo1[1], 0, 1, 1, 4);

    grid->addWidget(label(1, tr("开头"), Qt::AlignRight), 1, 0);
    grid->addWidget(Combo2[0], 1, 1);
    grid->addWidget(label(2, tr("行内，最多允许"), Qt::AlignHCenter), 1, 2);
    grid->addWidget(Combo2[1], 1, 3);
    grid->addWidget(label(3, tr("行空行。"), Qt::AlignLeft), 1, 4);

    grid->addWidget(label(4, tr("其余部分，最多允许"), Qt::AlignRight), 2, 0, 1, 3);
    grid->addWidget(Combo2[2], 2, 3);
    grid->addWidget(label(5, tr("行空行。"), Qt::AlignLeft), 2, 4);

    grid->addWidget(label(7, tr("每行连续字符最多"), Qt::AlignRight), 3, 0, 1, 3);
    grid->addWidget(Text2[0], 3, 3);
    grid->addWidget(label(8, tr("个。"), Qt::AlignLeft), 3, 4);

    grid->addWidget(label(10, tr("目标文档最大字节数"), Qt::AlignRight), 4, 0, 1, 3);
    grid->addWidget(Text2[1], 4, 3);
    grid->addWidget(label(9, QStringLiteral("K"), Qt::AlignLeft), 4, 4);
    grid->setColumnStretch(4, 1);
    createOutputRow(grid, 5);
}

void SorvMain::createCommandButtons()
{
    const std::array<QString, 7> captions = {
        exitCaption(),     tr("转换开始(&K)"),
        tr("确定替换内容(&R)"), tr("删除"),
        tr("预览转换后内容(&W)"), tr("帮助(F1)"),
        tr("关于...")};
    for (std::size_t i = 0; i < Command1.size(); ++i) {
        Command1[i] = new QPushButton(captions[i]);
        Command1[i]->setObjectName(objectNameOf("Command1", static_cast<int>(i)));
        Command1[i]->setAutoDefault(false);
    }
    QFont bold = Command1[1]->font();
    bold.setBold(true);
    Command1[1]->setFont(bold);
}

void SorvMain::createListFrame()
{
    auto* frame = new CaptionButtonFrame(tr("替换列表"));
    Frame2[1] = frame;
    Frame2[1]->setObjectName(objectNameOf("Frame2", 1));
    List1_0 = new QListWidget;
    List1_0->setObjectName(QStringLiteral("List1_0"));
    List1_0->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* box = new QVBoxLayout(frame);
    box->addWidget(List1_0);
    createRulesButton();
    box->addWidget(rulesButton);
    frame->setCaptionButton(Command1[3]);
}

void SorvMain::createLinkLine()
{
    Label1[1] = new LinkLabel(tr("Sorvane 的姊妹软件“书签夹”帮您整理收藏的网页，欢迎试用，请访问: "));
    Label1[1]->setObjectName(objectNameOf("Label1", 1));
    Label1[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1[0] = new LinkLabel(QString::fromUtf8(kMakerAddress));
    Label1[0]->setObjectName(objectNameOf("Label1", 0));
    Label1[0]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (LinkLabel* label : Label1)
        label->setTextColour(kLinkRed);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    progressBar = new QProgressBar;
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setFocusPolicy(Qt::NoFocus);
    progressBar->setFormat(QStringLiteral("%v / %m"));
    progressBar->hide();
}

void SorvMain::createLayout()
{
    auto* left = new QVBoxLayout;
    left->addWidget(Frame1, 3);
    left->addWidget(Frame2[0], 0);

    // Two buttons per row, then two wide ones, then the replacement list.
    auto* buttons = new QGridLayout;
    buttons->addWidget(Command1[0], 0, 0);
    buttons->addWidget(Command1[5], 0, 1);
    buttons->addWidget(Command1[1], 1, 0);
    buttons->addWidget(Command1[6], 1, 1);
    buttons->addWidget(Command1[4], 2, 0, 1, 2);
    buttons->addWidget(Command1[2], 3, 0, 1, 2);
    buttons->setColumnStretch(0, 3);
    buttons->setColumnStretch(1, 2);
    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addWidget(Frame2[1], 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 1);

    // The address follows the advertisement directly, on one line.
    auto* linkLine = new QHBoxLayout;
    linkLine->setSpacing(0);
    linkLine->addWidget(Label1[1], 1);
    linkLine->addWidget(Label1[0], 0);

    auto* window = new QVBoxLayout(this);
    window->addLayout(columns, 1);
    window->addLayout(linkLine);
    window->addWidget(progressBar);

    resize(sizeHint().expandedTo(QSize(kDesignWidth, kDesignHeight)));
}

void SorvMain::createFocusOrder()
{
    const std::array<QWidget*, 23> order = {
        File1,       Drive1,      Dir1,        Combo1[0],   Combo1[1],   Combo2[0],
        Combo2[1],   Combo2[2],   Text2[0],    Text2[1],    outputFolderBox, outputFolderButton,
        outputEncodingBox, joinBox, convertBox, Command1[0], Command1[1], Command1[4], Command1[2],
        List1_0,     Command1[3], Command1[5], Command1[6]};
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    for (LinkLabel* label : Label1)
        label->setFocusPolicy(Qt::NoFocus);
    File1->setFocus();
}

}  // namespace sorvane::ui
