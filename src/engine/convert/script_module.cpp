// The script-conversion module: the only file that uses the Chinese conversion library.
#include "engine/convert/script_module.h"

#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Dict.hpp>
#include <opencc/DictEntry.hpp>
#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>

#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace sorvane {
namespace {

// The code point of the UTF-8 character at `pos`, and its length in bytes. The text
// comes from our own UTF-16 to UTF-8 conversion, so it is valid.
std::uint32_t decode(std::string_view s, size_t pos, size_t& length)
{
    const auto c = static_cast<unsigned char>(s[pos]);
    auto cont = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(s[pos + i]) & 0x3F); };
    if (c < 0x80) {
        length = 1;
        return c;
    }
    if (c < 0xE0 && pos + 1 < s.size()) {
        length = 2;
        return ((c & 0x1Fu) << 6) | cont(1);
    }
    if (c < 0xF0 && pos + 2 < s.size()) {
        length = 3;
        return ((c & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
    }
    if (pos + 3 < s.size()) {
        length = 4;
        return ((c & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
    }
    length = 1;
    return 0xFFFD;
}

// What a dictionary holds at a position of a text, told from the first two characters
// of its keys: a lookup in the dictionary costs about a microsecond, these tests a few
// nanoseconds, and most characters of a page begin no key.
class DictIndex {
public:
    enum class Match {
        None,    // no key begins here
        Single,  // only the key of this one character: singleValue() is its value
        Ask,     // a longer key may match: the dictionary decides
    };

    explicit DictIndex(const opencc::Dict& dict) : m_first(kWords)
    {
        const opencc::LexiconPtr lexicon = dict.GetLexicon();
        for (const auto& entry : *lexicon) {
            const std::string key = entry->Key();
            if (key.empty())
                continue;
            size_t length = 0;
            const std::uint32_t first = decode(key, 0, length);
            if (first >= 0x110000)
                continue;
            m_first[first / 64] |= std::uint64_t{1} << (first % 64);
            if (length == key.size()) {
                m_single.emplace(first, entry->GetDefault());
            } else {
                size_t secondLength = 0;
                m_pairs.insert(pair(first, decode(key, length, secondLength)));
            }
        }
    }

    // What may match at `pos`, whose character is `c`, `length` bytes long.
    Match at(std::string_view text, size_t pos, std::uint32_t c, size_t length) const
    {
        if (c >= 0x110000 || !((m_first[c / 64] >> (c % 64)) & 1))
            return Match::None;
        if (pos + length < text.size()) {
            size_t secondLength = 0;
            if (m_pairs.count(pair(c, decode(text, pos + length, secondLength))) != 0)
                return Match::Ask;
        }
        return m_single.count(c) != 0 ? Match::Single : Match::None;
    }

    const std::string& singleValue(std::uint32_t c) const { return m_single.at(c); }

private:
    static constexpr size_t kWords = 0x110000 / 64;

    static std::uint64_t pair(std::uint32_t a, std::uint32_t b) { return (std::uint64_t{a} << 21) | b; }

    std::vector<std::uint64_t> m_first;                    // first characters of keys
    std::unordered_map<std::uint32_t, std::string> m_single;  // keys of one character
    std::unordered_set<std::uint64_t> m_pairs;             // first two characters of longer keys
};

// One loaded conversion. The library's own converter looks every character up in its
// dictionaries, about a microsecond per character, which would make a whole conversion
// several times slower. convert() walks the text the same way (longest match by the
// segmentation dictionary, then every conversion of the chain by longest match inside
// each segment), with the library's dictionaries and its matching, but passes over the
// characters that begin no key of a dictionary without asking it: most characters of a
// page.
class ScriptConverter {
public:
    explicit ScriptConverter(const std::string& config)
    {
        opencc::Config loader;
        m_converter = loader.NewFromFile(config);
        auto segmentation = std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(m_converter->GetSegmentation());
        if (!segmentation)
            return;  // a kind of segmentation this walk does not know: the library converts
        m_segmentation = std::make_unique<Stage>(Stage{segmentation->GetDict(), DictIndex(*segmentation->GetDict())});
        for (const opencc::ConversionPtr& conversion : m_converter->GetConversionChain()->GetConversions())
            m_chain.push_back(Stage{conversion->GetDict(), DictIndex(*conversion->GetDict())});
    }

    std::string convert(const std::string& utf8) const
    {
        if (!m_segmentation)
            return m_converter->Convert(utf8);
        std::string out;
        out.reserve(utf8.size() + utf8.size() / 8);
        const std::string_view text(utf8);
        size_t run = 0;  // start of the characters no segmentation key matched
        size_t pos = 0;
        while (pos < text.size()) {
            size_t length = 1;
            const std::uint32_t c = decode(text, pos, length);
            const DictIndex::Match kind = m_segmentation->index.at(text, pos, c, length);
            size_t keyLength = 0;
            if (kind == DictIndex::Match::Single) {
                keyLength = length;
            } else if (kind == DictIndex::Match::Ask) {
                const auto matched = m_segmentation->dict->MatchPrefix(text.data() + pos, text.size() - pos);
                if (!matched.IsNull())
                    keyLength = matched.Get()->KeyLength();
            }
            if (keyLength > 0) {
                convertSegment(text.substr(run, pos - run), out);
                convertSegment(text.substr(pos, keyLength), out);
                pos += keyLength;
                run = pos;
                continue;
            }
            pos += length;
        }
        convertSegment(text.substr(run), out);
        return out;
    }

private:
    struct Stage {
        opencc::DictPtr dict;
        DictIndex index;
    };

    // One segment through every conversion of the chain.
    void convertSegment(std::string_view segment, std::string& out) const
    {
        if (segment.empty())
            return;
        if (m_chain.size() == 1) {
            convertStage(m_chain.front(), segment, out);
            return;
        }
        std::string current(segment);
        std::string next;
        for (const Stage& stage : m_chain) {
            next.clear();
            convertStage(stage, current, next);
            current.swap(next);
        }
        out += current;
    }

    static void convertStage(const Stage& stage, std::string_view segment, std::string& out)
    {
        size_t copied = 0;  // characters before this are in `out`
        size_t pos = 0;
        while (pos < segment.size()) {
            size_t length = 1;
            const std::uint32_t c = decode(segment, pos, length);
            const DictIndex::Match kind = stage.index.at(segment, pos, c, length);
            if (kind == DictIndex::Match::Single) {
                out.append(segment.substr(copied, pos - copied));
                out += stage.index.singleValue(c);
                pos += length;
                copied = pos;
                continue;
            }
            if (kind == DictIndex::Match::Ask) {
                const auto matched = stage.dict->MatchPrefix(segment.data() + pos, segment.size() - pos);
                if (!matched.IsNull()) {
                    out.append(segment.substr(copied, pos - copied));
                    out += matched.Get()->GetDefault();
                    pos += matched.Get()->KeyLength();
                    copied = pos;
                    continue;
                }
            }
            pos += length;
        }
        out.append(segment.substr(copied));
    }

    opencc::ConverterPtr m_converter;
    std::unique_ptr<Stage> m_segmentation;
    std::vector<Stage> m_chain;
};

// What the library threw, in the engine's words: its messages are English only. A data
// file it could not find is named.
std::string reasonOf(const opencc::Exception& e)
{
    if (dynamic_cast<const opencc::FileNotFound*>(&e) != nullptr) {
        std::string file = e.what();
        constexpr std::string_view tail = " not found or not accessible.";
        if (file.ends_with(tail))
            file.erase(file.size() - tail.size());
        return "数据文件 " + file + " 不存在或无法读取";
    }
    if (dynamic_cast<const opencc::InvalidFormat*>(&e) != nullptr)
        return "数据文件格式错误";
    if (dynamic_cast<const opencc::InvalidUTF8*>(&e) != nullptr)
        return "文字不是有效的 UTF-8";
    return "转换库出了意外的错误";
}

// No exception leaves the module: the program may not share its C++ runtime. The
// library's own exceptions are not std::exception.
ScriptStatus load(const char* configFile, void** converter, ByteSink error)
{
    try {
        *converter = new ScriptConverter(configFile);
        return ScriptStatus::Done;
    } catch (const std::bad_alloc&) {
        return ScriptStatus::OutOfMemory;
    } catch (const opencc::Exception& e) {
        error.write(reasonOf(e).c_str());
    } catch (const std::exception&) {
        error.write("转换库出了意外的错误");
    }
    return ScriptStatus::Failed;
}

void release(void* converter)
{
    delete static_cast<ScriptConverter*>(converter);
}

ScriptStatus convert(const void* converter, const char* utf8, std::size_t size, ByteSink out, ByteSink error)
{
    try {
        const std::string converted = static_cast<const ScriptConverter*>(converter)->convert(std::string(utf8, size));
        out.write(converted.data(), converted.size());
        return ScriptStatus::Done;
    } catch (const std::bad_alloc&) {
        return ScriptStatus::OutOfMemory;
    } catch (const opencc::Exception& e) {
        error.write(reasonOf(e).c_str());
    } catch (const std::exception&) {
        error.write("转换库出了意外的错误");
    }
    return ScriptStatus::Failed;
}

}  // namespace
}  // namespace sorvane

extern "C" {
__attribute__((visibility("default"))) extern const sorvane::ScriptModule sorvane_script_module;
const sorvane::ScriptModule sorvane_script_module = {sorvane::load, sorvane::release, sorvane::convert};
}
