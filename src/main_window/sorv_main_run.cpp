// Work on the worker thread: the conversion run over the selected entries with its
// progress, joining them into one book, the preview, and the rendering the replacement
// window shows.

#include "main_window/sorv_main.h"

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include <QCheckBox>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

#include "engine/convert/book_join.h"
#include "engine/output/batch_plan.h"
#include "io/memory_release.h"
#include "common/program_paths.h"
#include "ui_common/message_box.h"
#include "ui_common/window_language.h"
#include "main_window/sorv_main_private.h"
#include "main_window/source_lists.h"
#include "main_window/source_paths.h"
#include "replace_window/t1.h"

namespace sorvane::ui {

struct SorvMain::RunSummary {
    int converted = 0;
    std::size_t lost = 0;  // characters code page 936 lacks, written as '?'
    int lossy = 0;         // documents that lost any
    int unreached = 0;  // selected entries not converted because the run was stopped
    bool anySelected = false;
    bool stopped = false;
};

using sorv_main_detail::exitCaption;
using sorv_main_detail::toFsPath;

namespace {

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

// "source: reason", and the file concerned when it is not the source itself.
QString describeFailure(const QString& source, const Error& error)
{
    QString text = source + QStringLiteral(": ") + messageText(error.message);
    const QString where = QString::fromStdString(error.where);
    if (!where.isEmpty() && where != source)
        text += QStringLiteral(" (") + where + QLatin1Char(')');
    return text;
}

// The part of a final message that says what cleaning removed and which pages it left
// out, or nothing.
QString describeCleaning(std::size_t removed, const QStringList& noStory)
{
    QString text;
    if (removed > 0)
        text += SorvMain::tr("\n去除网页杂项 %1 行。").arg(removed);
    if (!noStory.isEmpty())
        text += SorvMain::tr("\n以下 %1 页没有正文（目录页等），已略过：\n").arg(noStory.size()) +
                noStory.join(QLatin1Char('\n'));
    return text;
}

// The part of a final message that lists what readers could not read, or nothing.
QString describeProblems(const QStringList& problems)
{
    if (problems.isEmpty())
        return {};
    return SorvMain::tr("\n以下文件已写出，但有部分内容没有读出：\n") + problems.join(QLatin1Char('\n'));
}

// What a preview brings back from the worker: the conversion's report and the text T1
// shows of the scratch file.
struct PreviewOutcome {
    Result<ConversionReport> report = Error{};
    Result<Text> text = Error{};
};

}  // namespace

void SorvMain::convertSelected()
{
    // One run at a time: a click during a run is refused, not queued.
    if (m_busy)
        return;
    if (msgBox(this, tr("确实要转换吗?"), MsgYesNoQuestion) == AnswerNo) {
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
    m_problems.clear();
    m_noStory.clear();
    m_removed = 0;
    if (total == 0) {
        msgBox(this, tr("请选中需要转换的文件!"), MsgOkExclamation);
        focusFile1();
        return;
    }
    // A bad rules file stops the run before anything is converted.
    std::shared_ptr<const clean::RewriteRules> rules;
    if (!rulesForRun(rules))
        return;

    if (joinBox->isChecked()) {
        std::vector<std::filesystem::path> chapters;
        for (int i = 0; i < count; ++i)
            if (run->wanted[static_cast<std::size_t>(i)])
                chapters.push_back(paths[static_cast<std::size_t>(i)]);
        joinSelected(std::move(chapters), rules);
        return;
    }

    const ConversionParams params = currentParams();
    // The engine plans the run before anything is written: an entry whose file an
    // earlier entry of the run takes is not converted but reported, naming both, and the
    // plan's record of the files written keeps later parts from replacing what it wrote.
    std::map<int, std::size_t> planIndex;  // list entry -> document of the plan
    std::vector<std::filesystem::path> sources;
    for (int i = 0; i < count; ++i) {
        if (!run->wanted[static_cast<std::size_t>(i)])
            continue;
        planIndex.emplace(i, sources.size());
        sources.push_back(paths[static_cast<std::size_t>(i)]);
    }
    auto plan = std::make_shared<BatchPlan>(sources, params);

    setBusy(true, total);
    m_run = run;
    Command1[0]->setText(tr("停　止(&X)"));
    const ConvertFunction convert = m_convert;
    const ReplacementList list = m_list;
    EngineContext context = engineContext();
    context.cleaning.rules = rules;
    AsyncTask* task = m_task;
    task->start<RunSummary>(
        [run, paths, planIndex, plan, convert, list, context, sources, params, task, this]() mutable {
            RunSummary summary;
            // With cleaning, what the pages of the folder share is learnt from all of them
            // before the first is converted.
            if (params.cleanPages)
                context.cleaning.site = learnSite(sources, params, list, context.cleaning,
                                                  std::max(1u, std::thread::hardware_concurrency()));
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
                const std::size_t k = planIndex.at(i);
                EngineContext documentContext = context;
                documentContext.claimOutputs = [plan, k](const std::vector<std::filesystem::path>& names) {
                    return plan->claim(k, names);
                };
                documentContext.ownedElsewhere = [plan, k](const std::filesystem::path& file) {
                    return plan->ownedElsewhere(k, file);
                };
                documentContext.output = plan->output(k);
                Result<ConversionReport> report = plan->refusal(k)
                    ? Result<ConversionReport>(*plan->refusal(k))
                    : convertOne(convert, path, 0, plan->params(k), list, documentContext);
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
                // A batch takes the memory of its largest document, not of all of them.
                releaseFreedMemory();
            }
            return summary;
        },
        [this](RunSummary summary) { runFinished(summary); });
}

void SorvMain::joinSelected(std::vector<std::filesystem::path> chapters,
                            std::shared_ptr<const clean::RewriteRules> rules)
{
    const ConversionParams params = currentParams();
    // The book is named after the current folder and goes into the output folder, or
    // into the current folder itself, where the chapters are.
    const std::filesystem::path folder = bookFolder(chapters, params.outputFolder);
    std::string name = QFileInfo(File1->path()).fileName().toStdString();
    if (name.empty())
        name = "book";  // the root folder has no name
    const ReplacementList list = m_list;
    setBusy(true, 1);
    m_task->start<Result<BookReport>>(
        [chapters, folder, name, params, list, rules] {
            BookOptions options;
            options.jobs = std::max(1u, std::thread::hardware_concurrency());
            options.cleaning.rules = rules;
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
            m_problems.clear();
            m_noStory.clear();
            if (!report) {
                msgBox(this, tr("没有合并成书：\n%1").arg(errorText(report.error())), MsgOkExclamation);
                focusFile1();
                return;
            }
            for (const ChapterFailure& failure : report->failures)
                m_failures << describeFailure(QString::fromStdString(failure.source.string()), failure.error);
            QStringList files;
            for (const auto& file : report->files)
                files << QString::fromStdString(file.filename().string());
            QString text = tr("转换完毕!\n已把 %1 个文件合并为：%2").arg(report->chapters).arg(files.join(tr("、")));
            if (!m_failures.isEmpty())
                text += tr("\n以下 %1 个文件没有合并进去：\n").arg(m_failures.size()) +
                        m_failures.join(QLatin1Char('\n'));
            for (const ChapterProblem& problem : report->problems)
                m_problems << QString::fromStdString(problem.source.string()) + QStringLiteral(": ") +
                                  messageText(problem.problem);
            for (const clean::PageRemovals& page : report->removed)
                if (page.contents)
                    m_noStory << QString::fromStdString(page.source.string());
            text += describeCleaning(clean::removedCount(report->removed), m_noStory);
            text += describeProblems(m_problems);
            if (report->lostCharacters > 0)
                text += tr("\n\n共有 %1 个字符 GBK 中没有，已写成“?”；选用 GB18030 或 UTF-8 输出编码可以保留它们。")
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
        for (const std::string& problem : report->problems)
            m_problems << path + QStringLiteral(": ") + messageText(problem);
        m_removed += clean::removedCount(report->removed);
    } else if (report.error().code == ErrorCode::NoStory) {
        // A page without a story is left out as asked: no failure.
        File1->setEntrySelected(entry, false);
        m_noStory << path;
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
    Command1[0]->setText(exitCaption());
    setWindowTitle(QStringLiteral("Sorvane"));
    if (m_closePending) {
        m_closePending = false;
        close();
        return;
    }

    // Characters code page 936 lacks are never lost silently.
    const QString losses = summary.lost == 0
        ? QString()
        : tr("\n\n%1 个文件中共有 %2 个字符 GBK 中没有，已写成“?”；"
             "选用 GB18030 或 UTF-8 输出编码可以保留它们。")
              .arg(summary.lossy)
              .arg(summary.lost);
    const QString failures = m_failures.isEmpty()
        ? QString()
        : tr("\n以下 %1 个文件转换失败（仍为选中状态）：\n").arg(m_failures.size()) +
              m_failures.join(QLatin1Char('\n'));
    const QString problems = describeCleaning(m_removed, m_noStory) + describeProblems(m_problems);
    if (summary.stopped) {
        msgBox(this,
               tr("转换已停止：已转换 %1 个文件，%2 个文件未转换（仍为选中状态）。")
                       .arg(summary.converted)
                       .arg(summary.unreached) +
                   failures + problems + losses,
               MsgOkExclamation);
    } else if (!summary.anySelected) {
        msgBox(this, tr("请选中需要转换的文件!"), MsgOkExclamation);
    } else if (m_failures.isEmpty()) {
        msgBox(this, tr("转换完毕!") + problems + losses, MsgOkExclamation);
    } else {
        const QString head = summary.converted > 0
            ? tr("已转换 %1 个文件，以下 %2 个文件转换失败（仍为选中状态）：\n").arg(summary.converted).arg(m_failures.size())
            : tr("以下 %1 个文件转换失败（仍为选中状态）：\n").arg(m_failures.size());
        msgBox(this, head + m_failures.join(QLatin1Char('\n')) + problems + losses, MsgOkExclamation);
    }
    focusFile1();
}

void SorvMain::previewFirstSelected()
{
    if (m_busy)
        return;
    const QString path = firstSelectedOrWarn();
    if (path.isEmpty())
        return;
    std::shared_ptr<const clean::RewriteRules> rules;
    if (!rulesForRun(rules))
        return;
    setBusy(true, 1);
    const ConvertFunction convert = m_convert;
    const ConversionParams params = currentParams();
    const ReplacementList list = m_list;
    EngineContext context = engineContext();
    context.cleaning.rules = rules;
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
                msgBox(this, errorText(out.report.error()), MsgOkExclamation);
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

EngineContext SorvMain::engineContext()
{
    EngineContext context;
    context.programFolder = scratchFolder();
    AsyncTask* task = m_task;
    context.setCaption = [this, task](const std::string& caption) {
        task->post([this, text = messageText(caption)] { setWindowTitle(text); });
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
    // The bar's text is set by each report; a new run must not show the last run's
    // count until its first document reports.
    if (busy)
        showDocumentProgress(0.0);
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

}  // namespace sorvane::ui
