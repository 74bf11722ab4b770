// The compound-file module: the only file that includes the compound-file library's
// headers.
#include "engine/containers/ole_module.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <memory>

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

struct File {
    GsfPtr<GsfInput> input;
    GsfPtr<GsfInfile> root;
};

OleOpenStatus openFile(const char* bytes, std::size_t size, void** file, [[maybe_unused]] ByteSink error)
{
    initialiseOnce();
    auto f = std::make_unique<File>();
    f->input.reset(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes), static_cast<gsf_off_t>(size), FALSE));
    if (!f->input)
        return OleOpenStatus::Unreadable;
    GError* gerror = nullptr;
    f->root.reset(gsf_infile_msole_new(f->input.get(), &gerror));
    if (!f->root) {
        // The library's message is free English text, which the user's language may not
        // be; the reader says the file is damaged in its own words.
        if (gerror)
            g_error_free(gerror);
        return OleOpenStatus::Damaged;
    }
    *file = f.release();
    return OleOpenStatus::Opened;
}

void closeFile(void* file)
{
    delete static_cast<File*>(file);
}

// A stream of the root storage by name. Compound files compare names without regard to
// case, and some writers store "worddocument" or "WORDDOCUMENT"; the library's own
// lookup is exact, so an exact match is tried first and then every child.
GsfInput* childByName(GsfInfile* root, const char* name)
{
    if (GsfInput* exact = gsf_infile_child_by_name(root, name))
        return exact;
    const int children = gsf_infile_num_children(root);
    for (int i = 0; i < children; ++i) {
        const char* childName = gsf_infile_name_by_index(root, i);
        if (childName && g_ascii_strcasecmp(childName, name) == 0)
            return gsf_infile_child_by_index(root, i);
    }
    return nullptr;
}

bool stream(void* file, const char* name, std::int64_t* size)
{
    GsfPtr<GsfInput> child(childByName(static_cast<File*>(file)->root.get(), name));
    if (!child)
        return false;
    *size = gsf_input_size(child.get());
    return true;
}

bool readStream(void* file, const char* name, char* buffer, std::uint64_t size)
{
    GsfPtr<GsfInput> child(childByName(static_cast<File*>(file)->root.get(), name));
    if (!child)
        return false;
    std::uint64_t done = 0;
    while (done < size) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, 1 << 20));
        if (!gsf_input_read(child.get(), chunk, reinterpret_cast<guint8*>(buffer + done)))
            return false;
        done += chunk;
    }
    return true;
}

}  // namespace
}  // namespace sorvane

extern "C" {
__attribute__((visibility("default"))) extern const sorvane::OleModule sorvane_ole_module;
const sorvane::OleModule sorvane_ole_module = {sorvane::openFile, sorvane::closeFile, sorvane::stream,
                                               sorvane::readStream};
}
