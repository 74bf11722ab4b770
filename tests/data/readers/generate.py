#!/usr/bin/env python3
"""Writes the input documents of the reader golden folders (input.epub, input.mht...)
beside the hand-written expected.txt of each case. Run from anywhere; rerun after
changing a case. The CHM case needs chmcmd (Debian's fp-utils)."""
import base64
import email.charset
import email.mime.base
import email.mime.multipart
import email.mime.nonmultipart
import email.mime.text
import email.policy
import email.encoders
import os
import quopri
import shutil
import subprocess
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))


def folder(name):
    path = os.path.join(HERE, name)
    os.makedirs(path, exist_ok=True)
    return path


def write_zip(path, members):
    """members: (name, bytes-or-str, compress) in archive order; the first, mimetype,
    is stored as EPUB readers expect."""
    with zipfile.ZipFile(path, 'w') as z:
        for name, data, compress in members:
            if isinstance(data, str):
                data = data.encode('utf-8')
            info = zipfile.ZipInfo(name, date_time=(2024, 5, 1, 12, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED if compress else zipfile.ZIP_STORED
            z.writestr(info, data)


CONTAINER = '''<?xml version="1.0" encoding="UTF-8"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
  <rootfiles>
    <rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/>
  </rootfiles>
</container>
'''

XHTML_HEAD = '''<?xml version="1.0" encoding="{enc}"?>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.1//EN" "http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd">
<html xmlns="http://www.w3.org/1999/xhtml"{extra}>
<head>
  <title>{title}</title>
  <link rel="stylesheet" type="text/css" href="../styles/book.css"/>
</head>
<body>
'''

CSS = '''@charset "utf-8";
body { margin: 0 5%; }
p { text-indent: 2em; }
.pagenav { display: none }
span.fn { vertical-align: super; }
'''

PNG = bytes.fromhex('89504e470d0a1a0a0000000d4948445200000001000000010806000000'
                    '1f15c4890000000d49444154789c6360000002000100e221bc330000000049454e44ae426082')


def page(title, body, enc='utf-8', extra=''):
    return XHTML_HEAD.format(enc=enc, title=title, extra=extra) + body + '\n</body>\n</html>\n'


def epub2():
    opf = '''<?xml version="1.0" encoding="UTF-8"?>
<package xmlns="http://www.idpf.org/2007/opf" unique-identifier="bookid" version="2.0">
  <metadata xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:opf="http://www.idpf.org/2007/opf">
    <dc:title>山雨</dc:title><dc:language>zh-CN</dc:language>
    <dc:identifier id="bookid">urn:uuid:0b6e3c1e-7d1a-4f62-9a55-3f2c1d0e9a01</dc:identifier>
    <meta name="cover" content="cover-image"/>
  </metadata>
  <manifest>
    <item id="ncx" href="toc.ncx" media-type="application/x-dtbncx+xml"/>
    <item id="css" href="styles/book.css" media-type="text/css"/>
    <item id="cover-image" href="images/cover.png" media-type="image/png"/>
    <item id="notes" href="text/notes.xhtml" media-type="application/xhtml+xml"/>
    <item id="c2" href="text/ch2.xhtml" media-type="application/xhtml+xml"/>
    <item id="c1" href="text/ch1.xhtml" media-type="application/xhtml+xml"/>
    <item id="cover" href="text/cover.xhtml" media-type="application/xhtml+xml"/>
  </manifest>
  <spine toc="ncx">
    <itemref idref="cover"/>
    <itemref idref="c1"/>
    <itemref idref="notes" linear="no"/>
    <itemref idref="c2"/>
  </spine>
</package>
'''
    ncx = '''<?xml version="1.0" encoding="UTF-8"?>
<ncx xmlns="http://www.daisy.org/z3986/2005/ncx/" version="2005-1">
  <head><meta name="dtb:uid" content="urn:uuid:0b6e3c1e-7d1a-4f62-9a55-3f2c1d0e9a01"/></head>
  <docTitle><text>山雨</text></docTitle>
  <navMap>
    <navPoint id="p1" playOrder="1"><navLabel><text>第一章</text></navLabel><content src="text/ch1.xhtml"/></navPoint>
    <navPoint id="p2" playOrder="2"><navLabel><text>第二章</text></navLabel><content src="text/ch2.xhtml"/></navPoint>
  </navMap>
</ncx>
'''
    cover = page('封面', '<div class="cover"><img src="../images/cover.png" alt="山雨"/></div>')
    ch1 = page('第一章', '''<p class="pagenav"><a href="cover.xhtml">上一页</a> | <a href="ch2.xhtml">下一页</a></p>
<h1>第一章　山雨</h1>
<p>镕儿推开窗，雨还在下。<a href="notes.xhtml#n1"><span class="fn">[1]</span></a></p>
<p>远处的山　隐在雾里。</p>''')
    ch2 = page('第二章', '''<h1>第二章　归途</h1>
<p>喆哥说：“走吧，天快黑了。”</p>
<p class="pagenav">返回目录</p>''', enc='GBK').encode('gbk')
    notes = page('注释', '<p id="n1">[1] 镕：音 róng。</p>')
    path = os.path.join(folder('epub2-spine-order'), 'input.epub')
    write_zip(path, [
        ('mimetype', 'application/epub+zip', False),
        ('META-INF/container.xml', CONTAINER, True),
        ('OEBPS/content.opf', opf, True),
        ('OEBPS/toc.ncx', ncx, True),
        ('OEBPS/styles/book.css', CSS, True),
        ('OEBPS/text/ch2.xhtml', ch2, True),
        ('OEBPS/text/notes.xhtml', notes, True),
        ('OEBPS/text/ch1.xhtml', ch1, True),
        ('OEBPS/text/cover.xhtml', cover, True),
        ('OEBPS/images/cover.png', PNG, False),
    ])


def epub3():
    opf = '''<?xml version="1.0" encoding="UTF-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="uid" xml:lang="zh-CN">
  <metadata xmlns:dc="http://purl.org/dc/elements/1.1/">
    <dc:identifier id="uid">urn:uuid:7d1b0c33-5f0e-4a7f-8a51-c2e1a9d3b002</dc:identifier>
    <dc:title>归途</dc:title><dc:language>zh-CN</dc:language>
    <meta property="dcterms:modified">2024-05-01T12:00:00Z</meta>
  </metadata>
  <manifest>
    <item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>
    <item id="s" href="styles/book.css" media-type="text/css"/>
    <item id="t" href="text/title.xhtml" media-type="application/xhtml+xml"/>
    <item id="a" href="text/a.xhtml" media-type="application/xhtml+xml"/>
    <item id="b" href="text/b.xhtml" media-type="application/xhtml+xml"/>
    <item id="n" href="text/endnotes.xhtml" media-type="application/xhtml+xml"/>
  </manifest>
  <spine>
    <itemref idref="t"/>
    <itemref idref="nav"/>
    <itemref idref="n" linear="no"/>
    <itemref idref="b"/>
    <itemref idref="a"/>
  </spine>
</package>
'''
    epub_ns = ' xmlns:epub="http://www.idpf.org/2007/ops"'
    nav = '''<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE html>
<html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops">
<head><title>目录</title><link rel="stylesheet" href="styles/book.css"/></head>
<body>
<nav epub:type="toc" id="toc"><h1>目录</h1>
<ol>
  <li><a href="text/b.xhtml">上卷　春</a></li>
  <li><a href="text/a.xhtml">下卷　秋</a></li>
</ol></nav>
<nav epub:type="landmarks" hidden=""><ol><li><a epub:type="bodymatter" href="text/b.xhtml">正文</a></li></ol></nav>
</body></html>
'''
    title = page('书名', '<section epub:type="titlepage"><h1>归途</h1><p>Return Journey</p></section>', extra=epub_ns)
    b = page('上卷', '''<section epub:type="chapter"><h2>上卷　春</h2>
<p>春雨<em>细细</em>地落。<a epub:type="noteref" href="endnotes.xhtml#e1">1</a></p>
<aside epub:type="footnote" class="pagenav">页脚导航</aside></section>''', extra=epub_ns)
    a = page('下卷', '''<section epub:type="chapter"><h2>下卷　秋</h2>
<p>Leaves fall;<br/>风起了。</p></section>''', extra=epub_ns)
    # Self-closed elements whose content a page parser would otherwise read as raw text.
    a = a.replace('<title>下卷</title>', '<title/><script type="text/javascript" src="../js/reader.js"/>')
    notes = page('尾注', '<aside epub:type="endnote" id="e1"><p>1. 细细：轻柔的样子。</p></aside>', extra=epub_ns)
    path = os.path.join(folder('epub3-nav-and-notes'), 'input.epub')
    write_zip(path, [
        ('mimetype', 'application/epub+zip', False),
        ('META-INF/container.xml', CONTAINER, True),
        ('OEBPS/text/a.xhtml', a, True),
        ('OEBPS/text/b.xhtml', b, True),
        ('OEBPS/text/endnotes.xhtml', notes, True),
        ('OEBPS/content.opf', opf, True),
        ('OEBPS/nav.xhtml', nav, True),
        ('OEBPS/styles/book.css', CSS, True),
        ('OEBPS/text/title.xhtml', title, True),
    ])


def html_part(html, location, charset='utf-8', encoding='base64', cid=None):
    """A text/html part holding `html` encoded in `charset`, with the transfer encoding
    given."""
    part = email.mime.nonmultipart.MIMENonMultipart('text', 'html', charset=charset)
    data = html.encode(charset if charset != 'gb2312' else 'gbk')
    if encoding == 'base64':
        part.set_payload(base64.encodebytes(data).decode('ascii'))
    else:
        part.set_payload(quopri.encodestring(data).decode('ascii'))
    part['Content-Transfer-Encoding'] = encoding
    part['Content-Location'] = location
    if cid:
        part['Content-ID'] = '<' + cid + '>'
    return part


def other_part(maintype, subtype, data, location, charset=None):
    params = {'charset': charset} if charset else {}
    part = email.mime.nonmultipart.MIMENonMultipart(maintype, subtype, **params)
    if isinstance(data, str):
        part.set_payload(quopri.encodestring(data.encode('utf-8')).decode('ascii'))
        part['Content-Transfer-Encoding'] = 'quoted-printable'
    else:
        part.set_payload(base64.encodebytes(data).decode('ascii'))
        part['Content-Transfer-Encoding'] = 'base64'
    part['Content-Location'] = location
    return part


def saved_page(parts, start=None, url='https://novel.example.com/book/12/345.html'):
    """A page saved the way current browsers save one: multipart/related, the page first."""
    msg = email.mime.multipart.MIMEMultipart('related', type='text/html', boundary='----MultipartBoundary--Qx7rTz0aLk----')
    if start:
        msg.set_param('start', '<' + start + '>')
    del msg['MIME-Version']
    msg['From'] = '<Saved by Blink>'
    msg['Snapshot-Content-Location'] = url
    msg['Subject'] = '=?utf-8?Q?=E7=AC=AC?='
    msg['Date'] = 'Wed, 1 May 2024 12:00:00 -0000'
    msg['MIME-Version'] = '1.0'
    for p in parts:
        del p['MIME-Version']
        msg.attach(p)
    return msg.as_bytes(policy=email.policy.SMTP)


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def mht_current():
    html = '''<!DOCTYPE html><html><head><meta charset="utf-8"><title>第三百四十五章</title>
<link rel="stylesheet" href="https://novel.example.com/css/site.css"></head>
<body><h1>第三百四十五章　夜雨</h1>
<div class="content"><p>夜雨敲窗，灯花未落。</p><p>她轻声道：“明日再走。”</p>
<img src="https://novel.example.com/img/seal.png" alt="印章"></div>
<script>document.write("广告")</script></body></html>'''
    data = saved_page([
        html_part(html, 'https://novel.example.com/book/12/345.html'),
        other_part('image', 'png', PNG, 'https://novel.example.com/img/seal.png'),
    ])
    write(os.path.join(folder('mht-current-base64'), 'input.mht'), data)


def mht_legacy():
    # An older browser's saved page: the whole file one message/rfc822 holding the page,
    # declared gb2312 but written in GBK (镕 and 喆 are outside GB2312), quoted-printable.
    html = '''<HTML><HEAD><TITLE>旧文</TITLE></HEAD>
<BODY><P>朱镕基与陶喆</P>
<P>第二段&nbsp;文字。<BR>换行之后。</P></BODY></HTML>'''
    inner = html_part(html, 'http://www.example.cn/old/page.htm', charset='gb2312', encoding='quoted-printable')
    del inner['MIME-Version']
    inner['MIME-Version'] = '1.0'
    outer = email.mime.base.MIMEBase('message', 'rfc822')
    outer.set_payload(inner.as_string(policy=email.policy.SMTP))
    del outer['MIME-Version']
    head = ('From: <Saved by Microsoft Internet Explorer 5>\r\nSubject: =?gb2312?B?vsnOxA==?=\r\n'
            'MIME-Version: 1.0\r\n')
    body = outer.as_bytes(policy=email.policy.SMTP)
    write(os.path.join(folder('mht-legacy-gbk-qp'), 'input.mht'), head.encode('ascii') + body)


def mht_style():
    html = '''<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<link rel="stylesheet" type="text/css" href="../css/reader.css">
<link rel="alternate stylesheet" href="../css/night.css" title="夜间">
<link rel="stylesheet" href="https://cdn.example.net/never-saved.css">
</head><body>
<div id="nav"><a href="/">首页</a> &gt; <a href="/book/7/">书页</a></div>
<div class="chapter"><h2>第七章</h2><p>正文第一段。</p><p class="ad">本站广告</p><p>正文第二段。</p></div>
<div class="footer">返回顶部</div></body></html>'''
    css = '#nav, .footer { display: none } .ad { visibility: hidden }'
    night = '.chapter { display: none }'
    data = saved_page([
        html_part(html, 'https://read.example.org/book/7/ch7.html', encoding='quoted-printable'),
        other_part('text', 'css', css, 'https://read.example.org/book/css/reader.css'),
        other_part('text', 'css', night, 'https://read.example.org/book/css/night.css'),
    ], url='https://read.example.org/book/7/ch7.html')
    write(os.path.join(folder('mht-linked-style'), 'input.mhtml'), data)


def mht_frames():
    top = '''<html><head><title>小说</title></head>
<frameset cols="20%,80%"><frame src="menu.htm" name="menu"><frame src="text/ch1.htm" name="main">
<noframes><body>您的浏览器不支持框架</body></noframes></frameset></html>'''
    menu = '<html><body><ul><li>第一章</li><li>第二章</li></ul></body></html>'
    ch1 = '''<html><body><p>第一章正文。</p><iframe src="ad.htm"></iframe><p>完。</p></body></html>'''
    ad = '<html><body>框内广告</body></html>'
    data = saved_page([
        html_part(top, 'http://www.example.com/novel/index.htm', cid='frames@example', charset='utf-8'),
        html_part(ch1, 'http://www.example.com/novel/text/ch1.htm', charset='utf-8'),
        html_part(menu, 'http://www.example.com/novel/menu.htm', charset='utf-8'),
        html_part(ad, 'http://www.example.com/novel/text/ad.htm', charset='utf-8'),
    ], start='frames@example', url='http://www.example.com/novel/index.htm')
    write(os.path.join(folder('mht-frameset'), 'input.mht'), data)


def chm_gbk():
    """A help file compiled by chmcmd: GBK topics without a charset of their own (the
    book's language 0x0804 says code page 936), one UTF-8 topic that declares itself, a
    table of contents in non-alphabetical order naming one topic twice, and a topic
    outside the table of contents."""
    if not shutil.which('chmcmd'):
        print('chmcmd not found (Debian package fp-utils); the CHM case is left as it is')
        return
    topics = {
        'intro.htm': ('<html><head><title>序</title></head><body><h1>序言</h1>'
                      '<p>此书记朱镕基与陶喆之事。</p></body></html>', 'gbk'),
        'ch/zhang1.htm': ('<html><head><title>一</title><link rel="stylesheet" href="../style.css"></head>'
                          '<body><div class="nav">上一页 下一页</div><h2>第一章</h2>'
                          '<p>山中无甲子，寒尽不知年。</p></body></html>', 'gbk'),
        'ch/zhang2.htm': ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">'
                          '<title>二</title></head><body><h2>第二章</h2><p>喆：自带 UTF-8 声明。</p></body></html>',
                          'utf-8'),
        'appendix.htm': ('<html><body><p>附录：未列入目录。</p></body></html>', 'gbk'),
    }
    hhc = '''<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<HTML><HEAD></HEAD><BODY>
<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>
<UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="序言"><param name="Local" value="intro.htm"></OBJECT>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="正文"></OBJECT>
  <UL>
    <LI><OBJECT type="text/sitemap"><param name="Name" value="第二章"><param name="Local" value="ch/zhang2.htm"></OBJECT>
    <LI><OBJECT type="text/sitemap"><param name="Name" value="第一章"><param name="Local" value="ch/zhang1.htm#top"></OBJECT>
    <LI><OBJECT type="text/sitemap"><param name="Name" value="再看序言"><param name="Local" value="intro.htm"></OBJECT>
  </UL>
</UL>
</BODY></HTML>
'''
    hhp = '''[OPTIONS]
Compatibility=1.1 or later
Compiled file=input.chm
Contents file=toc.hhc
Default topic=intro.htm
Display compile progress=No
Language=0x804 Chinese (PRC)
Title=GBK

[FILES]
appendix.htm
ch/zhang1.htm
ch/zhang2.htm
intro.htm
style.css
'''
    with tempfile.TemporaryDirectory() as work:
        os.makedirs(os.path.join(work, 'ch'))
        for name, (html, enc) in topics.items():
            write(os.path.join(work, name), html.encode(enc))
        write(os.path.join(work, 'style.css'), b'.nav { display: none }')
        write(os.path.join(work, 'toc.hhc'), hhc.encode('gbk'))
        write(os.path.join(work, 'book.hhp'), hhp.encode('ascii'))
        subprocess.run(['chmcmd', 'book.hhp'], cwd=work, check=True, stdout=subprocess.DEVNULL)
        shutil.copy(os.path.join(work, 'input.chm'), os.path.join(folder('chm-gbk-toc-order'), 'input.chm'))


def chm_looping_toc():
    """For the bad-input suite (tests/data/readers-bad): a table of contents of 20,000
    entries cycling through two topics, itself and a link back into the same book, a
    merge of itself, and lists nested 3,000 deep."""
    if not shutil.which('chmcmd'):
        return
    cycle = ['a.htm', 'b.htm', 'toc.hhc', 'ms-its:book.chm::/toc.hhc']
    items = ''.join('<LI><OBJECT type="text/sitemap"><param name="Name" value="x">'
                    '<param name="Local" value="%s"></OBJECT>' % cycle[i % 4] for i in range(20000))
    deep = ('<UL>' * 3000 + '<LI><OBJECT type="text/sitemap"><param name="Local" value="b.htm"></OBJECT>' +
            '</UL>' * 3000)
    hhc = ('<HTML><BODY><OBJECT type="text/sitemap"><param name="Merge" value="book.chm::/toc.hhc"></OBJECT>'
           '<UL>' + items + '</UL>' + deep + '</BODY></HTML>')
    hhp = ('[OPTIONS]\nCompiled file=book.chm\nContents file=toc.hhc\nDefault topic=a.htm\n'
           'Language=0x804\n\n[FILES]\na.htm\nb.htm\n')
    with tempfile.TemporaryDirectory() as work:
        write(os.path.join(work, 'toc.hhc'), hhc.encode('ascii'))
        write(os.path.join(work, 'a.htm'), b'<html><body><p>A topic</p><a href="b.htm">b</a></body></html>')
        write(os.path.join(work, 'b.htm'), b'<html><body><p>B topic</p><a href="a.htm">a</a></body></html>')
        write(os.path.join(work, 'book.hhp'), hhp.encode('ascii'))
        subprocess.run(['chmcmd', 'book.hhp'], cwd=work, check=True, stdout=subprocess.DEVNULL)
        bad = os.path.join(HERE, '..', 'readers-bad')
        os.makedirs(bad, exist_ok=True)
        shutil.copy(os.path.join(work, 'book.chm'), os.path.join(bad, 'looping-toc.chm'))


def fuzz_seeds():
    """Small seeds for the readers' fuzz targets (tests/fuzz/fuzz_*): every member stored
    uncompressed so that mutations reach the XML and the markup."""
    seeds = os.path.join(HERE, '..', '..', 'fuzz')
    os.makedirs(os.path.join(seeds, 'fuzz_epub'), exist_ok=True)
    with zipfile.ZipFile(os.path.join(seeds, 'fuzz_epub', 'stored.epub'), 'w') as z:
        def put(name, data):
            z.writestr(zipfile.ZipInfo(name, date_time=(2024, 5, 1, 12, 0, 0)), data)
        put('mimetype', 'application/epub+zip')
        put('META-INF/container.xml', CONTAINER)
        put('OEBPS/content.opf', '<package xmlns="http://www.idpf.org/2007/opf" version="3.0"><manifest>'
            '<item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>'
            '<item id="b" href="b.xhtml" media-type="application/xhtml+xml"/></manifest>'
            '<spine><itemref idref="b" linear="no"/><itemref idref="a"/></spine></package>')
        put('OEBPS/a.xhtml', '<?xml version="1.0" encoding="GBK"?><html><head><link rel="stylesheet" href="s.css"/>'
            '</head><body><p class="x">a</p><p>b</p></body></html>')
        put('OEBPS/b.xhtml', '<html><body><h1>t</h1></body></html>')
        put('OEBPS/s.css', '.x{display:none}')
    os.makedirs(os.path.join(seeds, 'fuzz_mht'), exist_ok=True)
    mht = ('Content-Type: multipart/related; start="<r>"; boundary="b"\r\n\r\n'
           '--b\r\nContent-Type: text/html; charset=gbk\r\nContent-ID: <r>\r\n'
           'Content-Location: http://h/d/p.htm\r\n\r\n'
           '<frameset><frame src="f.htm"><frame src="cid:x"></frameset>\r\n'
           '--b\r\nContent-Type: text/html\r\nContent-Location: http://h/d/f.htm\r\n'
           'Content-Transfer-Encoding: quoted-printable\r\n\r\n'
           '<link rel=3Dstylesheet href=3D"../s.css"><p class=3Dn>x</p><p>=C4=E3</p>\r\n'
           '--b\r\nContent-Type: text/css\r\nContent-Location: http://h/s.css\r\n\r\n.n{display:none}\r\n'
           '--b\r\nContent-Type: text/html\r\nContent-ID: <x>\r\nContent-Transfer-Encoding: base64\r\n\r\n'
           'PHA+aGk8L3A+\r\n--b--\r\n')
    write(os.path.join(seeds, 'fuzz_mht', 'frames.mht'), mht.encode('ascii'))
    if shutil.which('chmcmd'):
        os.makedirs(os.path.join(seeds, 'fuzz_chm'), exist_ok=True)
        with tempfile.TemporaryDirectory() as work:
            write(os.path.join(work, 't.htm'), '<p>一</p>'.encode('gbk'))
            write(os.path.join(work, 'u.htm'), b'<p>two</p>')
            write(os.path.join(work, 'toc.hhc'), b'<ul><li><object type="text/sitemap">'
                  b'<param name="Local" value="u.htm"></object></ul>')
            write(os.path.join(work, 'b.hhp'), b'[OPTIONS]\nCompiled file=small.chm\nContents file=toc.hhc\n'
                  b'Language=0x404\n\n[FILES]\nt.htm\nu.htm\n')
            subprocess.run(['chmcmd', 'b.hhp'], cwd=work, check=True, stdout=subprocess.DEVNULL)
            shutil.copy(os.path.join(work, 'small.chm'), os.path.join(seeds, 'fuzz_chm', 'small.chm'))


if __name__ == '__main__':
    epub2()
    epub3()
    mht_current()
    mht_legacy()
    mht_style()
    mht_frames()
    chm_gbk()
    chm_looping_toc()
    fuzz_seeds()
