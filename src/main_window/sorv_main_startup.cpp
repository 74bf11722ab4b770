// Start-up and close: the stored settings and replacement list applied at start, saved
// at close, and the files of the program folder they live in.

#include "main_window/sorv_main.h"

#include <algorithm>
#include <string>
#include <system_error>

#include <QByteArray>
#include <QCheckBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "common/program_paths.h"
#include "engine/readers/readable_names.h"
#include "settings/list_file.h"
#include "settings/settings_values.h"
#include "ui_common/center_form.h"
#include "ui_common/message_box.h"
#include "ui_common/window_language.h"
#include "main_window/sorv_main_private.h"
#include "main_window/source_lists.h"

namespace sorvane::ui {

using sorv_main_detail::toFsPath;

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
    Combo1[1]->addItem(tr("不变化"));
    for (int n = 2; n <= 9; ++n)
        Combo1[1]->addItem(tr("将文件名尾部数字变为%1位").arg(n));
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
    chooseEncoding(storedOutEnc(stored.text(SettingKey::OUT_ENC)));
    joinBox->setChecked(stored.text(SettingKey::JOIN) == "1");
    // Without a stored choice, cleaning follows the join box (the connection made it so).
    const std::string& clean = stored.text(SettingKey::CLEAN);
    if (!clean.empty())
        cleanBox->setChecked(clean == "1");
    setRulesFile(QString::fromStdString(stored.text(SettingKey::RULES)));
    m_cleanStored = !clean.empty() || !stored.text(SettingKey::RULES).empty();
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
    values.set(SettingKey::OUT_ENC, outEncValue(chosenEncoding()));
    values.set(SettingKey::JOIN, joinBox->isChecked() ? "1" : "0");
    values.set(SettingKey::CONVERT,
               std::string(scriptConversionName(static_cast<ScriptConversion>(std::max(0, convertBox->currentIndex())))));
    // The cleaning keys are written once they mean something: a choice other than the
    // default, a rules file, or keys an earlier close wrote.
    if (m_cleanStored || cleanBox->isChecked() != joinBox->isChecked() || !m_rulesFile.isEmpty()) {
        values.set(SettingKey::CLEAN, cleanBox->isChecked() ? "1" : "0");
        values.set(SettingKey::RULES, m_rulesFile.toStdString());
    }
    QStringList problems;
    if (settingsFile.empty()) {
        problems << tr("没有找到用户的配置文件夹（HOME 和 XDG_CONFIG_HOME 都没有设置），"
                       "本次的设置和替换列表只保留到现在，没有写入任何文件");
    } else {
        for (const Error& problem : values.write(settingsFile))
            problems << errorText(problem);
        if (List_Changed == 1) {
            const Status saved = saveListFile(listFile(), m_list);
            if (!saved)
                problems << errorText(saved.error());
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

void SorvMain::systemClose()
{
    m_systemClose = true;
    // A question the user has not answered yet (the one below, say) is answered "no":
    // the close goes on without it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
        modal->close();
    if (m_busy) {
        // Stopped here rather than through close(), which does nothing while the user's
        // own close is still asking; the window closes when the work ends.
        if (!m_closePending) {
            m_closePending = true;
            stopRun();
        }
        return;
    }
    QTimer::singleShot(0, this, &QWidget::close);
}

void SorvMain::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        if (m_closePending)
            return;
        // A run is asked about; a preview or a rendering only finishes its document. The
        // system is not asked: a shutdown or logout must not wait on an answer.
        if (m_run && !m_systemClose &&
            msgBox(this, tr("正在转换，要停止转换并退出吗?"), MsgYesNoQuestion) != AnswerYes)
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
        if (!problems.isEmpty() && m_systemClose) {
            qWarning("%s", qPrintable(tr("设置没有保存成功：") + problems.join(QLatin1Char('\n'))));
        } else if (!problems.isEmpty()) {
            msgBox(this, tr("设置没有保存成功：\n") + problems.join(QLatin1Char('\n')),
                   MsgOkExclamation);
        }
    }
    event->accept();
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

}  // namespace sorvane::ui
