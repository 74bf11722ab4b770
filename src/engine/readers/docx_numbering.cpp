#include "engine/readers/docx_numbering.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/containers/zip_archive.h"
#include "engine/readers/reader_interface.h"

namespace sorvane {
namespace {

using X = XmlDocument;
using Node = XmlDocument::Node;

constexpr std::size_t kMaxLevelText = 64;  // characters of a level text read from the file
constexpr int kMaxStyleChain = 32;         // styles followed through w:basedOn

std::optional<std::string_view> childVal(Node parent, std::string_view name)
{
    const Node child = parent ? X::childElement(parent, name) : nullptr;
    return child ? X::attribute(child, "w:val") : std::nullopt;
}

std::optional<int> childNumber(Node parent, std::string_view name)
{
    const auto val = childVal(parent, name);
    return val ? parseListNumber(*val) : std::nullopt;
}

bool isOn(Node parent, std::string_view name)
{
    const Node child = parent ? X::childElement(parent, name) : nullptr;
    if (!child)
        return false;
    const auto val = X::attribute(child, "w:val");
    return !val || (*val != "0" && *val != "false" && *val != "off");
}

// A w:lvl: "%1" … "%9" in its text stand for the numbers of levels 0 … 8; a bullet in
// a symbol font becomes the character it shows.
ListLevel readLevel(Node lvl)
{
    ListLevel level;
    level.format = docxNumberFormat(childVal(lvl, "numFmt").value_or("decimal"));
    level.start = childNumber(lvl, "start").value_or(0);
    if (const auto restart = childNumber(lvl, "lvlRestart"))
        level.restartAfter = *restart == 0 ? -2 : *restart - 1;
    level.legal = isOn(lvl, "isLgl");
    const std::string_view suff = childVal(lvl, "suff").value_or("tab");
    level.suffix = suff == "space" ? u" " : suff == "nothing" ? u"" : u"\t";

    std::string font;
    if (const Node rPr = X::childElement(lvl, "rPr"))
        if (const Node fonts = X::childElement(rPr, "rFonts"))
            font = X::attribute(fonts, "w:ascii").value_or(X::attribute(fonts, "w:hAnsi").value_or(""));
    const Text raw = fromUtf8(childVal(lvl, "lvlText").value_or(""));
    for (std::size_t i = 0; i < raw.size() && level.text.size() < kMaxLevelText; ++i) {
        const char16_t c = raw[i];
        if (c == u'%' && i + 1 < raw.size() && raw[i + 1] >= u'1' && raw[i + 1] <= u'9') {
            level.text += static_cast<char16_t>(raw[++i] - u'1');
        } else if (c >= kListLevels) {
            const char32_t shown = symbolFontChar(font, c);
            if (shown <= 0xFFFF)
                level.text += static_cast<char16_t>(shown);
        }
    }
    return level;
}

std::optional<std::size_t> levelIndex(Node lvl)
{
    const auto ilvl = X::attribute(lvl, "w:ilvl");
    const auto n = ilvl ? parseListNumber(*ilvl) : std::nullopt;
    if (!n || *n >= kListLevels)
        return std::nullopt;
    return static_cast<std::size_t>(*n);
}

struct Abstract {
    ListDefinition levels;
    std::array<std::string, kListLevels> levelStyles;  // w:pStyle of each level
    std::string styleLink;                             // w:numStyleLink
};

struct Num {
    std::string abstractId;
    std::array<std::optional<int>, kListLevels> startOverride;
    std::array<std::optional<ListLevel>, kListLevels> levelOverride;
    std::array<bool, kListLevels> overrideUsed{};
};

struct StyleNumbering {
    std::optional<std::string> numId;
    std::optional<int> ilvl;
    std::string basedOn;
};

}  // namespace

struct DocxNumbering::Impl {
    std::map<std::string, Abstract, std::less<>> abstracts;
    std::map<std::string, Num, std::less<>> nums;
    std::map<std::string, StyleNumbering, std::less<>> styles;
    std::map<std::string, ListCounters, std::less<>> counters;  // per abstract numbering

    void readNumbering(Node root)
    {
        for (Node n = X::firstChild(root); n; n = X::nextSibling(n)) {
            if (!X::isElement(n))
                continue;
            const std::string_view name = X::name(n);
            if (name == "w:abstractNum") {
                const auto id = X::attribute(n, "w:abstractNumId");
                if (!id)
                    continue;
                Abstract a;
                a.styleLink = std::string(childVal(n, "numStyleLink").value_or(""));
                for (Node lvl = X::firstChild(n); lvl; lvl = X::nextSibling(lvl)) {
                    if (!X::isElement(lvl) || X::name(lvl) != "w:lvl")
                        continue;
                    if (const auto i = levelIndex(lvl)) {
                        a.levels.levels[*i] = readLevel(lvl);
                        a.levelStyles[*i] = std::string(childVal(lvl, "pStyle").value_or(""));
                    }
                }
                abstracts.insert_or_assign(std::string(*id), std::move(a));
            } else if (name == "w:num") {
                const auto id = X::attribute(n, "w:numId");
                const auto abstractId = childVal(n, "abstractNumId");
                if (!id || !abstractId)
                    continue;
                Num num;
                num.abstractId = std::string(*abstractId);
                for (Node o = X::firstChild(n); o; o = X::nextSibling(o)) {
                    if (!X::isElement(o) || X::name(o) != "w:lvlOverride")
                        continue;
                    const auto i = levelIndex(o);
                    if (!i)
                        continue;
                    num.startOverride[*i] = childNumber(o, "startOverride");
                    if (const Node lvl = X::childElement(o, "lvl")) {
                        num.levelOverride[*i] = readLevel(lvl);
                        if (!num.startOverride[*i] && X::childElement(lvl, "start"))
                            num.startOverride[*i] = num.levelOverride[*i]->start;
                    }
                }
                nums.insert_or_assign(std::string(*id), std::move(num));
            }
        }
    }

    void readStyles(Node root)
    {
        for (Node s = X::firstChild(root); s; s = X::nextSibling(s)) {
            if (!X::isElement(s) || X::name(s) != "w:style")
                continue;
            const auto id = X::attribute(s, "w:styleId");
            if (!id)
                continue;
            StyleNumbering style;
            style.basedOn = std::string(childVal(s, "basedOn").value_or(""));
            if (const Node pPr = X::childElement(s, "pPr"))
                if (const Node numPr = X::childElement(pPr, "numPr")) {
                    if (const auto numId = childVal(numPr, "numId"))
                        style.numId = std::string(*numId);
                    style.ilvl = childNumber(numPr, "ilvl");
                }
            styles.insert_or_assign(std::string(*id), std::move(style));
        }
    }

    // The numbering a paragraph style gives, through the styles it is based on.
    StyleNumbering styleNumbering(std::string_view styleId) const
    {
        StyleNumbering found;
        std::string_view id = styleId;
        for (int i = 0; i < kMaxStyleChain && !id.empty(); ++i) {
            const auto it = styles.find(id);
            if (it == styles.end())
                break;
            if (!found.numId && it->second.numId)
                found.numId = it->second.numId;
            if (!found.ilvl && it->second.ilvl)
                found.ilvl = it->second.ilvl;
            if (found.numId && found.ilvl)
                break;
            id = it->second.basedOn;
        }
        return found;
    }

    // The abstract numbering of a num, through a numbering style's link.
    const Abstract* abstractOf(const Num& num, std::string& abstractId) const
    {
        abstractId = num.abstractId;
        for (int hop = 0; hop < 2; ++hop) {
            const auto it = abstracts.find(abstractId);
            if (it == abstracts.end())
                return nullptr;
            if (it->second.styleLink.empty())
                return &it->second;
            const StyleNumbering linked = styleNumbering(it->second.styleLink);
            const auto next = linked.numId ? nums.find(*linked.numId) : nums.end();
            if (next == nums.end())
                return &it->second;
            abstractId = next->second.abstractId;
        }
        const auto it = abstracts.find(abstractId);
        return it == abstracts.end() ? nullptr : &it->second;
    }

    Text label(Node pPr)
    {
        const Node numPr = X::childElement(pPr, "numPr");
        const auto styleId = childVal(pPr, "pStyle");
        std::optional<std::string> numId;
        std::optional<int> ilvl;
        if (numPr) {
            if (const auto id = childVal(numPr, "numId"))
                numId = std::string(*id);
            ilvl = childNumber(numPr, "ilvl");
        }
        StyleNumbering fromStyle;
        if (styleId && (!numId || !ilvl))
            fromStyle = styleNumbering(*styleId);
        if (!numId)
            numId = fromStyle.numId;
        if (!numId || *numId == "0")
            return {};
        const auto numIt = nums.find(*numId);
        if (numIt == nums.end())
            return {};
        Num& num = numIt->second;
        std::string abstractId;
        const Abstract* abstract = abstractOf(num, abstractId);
        if (!abstract)
            return {};
        if (!ilvl)
            ilvl = fromStyle.ilvl;
        if (!ilvl && styleId)
            for (std::size_t i = 0; i < abstract->levelStyles.size(); ++i)
                if (!abstract->levelStyles[i].empty() && abstract->levelStyles[i] == *styleId)
                    ilvl = static_cast<int>(i);
        const auto level = static_cast<std::size_t>(std::min(ilvl.value_or(0), kListLevels - 1));

        // Levels the num redefines replace the abstract numbering's.
        const ListDefinition* definition = &abstract->levels;
        ListDefinition merged;
        const auto redefined = [](const std::optional<ListLevel>& l) { return l.has_value(); };
        if (std::any_of(num.levelOverride.begin(), num.levelOverride.end(), redefined)) {
            merged = abstract->levels;
            for (std::size_t i = 0; i < kListLevels; ++i)
                if (num.levelOverride[i])
                    merged.levels[i] = *num.levelOverride[i];
            definition = &merged;
        }
        std::optional<int> restartAt;
        if (num.startOverride[level] && !num.overrideUsed[level]) {
            restartAt = num.startOverride[level];
            num.overrideUsed[level] = true;
        }
        return counters[abstractId].next(*definition, static_cast<int>(level), restartAt);
    }
};

DocxNumbering::DocxNumbering(ZipArchive& archive) : m_impl(std::make_unique<Impl>())
{
    Result<std::string> numbering = archive.read("word/numbering.xml");
    if (!numbering)
        return;
    if (auto doc = X::parseWithin(std::move(*numbering), expansionAllowance(archive.archiveSize())))
        m_impl->readNumbering((*doc)->root());
    if (m_impl->nums.empty())
        return;
    if (Result<std::string> styles = archive.read("word/styles.xml"))
        if (auto doc = X::parseWithin(std::move(*styles), expansionAllowance(archive.archiveSize())))
            m_impl->readStyles((*doc)->root());
}

DocxNumbering::~DocxNumbering() = default;

Text DocxNumbering::label(Node pPr)
{
    return pPr ? m_impl->label(pPr) : Text();
}

}  // namespace sorvane
