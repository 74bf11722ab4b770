#include "main_window/sorv_main.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <QApplication>
#include <QByteArray>
#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include "about_window/about.h"
#include "engine/convert/book_join.h"
#include "common/program_paths.h"
#include "common/site.h"
#include "ui_common/center_form.h"
#include "ui_common/message_box.h"
#include "engine/readers/document_reader.h"
#include "main_window/caption_button_frame.h"
#include "main_window/link_label.h"
#include "main_window/source_lists.h"
#include "main_window/source_paths.h"
#include "main_window/sorv_main_private.h"
#include "replace_window/t1.h"
#include "settings/list_file.h"
#include "settings/settings_values.h"

namespace sorvane::ui {

using sorv_main_detail::kExitCaption;
using sorv_main_detail::makeLabel;
using sorv_main_detail::toFsPath;

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

QString defaultManualPath()
{
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                              QStringLiteral(SORVANE_MANUAL_FROM_BIN));
    if (QFileInfo::exists(installed))
        return installed;
    const QString built = QStringLiteral(SORVANE_BUILD_MANUAL);
    if (QFileInfo::exists(built))
        return built;
    return installed;
}

SorvMain::SorvMain(std::filesystem::path programFolder, QWidget* parent)
    : QWidget(parent), m_programFolder(std::move(programFolder)), m_convert(ch_txt),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_manualPath(defaultManualPath()), m_task(new AsyncTask(this))
{
    setObjectName(QStringLiteral("SorvMain"));
    setWindowTitle(QStringLiteral("Sorvane"));
    setAcceptDrops(true);

    createSourceFrame();
    createParameterFrame();
    createCommandButtons();
    createListFrame();
    createLinkLine();
    createLayout();
    createFocusOrder();
    connectHandlers();
    Form_Load();
}

SorvMain::~SorvMain()
{
    // A run still going ends after its current document, without waiting for a window
    // that is no longer there; the task waits for the worker before the window goes.
    if (m_run) {
        const std::lock_guard lock(m_run->mutex);
        m_run->stop = true;
        m_run->abandoned = true;
        m_run->changed.notify_all();
    }
    delete m_task;
}

void SorvMain::setConvertFunction(ConvertFunction convert)
{
    m_convert = std::move(convert);
}

void SorvMain::setUrlOpener(UrlOpener opener)
{
    m_openUrl = std::move(opener);
}

void SorvMain::setManualPath(const QString& path)
{
    m_manualPath = path;
}

// ---------------------------------------------------------------- controls and layout

void SorvMain::createSourceFrame()
{
    Frame1 = new QGroupBox(QStringLiteral("选择源文件"));
    Frame1->setObjectName(QStringLiteral("Frame1"));

    Drive1 = new DriveListBox;
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Dir1 = new DirListBox;
    Dir1->setObjectName(QStringLiteral("Dir1"));
    File1 = new FileListBox;
    File1->setObjectName(QStringLiteral("File1"));

    Label2[6] = makeLabel(QStringLiteral("文档类型："), Qt::AlignLeft, objectNameOf("Label2", 6));
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
    Frame2[0] = new QGroupBox(QStringLiteral("转换参数"));
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
    grid->addWidget(label(0, QStringLiteral("目标文档命名方法"), Qt::AlignRight), 0, 0);
    grid->addWidget(Combo1[1], 0, 1, 1, 4);

    grid->addWidget(label(1, QStringLiteral("开头"), Qt::AlignRight), 1, 0);
    grid->addWidget(Combo2[0], 1, 1);
    grid->addWidget(label(2, QStringLiteral("行内，最多允许"), Qt::AlignHCenter), 1, 2);
    grid->addWidget(Combo2[1], 1, 3);
    grid->addWidget(label(3, QStringLiteral("行空行。"), Qt::AlignLeft), 1, 4);

    grid->addWidget(label(4, QStringLiteral("其余部分，最多允许"), Qt::AlignRight), 2, 0, 1, 3);
    grid->addWidget(Combo2[2], 2, 3);
    grid->addWidget(label(5, QStringLiteral("行空行。"), Qt::AlignLeft), 2, 4);

    grid->addWidget(label(7, QStringLiteral("每行连续字符最多"), Qt::AlignRight), 3, 0, 1, 3);
    grid->addWidget(Text2[0], 3, 3);
    grid->addWidget(label(8, QStringLiteral("个。"), Qt::AlignLeft), 3, 4);

    grid->addWidget(label(10, QStringLiteral("目标文档最大字节数"), Qt::AlignRight), 4, 0, 1, 3);
    grid->addWidget(Text2[1], 4, 3);
    grid->addWidget(label(9, QStringLiteral("K"), Qt::AlignLeft), 4, 4);
    grid->setColumnStretch(4, 1);
    createOutputRow(grid, 5);
}

void SorvMain::createCommandButtons()
{
    const std::array<QString, 7> captions = {
        kExitCaption,      QStringLiteral("转换开始(&K)"),
        QStringLiteral("确定替换内容(&R)"), QStringLiteral("删除"),
        QStringLiteral("预览转换后内容(&W)"), QStringLiteral("帮助(F1)"),
        QStringLiteral("关于...")};
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
    auto* frame = new CaptionButtonFrame(QStringLiteral("替换列表"));
    Frame2[1] = frame;
    Frame2[1]->setObjectName(objectNameOf("Frame2", 1));
    List1_0 = new QListWidget;
    List1_0->setObjectName(QStringLiteral("List1_0"));
    List1_0->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* box = new QVBoxLayout(frame);
    box->addWidget(List1_0);
    frame->setCaptionButton(Command1[3]);
}

void SorvMain::createLinkLine()
{
    Label1[1] = new LinkLabel(QStringLiteral("Sorvane 的姊妹软件“书签夹”帮您整理收藏的网页，欢迎试用，请访问: "));
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

void SorvMain::connectHandlers()
{
    for (std::size_t i = 0; i < Command1.size(); ++i) {
        connect(Command1[i], &QPushButton::clicked, this,
                [this, i] { Command1_Click(static_cast<int>(i)); });
    }
    // Esc presses the exit button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command1[0], &QPushButton::click);

    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &DirListBox::pathChanged, this, [this] { Dir1_Change(); });
    connect(Dir1, &DirListBox::folderActivated, this, &SorvMain::openFolder);
    connect(outputFolderButton, &QPushButton::clicked, this, &SorvMain::chooseOutputFolder);
    for (int i = 0; i < 2; ++i) {
        QComboBox* box = Combo1[static_cast<std::size_t>(i)];
        connect(box, &QComboBox::editTextChanged, this, [this, i] { Combo1_Change(i); });
        connect(box, &QComboBox::currentIndexChanged, this, [this, i] { Combo1_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(Label1[static_cast<std::size_t>(i)], &LinkLabel::clicked, this, [this, i] { Label1_Click(i); });
    }
    connect(Timer1, &QTimer::timeout, this, &SorvMain::Timer1_Timer);
    // Key preview: key releases on any control of this window pass Form_KeyUp first.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    // A run converts the entries still selected: choices made during it count.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_run)
            return;
        const std::lock_guard lock(m_run->mutex);
        for (std::size_t i = 0; i < m_run->wanted.size(); ++i)
            m_run->wanted[i] = File1->isEntrySelected(static_cast<int>(i));
    });
    // A session that ends without closing the window still saves.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!m_unloaded) {
            m_unloaded = true;
            Form_QueryUnload();
        }
    });
}

// ---------------------------------------------------------------- commands

void SorvMain::Command1_Click(int Index)
{
    switch (Index) {
    case 0:
        // During a run the exit button is the stop button.
        if (m_run)
            stopRun();
        else
            close();
        return;
    case 1:
        convertSelected();
        return;
    case 2:
        confirmReplacement();
        return;
    case 3:
        deleteReplacement();
        return;
    case 4:
        previewFirstSelected();
        return;
    case 5:
        openHelp();
        focusFile1();
        return;
    case 6:
        showAbout();
        return;
    default:
        return;
    }
}

void SorvMain::focusFile1()
{
    File1->setFocus();
}

void SorvMain::deleteReplacement()
{
    if (m_list.empty())
        return;
    int k = selectedReplacement();
    if (k < 0)
        return;  // nothing selected: nothing to delete
    List_Changed = 1;
    m_list.erase(m_list.begin() + k);
    const int last = static_cast<int>(m_list.size()) - 1;
    if (k > last)
        k = last;
    refreshList1(k);
    focusFile1();
}

void SorvMain::openHelp()
{
    const QFileInfo manual(m_manualPath);
    if (manual.isFile() && m_openUrl(QUrl::fromLocalFile(manual.absoluteFilePath())))
        return;
    msgBox(this,
           QStringLiteral("无法打开帮助文件，请直接打开：\n%1").arg(QDir::toNativeSeparators(m_manualPath)),
           MsgOkExclamation);
}

void SorvMain::showAbout()
{
    about box(this);
    box.exec();
    focusFile1();
}

// ---------------------------------------------------------------- replacement list view

void SorvMain::refreshList1(int selectRow)
{
    List1_0->clear();
    for (const ReplacementRow& row : m_list)
        List1_0->addItem(QString::fromStdU16String(row.search));
    if (selectRow >= 0 && selectRow < List1_0->count()) {
        List1_0->setCurrentRow(selectRow);
        List1_0->item(selectRow)->setSelected(true);
    }
}

int SorvMain::selectedReplacement() const
{
    const QList<QListWidgetItem*> selected = List1_0->selectedItems();
    return selected.isEmpty() ? -1 : List1_0->row(selected.first());
}

// ---------------------------------------------------------------- link line, keys

void SorvMain::Label1_Click(int /*Index*/)
{
    const QString address = Label1[0]->text();
    if (!m_openUrl(QUrl(address)))
        msgBox(this, QStringLiteral("无法打开网址，请在浏览器中打开：\n%1").arg(address), MsgOkExclamation);
}

void SorvMain::Timer1_Timer()
{
    Color_Step = static_cast<std::int16_t>(Color_Step % kColourCount);
    Label1[1]->setTextColour(cycleColour(Color_Step));
    ++Color_Step;
}

bool SorvMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && Form_KeyUp(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool SorvMain::Form_KeyUp(int key, Qt::KeyboardModifiers shift)
{
    const Qt::KeyboardModifiers held = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::ControlModifier && key == Qt::Key_A) {
        // One redraw for the whole selection.
        File1->setUpdatesEnabled(false);
        File1->selectAll();
        File1->setUpdatesEnabled(true);
        return true;
    }
    if (key == Qt::Key_F1) {
        Command1_Click(5);
        return true;
    }
    return false;
}

}  // namespace sorvane::ui
