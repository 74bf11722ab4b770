#include "engine/clean/phrase_set.h"

#include <algorithm>
#include <bit>

#include "engine/clean/text_marks.h"

namespace sorvane::clean {

PhraseSet::PhraseSet(std::initializer_list<std::u16string_view> phrases)
{
    for (std::u16string_view p : phrases) {
        if (p.empty())
            continue;
        Text folded;
        for (char16_t c : p)
            folded.push_back(foldWidthAndCase(c));
        setBit(m_starts, folded.front());
        if (folded.size() == 1)
            setBit(m_singles, folded.front());
        else
            setBit(m_pairs, pairBit(folded[0], folded[1]));
        std::uint16_t& bucket = m_bucketOf[folded.front()];
        if (bucket == 0) {
            m_buckets.emplace_back();
            bucket = static_cast<std::uint16_t>(m_buckets.size());
        }
        m_buckets[bucket - 1u].push_back(std::move(folded));
    }
    for (auto& list : m_buckets)
        std::sort(list.begin(), list.end(), [](const Text& a, const Text& b) { return a.size() > b.size(); });
    // The characters that fold to a first character: itself, its capital, and the
    // full-width forms of both.
    for (std::size_t word = 0; word < m_starts.size(); ++word)
        for (std::uint64_t bits = m_starts[word]; bits != 0; bits &= bits - 1) {
            const auto folded = static_cast<char16_t>(word * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
            const bool letter = folded >= u'a' && folded <= u'z';
            for (char16_t c : {folded, static_cast<char16_t>(letter ? folded - 32 : folded)}) {
                setBit(m_rawStarts, c);
                if (c >= 0x21 && c <= 0x7E)
                    setBit(m_rawStarts, c - 0x21u + 0xFF01u);
            }
        }
}

bool PhraseSet::mayStartAt(TextView text, std::size_t at) const
{
    const char16_t first = foldWidthAndCase(text[at]);
    if (!mayStart(first))
        return false;
    if (testBit(m_singles, first))
        return true;
    return at + 1 < text.size() && testBit(m_pairs, pairBit(first, foldWidthAndCase(text[at + 1])));
}

std::size_t PhraseSet::matchAt(TextView text, std::size_t at) const
{
    if (!mayStartAt(text, at))
        return 0;
    const std::uint16_t bucket = m_bucketOf[foldWidthAndCase(text[at])];
    if (bucket == 0)
        return 0;
    for (const Text& p : m_buckets[bucket - 1u]) {
        if (at + p.size() > text.size())
            continue;
        std::size_t k = 1;
        while (k < p.size() && foldWidthAndCase(text[at + k]) == p[k])
            ++k;
        if (k == p.size())
            return p.size();
    }
    return 0;
}

std::optional<PhraseSet::Hit> PhraseSet::find(TextView text, std::size_t from) const
{
    // Most characters start no phrase: one bit test each, no folding, no call.
    for (std::size_t i = from; i < text.size(); ++i) {
        if (!mayStartRaw(text[i]) || !mayStartAt(text, i))
            continue;
        if (const std::size_t length = matchAt(text, i))
            return Hit{i, length};
    }
    return std::nullopt;
}

}  // namespace sorvane::clean
