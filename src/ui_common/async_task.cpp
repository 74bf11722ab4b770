#include "ui_common/async_task.h"

namespace sorvane::ui {

AsyncTask::AsyncTask(QObject* parent) : QObject(parent) {}

AsyncTask::~AsyncTask()
{
    if (m_worker.joinable())
        m_worker.join();
}

void AsyncTask::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool AsyncTask::startJob(std::function<void()> job)
{
    if (m_running)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_running = true;
    m_worker = std::thread(std::move(job));
    return true;
}

void AsyncTask::finish()
{
    // The worker's last act was posting this call; it is ending or has ended.
    if (m_worker.joinable())
        m_worker.join();
    m_running = false;
}

}  // namespace sorvane::ui
