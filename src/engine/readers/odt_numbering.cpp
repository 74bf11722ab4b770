#include "engine/readers/odt_numbering.h"

#include <algorithm>
#include <utility>

namespace sorvane {
namespace {

using X = XmlDocument;
using Node = XmlDocument::Node;

constexpr std::size_t kMaxAffix = 32;  // characters of a prefix, suffix or bullet read from the file

NumberFormat odtFormat(std::string_view format, bool letterSync)
{
    if (format == "1")
        return NumberFormat::Decimal;
    if (format == "a")
        return letterSync ? NumberFormat::LowerLetter : NumberFormat::LowerAlphabetic;
    if (format == "A")
        return letterSync ? NumberFormat::UpperLetter : NumberFormat::UpperAlphabetic;
    if (format == "i")
        return NumberFormat::LowerRoman;
    if (format == "I")
        return NumberFormat::UpperRoman;
    if (format.empty())
        return NumberFormat::None;
    // Other scripts are named by their first numbers ("一, 二, 三, ...").
    static constexpr std::pair<std::string_view, NumberFormat> scripts[] = {
        {"一", NumberFormat::ChineseCounting},      {"壹", NumberFormat::ChineseLegal},
        {"甲", NumberFormat::IdeographTraditional}, {"①", NumberFormat::DecimalCircle},
        {"１", NumberFormat::DecimalFullWidth},     {"〇", NumberFormat::IdeographDigital}};
    for (const auto& [start, f] : scripts)
        if (format.starts_with(start))
            return f;
    return NumberFormat::Decimal;
}

Text affix(Node n, std::string_view name, std::string_view font = {})
{
    Text text = fromUtf8(X::attribute(n, name).value_or(""));
    if (text.size() > kMaxAffix)
        text.resize(kMaxAffix);
    std::erase_if(text, [](char16_t c) { return c < kListLevels; });
    if (!font.empty())
        for (char16_t& c : text)
            if (const char32_t shown = symbolFontChar(font, c); shown <= 0xFFFF)
                c = static_cast<char16_t>(shown);
    return text;
}

// What follows the label: a tab unless the level's label alignment says a space or nothing.
Text labelSuffix(Node levelStyle)
{
    const Node props = X::childElement(levelStyle, "list-level-properties");
    const Node alignment = props ? X::childElement(props, "list-level-label-alignment") : nullptr;
    const std::string_view followed =
        alignment ? X::attribute(alignment, "text:label-followed-by").value_or("listtab") : "listtab";
    return followed == "space" ? u" " : followed == "nothing" ? u"" : u"\t";
}

ListDefinition readLevels(Node style)
{
    ListDefinition list;
    for (Node l = X::firstChild(style); l; l = X::nextSibling(l)) {
        if (!X::isElement(l))
            continue;
        const std::string_view kind = X::localName(l);
        const bool number = kind == "list-level-style-number" || kind == "outline-level-style";
        const bool bullet = kind == "list-level-style-bullet";
        if (!number && !bullet)
            continue;
        const auto levelNumber = parseListNumber(X::attribute(l, "text:level").value_or("1"));
        if (!levelNumber || *levelNumber < 1 || *levelNumber > kListLevels)
            continue;
        const int index = *levelNumber - 1;
        ListLevel& level = list.levels[static_cast<std::size_t>(index)];
        level = ListLevel();
        level.suffix = labelSuffix(l);
        if (bullet) {
            const Node props = X::childElement(l, "text-properties");
            const std::string_view font = props ? X::attribute(props, "style:font-name").value_or("") : "";
            const Text ch = affix(l, "text:bullet-char", font);
            if (!ch.empty())
                level.text = affix(l, "style:num-prefix") + ch + affix(l, "style:num-suffix");
            level.format = NumberFormat::None;
            continue;
        }
        level.format = odtFormat(X::attribute(l, "style:num-format").value_or(""),
                                 X::attribute(l, "style:num-letter-sync").value_or("") == "true");
        level.start = parseListNumber(X::attribute(l, "text:start-value").value_or("1")).value_or(1);
        if (level.format == NumberFormat::None)
            continue;
        const int shown = std::clamp(parseListNumber(X::attribute(l, "text:display-levels").value_or("1")).value_or(1),
                                     1, index + 1);
        level.text = affix(l, "style:num-prefix");
        for (int k = index - shown + 1; k <= index; ++k) {
            if (k > index - shown + 1)
                level.text += u'.';
            level.text += static_cast<char16_t>(k);
        }
        level.text += affix(l, "style:num-suffix");
    }
    return list;
}

}  // namespace

void OdtNumbering::read(Node root)
{
    for (Node container = X::firstChild(root); container; container = X::nextSibling(container)) {
        if (!X::isElement(container))
            continue;
        const std::string_view c = X::name(container);
        if (c != "office:automatic-styles" && c != "office:styles")
            continue;
        for (Node style = X::firstChild(container); style; style = X::nextSibling(style)) {
            if (!X::isElement(style))
                continue;
            const std::string_view name = X::name(style);
            if (name == "text:outline-style") {
                m_outline = readLevels(style);
            } else if (name == "text:list-style") {
                if (const auto styleName = X::attribute(style, "style:name"))
                    m_styles.insert_or_assign(std::string(*styleName), readLevels(style));
            } else if (name == "style:style" && X::attribute(style, "style:family").value_or("") == "paragraph") {
                if (const auto styleName = X::attribute(style, "style:name")) {
                    ParagraphStyle paragraph;
                    if (const auto list = X::attribute(style, "style:list-style-name"))
                        paragraph.listStyle = std::string(*list);
                    paragraph.parent = X::attribute(style, "style:parent-style-name").value_or("");
                    m_paragraphStyles.insert_or_assign(std::string(*styleName), std::move(paragraph));
                }
            }
        }
    }
}

const ListDefinition* OdtNumbering::listStyle(std::string_view name) const
{
    const auto it = m_styles.find(name);
    return it == m_styles.end() ? nullptr : &it->second;
}

std::optional<std::string_view> OdtNumbering::paragraphListStyle(std::string_view paragraphStyle) const
{
    // A chain of parents is followed a few steps only, so a loop in it ends.
    constexpr int kMaxParents = 16;
    std::string_view name = paragraphStyle;
    for (int step = 0; step <= kMaxParents && !name.empty(); ++step) {
        const auto it = m_paragraphStyles.find(name);
        if (it == m_paragraphStyles.end())
            return std::nullopt;
        if (it->second.listStyle) {
            if (it->second.listStyle->empty())
                return std::nullopt;
            return std::string_view(*it->second.listStyle);
        }
        name = it->second.parent;
    }
    return std::nullopt;
}

}  // namespace sorvane
