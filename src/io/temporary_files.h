#pragma once
// The temporary files the program has made and not yet renamed or removed, so that a
// signal that ends the program can remove them first.

#include <filesystem>

namespace sorvane {

struct TemporaryFileSlot;

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGPIPE that remove every live
// temporary file and then do what the signal did before: a handler installed earlier is
// called, and the default action ends the program as the signal would have. A signal
// that is ignored stays ignored. Call once from main(), after the program's own handlers.
void removeTemporaryFilesOnSignals();

// Marks the file `path` as a live temporary file while the object exists. Register the
// name before creating the file, so no moment passes with the file there and unknown.
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
