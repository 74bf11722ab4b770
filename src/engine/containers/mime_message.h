#pragma once
// A MIME message held in memory (a page saved as one file): the one adapter over the
// MIME library.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace sorvane {

struct MimeModule;

// A leaf part: its headers as the message spells them (empty when absent).
struct MimePart {
    std::string location;   // Content-Location
    std::string contentId;  // Content-ID
    std::string charset;    // the charset parameter of Content-Type
    bool html = false;      // Content-Type is text/html
    void* handle = nullptr;
};

class MimeMessage {
public:
    // Fails with BadInput when the bytes are no MIME message, with Unreadable when the
    // MIME library cannot be loaded.
    static Result<std::unique_ptr<MimeMessage>> parse(std::string_view bytes);
    ~MimeMessage();
    MimeMessage(const MimeMessage&) = delete;
    MimeMessage& operator=(const MimeMessage&) = delete;

    // Every leaf part in document order, those of attached messages included.
    const std::vector<MimePart>& parts() const { return m_parts; }
    // The "start" parameters of the multiparts met before the first leaf part, in order.
    const std::vector<std::string>& startParameters() const { return m_starts; }
    // A part's content with its transfer encoding undone.
    std::string content(const MimePart& part) const;

private:
    MimeMessage(const MimeModule* mime, void* message) : m_mime(mime), m_message(message) {}

    const MimeModule* m_mime;
    void* m_message;
    std::vector<MimePart> m_parts;
    std::vector<std::string> m_starts;
};

}  // namespace sorvane
