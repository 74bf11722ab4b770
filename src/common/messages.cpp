#include "common/messages.h"

#include <cerrno>
#include <cstddef>
#include <iterator>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/message_table.h"

namespace sorvane {
namespace {

// A catalogue text cut at its placeholders: literals[0] %slots[0] literals[1] ... The
// catalogue never puts two placeholders side by side, so every literal but the first and
// the last is non-empty.
struct Template {
    std::vector<std::string_view> literals;
    std::vector<int> slots;  // placeholder numbers, 1 to 9
    std::string_view english;
    std::size_t literalSize = 0;  // how much of the text is fixed: the more, the more specific
};

Template cut(const CatalogueEntry& entry)
{
    Template t;
    t.english = entry.english;
    const std::string_view s = entry.source;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] == '%' && s[i + 1] >= '1' && s[i + 1] <= '9') {
            t.literals.push_back(s.substr(start, i - start));
            t.slots.push_back(s[i + 1] - '0');
            start = i + 2;
            ++i;
        }
    }
    t.literals.push_back(s.substr(start));
    for (std::string_view literal : t.literals)
        t.literalSize += literal.size();
    return t;
}

struct Catalogue {
    std::unordered_map<std::string_view, std::string_view> bySource;
    std::vector<Template> templates;  // the entries with placeholders
};

const Catalogue& catalogue()
{
    static const Catalogue c = [] {
        Catalogue built;
        for (const CatalogueEntry& entry : messageCatalogue()) {
            built.bySource.emplace(entry.source, entry.english);
            Template t = cut(entry);
            // A template of placeholders alone would fit every line, itself included.
            if (!t.slots.empty() && t.literalSize > 0)
                built.templates.push_back(std::move(t));
        }
        return built;
    }();
    return c;
}

// The code point starting at s[i], and its length; a broken sequence reads as one byte.
std::pair<char32_t, std::size_t> decodeAt(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    const std::size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    if (length == 1 || i + length > s.size())
        return {b, 1};
    char32_t c = b & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return {b, 1};
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    return {c, length};
}

bool isChinese(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x2FDF)      // radicals
           || (c >= 0x3000 && c <= 0x303F)   // ideographic space and punctuation
           || (c >= 0x3400 && c <= 0x4DBF)   // extension A
           || (c >= 0x4E00 && c <= 0x9FFF)   // unified ideographs
           || (c >= 0xF900 && c <= 0xFAFF)   // compatibility ideographs
           || (c >= 0xFE30 && c <= 0xFE4F)   // vertical forms
           || (c >= 0xFF00 && c <= 0xFFEF)   // full-width forms: "，" "：" "（" "）"
           || (c >= 0x20000 && c <= 0x3FFFF);
}

std::size_t chineseCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, length] = decodeAt(text, i);
        count += isChinese(c) ? 1 : 0;
        i += length;
    }
    return count;
}

// `text` with each %n replaced by the n-th of `args` (a missing one by nothing).
template <typename Args>
std::string fill(std::string_view text, const Args& args)
{
    std::string out;
    out.reserve(text.size() + 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < std::size(args))
                out += *(std::begin(args) + static_cast<std::ptrdiff_t>(n));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

class Translator {
public:
    std::string translate(std::string_view text)
    {
        if (chineseCount(text) == 0)
            return std::string(text);
        if (const auto known = m_done.find(std::string(text)); known != m_done.end())
            return known->second;
        std::string best = whole(text);
        // A message that lists several, one a line, is translated line by line when no
        // template covers it better.
        if (text.find('\n') != std::string_view::npos) {
            std::string lines;
            for (std::size_t start = 0;;) {
                const std::size_t end = text.find('\n', start);
                lines += translate(text.substr(start, end == std::string_view::npos ? end : end - start));
                if (end == std::string_view::npos)
                    break;
                lines += '\n';
                start = end + 1;
            }
            if (chineseCount(lines) < chineseCount(best))
                best = std::move(lines);
        }
        m_done.emplace(std::string(text), best);
        return best;
    }

private:
    // `text` as one entry of the catalogue, or itself when none fits.
    std::string whole(std::string_view text)
    {
        const Catalogue& c = catalogue();
        if (const auto exact = c.bySource.find(text); exact != c.bySource.end())
            return std::string(exact->second);
        std::string best(text);
        std::size_t bestChinese = chineseCount(text);
        std::size_t bestFixed = 0;
        bool matched = false;
        for (const Template& t : c.templates) {
            std::vector<std::string_view> parts(t.slots.size());
            matches(text, t, 0, t.literals.front().size(), parts, [&] {
                std::vector<std::string> args(9);
                for (std::size_t k = 0; k < parts.size(); ++k)
                    args[static_cast<std::size_t>(t.slots[k] - 1)] = translate(parts[k]);
                std::string candidate = fill(t.english, args);
                const std::size_t left = chineseCount(candidate);
                if (!matched || left < bestChinese || (left == bestChinese && t.literalSize > bestFixed)) {
                    matched = true;
                    best = std::move(candidate);
                    bestChinese = left;
                    bestFixed = t.literalSize;
                }
            });
        }
        return best;
    }

    // Calls `found` for every way `text` fits `t`, with parts[k] the text of the k-th
    // placeholder; literal `next` is the one after parts[k], matched from `at` on.
    template <typename Found>
    static void matches(std::string_view text, const Template& t, std::size_t k, std::size_t at,
                        std::vector<std::string_view>& parts, Found&& found)
    {
        if (k == 0 && !text.starts_with(t.literals.front()))
            return;
        const std::string_view next = t.literals[k + 1];
        if (k + 1 == t.slots.size()) {
            // The last literal ends the text.
            if (text.size() < at + next.size() || !text.ends_with(next))
                return;
            parts[k] = text.substr(at, text.size() - next.size() - at);
            found();
            return;
        }
        for (std::size_t end = text.find(next, at); end != std::string_view::npos; end = text.find(next, end + 1)) {
            parts[k] = text.substr(at, end - at);
            matches(text, t, k + 1, end + next.size(), parts, found);
        }
    }

    std::unordered_map<std::string, std::string> m_done;
};

}  // namespace

std::string systemErrorText(int err)
{
    switch (err) {
    case EACCES: return "没有权限";
    case EPERM: return "不允许这样操作";
    case ENOENT: return "文件或文件夹不存在";
    case ENOTDIR: return "路径中有一项不是文件夹";
    case EISDIR: return "这是一个文件夹";
    case EEXIST: return "已经存在";
    case EROFS: return "文件系统是只读的";
    case ENOSPC: return "磁盘空间不足";
#ifdef EDQUOT
    case EDQUOT: return "超出了磁盘配额";
#endif
    case EIO: return "输入输出出错";
    case ENAMETOOLONG: return "名字太长";
    case ELOOP: return "符号链接的层次太多";
    case EMFILE:
    case ENFILE: return "打开的文件太多";
    case ENOMEM: return "内存不足";
    case EBUSY: return "设备或资源正忙";
    case EXDEV: return "不能跨文件系统移动";
    case EINVAL: return "参数无效";
    case EFBIG: return "文件太大";
    case ETXTBSY: return "文件正被执行，不能写入";
    case ENXIO:
    case ENODEV: return "没有这个设备";
    case EAGAIN: return "资源暂时不可用";
    case EINTR: return "被信号中断";
    case ENOTEMPTY: return "文件夹不是空的";
    case ESTALE: return "网络文件的句柄已失效";
    default: return formatMessage(Language::Chinese, "系统错误（错误号 %1）", {std::to_string(err)});
    }
}

bool hasChinese(std::string_view text)
{
    return chineseCount(text) > 0;
}

std::span<const CatalogueEntry> messageCatalogue()
{
    return {detail::kMessageTable, detail::kMessageTableSize};
}

std::string formatMessage(Language language, std::string_view source, std::initializer_list<std::string_view> args)
{
    std::string_view text = source;
    if (language == Language::English) {
        const Catalogue& c = catalogue();
        if (const auto entry = c.bySource.find(source); entry != c.bySource.end())
            text = entry->second;
    }
    return fill(text, args);
}

std::string translateMessage(std::string_view message, Language language)
{
    if (language == Language::Chinese)
        return std::string(message);
    return Translator().translate(message);
}

Error translateError(Error error, Language language)
{
    error.message = translateMessage(error.message, language);
    return error;
}

}  // namespace sorvane
