#include "main_window/sorv_main.h"

#include <mutex>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTimer>

#include "about_window/about.h"
#include "ui_common/message_box.h"
#include "main_window/link_label.h"
#include "main_window/sorv_main_private.h"
#include "main_window/source_lists.h"

namespace sorvane::ui {

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
    // Cleaning is on for a book by default: the box follows the join box.
    connect(joinBox, &QCheckBox::toggled, cleanBox, &QCheckBox::setChecked);
    auto* cleanKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Q), this);
    connect(cleanKey, &QShortcut::activated, cleanBox, &QCheckBox::toggle);
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
           tr("无法打开帮助文件，请直接打开：\n%1").arg(QDir::toNativeSeparators(m_manualPath)),
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
        msgBox(this, tr("无法打开网址，请在浏览器中打开：\n%1").arg(address), MsgOkExclamation);
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
