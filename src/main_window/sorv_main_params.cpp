// The conversion parameters read from the controls, and the output row that chooses
// where the files go and in which encoding.

#include "main_window/sorv_main.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "main_window/sorv_main_private.h"
#include "main_window/source_lists.h"

namespace sorvane::ui {

using sorv_main_detail::makeLabel;
using sorv_main_detail::toFsPath;

void SorvMain::createOutputRow(QGridLayout* grid, int row)
{
    outputFolderLabel = makeLabel(tr("输出文件夹"), Qt::AlignRight, QStringLiteral("outputFolderLabel"));
    outputFolderBox = new QLineEdit;
    outputFolderBox->setObjectName(QStringLiteral("outputFolderBox"));
    outputFolderBox->setPlaceholderText(tr("（空：与源文件相同）"));
    outputFolderBox->setToolTip(tr("转换后的文件写入这个文件夹；空着就写在每个源文件旁边"));
    outputFolderButton = new QPushButton(QStringLiteral("…"));
    outputFolderButton->setObjectName(QStringLiteral("outputFolderButton"));
    outputFolderButton->setToolTip(tr("选择输出文件夹"));
    outputEncodingLabel = makeLabel(tr("输出编码"), Qt::AlignRight, QStringLiteral("outputEncodingLabel"));
    outputEncodingBox = new QComboBox;
    outputEncodingBox->setObjectName(QStringLiteral("outputEncodingBox"));
    // Each item carries the encoding's name, which the settings and the command line use
    // too; its caption is that name in capitals.
    for (const OutputEncoding encoding : kOutputEncodings) {
        const QString name = QString::fromLatin1(outputEncodingName(encoding));
        outputEncodingBox->addItem(encoding == OutputEncoding::Gbk ? tr("GBK (默认)") : name.toUpper(), name);
    }

    joinBox = new QCheckBox(tr("合并为一本书"));
    joinBox->setObjectName(QStringLiteral("joinBox"));
    joinBox->setToolTip(tr("选中的文档按列表顺序合并为一本书，以当前文件夹的名字命名"));
    cleanBox = new QCheckBox(tr("去除网页杂项"));
    cleanBox->setObjectName(QStringLiteral("cleanBox"));
    cleanBox->setToolTip(tr("网页只留正文和章节标题：去掉导航、目录页、网站告示、夹在段落里的网址广告，"
                            "以及各页重复的行；合并为一本书时默认选中（Alt+Q）"));
    // Reached by Alt+Q (connectHandlers), so the Tab order of the window and the width of
    // the row stay as they were.
    cleanBox->setFocusPolicy(Qt::ClickFocus);
    convertLabel = makeLabel(tr("繁简转换"), Qt::AlignRight, QStringLiteral("convertLabel"));
    convertBox = new QComboBox;
    convertBox->setObjectName(QStringLiteral("convertBox"));
    // Item order follows ScriptConversion.
    convertBox->addItems({tr("不转换 (默认)"), tr("繁体→简体"), tr("简体→繁体"),
                          tr("台湾繁体→简体"), tr("简体→台湾繁体")});

    auto* line = new QHBoxLayout;
    line->addWidget(outputFolderBox, 1);
    line->addWidget(outputFolderButton);
    line->addWidget(outputEncodingLabel);
    line->addWidget(outputEncodingBox);
    grid->addWidget(outputFolderLabel, row, 0);
    grid->addLayout(line, row, 1, 1, 4);
    auto* second = new QHBoxLayout;
    second->addWidget(joinBox);
    second->addWidget(cleanBox);
    second->addStretch(1);
    second->addWidget(convertLabel);
    second->addWidget(convertBox);
    grid->addLayout(second, row + 1, 1, 1, 4);
}

void SorvMain::chooseOutputFolder()
{
    const QString start = outputFolderBox->text().isEmpty() ? File1->path() : outputFolderBox->text();
    const QString folder = QFileDialog::getExistingDirectory(this, tr("选择输出文件夹"), start);
    if (!folder.isEmpty())
        outputFolderBox->setText(QDir::toNativeSeparators(folder));
}

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
    params.encoding = chosenEncoding();
    params.script = static_cast<ScriptConversion>(std::max(0, convertBox->currentIndex()));
    params.cleanPages = cleanBox->isChecked();
    return params;
}

OutputEncoding SorvMain::chosenEncoding() const
{
    return parseOutputEncoding(outputEncodingBox->currentData().toString().toStdString()).value_or(OutputEncoding::Gbk);
}

void SorvMain::chooseEncoding(OutputEncoding encoding)
{
    outputEncodingBox->setCurrentIndex(
        std::max(0, outputEncodingBox->findData(QString::fromLatin1(outputEncodingName(encoding)))));
}

}  // namespace sorvane::ui
