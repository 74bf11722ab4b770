#pragma once
// The paragraph numbering of RTF's older form (\pn): every numbered paragraph carries
// its own definition (simple numbering, a bullet, an outline level, or a continuation
// that shows nothing), and a section may define its outline levels (\pnseclvlN) for the
// paragraphs to start from. The RTF reader fills the definitions as it reads them and
// asks for each paragraph's label; every count is bounded.

#include <cstdint>
#include <optional>
#include <vector>

#include "common/text.h"
#include "engine/readers/list_numbering.h"

namespace sorvane {

class RtfParagraphNumbers {
public:
    enum class Kind : std::uint8_t { Body, Bullet, Outline, Continuation };
    struct Definition {
        Kind kind = Kind::Body;
        int level = 0;  // 0-based, for an outline level
        NumberFormat format = NumberFormat::Decimal;
        int start = 1;
        Text before;  // \pntxtb: the text before the number, or the bullet
        Text after;   // \pntxta
        bool operator==(const Definition&) const = default;
    };
    static constexpr int kOutlineLevels = 9;

    // \pn: a new paragraph definition; its index. \pnseclvlN (1..9, clamped): the section's
    // definition of that level, started afresh; its index.
    int startParagraph();
    int startSectionLevel(long long level);
    // The definition of an index these gave; a paragraph's \pnlvlN copies the section's
    // level N into it first (useSectionLevel).
    Definition& definition(int index);
    void useSectionLevel(int index, long long level);

    // The label of the next paragraph numbered by definition `index`, counting it:
    // simple numbering continues until a paragraph without numbers (or with another
    // definition) comes between; outline levels count through the document, a level
    // starting the deeper ones again. Empty for a continuation.
    Text label(int index);
    // A paragraph without numbers: simple numbering starts again after it.
    void unnumbered() { m_bodyEnded = true; }

private:
    std::vector<Definition> m_definitions = std::vector<Definition>(kOutlineLevels);
    ListCounters m_body;
    std::optional<Definition> m_lastBody;
    bool m_bodyEnded = true;
    ListCounters m_outline;
};

}  // namespace sorvane
