// The help-file module: the only file that includes the help-file library's header.
#include "engine/containers/chm_module.h"

#include <chm_lib.h>

namespace sorvane {
namespace {

static_assert(kChmMaxPathLength == CHM_MAX_PATHLEN);

void* openBook(const char* path)
{
    return chm_open(path);
}

void closeBook(void* book)
{
    chm_close(static_cast<chmFile*>(book));
}

bool resolveObject(void* book, const char* path, std::uint64_t* length)
{
    chmUnitInfo ui{};
    if (chm_resolve_object(static_cast<chmFile*>(book), path, &ui) != CHM_RESOLVE_SUCCESS)
        return false;
    *length = ui.length;
    return true;
}

std::int64_t retrieveObject(void* book, const char* path, unsigned char* buffer, std::uint64_t length)
{
    auto* file = static_cast<chmFile*>(book);
    chmUnitInfo ui{};
    if (chm_resolve_object(file, path, &ui) != CHM_RESOLVE_SUCCESS)
        return -1;
    return chm_retrieve_object(file, &ui, buffer, 0, static_cast<LONGINT64>(length));
}

struct Enumeration {
    void* context;
    bool (*each)(void* context, const char* path);
};

void enumerateFiles(void* book, void* context, bool (*each)(void* context, const char* path))
{
    Enumeration e{context, each};
    chm_enumerate(
        static_cast<chmFile*>(book), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
        [](chmFile*, chmUnitInfo* ui, void* context) -> int {
            const auto* e = static_cast<const Enumeration*>(context);
            return e->each(e->context, ui->path) ? CHM_ENUMERATOR_CONTINUE : CHM_ENUMERATOR_SUCCESS;
        },
        &e);
}

}  // namespace
}  // namespace sorvane

extern "C" {
__attribute__((visibility("default"))) extern const sorvane::ChmModule sorvane_chm_module;
const sorvane::ChmModule sorvane_chm_module = {sorvane::openBook, sorvane::closeBook, sorvane::resolveObject,
                                               sorvane::retrieveObject, sorvane::enumerateFiles};
}
