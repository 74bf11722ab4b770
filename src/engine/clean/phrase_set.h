#pragma once
// A fixed set of phrases found in one pass over a text: the phrases are bucketed by their
// first character, so a line costs one look-up per character, not one search per
// phrase. Letters are compared after foldWidthAndCase, so "ＣＯＭ", "Com" and "com" match
// alike.

#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <unordered_map>
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
    std::bitset<65536> m_firsts;                                  // the first characters, folded
    std::unordered_map<char16_t, std::vector<Text>> m_byFirst;  // folded, longest first
};

}  // namespace sorvane::clean
