#pragma once
// The temporary files the program has made and not yet renamed or removed, so that a
// signal that ends the program can remove them first.

#include <filesystem>

namespace sorvane {

struct TemporaryFileSlot;

// Makes every signal whose default action ends the program (SIGINT, SIGTERM, SIGQUIT,
// SIGUSR1, SIGALRM, SIGXCPU, the faults, the real-time signals...) remove every live
// temporary file before ending it. A signal the program handles itself, or ignores, is
// left to that. Call once from main(), after the program's own handlers.
void removeTemporaryFilesOnSignals();

// Marks `path` as a live temporary file while the object exists. Create it before the
// file, so no moment passes with the file there and unknown.
class LiveTemporaryFile {
public:
    explicit LiveTemporaryFile(const std::filesystem::path& path);
    ~LiveTemporaryFile();  // forgets the name; the file itself is not touched
    LiveTemporaryFile(const LiveTemporaryFile&) = delete;
    LiveTemporaryFile& operator=(const LiveTemporaryFile&) = delete;

private:
    TemporaryFileSlot* m_slot;
};

}  // namespace sorvane
