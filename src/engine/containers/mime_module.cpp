// The MIME module: the only file that includes the MIME library's header.
#include "engine/containers/mime_module.h"

#include <gmime/gmime.h>

#include <mutex>
#include <vector>

namespace sorvane {
namespace {

void initMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

void* parseMessage(const char* bytes, std::size_t size)
{
    initMime();
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(bytes, size);
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    return message;
}

void releaseMessage(void* message)
{
    g_object_unref(message);
}

// Without recursion: the parser nests as deep as the message does.
void walkMessage(void* message, const MimeVisitor* visitor)
{
    std::vector<GMimeObject*> stack;
    if (GMimeObject* top = g_mime_message_get_mime_part(static_cast<GMimeMessage*>(message)))
        stack.push_back(top);
    bool leafSeen = false;
    while (!stack.empty()) {
        GMimeObject* obj = stack.back();
        stack.pop_back();
        if (GMIME_IS_MESSAGE_PART(obj)) {
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(obj));
            if (inner)
                if (GMimeObject* body = g_mime_message_get_mime_part(inner))
                    stack.push_back(body);
        } else if (GMIME_IS_MULTIPART(obj)) {
            if (!leafSeen)
                if (const char* start = g_mime_object_get_content_type_parameter(obj, "start"))
                    visitor->start(visitor->context, start);
            GMimeMultipart* multi = GMIME_MULTIPART(obj);
            for (int i = g_mime_multipart_get_count(multi); i-- > 0;)
                if (GMimeObject* child = g_mime_multipart_get_part(multi, i))
                    stack.push_back(child);
        } else if (GMIME_IS_PART(obj)) {
            leafSeen = true;
            GMimeContentType* type = g_mime_object_get_content_type(obj);
            visitor->part(visitor->context, GMIME_PART(obj), g_mime_object_get_header(obj, "Content-Location"),
                          g_mime_object_get_content_id(obj), g_mime_object_get_content_type_parameter(obj, "charset"),
                          type && g_mime_content_type_is_type(type, "text", "html"));
        }
    }
}

void partContent(void* part, ByteSink out)
{
    GMimeDataWrapper* wrapper = g_mime_part_get_content(static_cast<GMimePart*>(part));
    if (!wrapper)
        return;
    GMimeStream* stream = g_mime_stream_mem_new();
    g_mime_data_wrapper_write_to_stream(wrapper, stream);
    GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    out.write(reinterpret_cast<const char*>(array->data), array->len);
    g_object_unref(stream);
}

}  // namespace
}  // namespace sorvane

extern "C" {
__attribute__((visibility("default"))) extern const sorvane::MimeModule sorvane_mime_module;
const sorvane::MimeModule sorvane_mime_module = {sorvane::parseMessage, sorvane::releaseMessage, sorvane::walkMessage,
                                                 sorvane::partContent};
}
