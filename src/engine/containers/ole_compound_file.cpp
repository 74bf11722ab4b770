#include "engine/containers/ole_compound_file.h"

#include "engine/containers/ole_module.h"
#include "io/program_module.h"

namespace sorvane {

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

// The compound-file library lives in a module of its own, loaded with the first file.
struct OleCompoundFile::Impl {
    const OleModule* ole = nullptr;
    void* file = nullptr;
    ~Impl()
    {
        if (file)
            ole->close(file);
    }
};

bool looksLikeOle(std::string_view bytes)
{
    return bytes.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

OleCompoundFile::OleCompoundFile(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
OleCompoundFile::~OleCompoundFile() = default;

Result<std::unique_ptr<OleCompoundFile>> OleCompoundFile::open(std::string_view bytes)
{
    Result<const OleModule*> ole = loadModuleTable<OleModule>("ole");
    if (!ole)
        return ole.error();
    auto impl = std::make_unique<Impl>();
    impl->ole = *ole;
    std::string why;
    switch ((*ole)->open(bytes.data(), bytes.size(), &impl->file, sinkInto(why))) {
    case OleOpenStatus::Opened:
        break;
    case OleOpenStatus::Unreadable:
        return Error{ErrorCode::BadInput, "复合文档无法读取", {}};
    case OleOpenStatus::Damaged:
        return Error{ErrorCode::BadInput, "复合文档已损坏，无法读取（" + (why.empty() ? "格式错误" : why) + "）", {}};
    }
    return std::unique_ptr<OleCompoundFile>(new OleCompoundFile(std::move(impl)));
}

bool OleCompoundFile::hasStream(std::string_view name) const
{
    std::int64_t size = 0;
    return m_impl->ole->stream(m_impl->file, std::string(name).c_str(), &size);
}

Result<std::string> OleCompoundFile::readStream(std::string_view name, std::uint64_t maxSize) const
{
    const std::string n(name);
    std::int64_t size = 0;
    if (!m_impl->ole->stream(m_impl->file, n.c_str(), &size))
        return Error{ErrorCode::BadInput, "复合文档中没有 " + n + " 流", {}};
    if (size < 0 || static_cast<std::uint64_t>(size) > maxSize)
        return Error{ErrorCode::BadInput, "复合文档中的 " + n + " 流过大", {}};
    std::string data(static_cast<std::size_t>(size), '\0');
    if (!m_impl->ole->read(m_impl->file, n.c_str(), data.data(), data.size()))
        return Error{ErrorCode::BadInput, "复合文档中的 " + n + " 流已损坏，无法读完", {}};
    return data;
}

}  // namespace sorvane
