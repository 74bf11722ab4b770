#pragma once
// Style sheets as far as they decide what text is shown: declarations, media lists and
// rules with type, class and id selectors, matched against a parsed document.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/html/html_document.h"

namespace sorvane {

enum class Display : std::uint8_t {
    None,
    Inline,
    Block,  // block, list-item, flow-root, and any block-level box without a kind of its own
    InlineBlock,
    Table,
    InlineTable,
    TableRowGroup,
    TableRow,
    TableCell,
    TableCaption,
    TableColumn,
    Contents,
    Flex,  // flex and grid containers: their children are blockified
    InlineFlex,
};

enum class WhiteSpace : std::uint8_t { Normal, Pre, Nowrap, PreWrap, PreLine, BreakSpaces };
enum class Transform : std::uint8_t { None, Upper, Lower, Capitalize };

// Declarations read from a style attribute or a style-sheet rule; unset fields leave the
// value as it was.
struct StyleDeclarations {
    std::optional<Display> display;
    std::optional<bool> visible;
    std::optional<WhiteSpace> whiteSpace;
    std::optional<Transform> transform;
    std::optional<bool> floated;     // float: left / right
    std::optional<bool> positioned;  // position: absolute / fixed

    bool empty() const;
    void mergeFrom(const StyleDeclarations& other);
};

// Reads "name: value; ..." into `normal`, and the declarations marked !important into
// `important` when given (else into `normal` as well). Unknown properties and values
// are ignored.
void parseDeclarations(std::string_view text, StyleDeclarations& normal, StyleDeclarations* important = nullptr);

// Whether a media query list applies to a screen. Queries with conditions do not.
bool mediaApplies(std::string_view media);

// Style-sheet rules with type, class and id selectors, compound and joined by descendant
// or child combinators. Rules with any other selector are left out.
class StyleSheet {
public:
    bool empty() const { return m_rules.empty(); }

    // Caps the work of matching, counted in rules tried, elements visited and class
    // names compared; once it is spent, rules no longer match.
    void setBudget(std::size_t steps) { m_budget = steps; }

    void addSheet(std::string_view css);

    // Whether a rule may apply to an element of this (lower-case) name that has no
    // attributes: one whose last compound names it alone, or any element.
    bool mayApplyToBare(std::string_view tag) const
    {
        return !m_universal.empty() || m_byTag.find(std::string(tag)) != m_byTag.end();
    }

    // Adds the declarations of the rules that match element `n` to `normal` and
    // `important`, lowest specificity first.
    void match(const HtmlDocument& doc, HtmlDocument::Node n, StyleDeclarations& normal,
               StyleDeclarations& important) const;

    // The work done by match() so far: all steps, and class names compared alone.
    std::size_t stepsTaken() const { return m_steps; }
    std::size_t classComparisons() const { return m_classComparisons; }

private:
    struct Compound {
        std::string tag;  // empty: any
        std::string id;
        std::vector<std::string> classes;
        bool child = false;  // joined to the compound before it by '>' (else descendant)
    };
    struct Rule {
        std::vector<Compound> selector;  // left to right
        std::uint32_t specificity = 0;
        StyleDeclarations normal;
        StyleDeclarations important;
    };
    using Index = std::unordered_map<std::string, std::vector<std::size_t>>;

    void parseRules(std::string_view css);
    void addRule(std::string_view selectors, std::string_view declarations);
    static bool parseSelector(std::string_view s, Rule& rule);
    void index(Rule&& rule);
    void addCandidates(const Index& map, const std::string& key) const;
    bool hasClass(std::string_view list, std::string_view cls) const;
    bool matchesCompound(const HtmlDocument& doc, HtmlDocument::Node n, const Compound& c) const;
    bool matches(const HtmlDocument& doc, HtmlDocument::Node n, const std::vector<Compound>& selector) const;

    std::vector<Rule> m_rules;
    Index m_byId, m_byClass, m_byTag;
    std::vector<std::size_t> m_universal;
    mutable std::vector<std::size_t> m_candidates, m_matched;
    std::size_t m_budget = SIZE_MAX;
    mutable std::size_t m_steps = 0;
    mutable std::size_t m_classComparisons = 0;
};

}  // namespace sorvane
