// The only file that uses the Chinese conversion library.
#include "engine/script_convert.h"

#include <opencc/Exception.hpp>
#include <opencc/SimpleConverter.hpp>

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>

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

// One converter per kind, loaded on first use. Loading reads several megabytes of
// dictionaries, so it is done once; converting is a read-only walk of them, which the
// library allows from several threads at once.
class ConverterCache {
public:
    Result<const opencc::SimpleConverter*> get(ScriptConversion kind)
    {
        const auto index = static_cast<size_t>(kind);
        std::lock_guard lock(m_mutex);
        if (m_converters[index])
            return m_converters[index].get();
        const std::filesystem::path config = std::filesystem::path(SORVANE_OPENCC_DATA) / configFile(kind);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(config, ec))
            return Error{ErrorCode::NotFound, "找不到繁简转换的配置文件，请安装 OpenCC 的数据文件", config.string()};
        try {
            m_converters[index] = std::make_unique<opencc::SimpleConverter>(config.string());
        } catch (const opencc::Exception& e) {
            return Error{ErrorCode::BadInput, std::string("无法读取繁简转换的配置: ") + e.what(), config.string()};
        }
        return m_converters[index].get();
    }

private:
    std::mutex m_mutex;
    std::array<std::unique_ptr<opencc::SimpleConverter>, 5> m_converters;
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
    Result<const opencc::SimpleConverter*> converter = cache().get(kind);
    if (!converter)
        return converter.error();
    // The library stops at a NUL character, so the text goes through piece by piece
    // between NULs, which are kept as they are.
    Text out;
    out.reserve(text.size());
    try {
        size_t from = 0;
        while (from <= text.size()) {
            size_t nul = text.find(u'\0', from);
            if (nul == TextView::npos)
                nul = text.size();
            if (nul > from) {
                const std::string utf8 = toUtf8(text.substr(from, nul - from));
                out += fromUtf8((*converter)->Convert(utf8.data(), utf8.size()));
            }
            if (nul < text.size())
                out.push_back(u'\0');
            from = nul + 1;
        }
    } catch (const opencc::Exception& e) {
        return Error{ErrorCode::BadInput, std::string("繁简转换失败: ") + e.what(), {}};
    }
    return out;
}

}  // namespace sorvane
