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


def zip_write(members, mimetype=None):
    """A ZIP archive as word processors write it (the mimetype first and stored)."""
    import io
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        if mimetype is not None:
            z.writestr(zipfile.ZipInfo("mimetype"), mimetype, compress_type=zipfile.ZIP_STORED)
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            z.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED)
    return buf.getvalue()


W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
DOCX_NS = (W + ' xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
           ' xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"'
           ' xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"'
           ' xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"'
           ' xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"'
           ' xmlns:v="urn:schemas-microsoft-com:vml"')


def p(runs, style=None, extra_ppr=""):
    ppr = ""
    if style or extra_ppr:
        ppr = "<w:pPr>%s%s</w:pPr>" % ('<w:pStyle w:val="%s"/>' % style if style else "", extra_ppr)
    return "<w:p>%s%s</w:p>" % (ppr, runs)


def r(text, rpr=""):
    return '<w:r>%s<w:t xml:space="preserve">%s</w:t></w:r>' % ("<w:rPr>%s</w:rPr>" % rpr if rpr else "", text)


docx_body = "".join([
    p(r("第一章 朱镕与陶喆"), style="1"),
    p(r("　　清晨的雾气还没有散去，") + r("镕", "<w:b/>") + r("儿", "<w:b/><w:i/>") + r("已经站在河边。")),
    p(r("Bo", "<w:b/>") + r("ld", "<w:b/><w:color w:val=\"FF0000\"/>") + r(" word, then") +
      '<w:r><w:br/><w:t>a manual break</w:t><w:tab/><w:t>and a tab.</w:t></w:r>'),
    p(r("她说") + r("（隐藏的话）", "<w:vanish/>") + r("：") +
      '<w:del w:id="1" w:author="A"><w:r><w:delText>删掉的句子。</w:delText></w:r></w:del>' +
      '<w:ins w:id="2" w:author="A">' + r("新加的句子。") + '</w:ins>' +
      '<w:commentRangeStart w:id="0"/>' + r("有批注") + '<w:commentRangeEnd w:id="0"/>' +
      '<w:r><w:commentReference w:id="0"/></w:r>'),
    p(r("链接：") + '<w:r><w:fldChar w:fldCharType="begin"/></w:r>'
      '<w:r><w:instrText xml:space="preserve"> HYPERLINK "http://example.com/" </w:instrText></w:r>'
      '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' + r("下一章") +
      '<w:r><w:fldChar w:fldCharType="end"/></w:r>' +
      '<w:r><w:sym w:font="Symbol" w:char="F0B0"/></w:r>' +
      '<w:fldSimple w:instr=" PAGE ">' + r("7") + '</w:fldSimple>'),
    p(r("正文") + '<w:r><w:footnoteReference w:id="1"/></w:r>' + r("继续") +
      '<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing><wp:anchor><wps:wsp><wps:txbx>'
      '<w:txbxContent>' + p(r("文本框里的字")) + '</w:txbxContent></wps:txbx></wps:wsp></wp:anchor>'
      '</w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape><v:textbox><w:txbxContent>' +
      p(r("文本框里的字")) + '</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback>'
      '</mc:AlternateContent></w:r>'),
    p(r("第一项"), extra_ppr='<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>'),
    p(r("第二项"), extra_ppr='<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>'),
    '<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/></w:tblPr><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid>'
    '<w:tr><w:tc><w:tcPr/>' + p(r("姓名")) + '</w:tc><w:tc>' + p(r("年龄")) + '</w:tc></w:tr>'
    '<w:tr><w:tc>' + p(r("镕儿")) + p(r("（女）")) + '</w:tc><w:tc>' + p(r("17")) + '</w:tc></w:tr></w:tbl>',
    p(r("第二节"), style="2"),
    p(r("完。") + '<w:r><w:endnoteReference w:id="2"/></w:r>'),
    '<w:sectPr><w:headerReference w:type="default" r:id="rIdH"/><w:footerReference w:type="default" r:id="rIdF"/></w:sectPr>',
])

docx_members = [
    ("[Content_Types].xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
     '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
     '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
     '<Default Extension="xml" ContentType="application/xml"/>'
     '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.'
     'wordprocessingml.document.main+xml"/>'
     '<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.'
     'wordprocessingml.styles+xml"/>'
     '<Override PartName="/word/footnotes.xml" ContentType="application/vnd.openxmlformats-officedocument.'
     'wordprocessingml.footnotes+xml"/></Types>'),
    ("word/_rels/document.xml.rels", '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://'
     'schemas.openxmlformats.org/package/2006/relationships">'
     '<Relationship Id="rIdS" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles"'
     ' Target="styles.xml"/>'
     '<Relationship Id="rIdN" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes"'
     ' Target="footnotes.xml"/></Relationships>'),
    ("_rels/.rels", '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.'
     'org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/'
     'officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>'),
    ("word/document.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
     '<w:document %s><w:body>%s</w:body></w:document>' % (DOCX_NS, docx_body)),
    ("word/styles.xml", '<?xml version="1.0" encoding="UTF-8"?><w:styles %s>'
     '<w:style w:type="paragraph" w:styleId="1"><w:name w:val="heading 1"/></w:style>'
     '<w:style w:type="paragraph" w:styleId="2"><w:name w:val="heading 2"/>'
     '<w:pPr><w:outlineLvl w:val="1"/></w:pPr></w:style>'
     '<w:style w:type="paragraph" w:default="1" w:styleId="a"><w:name w:val="Normal"/></w:style>'
     '</w:styles>' % W),
    ("word/footnotes.xml", '<?xml version="1.0" encoding="UTF-8"?><w:footnotes %s>'
     '<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>'
     '<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote>'
     '<w:footnote w:id="1"><w:p><w:r><w:footnoteRef/></w:r>%s</w:p></w:footnote></w:footnotes>'
     % (W, r(" 这是脚注。"))),
    ("word/endnotes.xml", '<?xml version="1.0" encoding="UTF-8"?><w:endnotes %s>'
     '<w:endnote w:id="2"><w:p><w:r><w:endnoteRef/></w:r>%s</w:p></w:endnote></w:endnotes>'
     % (W, r(" 这是尾注。"))),
    ("word/header1.xml", '<w:hdr %s>%s</w:hdr>' % (W, p(r("页眉不显示")))),
    ("word/footer1.xml", '<w:ftr %s>%s</w:ftr>' % (W, p(r("页脚不显示")))),
    ("word/comments.xml", '<w:comments %s><w:comment w:id="0">%s</w:comment></w:comments>'
     % (W, p(r("批注不显示")))),
]
write("docx-structure", "input.docx", zip_write(docx_members), [
    "第一章 朱镕与陶喆",
    "",
    "　　清晨的雾气还没有散去，镕儿已经站在河边。",
    "",
    "Bold word, then",
    "a manual break\tand a tab.",
    "",
    "她说：新加的句子。有批注",
    "",
    "链接：下一章°7",
    "",
    "正文[1]继续",
    "",
    "文本框里的字",
    "",
    "第一项",
    "第二项",
    "姓名\t年龄",
    "镕儿",
    "（女）\t17",
    "第二节",
    "",
    "完。[2]",
    "",
    "[1] 这是脚注。",
    "",
    "[2] 这是尾注。"])

ODT_NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
          'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
          'xmlns:dc="http://purl.org/dc/elements/1.1/" office:version="1.3"')
odt_content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content %s>'
    '<office:automatic-styles>'
    '<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>'
    '<style:style style:name="T2" style:family="text"><style:text-properties text:display="none"/></style:style>'
    '</office:automatic-styles><office:body><office:text>'
    '<text:tracked-changes><text:changed-region text:id="ct1"><text:deletion>'
    '<office:change-info><dc:creator>A</dc:creator></office:change-info>'
    '<text:p>删掉的句子。</text:p></text:deletion></text:changed-region>'
    '<text:changed-region text:id="ct2"><text:insertion><office:change-info><dc:creator>A</dc:creator>'
    '</office:change-info></text:insertion></text:changed-region></text:tracked-changes>\n'
    '<text:h text:outline-level="1">第一章 朱镕与陶喆</text:h>\n'
    '<text:p>　　清晨的雾气还没有散去，\n   <text:span text:style-name="T1">镕</text:span>儿已经站在河边。</text:p>\n'
    '<text:p><text:span text:style-name="T1">Bo</text:span><text:span text:style-name="T1">ld</text:span>'
    ' word,<text:s text:c="3"/>then<text:line-break/>a manual break<text:tab/>and a tab.</text:p>'
    '<text:p>她说<text:span text:style-name="T2">（隐藏的话）</text:span>：'
    '<text:change text:change-id="ct1"/><text:change-start text:change-id="ct2"/>新加的句子。'
    '<text:change-end text:change-id="ct2"/>'
    '<office:annotation><dc:creator>A</dc:creator><text:p>批注不显示</text:p></office:annotation>有批注</text:p>'
    '<text:p>链接：<text:a xlink:href="http://example.com/" xmlns:xlink="http://www.w3.org/1999/xlink">下一章</text:a>'
    ' 第<text:page-number>7</text:page-number>页</text:p>'
    '<text:p>正文<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation>'
    '<text:note-body><text:p>这是脚注。</text:p></text:note-body></text:note>继续'
    '<draw:frame><draw:text-box><text:p>文本框里的字</text:p></draw:text-box></draw:frame></text:p>'
    '<text:list><text:list-item><text:p>第一项</text:p></text:list-item>'
    '<text:list-item><text:p>第二项</text:p></text:list-item></text:list>'
    '<table:table table:name="T"><table:table-column table:number-columns-repeated="2"/>'
    '<table:table-row><table:table-cell><text:p>姓名</text:p></table:table-cell>'
    '<table:table-cell><text:p>年龄</text:p></table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell><text:p>镕儿</text:p><text:p>（女）</text:p></table:table-cell>'
    '<table:table-cell><text:p>17</text:p></table:table-cell></table:table-row></table:table>'
    '<text:h text:outline-level="2">第二节</text:h>'
    '<text:p>完。</text:p>'
    '</office:text></office:body></office:document-content>' % ODT_NS)
odt_styles = ('<?xml version="1.0" encoding="UTF-8"?><office:document-styles %s><office:master-styles>'
              '<style:master-page style:name="Standard"><style:header><text:p>页眉不显示</text:p></style:header>'
              '</style:master-page></office:master-styles></office:document-styles>' % ODT_NS)
odt_members = [
    ("content.xml", odt_content),
    ("styles.xml", odt_styles),
    ("META-INF/manifest.xml", '<?xml version="1.0" encoding="UTF-8"?><manifest:manifest '
     'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
     '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
     '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
     '<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>'
     '</manifest:manifest>'),
]
write("odt-structure", "input.odt", zip_write(odt_members, "application/vnd.oasis.opendocument.text"), [
    "第一章 朱镕与陶喆",
    "",
    "　　清晨的雾气还没有散去， 镕儿已经站在河边。",
    "",
    "Bold word,   then",
    "a manual break\tand a tab.",
    "",
    "她说：新加的句子。有批注",
    "",
    "链接：下一章 第7页",
    "",
    "正文[1]继续",
    "",
    "文本框里的字",
    "",
    "第一项",
    "第二项",
    "姓名\t年龄",
    "镕儿",
    "（女）\t17",
    "第二节",
    "",
    "完。",
    "",
    "[1] 这是脚注。"])

# The source of the DOC case, an OpenDocument text. input.doc was made from it once, by
# LibreOffice from Debian, with the command in doc-chinese-english/MADE-WITH; it is not
# remade here.
doc_source_content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content %s>'
    '<office:automatic-styles>'
    '<style:style style:name="T2" style:family="text"><style:text-properties text:display="none"/></style:style>'
    '</office:automatic-styles><office:body><office:text>'
    '<text:h text:outline-level="1">第一章 归途</text:h>'
    '<text:p>　　雨下了一整夜，朱镕站在窗前，等着陶喆的消息。</text:p>'
    '<text:p>The rain fell all night. Zhu Rong stood by the window, waiting for news.</text:p>'
    '<text:p>混合 mixed 文字 text，<text:span text:style-name="T2">隐藏的字</text:span>全角标点。'
    '<text:line-break/>换行之后<text:tab/>制表符后</text:p>'
    '<text:p>脚注在此<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation>'
    '<text:note-body><text:p>脚注：a footnote.</text:p></text:note-body></text:note>。</text:p>'
    '<table:table table:name="T"><table:table-column table:number-columns-repeated="2"/>'
    '<table:table-row><table:table-cell><text:p>姓名</text:p></table:table-cell>'
    '<table:table-cell><text:p>Name</text:p></table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell><text:p>陶喆</text:p></table:table-cell>'
    '<table:table-cell><text:p>Tao Zhe</text:p></table:table-cell></table:table-row></table:table>'
    '<text:p>最后一段：Café, naïve, “quotes” — 完。</text:p>'
    '</office:text></office:body></office:document-content>' % ODT_NS)
folder = os.path.join(HERE, "doc-chinese-english")
if os.path.isdir(folder):
    with open(os.path.join(folder, "source.odt"), "wb") as f:
        f.write(zip_write([("content.xml", doc_source_content), ("styles.xml", odt_styles),
                           odt_members[2]], "application/vnd.oasis.opendocument.text"))
    with open(os.path.join(folder, "expected.txt"), "wb") as f:
        f.write("\r\n".join([
            "第一章 归途",
            "",
            "　　雨下了一整夜，朱镕站在窗前，等着陶喆的消息。",
            "",
            "The rain fell all night. Zhu Rong stood by the window, waiting for news.",
            "",
            "混合 mixed 文字 text，全角标点。",
            "换行之后\t制表符后",
            "",
            "脚注在此[1]。",
            "",
            "姓名\tName",
            "陶喆\tTao Zhe",
            "",
            "最后一段：Café, naïve, “quotes” — 完。",
            "",
            "[1]\t脚注：a footnote."]).encode("utf-8"))

# A second DOC case, made the same way from its source.odt (see doc-table-cells/MADE-WITH):
# a table whose first and last cells of a row are empty, so the ends of rows can only be
# told from the cells' marks by the paragraph properties.
folder = os.path.join(HERE, "doc-table-cells")
if os.path.isdir(folder):
    cell = lambda t: "<table:table-cell>%s</table:table-cell>" % ("<text:p>%s</text:p>" % t if t else "<text:p/>")
    row = lambda *cells: "<table:table-row>%s</table:table-row>" % "".join(cell(c) for c in cells)
    content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content %s><office:body><office:text>'
               '<text:p>表格之前</text:p>'
               '<table:table table:name="T"><table:table-column table:number-columns-repeated="3"/>%s%s%s'
               '</table:table><text:p>表格之后</text:p></office:text></office:body></office:document-content>'
               % (ODT_NS, row("甲", "", "丙"), row("", "", ""), row("", "乙", "")))
    with open(os.path.join(folder, "source.odt"), "wb") as f:
        f.write(zip_write([("content.xml", content), ("styles.xml", odt_styles), odt_members[2]],
                          "application/vnd.oasis.opendocument.text"))
    with open(os.path.join(folder, "expected.txt"), "wb") as f:
        f.write("\r\n".join(["表格之前", "", "甲\t\t丙", "\t\t", "\t乙\t", "", "表格之后"]).encode("utf-8"))


# Automatic numbers and bullets: Chinese counting with a space after the number, a
# restart by a start override, headings numbered through their styles (one style based
# on a numbered one, legal numbering under a Roman level), bullets in the Symbol and
# Wingdings fonts and in Courier New, a level that restarts only after the top level,
# a zero-padded level, a level without a number, and numbering taken away by numId 0.
def lvl(ilvl, fmt, text, start=1, suff=None, extra="", font=None):
    return ('<w:lvl w:ilvl="%d"><w:start w:val="%d"/><w:numFmt w:val="%s"/>%s<w:lvlText w:val="%s"/>%s%s</w:lvl>'
            % (ilvl, start, fmt, extra, text, '<w:suff w:val="%s"/>' % suff if suff else "",
               '<w:rPr><w:rFonts w:ascii="%s" w:hAnsi="%s" w:hint="default"/></w:rPr>' % (font, font) if font else ""))


def num_p(text, num_id, ilvl=None, style=None):
    numpr = ""
    if num_id is not None:
        numpr = "<w:numPr>%s<w:numId w:val=\"%s\"/></w:numPr>" % (
            '<w:ilvl w:val="%d"/>' % ilvl if ilvl is not None else "", num_id)
    return p(r(text), style=style, extra_ppr=numpr)


lists_numbering = ('<?xml version="1.0" encoding="UTF-8"?><w:numbering ' + W + '>'
    '<w:abstractNum w:abstractNumId="0"><w:multiLevelType w:val="hybridMultilevel"/>'
    + lvl(0, "chineseCounting", "%1、", suff="space")
    + lvl(1, "decimal", "%2、", suff="space") +
    '</w:abstractNum>'
    '<w:abstractNum w:abstractNumId="1">'
    + lvl(0, "upperRoman", "%1.", extra='<w:pStyle w:val="Heading1"/>')
    + lvl(1, "decimal", "%1.%2", extra='<w:pStyle w:val="Heading2"/><w:isLgl/>')
    + lvl(2, "decimal", "%1.%2.%3", suff="space", extra='<w:isLgl/>') +
    '</w:abstractNum>'
    '<w:abstractNum w:abstractNumId="2">'
    + lvl(0, "bullet", "\uf0b7", font="Symbol")
    + lvl(1, "bullet", "o", font="Courier New")
    + lvl(2, "bullet", "\uf0a7", font="Wingdings")
    + lvl(3, "bullet", "\uf0d8", suff="nothing", font="Wingdings") +
    '</w:abstractNum>'
    '<w:abstractNum w:abstractNumId="3">'
    + lvl(0, "lowerLetter", "%1)", suff="space")
    + lvl(1, "lowerRoman", "(%2)", suff="space")
    + lvl(2, "decimal", "%3.", suff="space", extra='<w:lvlRestart w:val="1"/>')
    + lvl(3, "none", "注：", suff="space")
    + lvl(4, "decimalZero", "%5.", start=9, suff="space") +
    '</w:abstractNum>'
    '<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num>'
    '<w:num w:numId="2"><w:abstractNumId w:val="1"/></w:num>'
    '<w:num w:numId="3"><w:abstractNumId w:val="0"/>'
    '<w:lvlOverride w:ilvl="0"><w:startOverride w:val="10"/></w:lvlOverride></w:num>'
    '<w:num w:numId="5"><w:abstractNumId w:val="2"/></w:num>'
    '<w:num w:numId="6"><w:abstractNumId w:val="3"/></w:num>'
    '</w:numbering>')
lists_styles = ('<?xml version="1.0" encoding="UTF-8"?><w:styles %s>'
    '<w:style w:type="paragraph" w:default="1" w:styleId="a"><w:name w:val="Normal"/></w:style>'
    '<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="a"/>'
    '<w:pPr><w:numPr><w:numId w:val="2"/></w:numPr><w:outlineLvl w:val="0"/></w:pPr></w:style>'
    '<w:style w:type="paragraph" w:styleId="Heading2"><w:name w:val="heading 2"/><w:basedOn w:val="Heading1"/>'
    '<w:pPr><w:numPr><w:ilvl w:val="1"/></w:numPr><w:outlineLvl w:val="1"/></w:pPr></w:style>'
    '<w:style w:type="paragraph" w:styleId="Heading3"><w:name w:val="heading 3"/>'
    '<w:pPr><w:numPr><w:ilvl w:val="2"/><w:numId w:val="2"/></w:numPr><w:outlineLvl w:val="2"/></w:pPr></w:style>'
    '<w:style w:type="paragraph" w:styleId="Chapter"><w:name w:val="Chapter"/><w:basedOn w:val="Heading1"/></w:style>'
    '</w:styles>' % W)
lists_body = "".join([
    num_p("Introduction", None, style="Heading1"),
    num_p("Scope", None, style="Heading2"),
    num_p("Copyright and License", None, style="Heading3"),
    num_p("Warranty", None, style="Heading3"),
    num_p("Installation", None, style="Chapter"),
    num_p("Requirements", None, style="Heading2"),
    p(r("正文段落。")),
    num_p("项目运行环境", 1, 0),
    num_p("解压缩，将得到以下文件", 1, 1),
    num_p("运行安装程序", 1, 1),
    num_p("使用说明", 1, 0),
    num_p("打开软件", 1, 1),
    num_p("重新编号", 3, 0),
    num_p("接着编号", 3, 0),
    num_p("不再编号", "0", 0),
    p(r("正文段落。")),
    num_p("Bullet 1", 5, 0),
    num_p("Sub", 5, 1),
    num_p("Deep", 5, 2),
    num_p("Arrow", 5, 3),
    num_p("Bullet 2", 5, 0),
    num_p("alpha", 6, 0),
    num_p("one", 6, 1),
    num_p("x", 6, 2),
    num_p("two", 6, 1),
    num_p("y", 6, 2),
    num_p("beta", 6, 0),
    num_p("z", 6, 2),
    num_p("没有编号的层", 6, 3),
    num_p("nine", 6, 4),
    num_p("ten", 6, 4),
    '<w:sectPr/>',
])
lists_members = [m for m in docx_members if m[0] in ("[Content_Types].xml", "_rels/.rels")] + [
    ("word/document.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
     '<w:document %s><w:body>%s</w:body></w:document>' % (DOCX_NS, lists_body)),
    ("word/styles.xml", lists_styles),
    ("word/numbering.xml", lists_numbering),
]
write("docx-lists", "input.docx", zip_write(lists_members), [
    "I.\tIntroduction",
    "1.1\tScope",
    "1.1.1 Copyright and License",
    "1.1.2 Warranty",
    "II.\tInstallation",
    "2.1\tRequirements",
    "",
    "正文段落。",
    "",
    "一、 项目运行环境",
    "1、 解压缩，将得到以下文件",
    "2、 运行安装程序",
    "二、 使用说明",
    "1、 打开软件",
    "十、 重新编号",
    "十一、 接着编号",
    "不再编号",
    "",
    "正文段落。",
    "",
    "•\tBullet 1",
    "o\tSub",
    "▪\tDeep",
    "➢Arrow",
    "•\tBullet 2",
    "a) alpha",
    "(i) one",
    "1. x",
    "(ii) two",
    "2. y",
    "b) beta",
    "1. z",
    "注： 没有编号的层",
    "09. nine",
    "10. ten"])


# Numbered headings through the outline numbering (Chinese counting with a prefix and a
# suffix, two shown levels each in its own format, an unnumbered level, a heading marked as a list header), and
# lists: numbers with a suffix, nested levels showing the levels above in their own
# formats, a list header, an item holding only a sublist, continued and restarted lists,
# a start value, bullets (one in the Symbol font) and letters past z.
def odt_level(kind, level, followed="listtab", **attrs):
    names = {"fmt": "style:num-format", "prefix": "style:num-prefix", "suffix": "style:num-suffix",
             "display": "text:display-levels", "start": "text:start-value", "bullet": "text:bullet-char"}
    a = "".join(' %s="%s"' % (names[k], v) for k, v in attrs.items() if k != "font")
    font = '<style:text-properties style:font-name="%s"/>' % attrs["font"] if "font" in attrs else ""
    return ('<text:%s text:level="%d"%s><style:list-level-properties text:list-level-position-and-space-mode='
            '"label-alignment"><style:list-level-label-alignment text:label-followed-by="%s"/>'
            '</style:list-level-properties>%s</text:%s>' % (kind, level, a, followed, font, kind))


def odt_list(style, items, extra=""):
    return '<text:list%s%s>%s</text:list>' % (' text:style-name="%s"' % style if style else "", extra, "".join(items))


def odt_item(*content, start=None):
    return '<text:list-item%s>%s</text:list-item>' % (' text:start-value="%d"' % start if start else "", "".join(content))


def tp(text):
    return "<text:p>%s</text:p>" % text


NUM = "list-level-style-number"
BUL = "list-level-style-bullet"
odt_lists_styles = ('<?xml version="1.0" encoding="UTF-8"?><office:document-styles ' + ODT_NS + '><office:styles>'
    '<text:outline-style style:name="Outline">'
    + odt_level("outline-level-style", 1, "space", fmt="一, 二, 三, ...", prefix="第", suffix="章")
    + odt_level("outline-level-style", 2, fmt="1", display="2")
    + odt_level("outline-level-style", 3, fmt="") +
    '</text:outline-style><text:list-style style:name="LS">' + odt_level(NUM, 1, fmt="1", suffix=".") +
    '</text:list-style>'
    '<style:style style:name="Numbered" style:family="paragraph" style:list-style-name="LS"/>'
    '<style:style style:name="Plain" style:family="paragraph" style:parent-style-name="Numbered" '
    'style:list-style-name=""/></office:styles></office:document-styles>')
odt_lists_content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content ' + ODT_NS + '>'
    '<office:automatic-styles>'
    '<text:list-style style:name="L1">'
    + odt_level(NUM, 1, "space", fmt="1", suffix=")")
    + odt_level(NUM, 2, fmt="a", suffix=".")
    + odt_level(NUM, 3, "space", fmt="i", prefix="(", suffix=")", display="3") +
    '</text:list-style><text:list-style style:name="L2">'
    + odt_level(BUL, 1, bullet="•")
    + odt_level(BUL, 2, "nothing", bullet="◦")
    + odt_level(BUL, 3, bullet="\uf0b7", font="Symbol") +
    '</text:list-style><text:list-style style:name="L3">'
    + odt_level(NUM, 1, fmt="A", start="26") +
    '</text:list-style><style:style style:name="P1" style:family="paragraph" style:parent-style-name="Numbered"/>'
    '</office:automatic-styles><office:body><office:text>'
    '<text:h text:outline-level="1">归来</text:h>'
    '<text:p>正文。</text:p>'
    '<text:h text:outline-level="2">小节</text:h>'
    '<text:h text:outline-level="3">无编号</text:h>'
    '<text:h text:outline-level="1" text:is-list-header="true">序</text:h>'
    '<text:h text:outline-level="1">出发</text:h>'
    '<text:h text:outline-level="2">再一节</text:h>'
    + odt_list("L1", [
        odt_item(tp("界面设计简洁、友好、美观大方。")),
        odt_item(tp("功能完善"), tp("第二段不编号")),
        odt_item(odt_list(None, [odt_item(tp("子项")), odt_item(tp("子项二")),
                                 odt_item(odt_list(None, [odt_item(tp("深"))]))])),
        '<text:list-header>%s</text:list-header>' % tp("列表标题"),
        odt_item(tp("三"), odt_list(None, [odt_item(tp("再子项"))]))])
    + tp("中间段落")
    + odt_list("L1", [odt_item(tp("四"))], ' text:continue-numbering="true"')
    + odt_list("L1", [odt_item(tp("重新"))])
    + odt_list("L1", [odt_item(tp("甲")), odt_item(tp("七"), start=7)], ' xml:id="list9"')
    + odt_list("L1", [odt_item(tp("八"))], ' text:continue-list="list9"')
    + odt_list("L2", [odt_item(tp("Bullet 1")),
                      odt_item(odt_list(None, [odt_item(tp("Sub")),
                                               odt_item(odt_list(None, [odt_item(tp("Deep"))]))]))])
    + odt_list("L3", [odt_item(tp("zed")), odt_item(tp("double"))])
    # Numbered through the paragraph style's list style (its own, or its parent's) as
    # one list outside any text:list, unless a style says none; inside a list that names
    # no style, the paragraph style's list style numbers that list.
    + '<text:p text:style-name="Numbered">样式编号一</text:p><text:p text:style-name="P1">样式编号二</text:p>'
    '<text:p text:style-name="Plain">不编号</text:p><text:p text:style-name="Numbered">样式编号三</text:p>'
    + odt_list(None, [odt_item('<text:p text:style-name="P1">列表里的样式</text:p>')]) +
    '</office:text></office:body></office:document-content>')
write("odt-lists", "input.odt", zip_write([("content.xml", odt_lists_content), ("styles.xml", odt_lists_styles),
                                          odt_members[2]], "application/vnd.oasis.opendocument.text"), [
    "第一章 归来",
    "",
    "正文。",
    "",
    "一.1\t小节",
    "无编号",
    "序",
    "第二章 出发",
    "二.1\t再一节",
    "1) 界面设计简洁、友好、美观大方。",
    "2) 功能完善",
    "第二段不编号",
    "a.\t子项",
    "b.\t子项二",
    "(2.b.i) 深",
    "列表标题",
    "3) 三",
    "a.\t再子项",
    "",
    "中间段落",
    "",
    "4) 四",
    "1) 重新",
    "1) 甲",
    "7) 七",
    "8) 八",
    "•\tBullet 1",
    "◦Sub",
    "•\tDeep",
    "Z\tzed",
    "AA\tdouble",
    "1.\t样式编号一",
    "2.\t样式编号二",
    "",
    "不编号",
    "",
    "3.\t样式编号三",
    "1.\t列表里的样式"])


# Lists numbered from the list table, as a word processor writes them in code page 936:
# Chinese counting with a space after the number, a second level of "1、" that restarts,
# a paragraph whose number the writer gave in \listtext, and bullets in the Symbol and
# Wingdings fonts; a lone \'a0 between GBK characters is a no-break space.
def rtf_level(nfc, text, numbers, follow=0, extra=""):
    """A \\listlevel whose level text counts its characters, placeholders as \\'0N."""
    return ("{\\listlevel\\levelnfc%d\\levelnfcn%d\\leveljc0\\levelfollow%d\\levelstartat1%s"
            "{\\leveltext\\leveltemplateid1\\'%02x%s;}{\\levelnumbers%s;}\\fi-420\\li420}"
            % (nfc, nfc, follow, extra, len(text),
               "".join("\\'%02x" % ord(c) if ord(c) < 10 else rtf_unicode(c) for c in text),
               "".join("\\'%02x" % n for n in numbers)))


write("rtf-lists", "input.rtf", ("".join([
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052",
    "{\\fonttbl{\\f0\\fnil\\fcharset134 ", g("宋体"), ";}{\\f1\\fbidi\\froman\\fcharset2\\fprq2 Symbol;}",
    "{\\f2\\fnil\\fcharset2\\fprq2 Wingdings;}}\r\n",
    "{\\*\\listtable{\\list\\listtemplateid100\\listhybrid",
    rtf_level(37, "\x00、", [1], follow=1),
    rtf_level(0, "\x01、", [1], follow=1),
    "{\\listname ;}\\listid11}\r\n",
    "{\\list\\listtemplateid200\\listhybrid",
    "{\\listlevel\\levelnfc23\\levelfollow0\\levelstartat1{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1\\fi-420\\li420}",
    "{\\listlevel\\levelnfc23\\levelfollow0\\levelstartat1{\\leveltext\\'01\\'a7;}{\\levelnumbers;}\\f2\\fi-420\\li840}",
    "{\\listname ;}\\listid22}}\r\n",
    "{\\*\\listoverridetable{\\listoverride\\listid11\\listoverridecount0\\ls1}",
    "{\\listoverride\\listid22\\listoverridecount0\\ls2}}\r\n",
    "\\pard\\plain\\f0 ", g("安装说明"), "\\par\r\n",
    "\\pard\\ls1\\ilvl0\\f0 ", g("项目运行环境"), "\\par\r\n",
    "\\pard\\ls1\\ilvl1\\f0 ", g("解压缩，将得到以下文件"), "\\par\r\n",
    "\\pard\\ls1\\ilvl1\\f0 ", g("运行安装程序"), "\\par\r\n",
    "\\pard\\ls1\\ilvl0\\f0 ", g("使用说明"), "\\par\r\n",
    "\\pard\\ls1\\ilvl1\\f0 ", g("打开软件"), "\\par\r\n",
    "{\\listtext\\pard\\plain\\f0 1)\\tab}\\pard\\ls1\\ilvl1\\f0 ", g("界面设计简洁、友好、美观大方。"), "\\par\r\n",
    "\\pard\\ls2\\ilvl0\\f0 Bullet 1\\par\r\n",
    "\\pard\\ls2\\ilvl1\\f0 ", g("子项"), "\\par\r\n",
    "\\pard\\plain\\f0 ", g("共"), "\\'a0", g("两项"), "\\par\r\n",
    # The older paragraph numbering (\\pn) without the writer's \\pntext: simple
    # numbering that a continuation paragraph does not break and a plain one restarts,
    # text around the number, a Symbol bullet, a section's outline levels, and a
    # paragraph whose \\pntext gives its number.
    "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360\\pnhang{\\pntxta .}}\\fi-360\\li360\\f0 ",
    g("旧式编号一"), "\\par\r\n",
    g("旧式编号二"), "\\par\r\n",
    "\\pard{\\*\\pn\\pnlvlcont}\\li360\\f0 ", g("续段"), "\\par\r\n",
    "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360\\pnhang{\\pntxta .}}\\fi-360\\li360\\f0 ",
    g("旧式编号三"), "\\par\r\n",
    "\\pard\\f0 ", g("不编号"), "\\par\r\n",
    "\\pard{\\*\\pn\\pnlvlbody\\pndbnum\\pnstart1{\\pntxta \\'a1\\'a2}}\\f0 ", g("重新编号"), "\\par\r\n",
    "\\pard{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart4{\\pntxtb (}{\\pntxta )}}\\f0 four\\par\r\n",
    "\\pard{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb \\'b7}}\\f0 bullet\\par\r\n",
    "{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}",
    "{\\*\\pnseclvl2\\pnucltr\\pnstart1\\pnindent720\\pnhang{\\pntxta )}}\r\n",
    "\\pard{\\*\\pn\\pnlvl1}\\f0 Heading A\\par\r\n",
    "\\pard{\\*\\pn\\pnlvl2}\\f0 Sub a\\par\r\n",
    "\\pard{\\*\\pn\\pnlvl2}\\f0 Sub b\\par\r\n",
    "\\pard{\\*\\pn\\pnlvl1}\\f0 Heading B\\par\r\n",
    "\\pard{\\*\\pn\\pnlvl2}\\f0 Sub a again\\par\r\n",
    "{\\pntext\\f0 9.\\tab}\\pard{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}\\f0 ", g("自带编号"), "\\par\r\n",
    "}\r\n"]).encode("ascii")), [
    "安装说明",
    "",
    "一、 项目运行环境",
    "1、 解压缩，将得到以下文件",
    "2、 运行安装程序",
    "二、 使用说明",
    "1、 打开软件",
    "1)\t界面设计简洁、友好、美观大方。",
    "•\tBullet 1",
    "▪\t子项",
    "",
    "共 两项",
    "",
    "1.\t旧式编号一",
    "2.\t旧式编号二",
    "续段",
    "3.\t旧式编号三",
    "",
    "不编号",
    "",
    "一、\t重新编号",
    "(iv)\tfour",
    "•\tbullet",
    "I.\tHeading A",
    "A)\tSub a",
    "B)\tSub b",
    "II.\tHeading B",
    "A)\tSub a again",
    "9.\t自带编号"])


# A Word 97 document written byte by byte from the published format (no word processor
# here makes one): a compound file holding a WordDocument stream (file information block,
# 8-bit text, one page of paragraph properties) and a 1Table stream (piece table, the
# index of that page, the style sheet, the font table and the list tables). Two headings
# numbered by their styles ("第%1章" in Chinese counting; the second style is based on
# the first), then two paragraphs of a decimal list, one at its second level ("%1.%2"
# in letters, a space after), one bullet in Symbol, between two plain paragraphs.
def doc_lists():
    import struct
    u16 = lambda v: struct.pack("<H", v)
    u32 = lambda v: struct.pack("<I", v & 0xFFFFFFFF)
    paragraphs = [("Heading A", "style 1"), ("Chapter B", "style 2"), ("Intro", None), ("Alpha", (1, 0)), ("Beta", (1, 0)), ("Sub", (1, 1)),
                  ("Bullet", (2, 0)), ("End", None)]
    text = "".join(t + "\r" for t, _ in paragraphs).encode("ascii")
    text_fc, page_fc = 0x400, 0x600

    # The file information block: 14 shorts, 22 longs (ccpText the fourth), 93 pairs.
    fc_lcb = [(0, 0)] * 93
    table = bytearray()
    table += b"\x02" + u32(16) + u32(0) + u32(len(text)) + u16(0) + u32((text_fc * 2) | 0x40000000) + u16(0)
    fc_lcb[33] = (0, len(table))
    at = len(table)
    table += u32(text_fc) + u32(text_fc + len(text)) + u32(page_fc // 512)
    fc_lcb[13] = (at, len(table) - at)

    def ffn(name):
        body = b"\x00" + u16(400) + b"\x00\x00" + bytes(10) + bytes(24) + (name + "\0").encode("utf-16-le")
        return bytes([len(body)]) + body
    at = len(table)
    table += u16(2) + u16(0) + ffn("Times New Roman") + ffn("Symbol")
    fc_lcb[15] = (at, len(table) - at)

    def lvl(nfc, chars, nums, follow, chpx=b""):
        lvlf = (u32(1) + bytes([nfc, 0]) + bytes(nums + [0] * (9 - len(nums))) + bytes([follow]) + bytes(8)
                + bytes([len(chpx), 0, 0, 0]))
        return lvlf + chpx + u16(len(chars)) + "".join(chars).encode("utf-16-le")

    def lstf(lsid, simple):
        return u32(lsid) + u32(0) + b"\xff" * 18 + bytes([1 if simple else 0, 0])
    at = len(table)
    table += u16(3) + lstf(100, False) + lstf(200, True) + lstf(300, True)
    fc_lcb[73] = (at, len(table) - at)
    table += lvl(0, ["\x00", "."], [1], 0) + lvl(4, ["\x00", ".", "\x01"], [1, 3], 1)
    table += b"".join(lvl(0, [], [], 0) for _ in range(7))
    table += lvl(23, ["\uf0b7"], [], 0, u16(0x4A4F) + u16(1))
    table += lvl(37, ["第", "\x00", "章"], [2], 1)
    at = len(table)
    table += u32(3) + b"".join(u32(lsid) + bytes(12) for lsid in (100, 200, 300)) + u32(0) * 3
    fc_lcb[74] = (at, len(table) - at)

    # The style sheet: Normal; "heading 1", whose paragraph properties name list 3;
    # "Chapter", based on it with no properties of its own.
    def style(name, base, papx):
        name_bytes = u16(len(name)) + name.encode("utf-16-le") + u16(0)
        upx = u16(2 + len(papx)) + u16(0) + papx
        if len(upx) % 2:
            upx += b"\0"
        std = u16(0) + u16(1 | (base << 4)) + u16(2) + u16(0) + u16(0) + name_bytes + upx + u16(0)
        return u16(len(std)) + std
    at = len(table)
    table += u16(18) + u16(3) + u16(10) + bytes(14)
    table += style("Normal", 0xFFF, b"") + style("heading 1", 0, u16(0x460B) + u16(3)) + style("Chapter", 1, b"")
    fc_lcb[1] = (at, len(table) - at)

    fib = (u16(0xA5EC) + u16(0x00C1) + u16(0) + u16(0x0409) + u16(0) + u16(0x0200) + u16(0x00BF) + bytes(18)
           + u16(14) + bytes(28) + u16(22) + bytes(12) + u32(len(text)) + bytes(72)
           + u16(93) + b"".join(u32(fc) + u32(lcb) for fc, lcb in fc_lcb) + u16(0))
    word = bytearray(fib.ljust(text_fc, b"\0") + text)
    word = word.ljust(page_fc, b"\0")

    # One page of paragraph properties: each paragraph's file range, and for list
    # paragraphs a PAPX naming the list (sprmPIlfo) and the level (sprmPIlvl).
    page = bytearray(512)
    fc = text_fc
    bounds = [fc]
    for t, _ in paragraphs:
        fc += len(t) + 1
        bounds.append(fc)
    runs = len(paragraphs)
    for i, b in enumerate(bounds):
        page[4 * i:4 * i + 4] = u32(b)
    papx_at = 0x100
    for i, (_, lst) in enumerate(paragraphs):
        if lst is None:
            continue
        if isinstance(lst, str):  # a style's paragraph: its index and an alignment
            papx = bytes([3]) + u16(int(lst.split()[1])) + u16(0x2403) + b"\x00"
        else:
            papx = bytes([5]) + u16(0) + u16(0x460B) + u16(lst[0]) + u16(0x260A) + bytes([lst[1]])
        page[papx_at:papx_at + len(papx)] = papx
        page[4 * (runs + 1) + 13 * i] = papx_at // 2
        papx_at += 16
    page[511] = runs
    word += page
    word = bytes(word.ljust(4096, b"\0"))
    table = bytes(table.ljust(4096, b"\0"))

    # The compound file: header, one FAT sector, one directory sector, the two streams.
    end, free, fat_sect, nostream = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFF
    word_start, table_start = 2, 2 + len(word) // 512
    total = table_start + len(table) // 512
    fat = [fat_sect, end]
    for start, size in ((word_start, len(word)), (table_start, len(table))):
        n = size // 512
        fat += [start + k + 1 for k in range(n - 1)] + [end]
    fat += [free] * (128 - len(fat))
    assert total <= 128
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16) + u16(0x3E) + u16(3) + u16(0xFFFE) + u16(9) + u16(6)
              + bytes(6) + u32(0) + u32(1) + u32(1) + u32(0) + u32(4096) + u32(end) + u32(0) + u32(end) + u32(0)
              + u32(0) + u32(free) * 108)

    def entry(name, kind, left, right, child, start, size):
        raw = (name + "\0").encode("utf-16-le") if name else b""
        return (raw.ljust(64, b"\0") + u16(len(raw)) + bytes([kind, 1]) + u32(left) + u32(right) + u32(child)
                + bytes(16) + u32(0) + bytes(16) + u32(start) + u32(size) + u32(0))
    directory = (entry("Root Entry", 5, nostream, nostream, 1, end, 0)
                 + entry("WordDocument", 2, 2, nostream, nostream, word_start, len(word))
                 + entry("1Table", 2, nostream, nostream, nostream, table_start, len(table))
                 + entry("", 0, nostream, nostream, nostream, 0, 0))
    return header + b"".join(u32(v) for v in fat) + directory + word + table


write("doc-lists", "input.doc", doc_lists(), [
    "第一章 Heading A",
    "第二章 Chapter B",
    "",
    "Intro",
    "",
    "1.\tAlpha",
    "2.\tBeta",
    "2.a Sub",
    "•\tBullet",
    "",
    "End"])
