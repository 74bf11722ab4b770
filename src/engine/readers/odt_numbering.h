#pragma once
// The list styles and the outline (heading) numbering of an OpenDocument text, as list
// definitions: each level's number format, prefix, suffix, shown levels, start value,
// bullet character and what follows the label; and the list style each paragraph style
// applies.

#include <map>
#include <optional>
#include <string>

#include "engine/containers/xml_document.h"
#include "engine/readers/list_numbering.h"

namespace sorvane {

class OdtNumbering {
public:
    // Adds the text:list-style and text:outline-style elements, and the paragraph styles'
    // list styles and parents, of the styles containers under `root` (content.xml or
    // styles.xml); later ones replace earlier ones of the same name.
    void read(XmlDocument::Node root);

    // The list style of this name, or nothing.
    const ListDefinition* listStyle(std::string_view name) const;
    // The name of the list style the paragraph style of this name applies, itself or
    // through its parents; nothing when none does (an empty name on the way stops it).
    std::optional<std::string_view> paragraphListStyle(std::string_view paragraphStyle) const;
    // The outline numbering of headings, or nothing when the document has none.
    const ListDefinition* outline() const { return m_outline ? &*m_outline : nullptr; }

private:
    struct ParagraphStyle {
        std::optional<std::string> listStyle;
        std::string parent;
    };
    std::map<std::string, ListDefinition, std::less<>> m_styles;
    std::map<std::string, ParagraphStyle, std::less<>> m_paragraphStyles;
    std::optional<ListDefinition> m_outline;
};

}  // namespace sorvane
