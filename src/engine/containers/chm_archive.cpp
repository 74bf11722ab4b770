#include "engine/containers/chm_archive.h"

#include "engine/containers/chm_module.h"
#include "io/program_module.h"

namespace sorvane {

// The help-file library lives in a module of its own, loaded with the first book.
Result<std::unique_ptr<ChmArchive>> ChmArchive::open(const std::string& path)
{
    Result<const ChmModule*> chm = loadModuleTable<ChmModule>("chm");
    if (!chm)
        return chm.error();
    void* book = (*chm)->open(path.c_str());
    if (!book)
        return Error{ErrorCode::BadInput, "无法打开 CHM 帮助文件", {}};
    return std::unique_ptr<ChmArchive>(new ChmArchive(*chm, book));
}

ChmArchive::~ChmArchive()
{
    m_chm->close(m_book);
}

std::optional<std::uint64_t> ChmArchive::objectLength(const std::string& path) const
{
    std::uint64_t length = 0;
    if (path.size() > kChmMaxPathLength || !m_chm->resolve(m_book, path.c_str(), &length))
        return std::nullopt;
    return length;
}

std::int64_t ChmArchive::read(const std::string& path, char* buffer, std::uint64_t length) const
{
    if (path.size() > kChmMaxPathLength)
        return -1;
    return m_chm->retrieve(m_book, path.c_str(), reinterpret_cast<unsigned char*>(buffer), length);
}

std::vector<std::string> ChmArchive::fileNames(std::size_t limit) const
{
    struct Names {
        std::vector<std::string> list;
        std::size_t limit;
    } names{{}, limit};
    m_chm->enumerate(m_book, &names, [](void* context, const char* path) {
        auto* n = static_cast<Names*>(context);
        if (n->list.size() >= n->limit)
            return false;
        n->list.emplace_back(path);
        return true;
    });
    return std::move(names.list);
}

}  // namespace sorvane
