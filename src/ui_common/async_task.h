#pragma once
// Work off the window's thread: one job at a time runs on a worker thread, and its
// progress reports and result come back on the thread of the object that started it.
// The window's own event loop, and any modal dialog's, keeps running meanwhile, so
// nothing the user opens pauses the job.

#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include <QObject>

namespace sorvane::ui {

class AsyncTask : public QObject {
    Q_OBJECT
public:
    explicit AsyncTask(QObject* parent = nullptr);
    // Waits for a job still running: its work may refer to the owner.
    ~AsyncTask() override;

    bool isRunning() const { return m_running; }

    // Runs `work` on a worker thread, then `done` with its result on this object's
    // thread. Returns false, and runs nothing, while another job is running. `work`
    // must not throw and must not touch widgets.
    template <typename R>
    bool start(std::function<R()> work, std::function<void(R)> done)
    {
        return startJob([this, work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<std::optional<R>>(work());
            post([this, done = std::move(done), result]() mutable {
                finish();
                done(std::move(**result));
            });
        });
    }

    // Runs `fn` on this object's thread as soon as its event loop gets to it; safe to
    // call from the worker. Reports posted in order arrive in order.
    void post(std::function<void()> fn);

private:
    bool startJob(std::function<void()> job);
    void finish();

    std::thread m_worker;
    bool m_running = false;
};

}  // namespace sorvane::ui
