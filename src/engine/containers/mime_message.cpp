#include "engine/containers/mime_message.h"

#include "engine/containers/mime_module.h"
#include "io/program_module.h"

namespace sorvane {

// The MIME library lives in a module of its own, loaded with the first message.
Result<std::unique_ptr<MimeMessage>> MimeMessage::parse(std::string_view bytes)
{
    Result<const MimeModule*> mime = loadModuleTable<MimeModule>("mime");
    if (!mime)
        return mime.error();
    void* message = (*mime)->parse(bytes.data(), bytes.size());
    if (!message)
        return Error{ErrorCode::BadInput, "不是 MIME 邮件格式", {}};
    std::unique_ptr<MimeMessage> result(new MimeMessage(*mime, message));
    const MimeVisitor visitor{
        result.get(),
        [](void* context, const char* value) { static_cast<MimeMessage*>(context)->m_starts.emplace_back(value); },
        [](void* context, void* part, const char* location, const char* contentId, const char* charset, bool html) {
            MimePart p;
            p.location = location ? location : "";
            p.contentId = contentId ? contentId : "";
            p.charset = charset ? charset : "";
            p.html = html;
            p.handle = part;
            static_cast<MimeMessage*>(context)->m_parts.push_back(std::move(p));
        }};
    (*mime)->walk(message, &visitor);
    return result;
}

MimeMessage::~MimeMessage()
{
    m_mime->release(m_message);
}

std::string MimeMessage::content(const MimePart& part) const
{
    std::string bytes;
    m_mime->content(part.handle, sinkInto(bytes));
    return bytes;
}

}  // namespace sorvane
