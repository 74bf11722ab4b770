#include "io/temporary_files.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <vector>

namespace sorvane {

// The registry is a list of slots that only ever grows (one slot per temporary file
// alive at the same time, so a few per writing thread) and is never freed: a signal
// handler can walk it at any moment without a lock. Each slot holds its name as a
// heap string; whoever takes the name out of the slot (the handler, or the owner when
// it is done) is the one that uses it, so the handler never reads a freed name.
struct TemporaryFileSlot {
    std::atomic<char*> path{nullptr};
    std::atomic<bool> taken{false};
    TemporaryFileSlot* next = nullptr;  // set before the slot is published, never changed after
};

namespace {

static_assert(std::atomic<char*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

std::atomic<TemporaryFileSlot*> g_slots{nullptr};
// How many slots are free, as a hint: with none, a new slot is made without walking the
// list, so a commit that holds thousands of temporary files at once stays linear.
std::atomic<std::size_t> g_freeSlots{0};

// Every signal whose default action ends the process (SIGKILL and SIGSTOP cannot be
// caught), the faults included, so a crash removes the files too; the real-time signals
// are added at run time.
constexpr int kSignals[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE,  SIGUSR1,
    SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU,   SIGXFSZ, SIGVTALRM, SIGPROF,
    SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGIO
    SIGIO,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
};
struct sigaction g_previous[NSIG];

TemporaryFileSlot* takeSlot()
{
    for (auto* slot = g_slots.load(); slot != nullptr && g_freeSlots.load() > 0; slot = slot->next) {
        bool expected = false;
        if (slot->taken.compare_exchange_strong(expected, true)) {
            g_freeSlots.fetch_sub(1);
            return slot;
        }
    }
    auto* slot = new TemporaryFileSlot;
    slot->taken.store(true);
    slot->next = g_slots.load();
    while (!g_slots.compare_exchange_weak(slot->next, slot)) {
    }
    return slot;
}

// Async-signal-safe: atomic exchanges and unlink() only. The names taken here are not
// freed (free() is not safe in a handler); the program is ending, or the owner sees
// the empty slot and leaves the name alone.
void removeLiveFiles()
{
    for (auto* slot = g_slots.load(); slot != nullptr; slot = slot->next) {
        if (char* path = slot->path.exchange(nullptr))
            ::unlink(path);
    }
}

void onSignal(int sig, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    const struct sigaction& previous = g_previous[sig];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(sig, info, context);
    } else if (previous.sa_handler == SIG_DFL) {
        removeLiveFiles();
        // The signal is blocked while this handler runs: raised again with the default
        // action, it ends the program as soon as the handler returns, with the status a
        // parent expects of that signal.
        ::sigaction(sig, &previous, nullptr);
        ::raise(sig);
    } else if (previous.sa_handler != SIG_IGN) {
        previous.sa_handler(sig);
    }
    errno = savedErrno;
}

}  // namespace

LiveTemporaryFile::LiveTemporaryFile(const std::filesystem::path& path) : m_slot(takeSlot())
{
    const std::string& name = path.native();
    char* copy = new char[name.size() + 1];
    std::memcpy(copy, name.c_str(), name.size() + 1);
    m_slot->path.store(copy);
}

LiveTemporaryFile::~LiveTemporaryFile()
{
    delete[] m_slot->path.exchange(nullptr);
    g_freeSlots.fetch_add(1);
    m_slot->taken.store(false);
}

// The default action ends the program as the signal would have, once the files are
// removed. A handler installed earlier is called instead and the files are left alone:
// the program goes on (the window closes itself on SIGTERM), and its writers finish or
// remove their own files. A signal that is ignored stays ignored.
void removeTemporaryFilesOnSignals()
{
    std::vector<int> signals(std::begin(kSignals), std::end(kSignals));
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        signals.push_back(sig);
    struct sigaction action {};
    action.sa_sigaction = onSignal;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int sig : signals)
        sigaddset(&action.sa_mask, sig);
    for (const int sig : signals) {
        if (sig <= 0 || sig >= NSIG)
            continue;
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0)
            continue;
        const bool withInfo = (current.sa_flags & SA_SIGINFO) != 0;
        if ((!withInfo && current.sa_handler == SIG_IGN) || (withInfo && current.sa_sigaction == onSignal))
            continue;  // ignored, or installed already
        g_previous[sig] = current;
        ::sigaction(sig, &action, nullptr);
    }
}

}  // namespace sorvane
