// The story of one page: which block is kept, which heading goes with it, what inside the
// block is left out, and which pages give no story at all.
#include "engine/clean/page_story.h"

#include <gtest/gtest.h>

#include "engine/render/html_renderer.h"

namespace sorvane::clean {
namespace {

struct Rendered {
    std::string text;  // "\n" for each CR LF
    PageStory story;
};

Rendered renderPage(const std::string& html)
{
    Rendered out;
    HtmlContext context;
    context.renderPage = [&out](const HtmlDocument& doc, HtmlDocument::Node root, const PageStyle& style,
                                std::size_t sizeHint) { return renderStory(doc, root, style, sizeHint, out.story); };
    std::string text = toUtf8(renderHtml(html, context));
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.replace(at, 2, "\n");
    out.text = text;
    return out;
}

// A site's menus, navigation and footer around a block of text broken by <br>.
const std::string kAround = R"(<div class="nav"><a href="/">首页</a> <a href="/a">玄幻</a> <a href="/b">武侠</a></div>
<div class="bottem"><a href="1.html">上一章</a> <a href="list.html">目录</a> <a href="2.html">下一章</a></div>)";
const std::string kText = "他推开门，雨还没有停。<br><br>她没有回答，只是把信放在桌上。<br><br>“明天一早，我们走。”他说。";
const std::string kStory = "他推开门，雨还没有停。\n\n她没有回答，只是把信放在桌上。\n\n“明天一早，我们走。”他说。";
const std::string kFooter = R"(<div class="footer">本站内容来自网络，如有侵权请联系删除。</div>)";

std::string chapterLinks(int count)
{
    std::string links;
    for (int i = 1; i <= count; ++i)
        links += "<li><a href=\"" + std::to_string(i) + ".html\">第" + std::to_string(i) + "章 某地</a></li>";
    return "<ul>" + links + "</ul>";
}

TEST(PageStory, KeepsTheStoryBlockAndItsHeading)
{
    const struct {
        const char* name;
        std::string html;
        std::string text;
        PageKind kind;
        bool headingFirst;
    } cases[] = {
        {"the heading before the text, furniture around both",
         kAround + "<h1>第一章 山雨</h1><div id=\"content\">" + kText + "</div>" + kFooter, "第一章 山雨\n" + kStory,
         PageKind::Story, true},
        {"the chapter's heading, not the book's name in the header",
         "<header><h1>青梧长歌</h1></header>" + kAround + "<h2>第二章 渡口</h2><div>" + kText + "</div>",
         "第二章 渡口\n" + kStory, PageKind::Story, true},
        {"paragraphs: the block that holds them all, a short first one included",
         "<h1>第三章 灯下</h1><div class=\"read\"><p>“嗯。”</p><p>他推开门，雨还没有停，风从河面上吹过来，"
         "灯笼晃个不停。她没有回答，只是把信放在桌上，看了他一眼。</p></div>" + kFooter,
         "第三章 灯下\n\n“嗯。”\n\n他推开门，雨还没有停，风从河面上吹过来，灯笼晃个不停。她没有回答，只是把信放在桌上，"
         "看了他一眼。",
         PageKind::Story, true},
        {"without a heading element, the chapter's part of the title",
         "<title>第九章 归途_青梧长歌_松风书坊</title>" + kAround + "<div id=\"content\">" + kText + "</div>",
         "第九章 归途\n\n" + kStory, PageKind::Story, true},
        {"link clusters and hidden text inside the block are left out",
         "<h1>第四章 茶楼</h1><div id=\"content\">他推开门，<span style=\"display:none\">site.com</span>雨还没有停。"
         "<br><br><div class=\"pager\"><a href=\"1\">上一页</a> <a href=\"2\">下一页</a></div>"
         "她没有回答，只是把信放在桌上。<br><br>“明天一早，我们走。”他说。</div>",
         "第四章 茶楼\n" + kStory, PageKind::Story, true},
        {"the heading inside the block comes first",
         kAround + "<div id=\"content\"><h3>第五章 码头</h3>" + kText + "</div>", "第五章 码头\n" + kStory,
         PageKind::Story, true},
        {"no heading at all", kAround + "<div id=\"content\">" + kText + "</div>" + kFooter, kStory, PageKind::Story,
         false},
        {"a page too small to choose from is kept whole", "<p>第一章</p><p>完</p>", "第一章\n\n完", PageKind::Story,
         false},
        {"a table of contents", "<h1>青梧长歌</h1><p>作者：秦墨</p>" + chapterLinks(12), "", PageKind::Contents, false},
        {"a book's page: a short blurb, the latest chapters and the list",
         "<h1>青梧长歌</h1><div id=\"intro\"><p>一座边城，一段旧事。几个被时代卷走的人，在桥下等了三十年。</p></div>" +
             chapterLinks(3) + chapterLinks(30),
         "", PageKind::Contents, false},
        {"a short chapter with a list of chapters at its foot is a chapter",
         "<h1>第六章 竹林</h1><div id=\"content\">" + kText + "</div>" + chapterLinks(10), "第六章 竹林\n" + kStory,
         PageKind::Story, true},
        {"only links", "<a href=\"/\">首页</a> <a href=\"/s\">书架</a> <a href=\"/r\">排行</a>", "", PageKind::Contents,
         false},
        {"nothing shown", "<body><img src=\"cover.jpg\"><script>var a = 1;</script></body>", "", PageKind::NoText,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rendered r = renderPage(c.html);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.story.kind, c.kind);
        EXPECT_EQ(r.story.headingFirst, c.headingFirst);
    }
}

TEST(PageStory, WhatWasLeftOutIsKeptForTheListing)
{
    const Rendered r = renderPage(kAround + "<h1>第一章 山雨</h1><div id=\"content\">" + kText + "</div>" + kFooter);
    EXPECT_EQ(toUtf8(r.story.removed), "首页 玄幻 武侠\r\n上一章 目录 下一章\r\n本站内容来自网络，如有侵权请联系删除。");
}

}  // namespace
}  // namespace sorvane::clean
