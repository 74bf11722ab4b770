#!/usr/bin/env python3
"""Writes the golden pages of the renderer tests: <case>/input.html in the encoding the
case is about, and <case>/expected.txt, the text a browser shows for it (UTF-8, CR LF
line breaks). Run it from anywhere; it rewrites every case folder beside it."""

import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def write(case, html, encoding, expected_lines, bom=b""):
    folder = os.path.join(HERE, case)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "input.html"), "wb") as f:
        f.write(bom + html.encode(encoding))
    with open(os.path.join(folder, "expected.txt"), "wb") as f:
        f.write("\r\n".join(expected_lines).encode("utf-8"))


# A GBK page declared as gb2312 that holds characters strict GB2312 lacks (镕, 喆).
write("gbk-declared-gb2312", """<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>第一章 朱镕与陶喆</title>
<style>body { font-size: 14px; }</style>
</head>
<body>
<h1>第一章 朱镕与陶喆</h1>
<p>&nbsp;&nbsp;&nbsp;&nbsp;清晨的雾气还没有散去，镕儿已经站在河边。</p>
<p>&nbsp;&nbsp;&nbsp;&nbsp;“喆哥，你来了。”她回头一笑。</p>
<div align="center"><a href="index.html">返回目录</a> | <a href="2.html">下一章</a></div>
</body>
</html>
""", "gbk", [
    "第一章 朱镕与陶喆",
    "",
    "    清晨的雾气还没有散去，镕儿已经站在河边。",
    "",
    "    “喆哥，你来了。”她回头一笑。",
    "",
    "返回目录 | 下一章",
])

# A short GBK page with no declaration at all.
write("gbk-undeclared-short", """<html><head><title>短篇</title></head>
<body>
<p>　　他说：“今天的月亮真圆，像小时候外婆做的月饼。”</p>
<p>　　她没有回答，只是轻轻地点了点头，把手里的茶杯放下。</p>
<p>　　窗外的桂花开了，香气一阵一阵地飘进屋里。</p>
</body></html>
""", "gbk", [
    "　　他说：“今天的月亮真圆，像小时候外婆做的月饼。”",
    "",
    "　　她没有回答，只是轻轻地点了点头，把手里的茶杯放下。",
    "",
    "　　窗外的桂花开了，香气一阵一阵地飘进屋里。",
])

# A long GBK page with no declaration: a chapter of sentences in a fixed random order.
SENTENCES = [
    "山路弯弯曲曲，一直通到云里去。", "他背着行囊，走了整整三天。", "村口的老槐树下坐着几个老人。",
    "远处传来几声狗叫，又很快安静下来。", "她把信折好，放进了抽屉的最里面。", "雨下了一夜，河水涨得很高。",
    "集市上人来人往，叫卖声此起彼伏。", "师父说，剑法的要诀在于心静。", "灯火一盏一盏地亮了起来。",
    "他忽然想起了多年前的那个夏天。", "客栈的掌柜笑眯眯地迎了出来。", "风吹过竹林，沙沙作响。",
]
rng = random.Random(936)
paragraphs = ["".join(rng.choice(SENTENCES) for _ in range(rng.randint(3, 8))) for _ in range(400)]
body = "\n".join("<p>　　%s</p>" % p for p in paragraphs)
expected = []
for i, p in enumerate(paragraphs):
    if i:
        expected.append("")
    expected.append("　　" + p)
write("gbk-undeclared-long", "<html><head><title>长篇</title></head>\n<body>\n<h2>第八章　归途</h2>\n%s\n</body></html>\n" % body,
      "gbk", ["第八章　归途", ""] + expected)

# An undeclared windows-1252 page: accented letters, and the euro sign and curly quotes
# that ISO-8859-1 lacks.
write("windows-1252-undeclared", """<html><head><title>Café</title></head><body>
<h2>Le café de la gare</h2>
<p>Élodie a commandé une crème brûlée à 4,50 € — « c’est délicieux », dit-elle.</p>
<p>Müller aß Spätzle; la façade était naïve, le smörgåsbord généreux.</p>
<p>À bientôt, François !</p>
</body></html>
""", "cp1252", [
    "Le café de la gare",
    "",
    "Élodie a commandé une crème brûlée à 4,50 € — « c’est délicieux », dit-elle.",
    "",
    "Müller aß Spätzle; la façade était naïve, le smörgåsbord généreux.",
    "",
    "À bientôt, François !",
])

# An undeclared Big5 page.
write("big5-undeclared", """<html><head><title>第二章</title></head><body>
<h3>第二章　山中歲月</h3>
<p>　　這座山裡的日子過得很慢，樹葉落了又長，長了又落。</p>
<p>　　老師傅說：「學武之人，先學做人。」徒弟們都低著頭，不敢出聲。</p>
<p>　　黃昏時分，炊煙從山腳的村莊裡升起來，像一條條灰色的絲帶。</p>
</body></html>
""", "big5", [
    "第二章　山中歲月",
    "",
    "　　這座山裡的日子過得很慢，樹葉落了又長，長了又落。",
    "",
    "　　老師傅說：「學武之人，先學做人。」徒弟們都低著頭，不敢出聲。",
    "",
    "　　黃昏時分，炊煙從山腳的村莊裡升起來，像一條條灰色的絲帶。",
])

# A UTF-8 page with a byte-order mark whose <meta> says otherwise: the mark wins.
write("utf8-bom-contradicting-meta", """<html><head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
</head><body>
<p>字节顺序标记优先于声明：镕、喆、€ 都应完整显示。</p>
</body></html>
""", "utf-8", ["字节顺序标记优先于声明：镕、喆、€ 都应完整显示。"], bom=b"\xef\xbb\xbf")

# Runs of <br>: each is a line break of its own, white space around them is dropped.
write("br-runs", """<html><body>
第一段文字<br><br><br>第二段文字<br>
<br>
第三段文字
<br><br>
</body></html>
""", "utf-8", ["第一段文字", "", "", "第二段文字", "", "第三段文字", "", ""])

# Indents made of no-break spaces and ideographic spaces survive; ordinary runs of
# spaces collapse to one.
write("nbsp-indents", """<html><body>
<div>&nbsp;&nbsp;&nbsp;&nbsp;第一行用不换行空格缩进。</div>
<div>&#12288;&#12288;第二行用全角空格缩进。</div>
<div>  普通空格会被合并   成一个。</div>
<div>A&nbsp;&nbsp;B&nbsp; C</div>
</body></html>
""", "utf-8", [
    "    第一行用不换行空格缩进。",
    "　　第二行用全角空格缩进。",
    "普通空格会被合并 成一个。",
    "A  B  C",
])

# A table: cells separated by a tab, rows by a line break.
write("table", """<html><body>
<p>成绩表</p>
<table border="1">
  <thead><tr><th>姓名</th><th>语文</th><th>数学</th></tr></thead>
  <tbody>
    <tr><td>张三</td><td>90</td><td>85</td></tr>
    <tr><td>李四</td><td> 78 </td><td>92</td></tr>
  </tbody>
</table>
<p>以上。</p>
</body></html>
""", "utf-8", ["成绩表", "", "姓名\t语文\t数学", "张三\t90\t85", "李四\t78\t92", "", "以上。"])

# <pre> keeps its spaces and line breaks, such as a separator line.
write("pre-separator", """<html><body>
<p>前言</p>
<pre>
======================
  第三卷　风起
======================
</pre>
<p>正文开始。</p>
</body></html>
""", "utf-8", ["前言", "", "======================", "  第三卷　风起", "======================", "", "", "正文开始。"])

# Nothing that is not rendered gives text.
write("hidden-elements", """<!DOCTYPE html>
<html><head><title>不应出现的标题</title>
<script>document.write("脚本文字");</script>
<style>.x { color: red }</style>
</head><body>
<noscript>请启用脚本</noscript>
<p>看得见的第一段。<iframe src="http://example.com/">框架</iframe></p>
<div hidden>隐藏属性</div>
<p style="display:none">不显示的段落</p>
<p>第二段<span style="visibility:hidden">隐形</span>结束。</p>
<input type="hidden" value="隐藏值">
<template><p>模板内容</p></template>
<img src="a.png" alt="图片说明">
<script>var s = "正文里的脚本";</script>
<p>第三段。</p>
</body></html>
""", "utf-8", ["看得见的第一段。", "", "第二段结束。", "", "第三段。"])
