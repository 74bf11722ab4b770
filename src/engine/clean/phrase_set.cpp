#include "engine/clean/phrase_set.h"

#include <algorithm>

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
        std::uint16_t& bucket = m_bucketOf[folded.front()];
        if (bucket == 0) {
            m_buckets.emplace_back();
            bucket = static_cast<std::uint16_t>(m_buckets.size());
        }
        m_buckets[bucket - 1u].push_back(std::move(folded));
    }
    for (auto& list : m_buckets)
        std::sort(list.begin(), list.end(), [](const Text& a, const Text& b) { return a.size() > b.size(); });
}

std::size_t PhraseSet::matchAt(TextView text, std::size_t at) const
{
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
    // Most characters start no phrase: one table look-up each, no call.
    const std::uint16_t* bucketOf = m_bucketOf.data();
    for (std::size_t i = from; i < text.size(); ++i) {
        if (bucketOf[foldWidthAndCase(text[i])] == 0)
            continue;
        if (const std::size_t length = matchAt(text, i))
            return Hit{i, length};
    }
    return std::nullopt;
}

}  // namespace sorvane::clean
