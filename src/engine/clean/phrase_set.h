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

private:
    // For each folded first character, 1 + the index of its phrases in m_buckets, or 0:
    // one array look-up a character of the text, most of them answered "none".
    std::vector<std::uint16_t> m_bucketOf = std::vector<std::uint16_t>(65536, 0);
    std::vector<std::vector<Text>> m_buckets;  // folded, longest first
};

}  // namespace sorvane::clean
