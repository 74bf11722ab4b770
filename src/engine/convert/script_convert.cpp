// The conversion itself lives in a module of its own, with the Chinese conversion
// library: loaded the first time a conversion is asked for.
#include "engine/convert/script_convert.h"

#include <array>
#include <filesystem>
#include <mutex>
#include <new>
#include <string>

#include "engine/convert/script_module.h"
#include "io/program_module.h"

namespace sorvane {
namespace {

// The library's configuration for each kind, as the system installs it.
const char* configFile(ScriptConversion kind)
{
    switch (kind) {
    case ScriptConversion::T2S:
        return "t2s.json";
    case ScriptConversion::S2T:
        return "s2t.json";
    case ScriptConversion::TW2SP:
        return "tw2sp.json";
    case ScriptConversion::S2TWP:
        return "s2twp.json";
    case ScriptConversion::None:
        break;
    }
    return nullptr;
}

struct LoadedConverter {
    const ScriptModule* module;
    const void* converter;
};

// One converter per kind, loaded on first use. Loading reads several megabytes of
// dictionaries, so it is done once; converting only reads them, so the threads of a run
// share one converter.
class ConverterCache {
public:
    ~ConverterCache()
    {
        for (const void* c : m_converters)
            if (c)
                m_module->release(const_cast<void*>(c));
    }

    Result<LoadedConverter> get(ScriptConversion kind)
    {
        const auto index = static_cast<size_t>(kind);
        std::lock_guard lock(m_mutex);
        if (m_converters[index])
            return LoadedConverter{m_module, m_converters[index]};
        const std::filesystem::path config = std::filesystem::path(SORVANE_OPENCC_DATA) / configFile(kind);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(config, ec))
            return Error{ErrorCode::NotFound, "找不到繁简转换的配置文件，请安装 OpenCC 的数据文件", config.string()};
        if (!m_module) {
            Result<const ScriptModule*> module = loadModuleTable<ScriptModule>("script");
            if (!module)
                return module.error();
            m_module = *module;
        }
        std::string why;
        void* converter = nullptr;
        switch (m_module->load(config.c_str(), &converter, sinkInto(why))) {
        case ScriptStatus::Done:
            break;
        case ScriptStatus::OutOfMemory:
            throw std::bad_alloc();
        case ScriptStatus::Failed:
            return Error{ErrorCode::BadInput, "无法读取繁简转换的配置: " + why, config.string()};
        }
        m_converters[index] = converter;
        return LoadedConverter{m_module, m_converters[index]};
    }

private:
    std::mutex m_mutex;
    const ScriptModule* m_module = nullptr;
    std::array<const void*, 5> m_converters{};
};

ConverterCache& cache()
{
    static ConverterCache instance;
    return instance;
}

}  // namespace

Result<Text> convertScript(TextView text, ScriptConversion kind)
{
    if (kind == ScriptConversion::None || text.empty())
        return Text(text);
    Result<LoadedConverter> converter = cache().get(kind);
    if (!converter)
        return converter.error();
    // The library stops at a NUL character, so the text goes through piece by piece
    // between NULs, which are kept as they are.
    Text out;
    out.reserve(text.size());
    size_t from = 0;
    while (from <= text.size()) {
        size_t nul = text.find(u'\0', from);
        if (nul == TextView::npos)
            nul = text.size();
        if (nul > from) {
            const std::string utf8 = toUtf8(text.substr(from, nul - from));
            std::string converted;
            std::string why;
            switch (converter->module->convert(converter->converter, utf8.data(), utf8.size(), sinkInto(converted),
                                               sinkInto(why))) {
            case ScriptStatus::Done:
                break;
            case ScriptStatus::OutOfMemory:
                throw std::bad_alloc();
            case ScriptStatus::Failed:
                return Error{ErrorCode::BadInput, "繁简转换失败: " + why, {}};
            }
            out += fromUtf8(converted);
        }
        if (nul < text.size())
            out.push_back(u'\0');
        from = nul + 1;
    }
    return out;
}

}  // namespace sorvane
