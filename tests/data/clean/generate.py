#!/usr/bin/env python3
"""Writes the web-novel corpus of the cleaning tests: for every book, its chapter pages as
six made-up novel sites lay them out (see NOTE), and expected.txt, the book a reader
wants: each chapter's heading once, tidied, then its story, nothing of the site's.

    generate.py            rewrites the small corpus beside this file (the golden books)
    generate.py --big DIR  writes a larger corpus into DIR for measuring: more chapters a
                           book, and story.txt (the story lines, in order) instead of
                           expected.txt

The story text is made up here from hand-written sentence patterns; the site names and web
addresses are invented. The expected books are written from the same story text the pages
are built from, never from the program's output."""

import os
import random
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
INDENT = "\u3000\u3000"

# ---------------------------------------------------------------------------------------
# Story text

HANS_NAMES = ["林秋", "沈砚", "老周", "小满", "阿青", "温掌柜", "陆行舟", "许三娘", "程七", "苏晚"]
HANS_PLACES = ["渡口", "客栈", "山门", "旧院", "茶楼", "码头", "竹林", "城墙下", "祠堂", "石桥边"]
HANS_THINGS = ["一封旧信", "半块玉佩", "一盏油灯", "那把铜钥匙", "一张地图", "两只木匣", "一串铜钱", "那本账册"]
HANS_WEATHER = ["雨还没有停", "风从河面上吹过来", "天色渐渐暗了", "远处传来几声狗叫", "雾气慢慢散开",
                "檐下的灯笼晃个不停", "月亮躲进了云里", "街上已经没有行人"]
HANS_PATTERNS = [
    "{a}推开{p}的门，{w}。",
    "“{q}”{a}低声问道。",
    "{a}没有回答，只是把{t}放在桌上，看了{b}一眼。",
    "{b}想了想，说：“明天一早，我们去{p}看看。”",
    "{w}，{a}把衣领拉高了一些，脚步却没有停。",
    "这一夜，{a}睡得并不安稳，梦里总是{p}的影子。",
    "{b}笑了一声，转身走向{p}，背影很快被夜色吞没。",
    "{a}数了数手里的{t}，心里盘算着还差多少。",
    "“你早就知道了，对不对？”{b}盯着{a}，声音有些发抖。",
    "屋里很静，只听得见{t}被翻动的声音。",
    "{a}忽然想起，三年前在{p}，也是这样一个晚上。",
    "等{b}回过神来，{a}已经走出了很远。",
    "{w}。{a}站在{p}，久久没有说话。",
    "{b}把{t}收进怀里，冲{a}点了点头。",
    "“再等一等，”{a}说，“人总会来的。”",
]
HANS_QUESTIONS = ["你去哪儿了", "这是谁留下的", "还要等多久", "你听见了吗", "他们走了吗", "钥匙在哪里"]
HANS_SHORT = ["“嗯。”", "“走吧。”", "没有人回答。", "“好。”"]
HANS_TITLES = ["老地方", "雨夜来客", "旧信", "渡口", "灯下", "山门外", "半块玉佩", "账册", "远行", "归途",
               "石桥", "茶楼夜话", "风起", "码头", "旧院", "竹林深处", "城墙下", "祠堂", "晨雾", "铜钥匙"]

HANT_NAMES = ["林秋", "沈硯", "老周", "小滿", "阿青", "溫掌櫃", "陸行舟", "許三娘"]
HANT_PLACES = ["渡口", "客棧", "山門", "舊院", "茶樓", "碼頭", "竹林", "祠堂"]
HANT_THINGS = ["一封舊信", "半塊玉佩", "一盞油燈", "那把銅鑰匙", "一張地圖", "一串銅錢"]
HANT_WEATHER = ["雨還沒有停", "風從河面上吹過來", "天色漸漸暗了", "遠處傳來幾聲狗叫", "霧氣慢慢散開"]
HANT_PATTERNS = [
    "{a}推開{p}的門，{w}。",
    "“{q}”{a}低聲問道。",
    "{a}沒有回答，只是把{t}放在桌上，看了{b}一眼。",
    "{b}想了想，說：“明天一早，我們去{p}看看。”",
    "{w}，{a}把衣領拉高了一些，腳步卻沒有停。",
    "這一夜，{a}睡得並不安穩，夢裡總是{p}的影子。",
    "{b}笑了一聲，轉身走向{p}，背影很快被夜色吞沒。",
    "“你早就知道了，對不對？”{b}盯著{a}，聲音有些發抖。",
    "{a}忽然想起，三年前在{p}，也是這樣一個晚上。",
    "{w}。{a}站在{p}，久久沒有說話。",
]
HANT_QUESTIONS = ["你去哪兒了", "這是誰留下的", "還要等多久", "你聽見了嗎"]
HANT_SHORT = ["“嗯。”", "“走吧。”", "沒有人回答。"]
HANT_TITLES = ["舊地方", "雨夜來客", "舊信", "渡口", "燈下", "山門外", "半塊玉佩", "遠行", "歸途", "茶樓夜話"]

EN_NAMES = ["Mara", "Tobin", "Old Hess", "Ilse", "Captain Vey", "the clerk", "Wren", "Doran"]
EN_PLACES = ["the harbour", "the bell tower", "the workshop", "the lower market", "the tide gate", "the archive"]
EN_THINGS = ["a brass key", "the ledger", "a folded map", "the broken gear", "a sealed letter", "the lantern"]
EN_PATTERNS = [
    "{a} pushed open the door of {p}; the wind came in after her.",
    "\"{q}\" {a} asked quietly.",
    "{b} said nothing, only set {t} on the table and looked at {a}.",
    "By the time {b} looked up, {a} was already halfway to {p}.",
    "The clocks in {p} struck nine, one after another, never quite together.",
    "{a} turned {t} over in her hands, counting what was still missing.",
    "\"Tomorrow,\" {b} said. \"We go to {p} at first light.\"",
    "Rain ran down the glass, and somewhere below a cart rattled past.",
    "{a} remembered another night like this one, years ago, at {p}.",
    "Nobody in {p} would speak of it, not even {b}.",
]
EN_QUESTIONS = ["Where were you", "Who left this here", "How long do we wait", "Did you hear that"]
EN_SHORT = ["\"Yes.\"", "\"Go.\"", "Nobody answered."]
EN_TITLES = ["The Tide Gate", "A Brass Key", "Night Market", "The Archive", "Old Debts", "Gears and Salt",
             "The Bell Tower", "Low Water", "Lanterns", "The Ledger"]

LANGS = {
    "hans": (HANS_NAMES, HANS_PLACES, HANS_THINGS, HANS_WEATHER, HANS_PATTERNS, HANS_QUESTIONS, HANS_SHORT),
    "hant": (HANT_NAMES, HANT_PLACES, HANT_THINGS, HANT_WEATHER, HANT_PATTERNS, HANT_QUESTIONS, HANT_SHORT),
    "en": (EN_NAMES, EN_PLACES, EN_THINGS, ["It was late"], EN_PATTERNS, EN_QUESTIONS, EN_SHORT),
}


def paragraph(rng, lang, sentences):
    names, places, things, weather, patterns, questions, short = LANGS[lang]
    if rng.random() < 0.12:
        return rng.choice(short)
    out = []
    for _ in range(sentences):
        a, b = rng.sample(names, 2)
        s = rng.choice(patterns).format(a=a, b=b, p=rng.choice(places), t=rng.choice(things),
                                        w=rng.choice(weather), q=rng.choice(questions))
        out.append(s)
    sep = " " if lang == "en" else ""
    text = sep.join(out)
    if lang == "en":
        text = text[0].upper() + text[1:]
    return text


def chapter_story(rng, lang, paragraphs):
    return [paragraph(rng, lang, rng.randint(1, 4)) for _ in range(paragraphs)]


def heading_of(lang, number, title):
    if lang == "en":
        return f"Chapter {number}: {title}"
    numerals = "零一二三四五六七八九"
    if number <= 10:
        cn = "十" if number == 10 else numerals[number]
    elif number < 20:
        cn = "十" + numerals[number - 10]
    else:
        cn = numerals[number // 10] + "十" + (numerals[number % 10] if number % 10 else "")
    return f"第{cn}章 {title}"


def esc(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


# ---------------------------------------------------------------------------------------
# Sites. Each returns the pages of one chapter: a list of (file name, html, encoding), and
# for each page the story lines a reader keeps from it (the heading only on the first).

def pc_site(book, chapter, rng):
    """A PC layout in GBK: menus, a breadcrumb, the heading in <h1>, navigation above and
    below, the text as &nbsp;-indented lines between <br>, the site's address at its end,
    a footer with a disclaimer."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    nav = (f'<a href="/book/8/">章节目录</a> ← <a href="{n - 1}.html">上一章</a> ↓ '
           f'<a href="/book/8/">返回书页</a> → <a href="{n + 1}.html">下一章</a> <a href="#">加入书签</a>')
    shown = []
    for i, p in enumerate(story):
        line = "&nbsp;&nbsp;&nbsp;&nbsp;" + esc(p)
        if i % 3 == 1 and "，" in p:
            # Text a script-less copy never shows, against copying.
            cut = p.index("，")
            line = "&nbsp;&nbsp;&nbsp;&nbsp;" + esc(p[:cut]) + '<span class="hidden">songfengsf.com</span>' + esc(p[cut:])
        shown.append(line)
        if i == len(story) // 2:
            shown.append('<div class="ad_content"><script>show_ad(2);</script></div>')
    body = "<br />\n<br />\n".join(shown)
    latest = "".join(f'<li><a href="{k}.html">{esc(heading_of("hans", k, HANS_TITLES[(k - 1) % len(HANS_TITLES)]))}</a></li>'
                     for k in range(n + 1, n + 11))
    html = f"""<!DOCTYPE html>
<html><head><meta http-equiv="Content-Type" content="text/html; charset=gbk">
<title>{esc(heading)}_{book}_松风书坊</title>
<script type="text/javascript">var bookid = 8, chapterid = {n};</script>
<style>.hidden {{ display: none }} #content {{ font-size: 18px }}</style>
</head><body>
<div id="wrapper">
<div class="header"><div class="logo"><a href="/">松风书坊</a></div>
<div class="search"><form action="/s"><input name="q" value=""><button>搜索</button></form></div>
<div class="userpanel"><a href="/login">登录</a> | <a href="/reg">注册</a></div></div>
<div class="nav"><ul><li><a href="/">首页</a></li><li><a href="/c/1/">玄幻小说</a></li>
<li><a href="/c/2/">武侠小说</a></li><li><a href="/c/3/">都市小说</a></li><li><a href="/c/4/">历史小说</a></li>
<li><a href="/top/">排行榜单</a></li><li><a href="/full/">完本小说</a></li></ul></div>
<div class="content_read"><div class="box_con">
<div class="con_top"><a href="/">松风书坊</a> &gt; <a href="/book/8/">{book}</a> &gt; {esc(heading)}</div>
<div class="bookname"><h1>{esc(heading)}</h1>
<div class="bottem1">{nav}</div>
<div class="lm">推荐阅读：<a href="/b/1/">霜刃问天</a>、<a href="/b/2/">青灯古卷</a>、<a href="/b/3/">星海孤舟</a></div></div>
<div id="content">{body}<br />
<br />
请记住本书首发域名：songfengsf.com。松风书坊手机版阅读网址：m.songfengsf.com</div>
<div class="bottem2">{nav}</div>
<div class="hidden">松风书坊防采集文字</div>
</div></div>
<div class="sidebar"><h3>最新章节</h3><ul>{latest}</ul>
<h3>热门小说</h3><ul><li><a href="/b/5/">长夜将明</a></li><li><a href="/b/6/">剑落江南</a></li><li><a href="/b/7/">云海归舟</a></li></ul></div>
<div class="footer"><div class="footer_cont">
<p>本站收录的作品均来自网络，仅供交流试读，请在阅读后二十四小时内删除。</p>
<p>如有侵权请来信告知，我们会尽快处理。</p>
<p>Copyright &copy; 2021 松风书坊 All Rights Reserved.</p></div></div>
</div></body></html>
"""
    return [(f"{n}.html", html, "gbk")], [[heading] + story]


def mobile_site(book, chapter, rng, subpages):
    """A mobile layout in UTF-8 that splits a chapter over sub-pages (9.html, 9_2.html,
    ...): the book's name in the header, reading tools, "(1/3)" after the heading, the
    text in <p>, a "continued on the next page" notice, pager links, the site's address."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    pages = []
    lines = []
    cut = [round(len(story) * k / subpages) for k in range(subpages + 1)]
    for k in range(subpages):
        name = f"{n}.html" if k == 0 else f"{n}_{k + 1}.html"
        part = story[cut[k]:cut[k + 1]]
        lines.append(([heading] if k == 0 else []) + part)
        paras = "\n".join(f"<p>{esc(p)}</p>" for p in part)
        more = "\n<p>（本章未完，请点击下一页继续阅读）</p>" if k + 1 < subpages else ""
        counter = f" ({k + 1}/{subpages})"
        html = f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><meta name="viewport" content="width=device-width">
<title>{esc(heading)}{counter}_{book}_云间阅读</title></head>
<body>
<header class="header"><a class="back" href="javascript:history.back()">返回</a>
<h1 class="bookname">{book}</h1><a class="shelf" href="/shelf">书架</a></header>
<nav class="readset"><a href="#">设置</a> <a href="#">关灯</a> <a href="#">大</a> <a href="#">中</a> <a href="#">小</a></nav>
<h1 class="title">{esc(heading)}{counter}</h1>
<div class="pager"><a href="#">上一页</a><a href="/list/5/">目录</a><a href="#">下一页</a></div>
<div id="chaptercontent" class="Readarea ReadAjax_content">
{paras}{more}
</div>
<div class="pager"><a href="#">上一页</a><a href="/list/5/">目录</a><a href="#">下一页</a></div>
<div class="tips">请记住本站域名：m.yjread.net，方便下次阅读。</div>
<div class="hot"><h3>热门推荐</h3><ul>
<li><a href="/b/11/">霜刃问天</a><p>一个少年走出山村，在江湖中寻找失散多年的师父。</p></li>
<li><a href="/b/12/">青灯古卷</a><p>古寺藏经阁里的一卷残书，牵出一段百年恩怨。</p></li>
<li><a href="/b/13/">星海孤舟</a><p>她独自驾船穿过星海，只为把一封信送到尽头。</p></li>
</ul></div>
<footer><p>云间阅读 m.yjread.net</p></footer>
</body></html>
"""
        pages.append((name, html, "utf-8"))
    return pages, lines


def traditional_site(book, chapter, rng):
    """A Traditional Chinese layout in UTF-8: the book's name before the heading, a word
    count and update time, navigation, the text in <p> with full-width site addresses
    pasted into some paragraphs."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    ads = ["ｑｘ看書 ｗww．ｑｘｋａｎ９．com", "ｑx看書 ｗｗｗ．qxkan9．ｃｏｍ", "（ｑｘ看書 ｗww。qxkan9。com）"]
    shown = []
    for i, p in enumerate(story):
        if i % 4 == 2 and "。" in p[:-1]:
            cut = p.index("。") + 1
            p = p[:cut] + " " + ads[i % len(ads)] + " " + p[cut:]
        shown.append(p)
    paras = "\n".join(f"<p>　　{esc(p)}</p>" for p in shown)
    nav = ('<a href="#">上一章</a> | <a href="/d/3/">目錄</a> | <a href="#">下一章</a> | '
           '<a href="#">加入書籤</a> | <a href="#">投推薦票</a>')
    html = f"""<html><head><meta charset="UTF-8"><title>{book} {esc(heading)} - 青竹小說網</title></head>
<body>
<div class="topbar"><a href="/">首頁</a> <a href="/shelf">書架</a> <a href="/rank">排行</a></div>
<div class="reader">
<div class="read-head"><h1 class="chapter-title">{book} {esc(heading)}</h1>
<div class="info">本章字數：{len(''.join(story))} 更新時間：2021-03-{n % 28 + 1:02d} 12:{n % 60:02d}</div></div>
<div class="read-nav">{nav}</div>
<div class="read-content">
{paras}
</div>
<div class="read-nav">{nav}</div>
</div>
<div class="footer">本站所有小說均來自網友上傳，如有侵權請聯繫刪除。</div>
</body></html>
"""
    return [(f"{n}.html", html, "utf-8")], [[heading] + story]


def table_site(book, chapter, rng):
    """An old table layout in GB2312: the heading with a volume prefix and a number
    ("正文 22.第22章 …") in a plain cell and in the <title>, the book and author at the top
    of the text, links in cells above and below."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    shown = f"正文 {n}.{heading}"
    body = "<br><br>\n".join("　　" + esc(p) for p in story)
    html = f"""<html>
<head><meta http-equiv=Content-Type content="text/html; charset=gb2312">
<title>{book} {esc(shown)}</title></head>
<body bgcolor=#E7F4FE>
<table width=900 align=center border=0>
<tr><td class=top><a href="/">北岭书屋</a> <a href="/">首页</a> <a href="/quanben/">全本小说</a> <a href="/top/">排行</a></td></tr>
<tr><td class=bt align=center><font size=4>{esc(shown)}</font></td></tr>
<tr><td align=center><a href="#">上一章</a>　<a href="index.html">返回目录</a>　<a href="#">下一章</a></td></tr>
<tr><td id=htmlContent class=zw>{book} 作者：秦墨<br><br>
{body}</td></tr>
<tr><td align=center><a href="#">上一章</a>　<a href="index.html">返回目录</a>　<a href="#">下一章</a></td></tr>
<tr><td class=copyright align=center>北岭书屋 beilingsw.com 版权所有</td></tr>
</table></body></html>
"""
    return [(f"{n}.html", html, "gb2312")], [[heading] + story]


def english_site(book, chapter, rng):
    """An English layout: a menu bar, a breadcrumb, the heading in <h2>, chapter links,
    paragraphs with the site's address pasted into some, comments, a copyright footer."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    shown = []
    for i, p in enumerate(story):
        if i % 5 == 3:
            p = p + " Find the original at www.novelharbor.com for the latest chapters."
        shown.append(p)
    paras = "\n".join(f"<p>{esc(p)}</p>" for p in shown)
    nav = ('<a href="#">Previous Chapter</a> | <a href="/novel/tide/">Table of Contents</a> | '
           '<a href="#">Next Chapter</a>')
    html = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>{esc(heading)} - {book} - NovelHarbor</title></head>
<body>
<nav class="navbar"><a href="/">Home</a> <a href="/genres">Genres</a> <a href="/latest">Latest Updates</a> <a href="/login">Login</a></nav>
<div class="container">
<div class="breadcrumb"><a href="/">Home</a> / <a href="/novel/tide/">{book}</a> / Chapter {n}</div>
<h2 class="chapter-title">{esc(heading)}</h2>
<div class="chapter-nav">{nav}</div>
<div id="chapter-content">
{paras}
</div>
<div class="chapter-nav">{nav}</div>
<div class="comments"><h3>Comments (3)</h3>
<div class="comment"><b>reader42</b>: Thanks for the chapter!</div>
<div class="comment"><b>tidewatcher</b>: The clock scene gets me every time.</div>
<div class="comment"><b>k_l</b>: Waiting for the next one.</div>
<div class="comment"><b>morrow</b>: I reread the harbour chapters last night. The way the author keeps the bells in the background, always a little out of step, is what makes this story for me. Can't wait to see where Mara goes next.</div></div>
</div>
<footer>&copy; 2023 NovelHarbor. All rights reserved.</footer>
</body></html>
"""
    return [(f"{n}.html", html, "utf-8")], [[heading] + story]


def plain_site(book, chapter, rng, subpages):
    """A bare mobile layout in GBK with no heading element: the heading only in the
    <title>; at the top of the text the book's name and the heading with a page counter
    ("（第1/2页）"); pager links below."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    pages = []
    lines = []
    cut = [round(len(story) * k / subpages) for k in range(subpages + 1)]
    for k in range(subpages):
        name = f"{n}.html" if k == 0 else f"{n}_{k + 1}.html"
        part = story[cut[k]:cut[k + 1]]
        lines.append(([heading] if k == 0 else []) + part)
        body = "<br><br>".join("　　" + esc(p) for p in part)
        html = f"""<html><head><meta http-equiv="Content-Type" content="text/html; charset=gbk">
<title>{esc(heading)}_{book}</title></head><body>
<div id="top"><a href="/">寒江书友</a> <span>书友阅读</span></div>
<div id="nr1">{book}<br>{esc(heading)}（第{k + 1}/{subpages}页）<br><br>{body}</div>
<div class="nr_page"><a href="#">上一页</a> <a href="index.html">目录</a> <a href="#">下一页</a></div>
<div class="foot">手机阅读 m.hjsy.cc</div></body></html>
"""
        pages.append((name, html, "gbk"))
    return pages, lines


def divs_site(book, chapter, rng):
    """A layout in UTF-8 whose text block holds the heading ("书名 第一卷 风起 第N章 …"),
    the reading tools and paragraphs as <div>s, with chapter links inside the block and a
    list of thirty chapters at the foot of every page."""
    n, heading, story = chapter["number"], chapter["heading"], chapter["story"]
    paras = "\n".join(f'<div class="p">{esc(p)}</div>' for p in story)
    foot = "".join(f'<li><a href="{k}.html">{esc(heading_of("hans", k, HANS_TITLES[(k - 1) % len(HANS_TITLES)]))}</a></li>'
                   for k in range(1, 31))
    html = f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{esc(heading)}-{book}-听松小说</title>
<script>document.oncontextmenu = function () {{ return false; }};</script></head>
<body>
<div class="main">
<div class="crumb"><a href="/">听松小说</a> &raquo; <a href="/b/9/">{book}</a> &raquo; 正文</div>
<div id="BookCon">
<h3>{book} 第一卷 风起 {esc(heading)}</h3>
<div class="bookset"><a href="#">字体</a> <a href="#">大</a> <a href="#">中</a> <a href="#">小</a> <a href="#">背景</a></div>
<div id="BookText">
{paras}
</div>
<div class="link"><a href="#">上一章</a> | <a href="/b/9/">目录</a> | <a href="#">下一章</a> | <a href="#">加入书架</a></div>
</div></div>
<div class="dirbox"><h4>{book} 章节列表</h4><ul>{foot}</ul></div>
<div class="foot">听松小说 tingsong.cc 所有作品由网友上传，本站只提供阅读。</div>
</body></html>
"""
    return [(f"{n}.html", html, "utf-8")], [[heading] + story]


def contents_page(book, chapters, site_name, encoding, info):
    """A table of contents; with `info`, a book's information page: cover text, the latest
    chapters and the whole list."""
    links = "\n".join(f'<dd><a href="{c["number"]}.html">{esc(c["heading"])}</a></dd>' for c in chapters)
    intro = ""
    if info:
        latest = "\n".join(f'<li><a href="{c["number"]}.html">{esc(c["heading"])}</a></li>'
                           for c in chapters[-6:])
        intro = f"""<div id="info"><h1>{book}</h1><p>作者：秦墨</p><p>状态：连载中</p>
<div id="intro"><p>一座边城，一段旧事，几个被时代卷走的人。北岭的雪年年落下，老镇上的人来来去去，
只有那座石桥还记得当年的事。有人在桥下等了三十年，有人一去再也没有回来。这是一个关于等待、离散与重逢的故事，
也是一个小镇在时代洪流中慢慢老去的故事。</p></div>
<ul class="latest">{latest}</ul></div>"""
    charset = "utf-8" if encoding == "utf-8" else encoding
    html = f"""<html><head><meta http-equiv="Content-Type" content="text/html; charset={charset}">
<title>{book}最新章节列表_{site_name}</title></head><body>
<div class="header"><a href="/">{site_name}</a> <a href="/">首页</a></div>
{intro}
<div class="listmain"><dl><dt>《{book}》正文</dt>
{links}
</dl></div>
<div class="footer">{site_name}</div></body></html>
"""
    return ("index.html" if not info else "info.html"), html, encoding


# ---------------------------------------------------------------------------------------
# Books

SITES = [
    # folder, site maker, language, book name, sub-pages a chapter, contents pages
    ("pc-gbk", pc_site, "hans", "青梧长歌", 1, ["index"]),
    ("mobile-utf8", mobile_site, "hans", "云间客栈", 3, ["index"]),
    ("traditional", traditional_site, "hant", "鐵衣行", 1, []),
    ("table-gb2312", table_site, "hans", "北岭旧事", 1, ["index", "info"]),
    ("english", english_site, "en", "The Clockwork Tide", 1, []),
    ("bare-gbk", plain_site, "hans", "寒江钓影", 2, []),
    ("div-blocks", divs_site, "hans", "听松夜话", 1, []),
]


def encodable(text, encoding):
    try:
        text.encode(encoding)
        return True
    except UnicodeEncodeError:
        return False


def make_book(folder, maker, lang, book, subpages, contents, chapter_count, paragraphs, seed):
    rng = random.Random(seed)
    titles = {"hans": HANS_TITLES, "hant": HANT_TITLES, "en": EN_TITLES}[lang]
    chapters = []
    for k in range(chapter_count):
        number = k + 1
        story = chapter_story(rng, lang, paragraphs)
        chapters.append({"number": number, "heading": heading_of(lang, number, titles[k % len(titles)]),
                         "story": story})
    files = []
    story_lines = []
    for c in chapters:
        if subpages > 1:
            pages, lines = maker(book, c, rng, subpages)
        else:
            pages, lines = maker(book, c, rng)
        files += pages
        story_lines += lines
    site_names = {"pc-gbk": "松风书坊", "mobile-utf8": "云间阅读", "table-gb2312": "北岭书屋"}
    encoding = files[0][2]
    for kind in contents:
        # The full list of a book that runs longer than the pages saved.
        listed = chapters + [{"number": n, "heading": heading_of(lang, n, titles[(n - 1) % len(titles)])}
                             for n in range(len(chapters) + 1, max(len(chapters), 30) + 1)]
        files.append(contents_page(book, listed, site_names.get(folder, "书站"), encoding, kind == "info"))
    for name, html, enc in files:
        assert encodable(html, enc), (folder, name)
    return files, story_lines


def expected_book(story_lines):
    """The book sorvane-cli --join writes with --rest-blank 0 --encoding utf-8: every line
    longer than four characters indented with two ideographic spaces, one blank line
    between the pages of the book; a chapter over several pages gives its heading once."""
    lines = []
    for page in story_lines:
        if lines:
            lines.append("")
        for line in page:
            lines.append((INDENT if len(line) > 4 else "") + line)
    return "".join(line + "\r\n" for line in lines)


def write_pages(target, files):
    pages = os.path.join(target, "pages")
    os.makedirs(pages, exist_ok=True)
    for old in os.listdir(pages):
        os.remove(os.path.join(pages, old))
    for name, html, enc in files:
        with open(os.path.join(pages, name), "wb") as f:
            f.write(html.encode(enc))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--big":
        root = sys.argv[2]
        for i, (folder, maker, lang, book, subpages, contents) in enumerate(SITES):
            files, story = make_book(folder, maker, lang, book, subpages, contents, 40, 36, 1000 + i)
            target = os.path.join(root, folder)
            write_pages(target, files)
            with open(os.path.join(target, "story.txt"), "w", encoding="utf-8") as f:
                for page in story:
                    f.write("".join(line + "\n" for line in page))
        return
    for i, (folder, maker, lang, book, subpages, contents) in enumerate(SITES):
        files, story = make_book(folder, maker, lang, book, subpages, contents, 3, 7, 1 + i)
        target = os.path.join(HERE, folder)
        write_pages(target, files)
        with open(os.path.join(target, "expected.txt"), "wb") as f:
            f.write(expected_book(story).encode("utf-8"))


if __name__ == "__main__":
    main()
