#include "replace_window/t1.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui_common/center_form.h"
#include "ui_common/message_box.h"
#include "ui_common/window_language.h"
#include "io/codepage.h"
#include "engine/convert/line_pipeline.h"
#include "engine/render/plain_text_renderer.h"
#include "engine/convert/renderer.h"

namespace sorvane::ui {

struct T1::Private {
    Private(const QString& mode, std::filesystem::path path, ReplacementList& rows)
        : T1_Mode(mode), document(std::move(path)), list(rows)
    {
    }

    QString T1_Mode;
    std::filesystem::path document;
    ReplacementList& list;

    // The entry being confirmed.
    QString Find_Text;
    QString Replace_Text;
    QString Keep_Flag;

    // Selection of Text1(1) saved while the focus is elsewhere, in characters of the box.
    // Plain ints: a selection of any length is kept whole.
    int Sel_Start = 0;
    int Sel_Len = 0;

    // The text as rendered, line breaks CR LF; the box shows it with one character per
    // line break. `joinedBreaks` holds, in ascending order, the box positions of the
    // breaks that stand for two characters (CR LF) here, so box positions map back.
    QString shownText;
    std::vector<int> joinedBreaks;

    QFrame* Frame1 = nullptr;
    QLabel* Label2_1 = nullptr;
    QLineEdit* Text1_0 = nullptr;
    QPlainTextEdit* Text1_1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command1 = nullptr;
    QMenuBar* menuBar = nullptr;
    std::array<QAction*, 3> MENU_0{};  // indexes 0 and 2; there is no 1

    bool previewMode() const { return T1_Mode == QLatin1String("4"); }

    // Index in shownText of box position `pos`.
    int sourceIndex(int pos) const
    {
        const auto joined = std::lower_bound(joinedBreaks.begin(), joinedBreaks.end(), pos);
        return pos + static_cast<int>(joined - joinedBreaks.begin());
    }
};

T1::T1(const QString& mode, std::filesystem::path document, ReplacementList& list,
       QWidget* parent)
    : QDialog(parent), d(new Private(mode, std::move(document), list))
{
    Form_Load();
}

T1::~T1()
{
    delete d;
}

void T1::Form_Load()
{
    setObjectName(QStringLiteral("T1"));
    setWindowTitle(tr("确认替换内容"));
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    // The replacement row: label and check box on the left, the replacement box filling
    // the rest of the width, as tall as the two of them.
    d->Frame1 = new QFrame(this);
    d->Frame1->setObjectName(QStringLiteral("Frame1"));
    d->Frame1->setFrameShape(QFrame::NoFrame);
    d->Label2_1 = new QLabel(tr("将选中部分替换为："), d->Frame1);
    d->Label2_1->setObjectName(QStringLiteral("Label2_1"));
    d->Label2_1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    d->Label2_1->setMinimumWidth(128);
    d->Text1_0 = new QLineEdit(d->Frame1);
    d->Text1_0->setObjectName(QStringLiteral("Text1_0"));
    d->Text1_0->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    d->Check1 = new QCheckBox(tr("&T.临时替换"), d->Frame1);
    d->Check1->setObjectName(QStringLiteral("Check1"));
    d->Check1->setChecked(true);
    d->Label2_1->setBuddy(d->Text1_0);

    auto* row = new QGridLayout(d->Frame1);
    row->setContentsMargins(2, 1, 0, 1);
    row->setHorizontalSpacing(1);
    row->setVerticalSpacing(2);
    row->addWidget(d->Label2_1, 0, 0);
    row->addWidget(d->Check1, 1, 0, Qt::AlignHCenter);
    row->addWidget(d->Text1_0, 0, 1, 2, 1);
    row->setColumnStretch(1, 1);

    d->Text1_1 = new QPlainTextEdit(this);
    d->Text1_1->setObjectName(QStringLiteral("Text1_1"));
    // The box shows the text to pick from; its positions must stay those of the rendered
    // text, so it is not edited, only selected in (by mouse and keyboard).
    d->Text1_1->setReadOnly(true);
    d->Text1_1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    d->Text1_1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    d->Text1_1->setUndoRedoEnabled(false);

    // The cancel button: never seen, pressed by Esc.
    d->Command1 = new QPushButton(QStringLiteral("Command1"), this);
    d->Command1->setObjectName(QStringLiteral("Command1"));
    d->Command1->setAutoDefault(false);
    d->Command1->hide();

    d->menuBar = new QMenuBar(this);
    d->menuBar->setObjectName(QStringLiteral("menuBar"));
    d->MENU_0[0] = d->menuBar->addAction(tr("&X.退出"));
    d->MENU_0[0]->setObjectName(QStringLiteral("MENU_0_0"));
    d->MENU_0[2] = d->menuBar->addAction(tr("&K.确认"));
    d->MENU_0[2]->setObjectName(QStringLiteral("MENU_0_2"));

    // The text box fills the window below the replacement row (or from the top in
    // preview mode), with the same small margin on every side.
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(d->menuBar);
    layout->setContentsMargins(2, 1, 2, 2);
    layout->setSpacing(1);
    layout->addWidget(d->Frame1);
    layout->addWidget(d->Text1_1, 1);

    if (d->previewMode()) {
        d->Frame1->hide();
        d->MENU_0[2]->setVisible(false);
        setWindowTitle(tr("预览转换后文本"));
    }

    setTabOrder(d->Text1_1, d->Text1_0);
    setTabOrder(d->Text1_0, d->Check1);
    d->Text1_1->setFocus();

    connect(d->MENU_0[0], &QAction::triggered, this, [this] { MENU_0_Click(0); });
    connect(d->MENU_0[2], &QAction::triggered, this, [this] { MENU_0_Click(2); });
    connect(d->Command1, &QPushButton::clicked, this, &T1::Command1_Click);
    connect(d->Check1, &QCheckBox::clicked, this, &T1::Check1_Click);
    d->Text1_1->installEventFilter(this);

    // Designed client area 8430 x 7125 twips; the window opens maximised.
    resize(562, 475);
    setWindowState(windowState() | Qt::WindowMaximized);
    Center_Form(this);
}

bool T1::Read_T()
{
    Result<Text> text = shownText(d->T1_Mode, d->document, ConversionParams{}, d->list);
    if (!text) {
        reportUnreadable(this, text.error());
        return false;
    }
    showText(*text);
    return true;
}

Result<Text> T1::shownText(const QString& mode, const std::filesystem::path& document,
                           const ConversionParams& params, const ReplacementList& list)
{
    Result<Text> text = Text();
    if (mode == QLatin1String("4")) {
        // The scratch file is the program's own output, always code page 936: guessing its
        // encoding would take short GBK texts for UTF-8.
        const Result<std::string> bytes = readWholeFile(document);
        if (!bytes)
            return bytes.error();
        text = normaliseLineBreaks(decodeCp936(*bytes));
        passCp936AndReplace(*text, list);
        return text;
    }
    // The rendered document goes through the conversion's own first steps, so a piece
    // picked here is a piece of the text the conversion matches pairs against.
    text = renderDocument(document);
    if (!text)
        return text;
    if (Result<std::size_t> prepared = prepareText(*text, params, list); !prepared)
        return prepared.error();
    return text;
}

void T1::reportUnreadable(QWidget* parent, const Error& error)
{
    msgBox(parent, tr("无法显示文档：\n%1").arg(errorText(error)), MsgOkExclamation);
}

void T1::showText(const Text& text)
{
    setShownText(QString::fromStdU16String(text));
    d->Sel_Start = 0;
    d->Sel_Len = 0;
}

void T1::setShownText(const QString& text)
{
    d->shownText = text;
    d->joinedBreaks.clear();
    // Every line break (CR LF, lone CR, lone LF) becomes one '\n' in the box, which
    // holds each break as one position.
    QString boxText;
    boxText.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            d->joinedBreaks.push_back(static_cast<int>(boxText.size()));
            boxText += u'\n';
            ++i;
        } else if (ch == u'\r') {
            boxText += u'\n';
        } else {
            boxText += ch;
        }
    }
    d->Text1_1->setPlainText(boxText);
}

QString T1::selectedSourceText() const
{
    const QTextCursor cursor = d->Text1_1->textCursor();
    const int start = d->sourceIndex(cursor.selectionStart());
    const int end = d->sourceIndex(cursor.selectionEnd());
    return d->shownText.mid(start, end - start);
}

void T1::MENU_0_Click(int Index)
{
    if (Index != 2) {
        done(QDialog::Rejected);
        return;
    }

    d->Find_Text = selectedSourceText();
    if (d->Find_Text.isEmpty()) {
        msgBox(this, tr("请选定要替换的文字部分!"), MsgOkExclamation);
        d->Text1_1->setFocus();
        return;
    }
    d->Replace_Text = d->Text1_0->text();
    d->Keep_Flag = d->Check1->isChecked() ? QStringLiteral("N") : QStringLiteral("Y");

    const Text search = d->Find_Text.toStdU16String();
    ReplacementList& list = d->list;
    const auto hit = std::find_if(list.begin(), list.end(),
                                  [&](const ReplacementRow& r) { return r.search == search; });
    int row = 0;
    if (hit != list.end()) {
        hit->replacement = d->Replace_Text.toStdU16String();
        hit->keep = d->Keep_Flag.toStdString();
        row = static_cast<int>(hit - list.begin());
        d->Find_Text.clear();
    } else {
        list.push_back(ReplacementRow{search, d->Replace_Text.toStdU16String(),
                                      d->Keep_Flag.toStdString()});
        row = static_cast<int>(list.size()) - 1;
    }
    emit rowConfirmed(row);
    msgBox(this, QStringLiteral("OK"), MsgOk);
}

void T1::Command1_Click()
{
    MENU_0_Click(0);
}

void T1::Check1_Click()
{
    d->Text1_1->setFocus(Qt::OtherFocusReason);
}

void T1::Text1_GotFocus(int Index)
{
    if (Index != 1)
        return;
    QTextCursor cursor = d->Text1_1->textCursor();
    const int last = d->Text1_1->document()->characterCount() - 1;
    const int start = std::clamp(d->Sel_Start, 0, last);
    const int end = std::clamp(d->Sel_Start + d->Sel_Len, start, last);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    d->Text1_1->setTextCursor(cursor);
}

void T1::Text1_Validate(int Index, bool& Cancel)
{
    Cancel = false;
    if (Index != 1)
        return;
    const QTextCursor cursor = d->Text1_1->textCursor();
    d->Sel_Start = cursor.selectionStart();
    d->Sel_Len = cursor.selectionEnd() - cursor.selectionStart();
}

bool T1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == d->Text1_1 &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Focus that only follows the window being switched or a menu opening leaves
        // the box's selection alone.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (event->type() == QEvent::FocusIn) {
                Text1_GotFocus(1);
            } else {
                bool cancel = false;
                Text1_Validate(1, cancel);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void T1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        d->Command1->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace sorvane::ui
