#pragma once
// The table of the MIME module: the MIME library's calls that mime_message.cpp makes,
// across a boundary of plain C types.

#include <cstddef>

#include "io/byte_sink.h"

namespace sorvane {

// What the walk of a message reports: the start parameter of a multipart met before any
// leaf part, and each leaf part. Strings may be null; they are valid during the call.
struct MimeVisitor {
    void* context;
    void (*start)(void* context, const char* value);
    void (*part)(void* context, void* part, const char* location, const char* contentId, const char* charset,
                 bool html);
};

struct MimeModule {
    // Parses the message in `bytes` (copied). Null when the bytes are no MIME message.
    void* (*parse)(const char* bytes, std::size_t size);
    void (*release)(void* message);
    // Walks the message's parts in document order, attached messages included.
    void (*walk)(void* message, const MimeVisitor* visitor);
    // A leaf part's content with its transfer encoding undone.
    void (*content)(void* part, ByteSink out);
};

}  // namespace sorvane
