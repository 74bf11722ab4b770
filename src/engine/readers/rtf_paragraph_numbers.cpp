#include "engine/readers/rtf_paragraph_numbers.h"

#include <algorithm>

namespace sorvane {
namespace {

// Paragraph definitions kept; past this, each new one takes the last one's place, so a
// file of numbered paragraphs by the million costs no more.
constexpr std::size_t kMaxDefinitions = 4096;
constexpr std::size_t kMaxAffix = 32;

// The level `level` of a list whose label is the definition's text around its number,
// then a tab (the list level's own suffix), as the writer's own \pntext has it.
ListDefinition asList(const RtfParagraphNumbers::Definition& d, int level)
{
    ListDefinition list;
    ListLevel& l = list.levels[static_cast<std::size_t>(level)];
    l.format = d.format;
    l.start = d.start;
    l.text = d.before.substr(0, kMaxAffix) + static_cast<char16_t>(level) + d.after.substr(0, kMaxAffix);
    return list;
}

}  // namespace

int RtfParagraphNumbers::startParagraph()
{
    if (m_definitions.size() < kOutlineLevels + kMaxDefinitions)
        m_definitions.emplace_back();
    else
        m_definitions.back() = Definition();
    return static_cast<int>(m_definitions.size()) - 1;
}

int RtfParagraphNumbers::startSectionLevel(long long level)
{
    const int index = static_cast<int>(std::clamp<long long>(level, 1, kOutlineLevels)) - 1;
    Definition& d = m_definitions[static_cast<std::size_t>(index)];
    d = Definition();
    d.kind = Kind::Outline;
    d.level = index;
    return index;
}

RtfParagraphNumbers::Definition& RtfParagraphNumbers::definition(int index)
{
    return m_definitions[static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(m_definitions.size()) - 1))];
}

void RtfParagraphNumbers::useSectionLevel(int index, long long level)
{
    const int section = static_cast<int>(std::clamp<long long>(level, 1, kOutlineLevels)) - 1;
    Definition& d = definition(index);
    if (&d != &m_definitions[static_cast<std::size_t>(section)])
        d = m_definitions[static_cast<std::size_t>(section)];
    d.kind = Kind::Outline;
    d.level = section;
}

Text RtfParagraphNumbers::label(int index)
{
    const Definition& d = definition(index);
    switch (d.kind) {
    case Kind::Continuation:
        return {};
    case Kind::Bullet:
        m_bodyEnded = true;
        return (d.before.empty() ? Text(u"\u2022") : d.before.substr(0, kMaxAffix)) + u"\t";
    case Kind::Outline:
        return m_outline.next(asList(d, d.level), d.level);
    case Kind::Body:
        break;
    }
    if (m_bodyEnded || m_lastBody != d)
        m_body.reset();
    m_bodyEnded = false;
    m_lastBody = d;
    return m_body.next(asList(d, 0), 0);
}

}  // namespace sorvane
