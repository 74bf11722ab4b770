#pragma once
// The program's message boxes: title "系统提示", and the three styles it uses.

#include <functional>

#include <QString>

class QWidget;

namespace sorvane::ui {

enum MsgStyle {
    MsgOk = 0,              // OK, no icon
    MsgYesNoQuestion = 36,  // Yes / No, question icon
    MsgOkExclamation = 48,  // OK, exclamation icon
};

enum MsgAnswer { AnswerOk = 1, AnswerYes = 6, AnswerNo = 7 };

// Shows a modal message box and returns the button pressed (AnswerOk, AnswerYes or
// AnswerNo; closing a Yes/No box without choosing counts as No).
MsgAnswer msgBox(QWidget* parent, const QString& text, MsgStyle style);

// Tests put a function here to answer every box without showing it; it receives the
// text and style and returns the answer. Empty: boxes are shown normally.
using MsgBoxHook = std::function<MsgAnswer(const QString& text, MsgStyle style)>;
void setMsgBoxHook(MsgBoxHook hook);

}  // namespace sorvane::ui
