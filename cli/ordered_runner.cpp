#include "cli/ordered_runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace sorvane::cli {

void runInOrder(std::size_t count, unsigned threads, const std::function<void(std::size_t index)>& work,
                const std::function<void(std::size_t index, std::size_t finished)>& done)
{
    if (count == 0)
        return;
    std::mutex mutex;
    std::condition_variable finishedOne;
    std::condition_variable handedOn;
    std::vector<char> finished(count, 0);
    std::size_t finishedCount = 0;
    std::size_t printed = 0;
    std::atomic<std::size_t> next{0};
    threads = std::max(1u, static_cast<unsigned>(std::min<std::size_t>(threads, count)));
    if (threads == 1) {
        // One worker would only wait for this thread: the jobs run on it, each handed on
        // (and its memory released) before the next starts.
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            done(i, i + 1);
        }
        return;
    }
    const std::size_t lookahead = 4 * static_cast<std::size_t>(threads);

    auto worker = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count)
                return;
            {
                std::unique_lock lock(mutex);
                handedOn.wait(lock, [&] { return i < printed + lookahead; });
            }
            work(i);
            {
                std::lock_guard lock(mutex);
                finished[i] = 1;
                ++finishedCount;
            }
            finishedOne.notify_one();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back(worker);

    std::unique_lock lock(mutex);
    while (printed < count) {
        finishedOne.wait(lock, [&] { return finished[printed] != 0; });
        const std::size_t finishedSoFar = finishedCount;
        lock.unlock();
        done(printed, finishedSoFar);
        lock.lock();
        ++printed;
        handedOn.notify_all();
    }
    lock.unlock();
    for (auto& t : pool)
        t.join();
}

}  // namespace sorvane::cli
