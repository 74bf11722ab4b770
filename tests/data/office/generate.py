#!/usr/bin/env python3
"""Writes the golden documents of the office-reader tests: <case>/input.<ext> and
<case>/expected.txt, the text a browser shows for the same document saved as HTML
(UTF-8, CR LF line breaks). RTF is written here by hand-made helpers; DOCX and ODT are
built with zipfile. Run it from anywhere; it rewrites every generated case beside it.
The DOC case is not generated here (see doc-chinese-english/MADE-WITH)."""

import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write(case, name, data, expected_lines):
    folder = os.path.join(HERE, case)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    with open(os.path.join(folder, "expected.txt"), "wb") as f:
        f.write("\r\n".join(expected_lines).encode("utf-8"))


def rtf_bytes(text, encoding):
    """Text as an RTF writer emits it in a legacy code page: every byte of a non-ASCII
    character as \\'hh, except a trail byte that is a printable ASCII letter or digit,
    which such writers put in literally (镕 is \\'e9F in GBK)."""
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append("\\" + ch if ch in "\\{}" else ch)
            continue
        raw = ch.encode(encoding)
        out.append("\\'%02x" % raw[0])
        for b in raw[1:]:
            out.append(chr(b) if chr(b).isalnum() and b < 0x80 else "\\'%02x" % b)
    return "".join(out)


def rtf_unicode(text, fallback="?"):
    """Text as \\uN escapes with a one-character stand-in each (\\uc1)."""
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append("\\" + ch if ch in "\\{}" else ch)
            continue
        for unit in ch.encode("utf-16-le").hex(" ", 2).split():
            value = int(unit[2:] + unit[:2], 16)
            out.append("\\u%d%s" % (value - 65536 if value > 32767 else value, fallback))
    return "".join(out)


# A document saved with \ansicpg936 whose Chinese is GBK bytes, with the furniture a word
# processor writes around it: font, colour and style tables, document information, a
# header and footer, a picture, bookmarks, a field, a table, hidden text, a footnote.
g = lambda s: rtf_bytes(s, "gbk")
write("rtf-gbk-ansicpg936", "input.rtf", ("".join([
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052",
    "{\\fonttbl{\\f0\\fnil\\fcharset134 ", g("宋体"), ";}{\\f1\\fswiss\\fcharset0 Arial;}}\r\n",
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n",
    "{\\stylesheet{\\s1 heading 1;}{\\s0 Normal;}}\r\n",
    "{\\info{\\title ", g("标题不显示"), "}{\\author Someone}}\r\n",
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1\r\n",
    "{\\header \\pard\\plain ", g("页眉文字"), "\\par}{\\footer \\pard\\plain ", g("页脚 1"), "\\par}\r\n",
    "\\pard\\s1\\f0\\fs32 ", g("第一章 朱镕与陶喆"), "\\par\r\n",
    "\\pard\\f0\\fs24 ", g("　　清晨的雾气还没有散去，镕儿已经站在河边。"), "\\par\r\n",
    "{\\*\\bkmkstart p2}", g("　　“喆哥，你来了。”"), "{\\*\\bkmkend p2}", g("她回头一笑"),
    "{\\v ", g("（隐藏的批注）"), "}", g("。"), "\\par\r\n",
    "{\\pict\\wmetafile8\\picw100\\pich100 0102030405060708090a0b0c0d0e0f}\r\n",
    "\\pard ", g("第一行"), "\\line ", g("第二行"), "\\tab ", g("缩进"), "\\par\r\n",
    "{\\field{\\*\\fldinst HYPERLINK \"http://example.com/\"}{\\fldrslt ", g("下一章"), "}}",
    "\\~", g("共"), "\\~3\\~", g("页"), "\\par\r\n",
    "\\trowd\\cellx2000\\cellx4000\\pard\\intbl ", g("姓名"), "\\cell ", g("年龄"), "\\cell\\row\r\n",
    "\\trowd\\cellx2000\\cellx4000\\pard\\intbl ", g("镕儿"), "\\cell 17\\cell\\row\r\n",
    "\\pard ", g("正文结束"), "{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} ",
    g("这是脚注。"), "}\\par\r\n",
    "}\r\n"]).encode("ascii")), [
    "第一章 朱镕与陶喆",
    "",
    "　　清晨的雾气还没有散去，镕儿已经站在河边。",
    "",
    "　　“喆哥，你来了。”她回头一笑。",
    "",
    "第一行",
    "第二行\t缩进",
    "",
    "下一章 共 3 页",
    "",
    "姓名\t年龄",
    "镕儿\t17",
    "",
    "正文结束[1]",
    "",
    "[1] 这是脚注。"])

# \uN escapes: \uc1 with '?' stand-ins, \uc2 with two-byte GBK stand-ins that must not
# show, a character outside the BMP as a surrogate pair, \upr with its \ud twin, and the
# \~ and \_ symbols.
write("rtf-unicode-escapes", "input.rtf", ("".join([
    "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\r\n",
    "\\pard ", rtf_unicode("第二章 归来"), "\\par\r\n",
    "\\pard {\\uc2 ", "".join("\\u%d%s" % (ord(c), g(c)) for c in "镕与喆"), "} ",
    rtf_unicode("重逢。"), "\\par\r\n",
    "\\pard Caf\\'e9 \\u-10179?\\u-8704? end\\par\r\n",
    "\\pard {\\upr{caf\\'e9 ansi}{\\*\\ud{", rtf_unicode("统一码"), "}}}\\par\r\n",
    "\\pard non\\_breaking 10\\~km\\par\r\n",
    "}"]).encode("ascii")), [
    "第二章 归来",
    "",
    "镕与喆 重逢。",
    "",
    "Café \U0001F600 end",
    "",
    "统一码",
    "",
    "non-breaking 10 km"])

# A traditional-Chinese font (\fcharset136, Big5) in a document whose ANSI code page is
# 1252, beside a GBK font (\fcharset134) and Latin-1 text in the document's code page.
write("rtf-big5-fcharset136", "input.rtf", ("".join([
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}",
    "{\\f1\\fnil\\fcharset136 ", rtf_bytes("細明體", "big5"), ";}",
    "{\\f2\\fnil\\fcharset134 ", g("宋体"), ";}}\r\n",
    "\\pard\\f1 ", rtf_bytes("第三章 繁體中文", "big5"), "\\par\r\n",
    "\\pard\\f1 ", rtf_bytes("他說：「我們走吧。」", "big5"), "\\f0  (na\\'efve) ",
    "\\f2 ", g("简体"), "\\par\r\n",
    "}"]).encode("ascii")), [
    "第三章 繁體中文",
    "",
    "他說：「我們走吧。」 (naïve) 简体"])
