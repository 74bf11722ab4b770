#include "engine/readers/doc_list_table.h"

#include <algorithm>
#include <array>
#include <string>

namespace sorvane {
namespace {

constexpr std::uint16_t kSprmPIlvl = 0x260A;
constexpr std::uint16_t kSprmPIlfo = 0x460B;
constexpr std::uint16_t kSprmCRgFtc0 = 0x4A4F;
constexpr std::uint16_t kSprmTDefTable = 0xD608;
constexpr std::uint16_t kSprmPChgTabs = 0xC615;

constexpr std::size_t kLstfSize = 28;
constexpr std::size_t kLvlfSize = 28;
constexpr std::size_t kLfoSize = 16;
constexpr std::size_t kMaxLevelText = 64;

struct Reader {
    std::string_view data;
    bool has(std::uint64_t at, std::uint64_t n) const { return at <= data.size() && n <= data.size() - at; }
    std::uint8_t u8(std::size_t at) const { return has(at, 1) ? static_cast<std::uint8_t>(data[at]) : 0; }
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8)); }
    std::uint32_t u32(std::size_t at) const
    {
        return static_cast<std::uint32_t>(u16(at)) | (static_cast<std::uint32_t>(u16(at + 2)) << 16);
    }
    std::int32_t s32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
};

// Calls `f(sprm, operandOffset)` for each property in a grpprl, stopping at the first
// one that does not fit.
template <typename F>
void forEachSprm(std::string_view grpprl, F&& f)
{
    const Reader b{grpprl};
    std::size_t pos = 0;
    while (b.has(pos, 2)) {
        const std::uint16_t sprm = b.u16(pos);
        pos += 2;
        std::size_t size = 0;
        switch (sprm >> 13) {
        case 0:
        case 1: size = 1; break;
        case 2:
        case 4:
        case 5: size = 2; break;
        case 3: size = 4; break;
        case 7: size = 3; break;
        default:
            if (sprm == kSprmTDefTable)
                size = std::size_t{b.u16(pos)} + 1;
            else if (sprm == kSprmPChgTabs && b.u8(pos) == 255)
                return;  // a rare long form this reader does not need
            else
                size = 1 + std::size_t{b.u8(pos)};
            break;
        }
        if (!b.has(pos, size))
            return;
        f(sprm, b, pos);
        pos += size;
    }
}

// One LVL at `pos`: its level (with `font` names for symbol bullets) and its size in
// bytes, or 0 when it does not fit.
std::size_t readLvl(const Reader& t, std::size_t pos, ListLevel& level, const std::vector<std::string>& fontNames)
{
    if (!t.has(pos, kLvlfSize))
        return 0;
    level = ListLevel();
    level.start = std::clamp(t.s32(pos), 0, kMaxListCounter);
    level.format = msNumberFormatCode(t.u8(pos + 4));
    const std::uint8_t flags = t.u8(pos + 5);
    level.legal = (flags & 0x04) != 0;
    if (flags & 0x08) {
        const int limit = t.u8(pos + 26);
        level.restartAfter = limit == 0 ? -2 : limit - 1;
    }
    const std::uint8_t follow = t.u8(pos + 15);
    level.suffix = follow == 1 ? u" " : follow == 2 ? u"" : u"\t";
    std::array<bool, 256> placeholderAt{};
    for (std::size_t i = 0; i < 9; ++i)
        if (const std::uint8_t at = t.u8(pos + 6 + i))
            placeholderAt[at] = true;
    const std::size_t chpx = t.u8(pos + 24);
    const std::size_t papx = t.u8(pos + 25);
    std::size_t at = pos + kLvlfSize + papx;
    if (!t.has(at, chpx + 2))
        return 0;
    std::string font;
    forEachSprm(t.data.substr(at, chpx), [&](std::uint16_t sprm, const Reader& b, std::size_t operand) {
        if (sprm == kSprmCRgFtc0 && b.u16(operand) < fontNames.size())
            font = fontNames[b.u16(operand)];
    });
    at += chpx;
    const std::size_t cch = t.u16(at);
    at += 2;
    if (!t.has(at, cch * 2))
        return 0;
    for (std::size_t i = 0; i < cch && level.text.size() < kMaxLevelText; ++i) {
        const char16_t c = t.u16(at + 2 * i);
        if (c < kListLevels) {
            if (i + 1 < placeholderAt.size() && placeholderAt[i + 1])
                level.text += c;
        } else if (c >= 0x20) {
            const char32_t shown = symbolFontChar(font, c);
            level.text += shown <= 0xFFFF ? static_cast<char16_t>(shown) : c;
        }
    }
    return at + cch * 2 - pos;
}

}  // namespace

std::optional<DocParagraphList> docParagraphList(std::string_view grpprl, std::optional<DocParagraphList> style)
{
    DocParagraphList list = style.value_or(DocParagraphList());
    forEachSprm(grpprl, [&](std::uint16_t sprm, const Reader& b, std::size_t operand) {
        if (sprm == kSprmPIlfo)
            list.ilfo = static_cast<std::int16_t>(b.u16(operand));
        else if (sprm == kSprmPIlvl)
            list.ilvl = b.u8(operand);
    });
    if (list.ilfo <= 0)
        return std::nullopt;
    return list;
}

std::vector<std::optional<DocParagraphList>> docStyleLists(std::string_view table,
                                                           std::pair<std::uint32_t, std::uint32_t> at)
{
    // The STSH: the size of its header, the header (the style count and the size of
    // each style's fixed part first), then each style with its size first. A paragraph
    // style's fixed part gives its kind, its base style and its count of property
    // lists; its name follows, then the paragraph properties (a size, a style index,
    // the list).
    const Reader t{table};
    const auto [fc, lcb] = at;
    std::vector<std::optional<DocParagraphList>> lists;
    if (lcb < 6 || !t.has(fc, lcb))
        return lists;
    const Reader s{table.substr(fc, lcb)};
    const std::size_t header = s.u16(0);
    const std::size_t count = s.u16(2);
    const std::size_t fixed = s.u16(4);
    std::vector<std::pair<std::string_view, std::size_t>> own;  // grpprl, base style
    std::size_t pos = 2 + header;
    for (std::size_t i = 0; i < count && s.has(pos, 2); ++i) {
        const std::size_t size = s.u16(pos);
        const std::size_t entry = pos + 2;
        pos = entry + size;
        own.emplace_back(std::string_view(), 0xFFF);
        if (size < fixed || !s.has(entry, size) || fixed < 10)
            continue;
        const std::uint16_t kindAndBase = s.u16(entry + 2);
        if ((kindAndBase & 0x0F) != 1 || (s.u16(entry + 4) & 0x0F) == 0)
            continue;  // not a paragraph style, or no properties
        std::size_t at = entry + fixed;
        at += 2 + 2 * std::size_t{s.u16(at)} + 2;  // the name, with its length and end
        const std::size_t upx = s.u16(at);
        if (upx < 2 || at + 2 + upx > entry + size)
            continue;
        own.back() = {s.data.substr(at + 4, upx - 2), kindAndBase >> 4};
    }
    // Each style's list over its base's, following at most a few bases.
    lists.resize(own.size());
    for (std::size_t i = 0; i < own.size(); ++i) {
        std::vector<std::size_t> chain;
        for (std::size_t k = i; k < own.size() && chain.size() < 16; k = own[k].second)
            chain.push_back(k);
        std::optional<DocParagraphList> list;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            list = docParagraphList(own[*it].first, list);
        lists[i] = list;
    }
    return lists;
}

std::vector<std::string> docFontNames(std::string_view table, std::pair<std::uint32_t, std::uint32_t> at)
{
    // An STTB of FFN records: a count, a size of extra data, then each record with its
    // size first; the name follows 39 bytes of font data.
    std::vector<std::string> names;
    const Reader t{table};
    const auto [fc, lcb] = at;
    if (!t.has(fc, lcb) || lcb < 4)
        return names;
    const Reader s{table.substr(fc, lcb)};
    const std::size_t count = s.u16(0);
    std::size_t pos = 4;
    for (std::size_t i = 0; i < count && s.has(pos, 1); ++i) {
        const std::size_t size = s.u8(pos);
        if (!s.has(pos + 1, size))
            break;
        std::string name;
        for (std::size_t c = pos + 1 + 39; c + 1 < pos + 1 + size; c += 2) {
            const std::uint16_t ch = s.u16(c);
            if (ch == 0)
                break;
            name.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
        }
        names.push_back(std::move(name));
        pos += 1 + size;
    }
    return names;
}

DocListTable::DocListTable(std::string_view table, std::pair<std::uint32_t, std::uint32_t> plfLst,
                           std::pair<std::uint32_t, std::uint32_t> plfLfo, const std::vector<std::string>& fontNames)
{
    const Reader t{table};
    // PlfLst: a count and the LSTFs; the LVLs of every list follow it, nine per list
    // or one for a simple list.
    if (plfLst.second >= 2 && t.has(plfLst.first, plfLst.second)) {
        const auto count = static_cast<std::int16_t>(t.u16(plfLst.first));
        const std::size_t lists = count > 0 ? static_cast<std::size_t>(count) : 0;
        std::size_t lvl = std::size_t{plfLst.first} + 2 + lists * kLstfSize;
        for (std::size_t i = 0; i < lists && lvl != 0; ++i) {
            const std::size_t lstf = std::size_t{plfLst.first} + 2 + i * kLstfSize;
            if (!t.has(lstf, kLstfSize))
                break;
            const std::int32_t lsid = t.s32(lstf);
            const bool simple = (t.u8(lstf + 26) & 0x01) != 0;
            ListDefinition definition;
            for (std::size_t l = 0; l < (simple ? 1u : 9u); ++l) {
                const std::size_t size = readLvl(t, lvl, definition.levels[l], fontNames);
                if (size == 0) {
                    lvl = 0;
                    break;
                }
                lvl += size;
            }
            m_lists.insert_or_assign(lsid, std::move(definition));
        }
    }
    // PlfLfo: a count, the LFOs, then for each its LFOData: a position and its levels'
    // overrides, each with a whole LVL when it changes the formatting.
    if (plfLfo.second >= 4 && t.has(plfLfo.first, plfLfo.second)) {
        const std::size_t end = std::size_t{plfLfo.first} + plfLfo.second;
        const std::size_t count = std::min<std::size_t>(t.u32(plfLfo.first), (plfLfo.second - 4) / kLfoSize);
        std::size_t data = std::size_t{plfLfo.first} + 4 + count * kLfoSize;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t lfo = std::size_t{plfLfo.first} + 4 + i * kLfoSize;
            Override o;
            o.lsid = t.s32(lfo);
            const std::size_t levels = t.u8(lfo + 12);
            data += 4;  // the LFOData's position
            for (std::size_t l = 0; l < levels && data + 8 <= end; ++l) {
                const std::int32_t startAt = t.s32(data);
                const std::uint32_t flags = t.u32(data + 4);
                data += 8;
                const std::size_t ilvl = flags & 0x0F;
                if ((flags & 0x10) && ilvl < kListLevels)
                    o.startAt[ilvl] = std::clamp(startAt, 0, kMaxListCounter);
                if (flags & 0x20) {
                    ListLevel level;
                    const std::size_t size = readLvl(t, data, level, fontNames);
                    if (size == 0)
                        break;
                    if (ilvl < kListLevels)
                        o.levels[ilvl] = std::move(level);
                    data += size;
                }
            }
            m_overrides.push_back(o);
        }
    }
}

Text DocListTable::label(DocParagraphList list)
{
    if (list.ilfo <= 0 || static_cast<std::size_t>(list.ilfo) > m_overrides.size())
        return {};
    Override& o = m_overrides[static_cast<std::size_t>(list.ilfo) - 1];
    const auto it = m_lists.find(o.lsid);
    if (it == m_lists.end())
        return {};
    const auto level = static_cast<std::size_t>(std::clamp(list.ilvl, 0, kListLevels - 1));
    std::optional<int> restartAt;
    if (o.startAt[level] && !o.used[level]) {
        restartAt = o.startAt[level];
        o.used[level] = true;
    }
    const auto redefined = [](const std::optional<ListLevel>& l) { return l.has_value(); };
    if (std::none_of(o.levels.begin(), o.levels.end(), redefined))
        return m_counters[o.lsid].next(it->second, static_cast<int>(level), restartAt);
    ListDefinition merged = it->second;
    for (std::size_t i = 0; i < kListLevels; ++i)
        if (o.levels[i])
            merged.levels[i] = *o.levels[i];
    return m_counters[o.lsid].next(merged, static_cast<int>(level), restartAt);
}

}  // namespace sorvane
