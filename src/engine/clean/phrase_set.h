#pragma once
// A fixed set of phrases found in one pass over a text: the phrases are bucketed by their
// first character, so a line costs one look-up per character, not one search per
// phrase. Letters are compared after foldWidthAndCase, so "ＣＯＭ", "Com" and "com" match
// alike.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "common/text.h"

namespace sorvane::clean {

class PhraseSet {
public:
    PhraseSet(std::initializer_list<std::u16string_view> phrases);

    struct Hit {
        std::size_t at = 0;
        std::size_t length = 0;
    };
    // The first phrase that starts at or after `from`, longest first where two start at
    // the same place.
    std::optional<Hit> find(TextView text, std::size_t from = 0) const;
    // The longest phrase that starts exactly at `at`; 0 when none does.
    std::size_t matchAt(TextView text, std::size_t at) const;

    // Whether some phrase starts with this character (folded by foldWidthAndCase).
    bool mayStart(char16_t folded) const { return testBit(m_starts, folded); }
    // The same for a character of the text as it stands, without folding it first.
    bool mayStartRaw(char16_t c) const { return testBit(m_rawStarts, c); }
    // One bit for each character mayStartRaw is true of, 65,536 in all.
    const std::vector<std::uint64_t>& rawStarts() const { return m_rawStarts; }
    // Whether some phrase may start at `at` of the text, by its first two characters: the
    // common characters that start a phrase ("一", "下", "本") mostly stand before others.
    bool mayStartAt(TextView text, std::size_t at) const;

private:
    static std::size_t pairBit(char16_t first, char16_t second)
    {
        return (static_cast<std::size_t>(first) * 0x9E37u + second) & 0xFFFFu;
    }
    static bool testBit(const std::vector<std::uint64_t>& bits, std::size_t i) { return (bits[i >> 6] >> (i & 63)) & 1; }
    static void setBit(std::vector<std::uint64_t>& bits, std::size_t i) { bits[i >> 6] |= std::uint64_t{1} << (i & 63); }

    // The characters whose folded form starts a phrase ("Ｃ", "C" and "c" for "com").
    std::vector<std::uint64_t> m_rawStarts = std::vector<std::uint64_t>(65536 / 64, 0);
    // Phrases of one character, by that character.
    std::vector<std::uint64_t> m_singles = std::vector<std::uint64_t>(65536 / 64, 0);
    // The first two characters of the longer phrases, hashed to one of 65,536 bits.
    std::vector<std::uint64_t> m_pairs = std::vector<std::uint64_t>(65536 / 64, 0);

    // One bit for each folded first character of a phrase: 8 KB, which stays in the
    // processor's nearest cache while a page is searched, where a look-up in the bucket
    // table (128 KB) for every character of Chinese text would not.
    std::vector<std::uint64_t> m_starts = std::vector<std::uint64_t>(65536 / 64, 0);
    // For each folded first character, 1 + the index of its phrases in m_buckets, or 0.
    std::vector<std::uint16_t> m_bucketOf = std::vector<std::uint16_t>(65536, 0);
    std::vector<std::vector<Text>> m_buckets;  // folded, longest first
};

}  // namespace sorvane::clean
