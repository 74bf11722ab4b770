// What the block walk counts of a page's text: its visible characters and its sentence
// punctuation, whatever the script and however long the text runs.
#include "engine/clean/block_scores.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/clean/text_marks.h"
#include "engine/render/html_renderer.h"

namespace sorvane::clean {
namespace {

// The page's first block: the counts of the whole text.
BlockStats statsOf(const std::string& html)
{
    BlockStats out;
    HtmlContext context;
    context.renderPage = [&out](const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style,
                                std::size_t) {
        out = collectBlockStats(doc, root, style).front();
        return Text();
    };
    renderHtml(html, context);
    return out;
}

TEST(BlockScores, CharactersAndPunctuationAreCounted)
{
    const std::string english = "He pushed the door open, the rain had not stopped. She did not answer! ";
    const std::string chinese = "他推开门，雨还没有停。“明天一早，我们走。”他说。";
    const std::string cases[] = {
        english,
        "abcdefgh ijklmnop qrstuvwx yz",  // letters and spaces only, in blocks of eight and across them
        "x1234567890 digits: 42. {braces} [brackets] @at ~tilde",
        chinese,
        "他推开门 and the rain, 雨还没有停。Mixed: 和中文, ok? ",
        // Long runs: the parser reads text this long from the page itself.
        [&] {
            std::string s;
            for (int i = 0; i < 60; ++i)
                s += (i % 3 == 0 ? chinese : english) + "\xC2\xA0\xC2\xA0";
            return s;
        }(),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        // An independent count: every character that is not blank, and the sentence marks.
        std::uint32_t chars = 0;
        std::uint32_t punctuation = 0;
        for (char16_t c : fromUtf8(text)) {
            if (isBlank(c) || c == u'\n' || c == u'\r' || c == u'\f')
                continue;
            ++chars;
            punctuation += isSentencePunctuation(c) ? 1 : 0;
        }
        const BlockStats page = statsOf("<html><body><div>" + text + "</div></body></html>");
        EXPECT_EQ(page.chars, chars);
        EXPECT_EQ(page.punctuation, punctuation);
    }
}

}  // namespace
}  // namespace sorvane::clean
