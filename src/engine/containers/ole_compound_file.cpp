#include "engine/containers/ole_compound_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

namespace sorvane {
namespace {

struct ObjectUnref {
    void operator()(void* object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, ObjectUnref>;

// The library reports damaged files through GLib's log as well as through its results;
// the results are what we use, so its messages are not printed.
void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initialiseOnce()
{
    static const bool done = [] {
        gsf_init();
        // Some of its messages carry no log domain of their own. Critical messages and
        // errors still go to the default handler.
        const auto quiet = static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                       G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
        for (const char* domain : {"libgsf:msole", "libgsf", static_cast<const char*>(nullptr)})
            g_log_set_handler(domain, quiet, quietLog, nullptr);
        return true;
    }();
    (void)done;
}

}  // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SORVANE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(SORVANE_ASAN)
// The library leaks a directory entry or two (about a hundred bytes) when it gives up on
// a damaged directory. Sanitizer builds leave that leak of the library out of their
// reports, so that they report ours. The fast unwinder often stops inside GLib's
// allocator (built without frame pointers), so GLib is named too: nothing else of ours
// allocates through it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libgsf-1.so\nleak:libglib-2.0.so\n";
}
#endif

struct OleCompoundFile::Impl {
    GsfPtr<GsfInput> input;
    GsfPtr<GsfInfile> root;
};

bool looksLikeOle(std::string_view bytes)
{
    return bytes.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

OleCompoundFile::OleCompoundFile(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
OleCompoundFile::~OleCompoundFile() = default;

Result<std::unique_ptr<OleCompoundFile>> OleCompoundFile::open(std::string_view bytes)
{
    initialiseOnce();
    auto impl = std::make_unique<Impl>();
    impl->input.reset(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                           static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!impl->input)
        return Error{ErrorCode::BadInput, "复合文档无法读取", {}};
    GError* error = nullptr;
    impl->root.reset(gsf_infile_msole_new(impl->input.get(), &error));
    if (!impl->root) {
        std::string why = error && error->message ? error->message : "格式错误";
        if (error)
            g_error_free(error);
        return Error{ErrorCode::BadInput, "复合文档已损坏，无法读取（" + why + "）", {}};
    }
    return std::unique_ptr<OleCompoundFile>(new OleCompoundFile(std::move(impl)));
}

bool OleCompoundFile::hasStream(std::string_view name) const
{
    const std::string n(name);
    GsfPtr<GsfInput> child(gsf_infile_child_by_name(m_impl->root.get(), n.c_str()));
    return child != nullptr;
}

Result<std::string> OleCompoundFile::readStream(std::string_view name, std::uint64_t maxSize) const
{
    const std::string n(name);
    GsfPtr<GsfInput> child(gsf_infile_child_by_name(m_impl->root.get(), n.c_str()));
    if (!child)
        return Error{ErrorCode::BadInput, "复合文档中没有 " + n + " 流", {}};
    const gsf_off_t size = gsf_input_size(child.get());
    if (size < 0 || static_cast<std::uint64_t>(size) > maxSize)
        return Error{ErrorCode::BadInput, "复合文档中的 " + n + " 流过大", {}};
    std::string data(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t chunk = std::min<std::size_t>(data.size() - done, 1 << 20);
        if (!gsf_input_read(child.get(), chunk, reinterpret_cast<guint8*>(data.data() + done)))
            return Error{ErrorCode::BadInput, "复合文档中的 " + n + " 流已损坏，无法读完", {}};
        done += chunk;
    }
    return data;
}

}  // namespace sorvane
