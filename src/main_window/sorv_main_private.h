#pragma once
// What the files of SorvMain share: the state of a conversion run, which the window's
// destructor and selection handler touch as well as the run, and small helpers used by
// more than one of them. Only the main window's own files include this.

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

#include <QFile>
#include <QLabel>
#include <QString>

#include "main_window/sorv_main.h"

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

namespace sorv_main_detail {

// The caption of Command1(0), which a run changes to stop and back.
inline QString exitCaption()
{
    return SorvMain::tr("退　出(&X)");
}

inline std::filesystem::path toFsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

inline QLabel* makeLabel(const QString& text, Qt::Alignment alignment, const QString& objectName)
{
    auto* label = new QLabel(text);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setObjectName(objectName);
    return label;
}

}  // namespace sorv_main_detail

}  // namespace sorvane::ui
