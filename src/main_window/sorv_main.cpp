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
#include "engine/readers/readable_names.h"
#include "main_window/caption_button_frame.h"
#include "main_window/link_label.h"
#include "main_window/source_lists.h"
#include "main_window/source_paths.h"
#include "replace_window/t1.h"
#include "settings/list_file.h"
#include "settings/settings_values.h"

namespace sorvane::ui {

// The state of one conversion run, shared by the window and the worker converting.
struct SorvMain::RunState {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> wanted;  // per entry of File1: still selected, so still to convert
    int acknowledged = -1;     // the last entry whose result the window has taken in
    bool stop = false;         // stop before the next document
    bool abandoned = false;    // the window is going away: wait for it no more
};

struct SorvMain::RunSummary {
    int converted = 0;
    std::size_t lost = 0;  // characters code page 936 lacks, written as '?'
    int lossy = 0;         // documents that lost any
    int unreached = 0;  // selected entries not converted because the run was stopped
    bool anySelected = false;
    bool stopped = false;
};

namespace {

const QString kExitCaption = QStringLiteral("退　出(&X)");
const QString kStopCaption = QStringLiteral("停　止(&X)");

// One document through the conversion function; an exception (a bug, or memory running
// out) becomes a failure of that document instead of ending the program.
Result<ConversionReport> convertOne(const SorvMain::ConvertFunction& convert,
                                    const std::filesystem::path& source, int preview,
                                    const ConversionParams& params, const ReplacementList& list,
                                    const EngineContext& context)
{
    try {
        return convert(source, preview, params, list, context);
    } catch (const std::exception& e) {
        return Error{ErrorCode::BadInput, std::string("内部错误：") + e.what(), source.string()};
    }
}

constexpr int kProgressSteps = 100;  // progress bar units per document
// Client area of the window's design, 8610 x 6615 twips at 15 twips per pixel.
constexpr int kDesignWidth = 574;
constexpr int kDesignHeight = 441;

const QColor kLinkRed(255, 0, 0);

std::filesystem::path toFsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString objectNameOf(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

// "source: reason", and the file concerned when it is not the source itself.
QString describeFailure(const QString& source, const Error& error)
{
    QString text = source + QStringLiteral(": ") + QString::fromStdString(error.message);
    const QString where = QString::fromStdString(error.where);
    if (!where.isEmpty() && where != source)
        text += QStringLiteral(" (") + where + QLatin1Char(')');
    return text;
}

QLabel* makeLabel(const QString& text, Qt::Alignment alignment, const QString& objectName)
{
    auto* label = new QLabel(text);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setObjectName(objectName);
    return label;
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

void SorvMain::createOutputRow(QGridLayout* grid, int row)
{
    outputFolderLabel = makeLabel(QStringLiteral("输出文件夹"), Qt::AlignRight, QStringLiteral("outputFolderLabel"));
    outputFolderBox = new QLineEdit;
    outputFolderBox->setObjectName(QStringLiteral("outputFolderBox"));
    outputFolderBox->setPlaceholderText(QStringLiteral("（空：与源文件相同）"));
    outputFolderBox->setToolTip(QStringLiteral("转换后的文件写入这个文件夹；空着就写在每个源文件旁边"));
    outputFolderButton = new QPushButton(QStringLiteral("…"));
    outputFolderButton->setObjectName(QStringLiteral("outputFolderButton"));
    outputFolderButton->setToolTip(QStringLiteral("选择输出文件夹"));
    outputEncodingLabel = makeLabel(QStringLiteral("输出编码"), Qt::AlignRight, QStringLiteral("outputEncodingLabel"));
    outputEncodingBox = new QComboBox;
    outputEncodingBox->setObjectName(QStringLiteral("outputEncodingBox"));
    // Item order follows OutputEncoding.
    outputEncodingBox->addItems({QStringLiteral("GBK (默认)"), QStringLiteral("GB18030"), QStringLiteral("UTF-8")});

    joinBox = new QCheckBox(QStringLiteral("合并为一本书"));
    joinBox->setObjectName(QStringLiteral("joinBox"));
    joinBox->setToolTip(QStringLiteral("选中的文档按列表顺序合并为一本书，以当前文件夹的名字命名"));
    convertLabel = makeLabel(QStringLiteral("繁简转换"), Qt::AlignRight, QStringLiteral("convertLabel"));
    convertBox = new QComboBox;
    convertBox->setObjectName(QStringLiteral("convertBox"));
    // Item order follows ScriptConversion.
    convertBox->addItems({QStringLiteral("不转换 (默认)"), QStringLiteral("繁体→简体"), QStringLiteral("简体→繁体"),
                          QStringLiteral("台湾繁体→简体"), QStringLiteral("简体→台湾繁体")});

    auto* line = new QHBoxLayout;
    line->addWidget(outputFolderBox, 1);
    line->addWidget(outputFolderButton);
    line->addWidget(outputEncodingLabel);
    line->addWidget(outputEncodingBox);
    grid->addWidget(outputFolderLabel, row, 0);
    grid->addLayout(line, row, 1, 1, 4);
    auto* second = new QHBoxLayout;
    second->addWidget(joinBox);
    second->addStretch(1);
    second->addWidget(convertLabel);
    second->addWidget(convertBox);
    grid->addLayout(second, row + 1, 1, 1, 4);
}

void SorvMain::chooseOutputFolder()
{
    const QString start = outputFolderBox->text().isEmpty() ? File1->path() : outputFolderBox->text();
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("选择输出文件夹"), start);
    if (!folder.isEmpty())
        outputFolderBox->setText(QDir::toNativeSeparators(folder));
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

// ---------------------------------------------------------------- start-up, shut-down

void SorvMain::Form_Load()
{
    const auto settingsFile = this->settingsFile();

    Center_Form(this);

    const QStringList digits = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"),
                                QStringLiteral("9")};
    for (QComboBox* box : Combo2)
        box->addItems(digits);

    if (!listFile().empty())
        m_list = loadListFile(listFile());
    refreshList1(-1);

    Combo2[0]->setCurrentIndex(0);
    Combo2[1]->setCurrentIndex(1);
    Combo2[2]->setCurrentIndex(1);

    Combo1[1]->clear();
    Combo1[1]->addItem(QStringLiteral("不变化"));
    for (int n = 2; n <= 9; ++n)
        Combo1[1]->addItem(QStringLiteral("将文件名尾部数字变为%1位").arg(n));
    Combo1[1]->setCurrentIndex(0);

    // The lists start on the process's current folder.
    m_quiet = true;
    Drive1->refreshDrives();
    QString start = QDir::currentPath();
    if (!folderProblem(start).isEmpty())
        start = QDir::homePath();
    {
        const bool blocked = Drive1->blockSignals(true);
        Drive1->setDrive(Drive1->driveFor(start));
        Drive1->blockSignals(blocked);
    }
    setDir1Path(start, nullptr);

    // The stored folder: drive, folder and file list in turn, each failure ignored.
    const SettingsValues stored = settingsFile.empty() ? SettingsValues() : SettingsValues::read(settingsFile);
    const QString usePath = QString::fromStdString(stored.text(SettingKey::USE_PATH));
    if (!usePath.isEmpty()) {
        Drive1->setDrive(Drive1->driveFor(QDir::cleanPath(usePath)));
        setDir1Path(usePath, nullptr);
        File1->setPath(usePath);
    }
    m_quiet = false;

    for (std::size_t i = 0; i < Combo2.size(); ++i) {
        if (const auto index = stored.index(valueKey(static_cast<int>(i))))
            Combo2[i]->setCurrentIndex(*index);
    }
    Text2[0]->setText(QString::fromStdString(stored.text(SettingKey::MAX_L)));
    Text2[1]->setText(QString::fromStdString(stored.text(SettingKey::MAX_Len)));
    outputFolderBox->setText(QString::fromStdString(stored.text(SettingKey::OUT_PATH)));
    outputEncodingBox->setCurrentIndex(static_cast<int>(storedOutEnc(stored.text(SettingKey::OUT_ENC))));
    joinBox->setChecked(stored.text(SettingKey::JOIN) == "1");
    convertBox->setCurrentIndex(
        static_cast<int>(parseScriptConversion(stored.text(SettingKey::CONVERT)).value_or(ScriptConversion::None)));

    Combo1[0]->addItems({QStringLiteral("*.*"), QStringLiteral("*.htm"), QStringLiteral("*.html"),
                         QString::fromStdString(readableDocumentPatterns())});
    Combo1[0]->setCurrentIndex(1);
    Combo1_Click(0);
    if (const QString pattern = QString::fromStdString(stored.text(SettingKey::PATTERN)); !pattern.isEmpty())
        applyPattern(pattern);
    if (const std::string& geometry = stored.text(SettingKey::GEOMETRY); !geometry.empty())
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(geometry)));

    Timer1->setInterval(50);
    Timer1->start();

    List_Changed = 0;
}

QStringList SorvMain::Form_QueryUnload()
{
    const auto settingsFile = this->settingsFile();
    SettingsValues values;
    values.set(SettingKey::USE_PATH, File1->path().toStdString());
    for (std::size_t i = 0; i < Combo2.size(); ++i)
        values.setIndex(valueKey(static_cast<int>(i)), Combo2[i]->currentIndex());
    values.set(SettingKey::MAX_L, Text2[0]->text().toStdString());
    values.set(SettingKey::MAX_Len, Text2[1]->text().toStdString());
    values.set(SettingKey::PATTERN, Combo1[0]->currentText().toStdString());
    values.set(SettingKey::GEOMETRY, saveGeometry().toBase64().toStdString());
    values.set(SettingKey::OUT_PATH, outputFolderBox->text().trimmed().toStdString());
    values.set(SettingKey::OUT_ENC, outEncValue(static_cast<OutputEncoding>(std::max(0, outputEncodingBox->currentIndex()))));
    values.set(SettingKey::JOIN, joinBox->isChecked() ? "1" : "0");
    values.set(SettingKey::CONVERT,
               std::string(scriptConversionName(static_cast<ScriptConversion>(std::max(0, convertBox->currentIndex())))));
    QStringList problems;
    if (settingsFile.empty()) {
        problems << QStringLiteral("没有找到用户的配置文件夹（HOME 和 XDG_CONFIG_HOME 都没有设置），"
                                   "本次的设置和替换列表只保留到现在，没有写入任何文件");
    } else {
        for (const Error& problem : values.write(settingsFile))
            problems << QString::fromStdString(problem.describe());
        if (List_Changed == 1) {
            const Status saved = saveListFile(listFile(), m_list);
            if (!saved)
                problems << QString::fromStdString(saved.error().describe());
        }
    }

    // The preview's scratch file, and the further parts previews of this run wrote.
    std::error_code ignored;
    if (!m_programFolder.empty())
        std::filesystem::remove(programFile(m_programFolder, kScratchFileName), ignored);
    for (const auto& file : m_scratchFiles)
        std::filesystem::remove(file, ignored);
    m_scratchFiles.clear();
    m_privateScratch.reset();  // removes its folder with everything in it

    problems.removeDuplicates();
    return problems;
}

void SorvMain::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        if (m_closePending)
            return;
        // A run is asked about; a preview or a rendering only finishes its document.
        if (m_run && msgBox(this, QStringLiteral("正在转换，要停止转换并退出吗?"), MsgYesNoQuestion) != AnswerYes)
            return;
        if (!m_busy) {
            // The run ended while the question was open.
            QTimer::singleShot(0, this, &QWidget::close);
            return;
        }
        m_closePending = true;
        stopRun();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        Timer1->stop();
        const QStringList problems = Form_QueryUnload();
        if (!problems.isEmpty()) {
            msgBox(this, QStringLiteral("设置没有保存成功：\n") + problems.join(QLatin1Char('\n')),
                   MsgOkExclamation);
        }
    }
    event->accept();
}

// ---------------------------------------------------------------- source selection

QString SorvMain::driveFolder(const QString& drive) const
{
    if (const auto it = m_driveFolders.find(drive); it != m_driveFolders.end())
        return it->second;
    const QString current = QDir::currentPath();
    if (Drive1->driveFor(current) == drive)
        return current;
    return drive;
}

bool SorvMain::setDir1Path(const QString& folder, QString* problem)
{
    const QString clean = QDir::cleanPath(folder);
    return Dir1->setPath(clean, Drive1->driveFor(clean), problem);
}

void SorvMain::Drive1_Change()
{
    const QString drive = Drive1->drive();
    QString problem;
    if (setDir1Path(driveFolder(drive), &problem))
        return;
    // The drive cannot be read: the lists stay where they were.
    const bool blocked = Drive1->blockSignals(true);
    Drive1->setDrive(Drive1->driveFor(Dir1->path()));
    Drive1->blockSignals(blocked);
    if (!m_quiet)
        msgBox(this, QStringLiteral("无法读取 %1：%2").arg(drive, problem), MsgOkExclamation);
}

void SorvMain::Dir1_Change()
{
    const QString folder = Dir1->path();
    m_driveFolders[Drive1->driveFor(folder)] = folder;
    QString problem;
    if (!File1->setPath(folder, &problem) && !m_quiet)
        msgBox(this, QStringLiteral("无法读取 %1：%2").arg(folder, problem), MsgOkExclamation);
}

void SorvMain::openFolder(const QString& folder)
{
    QString problem;
    if (!setDir1Path(folder, &problem))
        msgBox(this, QStringLiteral("无法打开文件夹 %1：%2").arg(folder, problem), MsgOkExclamation);
}

void SorvMain::Combo1_Change(int Index)
{
    Combo1_Click(Index);
}

void SorvMain::Combo1_Click(int Index)
{
    if (Index == 0)
        File1->setPattern(Combo1[0]->currentText());
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

QString SorvMain::firstSelectedOrWarn()
{
    const int bound = File1->count() - 1;
    for (int i = 0; i <= bound; ++i) {
        if (File1->isEntrySelected(i))
            return fullPath(File1->path(), File1->fileName(i));
    }
    msgBox(this, QStringLiteral("请选中一个要转换的文件!"), MsgOkExclamation);
    focusFile1();
    return {};
}

void SorvMain::convertSelected()
{
    // One run at a time: a click during a run is refused, not queued.
    if (m_busy)
        return;
    if (msgBox(this, QStringLiteral("确实要转换吗?"), MsgYesNoQuestion) == AnswerNo) {
        focusFile1();
        return;
    }

    // The loop bound and the paths are taken once; which entries are still selected is
    // asked before each document.
    const int count = File1->count();
    auto run = std::make_shared<RunState>();
    run->wanted.resize(static_cast<std::size_t>(count));
    std::vector<std::filesystem::path> paths;
    paths.reserve(static_cast<std::size_t>(count));
    int total = 0;
    for (int i = 0; i < count; ++i) {
        run->wanted[static_cast<std::size_t>(i)] = File1->isEntrySelected(i);
        total += File1->isEntrySelected(i) ? 1 : 0;
        paths.push_back(toFsPath(fullPath(File1->path(), File1->fileName(i))));
    }
    m_failures.clear();
    if (total == 0) {
        msgBox(this, QStringLiteral("请选中需要转换的文件!"), MsgOkExclamation);
        focusFile1();
        return;
    }

    if (joinBox->isChecked()) {
        std::vector<std::filesystem::path> chapters;
        for (int i = 0; i < count; ++i)
            if (run->wanted[static_cast<std::size_t>(i)])
                chapters.push_back(paths[static_cast<std::size_t>(i)]);
        joinSelected(std::move(chapters));
        return;
    }

    const ConversionParams params = currentParams();
    // Every output name of the run is known before anything is written: an entry whose
    // file an earlier entry of the run takes is not converted but reported, naming both,
    // and the run's record of its files keeps later parts from replacing what it wrote.
    std::map<int, Error> refused;
    std::vector<std::filesystem::path> sources;
    {
        std::vector<int> entries;
        std::vector<std::filesystem::path> bases;
        for (int i = 0; i < count; ++i) {
            if (!run->wanted[static_cast<std::size_t>(i)])
                continue;
            entries.push_back(i);
            sources.push_back(paths[static_cast<std::size_t>(i)]);
            bases.push_back(outputBase(sources.back(), 0, params, EngineContext{}));
        }
        const auto earlier = earlierSameOutput(bases);
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (earlier[k])
                refused.emplace(entries[k], sameOutputError(sources[k], sources[*earlier[k]], bases[k]));
    }
    auto outputs = std::make_shared<RunOutputs>(sources);

    setBusy(true, total);
    m_run = run;
    Command1[0]->setText(kStopCaption);
    const ConvertFunction convert = m_convert;
    const ReplacementList list = m_list;
    const EngineContext context = engineContext();
    AsyncTask* task = m_task;
    task->start<RunSummary>(
        [run, paths, refused, outputs, convert, params, list, context, task, this] {
            RunSummary summary;
            for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
                {
                    const std::lock_guard lock(run->mutex);
                    if (run->stop) {
                        summary.stopped = true;
                        for (std::size_t j = static_cast<std::size_t>(i); j < run->wanted.size(); ++j)
                            summary.unreached += run->wanted[j] ? 1 : 0;
                        break;
                    }
                    if (!run->wanted[static_cast<std::size_t>(i)])
                        continue;
                }
                summary.anySelected = true;
                const auto& path = paths[static_cast<std::size_t>(i)];
                EngineContext documentContext = context;
                documentContext.claimOutputs = [outputs, path](const std::vector<std::filesystem::path>& names) {
                    return outputs->claim(path, names);
                };
                const auto refusal = refused.find(i);
                Result<ConversionReport> report = refusal != refused.end()
                    ? Result<ConversionReport>(refusal->second)
                    : convertOne(convert, path, 0, params, list, documentContext);
                if (report) {
                    ++summary.converted;
                    if (report->lostCharacters > 0) {
                        summary.lost += report->lostCharacters;
                        ++summary.lossy;
                    }
                }
                task->post([this, i, source = QString::fromStdString(path.string()), report] {
                    documentDone(i, source, report);
                });
                // The next document waits until the window has taken this one in, so
                // the entries still highlighted are always the ones not yet converted.
                std::unique_lock lock(run->mutex);
                run->changed.wait(lock, [&] { return run->acknowledged >= i || run->abandoned; });
                if (run->abandoned)
                    break;
            }
            return summary;
        },
        [this](RunSummary summary) { runFinished(summary); });
}

void SorvMain::joinSelected(std::vector<std::filesystem::path> chapters)
{
    const ConversionParams params = currentParams();
    // The book is named after the current folder and goes into the output folder, or
    // into the current folder itself.
    const std::filesystem::path current = toFsPath(File1->path());
    const std::filesystem::path folder = params.outputFolder.empty() ? current : params.outputFolder;
    std::string name = QFileInfo(File1->path()).fileName().toStdString();
    if (name.empty())
        name = "book";  // the root folder has no name
    const ReplacementList list = m_list;
    setBusy(true, 1);
    m_task->start<Result<BookReport>>(
        [chapters, folder, name, params, list] {
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            BookOptions options;
            options.jobs = std::max(1u, std::thread::hardware_concurrency());
            try {
                return joinBook(chapters, folder, name, params, list, options);
            } catch (const std::exception& e) {
                return Result<BookReport>(Error{ErrorCode::BadInput, std::string("内部错误：") + e.what(), name});
            }
        },
        [this](Result<BookReport> report) {
            setBusy(false, 0);
            setWindowTitle(QStringLiteral("Sorvane"));
            if (m_closePending) {
                m_closePending = false;
                close();
                return;
            }
            m_failures.clear();
            if (!report) {
                msgBox(this, QStringLiteral("没有合并成书：\n") + QString::fromStdString(report.error().describe()),
                       MsgOkExclamation);
                focusFile1();
                return;
            }
            for (const ChapterFailure& failure : report->failures)
                m_failures << describeFailure(QString::fromStdString(failure.source.string()), failure.error);
            QStringList files;
            for (const auto& file : report->files)
                files << QString::fromStdString(file.filename().string());
            QString text = QStringLiteral("转换完毕!\n已把 %1 个文件合并为：%2").arg(report->chapters).arg(files.join(QStringLiteral("、")));
            if (!m_failures.isEmpty())
                text += QStringLiteral("\n以下 %1 个文件没有合并进去：\n").arg(m_failures.size()) +
                        m_failures.join(QLatin1Char('\n'));
            if (report->lostCharacters > 0)
                text += QStringLiteral("\n\n共有 %1 个字符 GBK 中没有，已写成“?”；选用 GB18030 或 UTF-8 输出编码可以保留它们。")
                            .arg(report->lostCharacters);
            msgBox(this, text, MsgOkExclamation);
            focusFile1();
        });
}

void SorvMain::stopRun()
{
    if (!m_run)
        return;
    const std::lock_guard lock(m_run->mutex);
    m_run->stop = true;
}

void SorvMain::documentDone(int entry, const QString& path, const Result<ConversionReport>& report)
{
    if (report) {
        File1->setEntrySelected(entry, false);
    } else {
        // A failed entry stays selected; the run goes on with the next one.
        m_failures << describeFailure(path, report.error());
    }
    ++m_runDone;
    showDocumentProgress(0.0);
    if (m_run) {
        const std::lock_guard lock(m_run->mutex);
        m_run->acknowledged = entry;
        m_run->changed.notify_all();
    }
}

void SorvMain::runFinished(const RunSummary& summary)
{
    m_run.reset();
    setBusy(false, 0);
    Command1[0]->setText(kExitCaption);
    setWindowTitle(QStringLiteral("Sorvane"));
    if (m_closePending) {
        m_closePending = false;
        close();
        return;
    }

    // Characters code page 936 lacks are never lost silently.
    const QString losses = summary.lost == 0
        ? QString()
        : QStringLiteral("\n\n%1 个文件中共有 %2 个字符 GBK 中没有，已写成“?”；"
                         "选用 GB18030 或 UTF-8 输出编码可以保留它们。")
              .arg(summary.lossy)
              .arg(summary.lost);
    const QString failures = m_failures.isEmpty()
        ? QString()
        : QStringLiteral("\n以下 %1 个文件转换失败（仍为选中状态）：\n").arg(m_failures.size()) +
              m_failures.join(QLatin1Char('\n'));
    if (summary.stopped) {
        msgBox(this,
               QStringLiteral("转换已停止：已转换 %1 个文件，%2 个文件未转换（仍为选中状态）。")
                       .arg(summary.converted)
                       .arg(summary.unreached) +
                   failures + losses,
               MsgOkExclamation);
    } else if (!summary.anySelected) {
        msgBox(this, QStringLiteral("请选中需要转换的文件!"), MsgOkExclamation);
    } else if (m_failures.isEmpty()) {
        msgBox(this, QStringLiteral("转换完毕!") + losses, MsgOkExclamation);
    } else {
        const QString head = summary.converted > 0
            ? QStringLiteral("已转换 %1 个文件，以下 %2 个文件转换失败（仍为选中状态）：\n").arg(summary.converted).arg(m_failures.size())
            : QStringLiteral("以下 %1 个文件转换失败（仍为选中状态）：\n").arg(m_failures.size());
        msgBox(this, head + m_failures.join(QLatin1Char('\n')) + losses, MsgOkExclamation);
    }
    focusFile1();
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

namespace {

// What a preview brings back from the worker: the conversion's report and the text T1
// shows of the scratch file.
struct PreviewOutcome {
    Result<ConversionReport> report = Error{};
    Result<Text> text = Error{};
};

}  // namespace

void SorvMain::previewFirstSelected()
{
    if (m_busy)
        return;
    const QString path = firstSelectedOrWarn();
    if (path.isEmpty())
        return;
    setBusy(true, 1);
    const ConvertFunction convert = m_convert;
    const ConversionParams params = currentParams();
    const ReplacementList list = m_list;
    const EngineContext context = engineContext();
    const std::filesystem::path source = toFsPath(path);
    const std::filesystem::path scratch = programFile(scratchFolder(), kScratchFileName);
    m_task->start<PreviewOutcome>(
        [=] {
            PreviewOutcome out;
            out.report = convertOne(convert, source, 1, params, list, context);
            if (out.report)
                out.text = T1::shownText(QStringLiteral("4"), scratch, params, list);
            return out;
        },
        [this, scratch](PreviewOutcome out) {
            setBusy(false, 0);
            if (out.report) {
                for (const auto& file : out.report->files)
                    m_scratchFiles.push_back(file);
            }
            if (m_closePending) {
                m_closePending = false;
                close();
                return;
            }
            if (!out.report) {
                msgBox(this, QString::fromStdString(out.report.error().describe()), MsgOkExclamation);
            } else if (!out.text) {
                T1::reportUnreadable(this, out.text.error());
            } else {
                T1_Mode = QStringLiteral("4");
                T1 t1(T1_Mode, scratch, m_list, this);
                t1.showText(*out.text);
                t1.exec();
            }
            focusFile1();
        });
}

void SorvMain::confirmReplacement()
{
    if (m_busy)
        return;
    const QString path = firstSelectedOrWarn();
    if (path.isEmpty())
        return;
    // A large document renders on the worker; the window stays responsive meanwhile.
    setBusy(true, 1);
    const ReplacementList list = m_list;
    const ConversionParams params = currentParams();
    const std::filesystem::path document = toFsPath(path);
    m_task->start<Result<Text>>(
        [document, params, list] { return T1::shownText(QStringLiteral("2"), document, params, list); },
        [this, document](Result<Text> text) {
            setBusy(false, 0);
            if (m_closePending) {
                m_closePending = false;
                close();
                return;
            }
            if (!text) {
                T1::reportUnreadable(this, text.error());
            } else {
                T1_Mode = QStringLiteral("2");
                T1 t1(T1_Mode, document, m_list, this);
                connect(&t1, &T1::rowConfirmed, this, [this](int row) { refreshList1(row); });
                t1.showText(*text);
                t1.exec();
                List_Changed = 1;
                refreshList1(selectedReplacement());
            }
            focusFile1();
        });
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

// ---------------------------------------------------------------- files from outside

void SorvMain::applyPattern(const QString& pattern)
{
    const int item = Combo1[0]->findText(pattern);
    if (item >= 0)
        Combo1[0]->setCurrentIndex(item);
    else
        Combo1[0]->setEditText(pattern);
    Combo1_Click(0);
}

bool SorvMain::showFolder(const QString& folder, QString* problem)
{
    const QString clean = QDir::cleanPath(folder);
    if (const QString why = folderProblem(clean); !why.isEmpty()) {
        *problem = why;
        return false;
    }
    {
        const bool blocked = Drive1->blockSignals(true);
        Drive1->setDrive(Drive1->driveFor(clean));
        Drive1->blockSignals(blocked);
    }
    if (!setDir1Path(clean, problem))
        return false;
    // Dir1 moves File1 when its folder changes; when it was already there, File1 may
    // still show another folder.
    if (File1->path() != clean)
        return File1->setPath(clean, problem);
    File1->refresh();
    return true;
}

void SorvMain::openPaths(const QStringList& paths)
{
    if (m_busy || paths.isEmpty())
        return;
    QString folder;
    QStringList files;
    QStringList problems;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            problems << QStringLiteral("%1：文件不存在").arg(path);
        } else if (info.isDir()) {
            if (folder.isEmpty())
                folder = info.absoluteFilePath();
            else
                problems << QStringLiteral("%1：一次只能打开一个文件夹").arg(path);
        } else if (folder.isEmpty() || (files.size() > 0 && info.absolutePath() == folder)) {
            folder = info.absolutePath();
            files << info.fileName();
        } else {
            problems << QStringLiteral("%1：不在 %2 中，未选中").arg(path, folder);
        }
    }

    QString problem;
    if (!folder.isEmpty() && !showFolder(folder, &problem))
        problems << QStringLiteral("%1：%2").arg(folder, problem);
    else if (!files.isEmpty()) {
        // Widen the pattern by the extensions it hides, so every file is listed.
        QString pattern = Combo1[0]->currentText().trimmed();
        for (const QString& name : files) {
            if (matchesPattern(name, pattern))
                continue;
            const QString suffix = QFileInfo(name).suffix();
            const QString added = suffix.isEmpty() ? name : QStringLiteral("*.") + suffix;
            pattern = pattern.isEmpty() ? added : pattern + QLatin1Char(';') + added;
        }
        if (pattern != Combo1[0]->currentText())
            applyPattern(pattern);
        File1->clearSelection();
        int first = -1;
        for (int i = 0; i < File1->count(); ++i) {
            if (files.contains(File1->fileName(i))) {
                File1->setEntrySelected(i, true);
                first = first < 0 ? i : first;
            }
        }
        if (first >= 0)
            File1->scrollToItem(File1->item(first));
    }
    if (!problems.isEmpty())
        msgBox(this, problems.join(QLatin1Char('\n')), MsgOkExclamation);
    focusFile1();
}

void SorvMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_busy && event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
}

void SorvMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    // The drop ends before any message box of opening them shows.
    QTimer::singleShot(0, this, [this, paths] { openPaths(paths); });
}

// ---------------------------------------------------------------- conversion on a worker

ConversionParams SorvMain::currentParams() const
{
    ConversionParams params;
    params.naming = Combo1[1]->currentIndex();
    params.head = Combo2[0]->currentText().toStdString();
    params.headBlank = Combo2[1]->currentText().toStdString();
    params.restBlank = Combo2[2]->currentText().toStdString();
    params.maxRun = Text2[0]->text().toStdString();
    params.maxSize = Text2[1]->text().toStdString();
    params.outputFolder = toFsPath(outputFolderBox->text().trimmed());
    params.encoding = static_cast<OutputEncoding>(std::max(0, outputEncodingBox->currentIndex()));
    params.script = static_cast<ScriptConversion>(std::max(0, convertBox->currentIndex()));
    return params;
}

std::filesystem::path SorvMain::settingsFile() const
{
    return m_programFolder.empty() ? std::filesystem::path() : programFile(m_programFolder, kSettingsFileName);
}

std::filesystem::path SorvMain::listFile() const
{
    return m_programFolder.empty() ? std::filesystem::path() : programFile(m_programFolder, kListFileName);
}

std::filesystem::path SorvMain::scratchFolder()
{
    if (!m_programFolder.empty())
        return m_programFolder;
    if (!m_privateScratch)
        m_privateScratch = std::make_unique<QTemporaryDir>();
    return toFsPath(m_privateScratch->path());
}

EngineContext SorvMain::engineContext()
{
    EngineContext context;
    context.programFolder = scratchFolder();
    AsyncTask* task = m_task;
    context.setCaption = [this, task](const std::string& caption) {
        task->post([this, text = QString::fromStdString(caption)] { setWindowTitle(text); });
    };
    // Reports are passed on in steps of 1 % at most.
    auto lastShare = std::make_shared<double>(-1.0);
    context.progress = [this, task, lastShare](double share) {
        // A smaller share starts the next document.
        if (share >= *lastShare && share - *lastShare < 0.01 && share < 1.0)
            return;
        *lastShare = share;
        task->post([this, share] { showDocumentProgress(share); });
    };
    return context;
}

void SorvMain::setBusy(bool busy, int total)
{
    m_busy = busy;
    m_runDone = 0;
    m_runTotal = total;
    // Commands that convert or open documents wait for the run; so does the choice of
    // folder and pattern, which would replace the entries being converted.
    for (QWidget* w : {static_cast<QWidget*>(Command1[1]), static_cast<QWidget*>(Command1[2]),
                       static_cast<QWidget*>(Command1[4]), static_cast<QWidget*>(Drive1),
                       static_cast<QWidget*>(Dir1), static_cast<QWidget*>(Combo1[0])})
        w->setEnabled(!busy);
    progressBar->setRange(0, std::max(1, total) * kProgressSteps);
    progressBar->setValue(0);
    progressBar->setVisible(busy);
}

void SorvMain::showDocumentProgress(double share)
{
    if (!m_busy)
        return;
    const double clamped = std::clamp(share, 0.0, 1.0);
    const int value = m_runDone * kProgressSteps + static_cast<int>(clamped * kProgressSteps);
    progressBar->setValue(std::min(value, progressBar->maximum()));
    progressBar->setFormat(QStringLiteral("%1 / %2").arg(m_runDone).arg(m_runTotal));
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
