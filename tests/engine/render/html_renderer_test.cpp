// Rendering rules on small documents: line breaks, white space, hidden content,
// parser repairs, and the few places where the text differs from innerText (CR LF,
// no-break space).
#include <gtest/gtest.h>

#include "engine/render/html_renderer.h"

namespace sorvane {
namespace {

struct Case {
    const char* name;
    const char* html;
    const char* text;  // UTF-8, "\n" written as CR LF by the test
};

Text expectedText(const char* utf8)
{
    Text out;
    for (char16_t c : fromUtf8(utf8)) {
        if (c == u'\n')
            out += u"\r\n";
        else
            out.push_back(c);
    }
    return out;
}

void check(const Case* begin, const Case* end)
{
    for (const Case* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->name);
        EXPECT_EQ(toUtf8(renderHtmlUtf8(c->html)), toUtf8(expectedText(c->text))) << c->html;
    }
}

TEST(HtmlRenderer, LineBreaksAndParagraphs)
{
    const Case cases[] = {
        {"empty document", "", ""},
        {"only markup", "<html><head><title>t</title></head><body></body></html>", ""},
        {"paragraphs", "<p>one</p><p>two</p>", "one\n\ntwo"},
        {"divs", "<div>one</div><div>two</div>", "one\ntwo"},
        {"paragraph in div merges", "<div>a<div><p>b</p></div>c</div>", "a\n\nb\n\nc"},
        {"br inside paragraph", "<p>a<br>b</p><p>c</p>", "a\nb\n\nc"},
        {"br at start is kept", "<br>a", "\na"},
        {"br at end is kept", "a<br>", "a\n"},
        {"br then block", "<div>a<br></div><div>b</div>", "a\n\nb"},
        {"headings and lists", "<h2>Title</h2><ul><li>one</li><li>two</li></ul>", "Title\none\ntwo"},
        {"empty blocks merge", "a<div></div><div></div><p></p>b", "a\n\nb"},
        {"hr", "a<hr>b", "a\nb"},
        {"block inside inline", "<span>a<div>b</div>c</span>", "a\nb\nc"},
        {"text after body", "<body><p>a</p></body>b", "a\n\nb"},
        {"frameset gives nothing", "<frameset><frame src=a.html></frameset>", ""},
        {"blockquote and address", "<blockquote>q</blockquote><address>ad</address>", "q\nad"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(HtmlRenderer, WhiteSpace)
{
    const Case cases[] = {
        {"collapse across elements", "<div><b>a </b> <i> b</i></div>", "a b"},
        {"newline in chinese text", "<p>中\n文</p>", "中 文"},
        {"nbsp is a plain space", "<p>a&nbsp;&nbsp;b</p>", "a  b"},
        {"nbsp indent survives", "<p>&nbsp;&nbsp;x</p>", "  x"},
        {"ideographic space kept", "<p>&#12288;&#12288;x　y</p>", "　　x　y"},
        {"tabs collapse", "<p>a\t\tb</p>", "a b"},
        {"pre keeps everything", "<pre>  a\n\n  b  </pre>", "  a\n\n  b  "},
        {"pre drops its first newline", "<pre>\nx</pre>", "x"},
        {"textarea gives no text", "<p>a<textarea>  t  \n</textarea>b</p>", "ab"},
        {"listing", "<listing>\n a  b</listing>", " a  b"},
        {"pre-wrap in style", "<div style=\"white-space: pre-wrap\">a  b\nc</div>", "a  b\nc"},
        {"pre-line in style", "<div style='WHITE-SPACE:PRE-LINE'>a  b \n  c</div>", "a b\nc"},
        {"body white-space", "<body style='white-space:pre'>a  b</body>", "a  b"},
        {"nobr collapses", "<nobr>a   b</nobr>", "a b"},
        {"soft hyphen kept", "<p>ab&shy;cd</p>", "ab\u00ADcd"},
        {"character references", "<p>&amp; &lt;&gt; &copy; &#x4E2D;&#25991; &quot;</p>", "& <> © 中文 \""},
        {"astral character", "<p>&#x1F600;</p>", "\U0001F600"},
        {"CR from a reference collapses", "<p>a&#13;b</p>", "a b"},
        {"spaces around image kept", "<p>a <img src=x> b</p>", "a  b"},
        {"words, single spaces and a reference out of range",
         "<p> one two  three\nfour </p><p>abcdefgh&#x110000;ijklmnopq\u00E9 r</p>",
         "one two three four\n\nabcdefgh\uFFFDijklmnopq\u00E9 r"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(HtmlRenderer, HiddenContent)
{
    const Case cases[] = {
        {"head parts", "<head><title>T</title><style>p{}</style><script>s()</script></head><p>x", "x"},
        {"script in body", "<p>a<script>document.write('b')</script>c</p>", "ac"},
        {"noscript", "<p>a<noscript>n</noscript>b</p>", "ab"},
        {"template", "<template>t</template>x", "x"},
        {"hidden attribute", "<div hidden>h</div><p>x", "x"},
        {"hidden attribute overridden by style", "<p hidden style='display:block'>x</p>", "x"},
        {"input hidden any case", "a<input type=HIDDEN value=v>b", "ab"},
        {"display none in style", "a<span style='DISPLAY: NONE !important'>h</span>b", "ab"},
        {"visibility hidden", "a<span style='visibility:hidden'>h</span>b", "ab"},
        {"visible child of hidden", "<div style='visibility:hidden'>h<b style='visibility:visible'>v</b></div>", "v"},
        {"image alt not shown", "<p>a<img alt='picture'>b</p>", "ab"},
        {"iframe content not shown", "<p>a<iframe src='http://example.com/'>f</iframe>b</p>", "ab"},
        {"object fallback not shown", "<p>a<object data='x.swf'>o</object>b</p>", "ab"},
        {"closed details shows summary", "<details><summary>S</summary><p>body</p></details>", "S"},
        {"open details shows all", "<details open><summary>S</summary><p>body</p></details>", "S\n\nbody"},
        {"dialog without open", "<dialog>d</dialog>x", "x"},
        {"select shows options", "<select><option>one<option>two</select>", "one\ntwo"},
        {"optgroup label not shown", "<select><optgroup label=L><option>o</optgroup></select>", "o"},
        {"svg text only", "<svg><title>t</title><text>a</text><defs><text>d</text></defs></svg>", "a"},
        {"hidden body still shown", "<body style='display:none'><p>x</p></body>", "x"},
        {"rp hidden, rt shown", "<ruby>漢<rp>(</rp><rt>kan</rt><rp>)</rp></ruby>", "漢kan"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(HtmlRenderer, SvgAndMathText)
{
    const Case cases[] = {
        {"svg texts one per line", "<p>a</p><svg><text>one</text><text>two <tspan>2</tspan></text></svg><p>b</p>",
         "a\n\none\ntwo 2\n\nb"},
        {"svg text in a group", "x<svg><g><text>in</text></g><text>out</text></svg>y", "x\nin\nout\ny"},
        {"text path runs on", "<svg><text>a<textPath>b</textPath>c</text></svg>", "abc"},
        {"svg text hidden", "<svg><text style='display:none'>h</text><text>v</text></svg>", "v"},
        {"inline math runs on", "<p>so <math><mi>x</mi><mo>=</mo><mn>2</mn></math> here</p>", "so x=2 here"},
        {"block math own line", "a<math display=block><mi>E</mi><mo>=</mo><mi>m</mi></math>b", "a\nE=m\nb"},
        {"math annotation not shown",
         "<math><semantics><mi>y</mi><annotation encoding='TeX'>y</annotation>"
         "<annotation-xml><mi>z</mi></annotation-xml></semantics></math>",
         "y"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(HtmlRenderer, TablesAndLayout)
{
    const Case cases[] = {
        {"cells and rows", "<table><tr><td>a<td>b<tr><td>c<td>d</table>", "a\tb\nc\td"},
        {"empty cells keep tabs", "<table><tr><td>a<td><td>c</table>", "a\t\tc"},
        {"rows across groups", "<table><thead><tr><th>h</thead><tbody><tr><td>b</tbody><tfoot><tr><td>f</tfoot></table>",
         "h\nb\nf"},
        {"hidden cell still separates", "<table><tr><td>a<td style='display:none'>x<td>c</table>", "a\tc"},
        {"last cell hidden", "<table><tr><td>a<td style='display:none'>x</table>", "a"},
        {"caption", "<table><caption>cap</caption><tr><td>a</table>", "cap\na"},
        {"table between text", "a<table><tr><td>b</table>c", "a\nb\nc"},
        {"nested table", "<table><tr><td><table><tr><td>i<td>j</table><td>o</table>", "i\tj\n\to"},
        {"white space in cells", "<table>\n <tr>\n  <td> a </td>\n  <td> b </td>\n </tr>\n</table>", "a\tb"},
        {"flex items are blocks", "<div style='display:flex'><span>1</span><span>2</span></div>", "1\n2"},
        {"contents body in a flex root", "<html style='display:flex'><body style='display:contents'><span>1</span>"
         "<span>2</span>", "1\n2"},
        {"float makes a block", "a<span style='float:right'>b</span>c", "a\nb\nc"},
        {"inline-block", "a<span style='display:inline-block'> b </span>c", "abc"},
        {"display block on span", "a<span style='display:block'>b</span>c", "a\nb\nc"},
        {"display contents", "<p style='display:contents'>a</p>b", "ab"},
        {"list-item", "a<span style='display:list-item'>b</span>c", "a\nb\nc"},
        {"button text", "<p>a<button>ok</button>b</p>", "aokb"},
        {"text-transform", "<p style='text-transform:uppercase'>abc</p><p style='text-transform:capitalize'>ab cd</p>",
         "ABC\n\nAb Cd"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(HtmlRenderer, StyleSheets)
{
    const Case cases[] = {
        {"class hides", "<style>.ad{display:none}</style><p>a<span class='x ad'>AD</span>b", "ab"},
        {"case of names ignored", "<style>.Ad{DISPLAY:NONE}</style><p>a<span class='aD'>AD</span>b", "ab"},
        {"id and tag", "<style>#n, em {display:none}</style><p>a<i id=n>1</i><em>2</em>b", "ab"},
        {"descendant", "<style>div .w {display:none}</style><span class=w>1</span><div><p><b class=w>2</b>x", "1\n\nx"},
        {"child", "<style>div > b {display:none}</style><div><b>1</b><i><b>2</b></i></div>", "2"},
        {"specificity beats order", "<style>#k{display:block} .c{display:none}</style>a<span id=k class=c>b</span>c",
         "a\nb\nc"},
        {"later rule wins", "<style>.c{display:none} .c{display:inline}</style>a<span class=c>b</span>c", "abc"},
        {"style attribute beats rule", "<style>.c{display:none}</style>a<span class=c style='display:inline'>b</span>",
         "ab"},
        {"important beats attribute", "<style>.c{display:none!important}</style>a<span class=c style='display:inline'>b</span>",
         "a"},
        {"visibility and white-space", "<style>.h{visibility:hidden}.p{white-space:pre}</style><span class=h>x</span>"
                                       "<div class=p>a  b</div>", "a  b"},
        {"pseudo-class rules ignored", "<style>a:hover{display:none} p[x]{display:none} p+p{display:none}</style>"
                                       "<p x>1</p><p>2</p>", "1\n\n2"},
        {"print media ignored", "<style>@media print{.n{display:none}} @media screen{.s{display:none}}</style>"
                                "<p class=n>n</p><p class=s>s</p>", "n"},
        {"print sheet ignored", "<style media=print>p{display:none}</style><p>x", "x"},
        {"other sheet types ignored", "<style type='text/less'>p{display:none}</style><p>x", "x"},
        {"comments and at-rules", "<style>@import url(x.css); /* p{display:none} */ @font-face{font-family:x}"
                                  "p{color:red}</style><p>x", "x"},
        {"sheet in body", "<p>a<style>.z{display:none}</style><span class=z>z</span>b", "ab"},
        {"body rule", "<style>body{white-space:pre}</style><body>a  b", "a  b"},
        {"unclosed block", "<style>.z{display:none</style><p class=z>x<p>y", "y"},
    };
    check(std::begin(cases), std::end(cases));
}

TEST(HtmlRenderer, ParserRepairs)
{
    const Case cases[] = {
        {"unclosed paragraphs", "<p>a<p>b<p>c", "a\n\nb\n\nc"},
        {"misnested formatting", "<p>a<b>b<p>c</b>d", "ab\n\ncd"},
        {"stray end tags", "a</div></span>b</p>c", "ab\n\nc"},
        {"unclosed list items", "<ul><li>a<li>b</ul>", "a\nb"},
        {"unclosed table", "<table><tr><td>a", "a"},
        {"text in table is moved before it", "<table>x<tr><td>a</table>", "x\na"},
        {"cut-off tag", "a<div", "a"},
        {"cut-off comment", "a<!-- b", "a"},
        {"bogus comment", "a<? b ?>c", "ac"},
        {"uppercase tags", "<P>A</P><DIV>B</DIV>", "A\n\nB"},
        {"plaintext swallows markup", "<plaintext><p>x</p>", "<p>x</p>"},
    };
    check(std::begin(cases), std::end(cases));
    // NUL characters inside text are dropped or replaced by the parser, never kept.
    const Text withNul = renderHtmlUtf8(std::string_view("<p>a\0b</p>", 10));
    EXPECT_EQ(withNul.find(u'\0'), Text::npos);
    EXPECT_EQ(withNul.front(), u'a');
    EXPECT_EQ(withNul.back(), u'b');
}

}  // namespace
}  // namespace sorvane
