// The reader's rules file, chosen beside the replacement list and loaded for each
// conversion, so a file edited meanwhile counts and a bad rule stops the conversion.

#include "main_window/sorv_main.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

#include "main_window/sorv_main_private.h"
#include "main_window/source_lists.h"
#include "ui_common/message_box.h"
#include "ui_common/window_language.h"

namespace sorvane::ui {

using sorv_main_detail::toFsPath;

void SorvMain::createRulesButton()
{
    rulesButton = new QToolButton;
    rulesButton->setObjectName(QStringLiteral("rulesButton"));
    rulesButton->setPopupMode(QToolButton::InstantPopup);
    rulesButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    rulesButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Reached by its access key; the Tab order of the window stays as it was.
    rulesButton->setFocusPolicy(Qt::ClickFocus);
    auto* menu = new QMenu(rulesButton);
    menu->addAction(tr("选择规则文件…"), this, &SorvMain::chooseRulesFile);
    menu->addAction(tr("不用规则文件"), this, [this] { setRulesFile({}); });
    rulesButton->setMenu(menu);
    setRulesFile({});
}

void SorvMain::setRulesFile(const QString& file)
{
    m_rulesFile = file;
    const QString shown = file.isEmpty() ? tr("无") : QFileInfo(file).fileName();
    rulesButton->setText(tr("规则文件(&G)：%1").arg(shown));
    rulesButton->setToolTip(file.isEmpty()
                                ? tr("规则文件：每行一个正则表达式、一个 Tab 和替换文字，在替换列表之后使用")
                                : file);
}

void SorvMain::chooseRulesFile()
{
    const QString start = m_rulesFile.isEmpty() ? File1->path() : QFileInfo(m_rulesFile).path();
    const QString file = QFileDialog::getOpenFileName(this, tr("选择规则文件"), start,
                                                      tr("规则文件 (*.txt *.rules);;所有文件 (*)"));
    if (file.isEmpty())
        return;
    // A bad file is named at once, with its line; it is kept all the same, so the reader
    // can mend it and convert.
    setRulesFile(file);
    if (const auto rules = loadRules(); !rules)
        msgBox(this, tr("规则文件有误：\n%1").arg(errorText(rules.error())),
               MsgOkExclamation);
}

Result<std::shared_ptr<const clean::RewriteRules>> SorvMain::loadRules() const
{
    if (m_rulesFile.isEmpty())
        return std::shared_ptr<const clean::RewriteRules>();
    Result<clean::RewriteRules> rules = clean::RewriteRules::load(toFsPath(m_rulesFile));
    if (!rules)
        return rules.error();
    return std::make_shared<const clean::RewriteRules>(std::move(rules).value());
}

bool SorvMain::rulesForRun(std::shared_ptr<const clean::RewriteRules>& rules)
{
    Result<std::shared_ptr<const clean::RewriteRules>> loaded = loadRules();
    if (!loaded) {
        msgBox(this,
               tr("规则文件有误，没有转换：\n%1").arg(errorText(loaded.error())),
               MsgOkExclamation);
        focusFile1();
        return false;
    }
    rules = std::move(loaded).value();
    return true;
}

}  // namespace sorvane::ui
