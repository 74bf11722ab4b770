#include "engine/readers/rtf_list_table.h"

#include <algorithm>
#include <utility>

namespace sorvane {
namespace {

constexpr std::size_t kMaxLists = 4096;
constexpr std::size_t kMaxLevelText = 64;

int clampInt(long long v, int low, int high)
{
    return static_cast<int>(std::clamp<long long>(v, low, high));
}

// The level text without its length character and with its placeholders (the
// characters at the positions \levelnumbers lists, or without such a list every
// character below 10) as level references.
Text levelTemplate(const Text& raw, const std::string& numbers, bool hasNumbers)
{
    Text chars;
    std::vector<bool> placeholder;
    if (!raw.empty() && raw[0] < 0x20) {
        chars = raw.substr(1, std::min<std::size_t>(raw[0], kMaxLevelText));
    } else {
        chars = raw.substr(0, kMaxLevelText);
        if (!chars.empty() && chars.back() == u';')
            chars.pop_back();
    }
    placeholder.assign(chars.size(), !hasNumbers);
    for (const char position : numbers) {
        const auto p = static_cast<unsigned char>(position);
        if (p >= 1 && p <= chars.size())
            placeholder[p - 1] = true;
    }
    Text out;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char16_t c = chars[i];
        if (c < kListLevels) {
            if (placeholder[i])
                out += c;
        } else if (c >= 0x20) {
            out += c;
        }
    }
    return out;
}

}  // namespace

void RtfListTable::startList()
{
    finishList();
    if (m_byId.size() >= kMaxLists)
        return;
    m_lists.emplace_back();
    m_levelInList = -1;
}

void RtfListTable::startLevel()
{
    if (m_lists.empty())
        return;
    List& list = m_lists.back();
    ++m_levelInList;
    if (m_levelInList < kListLevels) {
        list.definition.levels[static_cast<std::size_t>(m_levelInList)] = ListLevel();
        list.pending.resize(static_cast<std::size_t>(m_levelInList) + 1);
        list.pending.back() = PendingLevel();
    }
}

ListLevel* RtfListTable::currentLevel()
{
    if (m_lists.empty() || m_levelInList < 0 || m_levelInList >= kListLevels)
        return nullptr;
    return &m_lists.back().definition.levels[static_cast<std::size_t>(m_levelInList)];
}

void RtfListTable::listId(long long id)
{
    if (!m_lists.empty())
        m_lists.back().id = id;
}

void RtfListTable::levelFormat(long long nfc)
{
    if (ListLevel* level = currentLevel())
        level->format = msNumberFormatCode(clampInt(nfc, -1, 256));
}

void RtfListTable::levelStart(long long start)
{
    if (ListLevel* level = currentLevel())
        level->start = clampInt(start, 0, kMaxListCounter);
}

void RtfListTable::levelFollow(long long follow)
{
    if (ListLevel* level = currentLevel())
        level->suffix = follow == 1 ? u" " : follow == 2 ? u"" : u"\t";
}

void RtfListTable::levelLegal(bool on)
{
    if (ListLevel* level = currentLevel())
        level->legal = on;
}

void RtfListTable::levelText(Text text)
{
    if (currentLevel())
        m_lists.back().pending.back().text = std::move(text);
}

void RtfListTable::levelNumbers(std::string positions)
{
    if (currentLevel()) {
        PendingLevel& level = m_lists.back().pending.back();
        level.numbers = std::move(positions);
        level.hasNumbers = true;
    }
}

void RtfListTable::startOverride()
{
    finishList();
    m_overrideListId.reset();
    m_overrideLs.reset();
}

void RtfListTable::overrideListId(long long id)
{
    m_overrideListId = id;
    if (m_overrideLs)
        m_overrides[*m_overrideLs] = id;
}

void RtfListTable::overrideNumber(long long ls)
{
    m_overrideLs = ls;
    if (m_overrideListId)
        m_overrides[ls] = *m_overrideListId;
}

// A list's level texts are completed once the list is read.
void RtfListTable::finishList()
{
    if (m_lists.empty())
        return;
    List& list = m_lists.back();
    for (std::size_t i = 0; i < list.pending.size(); ++i) {
        const PendingLevel& p = list.pending[i];
        list.definition.levels[i].text = levelTemplate(p.text, p.numbers, p.hasNumbers);
    }
    list.pending.clear();
    m_byId.insert_or_assign(list.id, std::move(list.definition));
    m_lists.pop_back();
    m_levelInList = -1;
}

Text RtfListTable::label(long long ls, long long level)
{
    finishList();
    const auto o = m_overrides.find(ls);
    if (o == m_overrides.end())
        return {};
    const auto list = m_byId.find(o->second);
    if (list == m_byId.end())
        return {};
    return m_counters[o->second].next(list->second, clampInt(level, 0, kListLevels - 1));
}

}  // namespace sorvane
