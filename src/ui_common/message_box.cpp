#include "ui_common/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace sorvane::ui {
namespace {

MsgBoxHook& hook()
{
    static MsgBoxHook h;
    return h;
}

}  // namespace

void setMsgBoxHook(MsgBoxHook h)
{
    hook() = std::move(h);
}

MsgAnswer msgBox(QWidget* parent, const QString& text, MsgStyle style)
{
    if (hook())
        return hook()(text, style);

    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("sorvMsgBox"));
    box.setWindowTitle(QCoreApplication::translate("sorvane::ui::MessageBox", "系统提示"));
    box.setText(text);
    if (style == MsgYesNoQuestion) {
        box.setIcon(QMessageBox::Question);
        QPushButton* yes =
            box.addButton(QCoreApplication::translate("sorvane::ui::MessageBox", "是(&Y)"), QMessageBox::YesRole);
        QPushButton* no =
            box.addButton(QCoreApplication::translate("sorvane::ui::MessageBox", "否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? AnswerYes : AnswerNo;
    }
    box.setIcon(style == MsgOkExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    QPushButton* ok =
        box.addButton(QCoreApplication::translate("sorvane::ui::MessageBox", "确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return AnswerOk;
}

}  // namespace sorvane::ui
