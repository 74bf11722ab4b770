// The style part on its own: media lists, declarations, the computed style of elements
// under the cascade, and the cap on selector-matching work.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/css_style.h"
#include "engine/html/html_document.h"

namespace sorvane {
namespace {

using Node = HtmlDocument::Node;

// The first element whose id is `id`, in tree order.
Node findById(const HtmlDocument& doc, std::string_view id)
{
    std::vector<Node> stack{doc.documentNode()};
    while (!stack.empty()) {
        const Node n = stack.back();
        stack.pop_back();
        if (HtmlDocument::kind(n) == HtmlNodeKind::Element)
            if (auto a = HtmlDocument::attribute(n, "id"); a && *a == id)
                return n;
        for (size_t i = HtmlDocument::childCount(n); i-- > 0;)
            stack.push_back(HtmlDocument::child(n, i));
    }
    return nullptr;
}

// The computed style of `n`, its ancestors' computed first, as a renderer walks down.
ComputedStyle computeDown(const PageStyle& style, Node n)
{
    std::vector<Node> chain;
    for (Node at = n; at && HtmlDocument::kind(at) == HtmlNodeKind::Element; at = HtmlDocument::parent(at))
        chain.push_back(at);
    ComputedStyle s;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        s = style.compute(*it, s);
    return s;
}

TEST(CssStyle, MediaLists)
{
    const struct {
        const char* media;
        bool applies;
    } cases[] = {
        {"", true},
        {"  ", true},
        {"all", true},
        {"screen", true},
        {"SCREEN", true},
        {"only screen", true},
        {"print", false},
        {"handheld", false},
        {"print, screen", true},
        {"print,  only  screen ", true},
        {"screen and (min-width: 1px)", false},
        {"(color)", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mediaApplies(c.media), c.applies) << '"' << c.media << '"';
}

TEST(CssStyle, Declarations)
{
    const struct {
        const char* text;
        std::optional<Display> display;
        std::optional<Display> importantDisplay;
        std::optional<bool> visible;
    } cases[] = {
        {"display: block", Display::Block, {}, {}},
        {"DISPLAY : Inline-Block ;", Display::InlineBlock, {}, {}},
        {"display: block flow-root", Display::Block, {}, {}},
        {"display: inline flow-root", Display::InlineBlock, {}, {}},
        {"display: inline grid", Display::InlineFlex, {}, {}},
        {"display: block list-item", Display::Block, {}, {}},
        {"display: sideways", {}, {}, {}},
        {"display: table; display: bogus", Display::Table, {}, {}},
        {"display: none !important; display: inline", Display::Inline, Display::None, {}},
        {"display: none ! important", {}, Display::None, {}},
        {"visibility: collapse", {}, {}, false},
        {"color: red; visibility: visible", {}, {}, true},
        {"no colon here; : ; display", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        StyleDeclarations normal, important;
        parseDeclarations(c.text, normal, &important);
        EXPECT_EQ(normal.display, c.display);
        EXPECT_EQ(important.display, c.importantDisplay);
        EXPECT_EQ(normal.visible, c.visible);
    }
}

TEST(CssStyle, ComputedStyle)
{
    const struct {
        const char* name;
        const char* html;  // the element looked at has id "t"
        Display display;
        bool visible = true;
        WhiteSpace whiteSpace = WhiteSpace::Normal;
        Transform transform = Transform::None;
        bool floated = false;
        bool positioned = false;
    } cases[] = {
        {"default block", "<div id=t>", Display::Block},
        {"unknown element is inline", "<madeup id=t>", Display::Inline},
        {"hidden attribute", "<span hidden id=t>", Display::None},
        {"style attribute beats hidden", "<div hidden id=t style='display:inline'>", Display::Inline},
        {"hidden input", "<input type=HIDDEN id=t>", Display::None},
        {"closed dialog", "<dialog id=t>", Display::None},
        {"style attribute beats the sheet", "<style>#t{display:block}</style><span id=t style='display:table'>",
         Display::Table},
        {"important rule beats the style attribute",
         "<style>#t{display:block !important}</style><span id=t style='display:table'>", Display::Block},
        {"id beats a later type rule", "<style>#t{display:block} span{display:table}</style><span id=t>",
         Display::Block},
        {"later rule wins among equals", "<style>.a{display:block} .b{display:table}</style><span class='b a' id=t>",
         Display::Table},
        {"names match without case", "<style>SPAN.Big{display:block}</style><span class=bIG id=t>", Display::Block},
        {"descendant combinator", "<style>div span{display:block}</style><div><b><span id=t>", Display::Block},
        {"child combinator needs the parent", "<style>div > span{display:block}</style><div><b><span id=t>",
         Display::Inline},
        {"unsupported selector left out", "<style>span:hover{display:block}</style><span id=t>", Display::Inline},
        {"float blockifies", "<span id=t style='float:left'>", Display::Block, true, WhiteSpace::Normal,
         Transform::None, true},
        {"absolute inline-table becomes a table", "<span id=t style='position:absolute;display:inline-table'>",
         Display::Table, true, WhiteSpace::Normal, Transform::None, false, true},
        {"flex item blockified", "<div style='display:flex'><span id=t>", Display::Block},
        {"contents passes flex items through",
         "<div style='display:inline-grid'><div style='display:contents'><span id=t>", Display::Block},
        {"contents body passes the root's items through",
         "<html style='display:grid'><body style='display:contents'><span id=t>", Display::Block},
        {"contents itself not blockified", "<div style='display:flex'><span id=t style='display:contents'>",
         Display::Contents},
        {"visibility and white-space inherit", "<div style='visibility:hidden;white-space:pre-line'><b id=t>",
         Display::Inline, false, WhiteSpace::PreLine},
        {"pre by default", "<pre><b id=t>", Display::Inline, true, WhiteSpace::Pre},
        {"nowrap cell", "<table><tr><td nowrap id=t>", Display::TableCell, true, WhiteSpace::Nowrap},
        {"print sheet and conditional media left out",
         "<style media=print>#t{display:none}</style>"
         "<style>@media screen{#t{text-transform:uppercase}} @media (min-width:1px){#t{display:none}}</style>"
         "<span id=t>",
         Display::Inline, true, WhiteSpace::Normal, Transform::Upper},
        {"outermost svg is atomic", "<svg id=t></svg>", Display::InlineBlock},
        {"svg parts are inline", "<svg><g id=t></g></svg>", Display::Inline},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HtmlDocument doc(c.html);
        const PageStyle style(doc, nullptr, SIZE_MAX);
        const Node n = findById(doc, "t");
        ASSERT_NE(n, nullptr);
        const ComputedStyle s = computeDown(style, n);
        EXPECT_EQ(s.display, c.display);
        EXPECT_EQ(s.visible, c.visible);
        EXPECT_EQ(s.whiteSpace, c.whiteSpace);
        EXPECT_EQ(s.transform, c.transform);
        EXPECT_EQ(s.floated, c.floated);
        EXPECT_EQ(s.positioned, c.positioned);
    }
}

TEST(CssStyle, LinkedSheetsAndLanguage)
{
    const HtmlDocument doc(
        "<link rel=stylesheet href=' a.css '><link rel='alternate stylesheet' href=b.css>"
        "<link rel=stylesheet media=print href=c.css><div lang=tr-TR><span id=t>");
    std::vector<std::string> asked;
    const StyleSheetLoader loader = [&](std::string_view href) -> std::optional<std::string> {
        asked.emplace_back(href);
        return std::string("#t { text-transform: lowercase }");
    };
    const PageStyle style(doc, &loader, SIZE_MAX);
    EXPECT_EQ(asked, std::vector<std::string>{"a.css"});
    const ComputedStyle s = computeDown(style, findById(doc, "t"));
    EXPECT_EQ(s.transform, Transform::Lower);
    EXPECT_EQ(s.lang, "tr-TR");
}

// A page may link one sheet thousands of times: each address is asked for once.
TEST(CssStyle, AsksForEachLinkedSheetOnce)
{
    const HtmlDocument doc("<link rel=stylesheet href=a.css><link rel=stylesheet href=' a.css '>"
                           "<link rel=stylesheet href=b.css><link rel=stylesheet href=a.css><p id=t>");
    std::vector<std::string> asked;
    const StyleSheetLoader loader = [&](std::string_view href) -> std::optional<std::string> {
        asked.emplace_back(href);
        return std::string("#t { display: none }");
    };
    const PageStyle style(doc, &loader, SIZE_MAX);
    EXPECT_EQ(asked, (std::vector<std::string>{"a.css", "b.css"}));
    EXPECT_EQ(computeDown(style, findById(doc, "t")).display, Display::None);
}

// A selector of many classes against an element of many classes costs their product in
// comparisons, whatever the number of rules: the cap must count those comparisons.
TEST(CssStyle, MatchingBudgetCountsComparisons)
{
    std::string classes;
    for (int i = 0; i < 100; ++i)
        classes += (i ? " c" : "c") + std::to_string(i);
    // Indexed under c0, which the element holds, so each rule is tried on it; every .c99
    // is found only after the 99 names before it.
    std::string longRule = ".c0";
    for (int i = 1; i < 10'000; ++i)
        longRule += ".c99";
    longRule += "{display:block}";
    const std::string threeLong = longRule + longRule + longRule;
    constexpr std::size_t fullWork = 3 * 9'999 * 100;  // at least: .c99 costs 100 names each time

    const struct {
        const char* name;
        std::string css;
        std::size_t budget;
        bool divMatched;  // the 100-class <div>
        bool pMatched;    // a <p> after it
        std::size_t minComparisons;
        std::size_t maxComparisons;
    } cases[] = {
        {"unbounded: every name is compared", threeLong, SIZE_MAX, true, false, fullWork, SIZE_MAX},
        {"long compounds stop at the budget", threeLong, 10'000, false, false, 1, 10'000},
        {"budget below one class list", threeLong, 50, false, false, 1, 50},
        {"spent budget leaves later rules unmatched", longRule + "p{display:table}", 50'000, false, false, 1, 50'000},
        {"cheap rules within the budget match", ".c99{display:block} p{display:table}", 10'000, true, true, 100,
         10'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string html = "<div class='" + classes + "'></div><p class=c0></p>";
        const HtmlDocument doc(html);
        StyleSheet sheet;
        sheet.addSheet(c.css);
        sheet.setBudget(c.budget);
        const Node div = HtmlDocument::child(doc.body(), 0);
        const Node p = HtmlDocument::child(doc.body(), 1);
        StyleDeclarations divStyle, pStyle, important;
        sheet.match(doc, div, divStyle, important);
        sheet.match(doc, p, pStyle, important);
        EXPECT_EQ(divStyle.display.has_value(), c.divMatched);
        EXPECT_EQ(pStyle.display.has_value(), c.pMatched);
        EXPECT_GE(sheet.classComparisons(), c.minComparisons);
        EXPECT_LE(sheet.classComparisons(), c.maxComparisons);
        EXPECT_LE(sheet.classComparisons(), sheet.stepsTaken());
    }
}

}  // namespace
// Attribute names are found whatever case the page wrote them in, in HTML and in SVG.
TEST(CssStyle, AttributesWrittenInCapitalsAreFound)
{
    const HtmlDocument doc("<div ID=a CLASS='B c' Style='color:red' HREF><svg ID=s viewBox='0 0 1 1' CLASS=d></svg></div>");
    const Node div = findById(doc, "a");
    const Node svg = findById(doc, "s");
    ASSERT_NE(div, nullptr);
    ASSERT_NE(svg, nullptr);
    EXPECT_EQ(HtmlDocument::attribute(div, "class"), std::optional<std::string_view>("B c"));
    EXPECT_EQ(HtmlDocument::attribute(div, "style"), std::optional<std::string_view>("color:red"));
    EXPECT_EQ(HtmlDocument::attribute(div, "href"), std::optional<std::string_view>(""));
    EXPECT_EQ(HtmlDocument::attribute(div, "lang"), std::nullopt);
    EXPECT_EQ(HtmlDocument::attribute(svg, "class"), std::optional<std::string_view>("d"));
}

}  // namespace sorvane
