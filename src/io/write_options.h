#pragma once
// How a file is replaced: shared by the single-file writer and the commit of many files.

namespace sorvane {

struct WriteOptions {
    // Synced to disk before success is reported, so a power cut cannot leave an empty
    // file. Costly: for the settings, not for the program's many outputs.
    bool durable = true;
    // A symbolic link named `file` has its target replaced, not the link itself.
    bool throughLinks = true;
};

}  // namespace sorvane
