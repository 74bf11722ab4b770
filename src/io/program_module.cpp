#include "io/program_module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

// Where modules are looked for, in order:
// - SORVANE_MODULE_DIR, when set, and nowhere else (a portable copy, or a test that
//   needs a module to be missing);
// - the executable's own folder;
// - the module folder of an installation, relative to the executable's folder;
// - the build tree's module folder, for an executable that lies in that build tree;
// - the module folder of the installation the program was configured for.
// A module of another build found on the way is passed over, so an older installation
// never serves a newer executable.
std::vector<fs::path> moduleFolders()
{
    std::vector<fs::path> folders;
    if (const char* dir = std::getenv("SORVANE_MODULE_DIR"); dir && *dir) {
        folders.emplace_back(dir);
        return folders;
    }
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path()) {
        const fs::path bin = exe.parent_path();
        folders.push_back(bin);
        folders.push_back((bin / SORVANE_MODULE_RELATIVE_DIR).lexically_normal());
        const fs::path build = fs::path(SORVANE_BUILD_DIR).lexically_normal();
        const fs::path inside = bin.lexically_normal().lexically_relative(build);
        if (!inside.empty() && *inside.begin() != "..")
            folders.emplace_back(SORVANE_MODULE_BUILD_DIR);
    }
    folders.emplace_back(SORVANE_MODULE_INSTALL_DIR);
    std::vector<fs::path> unique;
    for (const fs::path& f : folders)
        if (std::find(unique.begin(), unique.end(), f) == unique.end())
            unique.push_back(f);
    return unique;
}

// Why the dynamic loader refused `path`, in the engine's words: the loader's own text is
// English only. A library the module needs that is missing and a symbol that is missing
// are named; anything else is told as a failure to load.
std::string loadFailure(const fs::path& path, const char* error)
{
    const std::string text = error ? error : "";
    // "<path>: <library>: cannot open shared object file: No such file or directory"
    constexpr std::string_view noFile = ": cannot open shared object file";
    if (const std::size_t at = text.find(noFile); at != std::string::npos) {
        const std::string head = text.substr(0, at);
        const std::size_t colon = head.rfind(": ");
        const std::string library = colon == std::string::npos ? head : head.substr(colon + 2);
        if (library != path.string())
            return path.string() + ": 无法载入，缺少它需要的库 " + library;
    }
    constexpr std::string_view undefined = "undefined symbol: ";
    if (const std::size_t at = text.find(undefined); at != std::string::npos)
        return path.string() + ": 无法载入，缺少符号 " + text.substr(at + undefined.size());
    return path.string() + ": 无法载入";
}

// The first module of this build named `file` in the folders, or an Error. Modules are
// loaded with their symbols kept to themselves and are never unloaded.
Result<const void*> load(const std::string& name)
{
    const std::string file = moduleFileName(name);
    const std::string entry = "sorvane_" + name + "_module";
    std::string why;
    std::string looked;
    const std::vector<fs::path> folders = moduleFolders();
    for (const fs::path& folder : folders) {
        looked += (looked.empty() ? "" : "、") + folder.string();
        const fs::path path = folder / file;
        std::error_code ec;
        if (!fs::exists(path, ec))
            continue;
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = dlerror();
            if (why.empty())
                why = loadFailure(path, error);
            continue;
        }
        const auto* build = static_cast<const char*>(dlsym(handle, "sorvane_module_build"));
        const void* table = dlsym(handle, entry.c_str());
        if (!build || std::strcmp(build, SORVANE_MODULE_BUILD) != 0 || !table) {
            dlclose(handle);
            if (why.empty())
                why = path.string() + ": 它属于本程序的另一个版本";
            continue;
        }
        return table;
    }
    // The folders joined with "、"; the catalogue has this message for two, three and four
    // folders (as many as there can be), so that the English joins them with commas.
    if (why.empty())
        why = "在 " + looked + (folders.size() > 1 ? " 中都找不到它" : " 中找不到它");
    return Error{ErrorCode::Unreadable, "无法载入程序模块 " + file + "：" + why + "；程序可能没有完整安装", {}};
}

}  // namespace

std::string moduleFileName(const std::string& name)
{
    return "sorvane_" + name + ".so";
}

Result<const void*> loadProgramModule(const std::string& name)
{
    static std::mutex mutex;
    static std::map<std::string, Result<const void*>> loaded;
    std::lock_guard lock(mutex);
    auto it = loaded.find(name);
    if (it == loaded.end())
        it = loaded.emplace(name, load(name)).first;
    return it->second;
}

}  // namespace sorvane
