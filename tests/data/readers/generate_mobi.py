#!/usr/bin/env python3
"""Writes the input.mobi of the Mobipocket golden folders beside their hand-written
expected.txt, and the damaged books of tests/data/readers-bad: a Palm database whose
record 0 holds the PalmDOC and MOBI headers, then the text records. Run from anywhere."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
BAD = os.path.join(HERE, '..', 'readers-bad')
RECORD_SIZE = 4096


def palmdoc_compress(data):
    """PalmDOC (LZ77) compression: back-references of 3 to 10 bytes within 2047 bytes,
    space + character pairs, and runs of literal bytes."""
    out = bytearray()
    i = 0
    while i < len(data):
        best_len, best_dist = 0, 0
        for dist in range(1, min(i, 2047) + 1):
            length = 0
            while length < 10 and i + length < len(data) and data[i - dist + length] == data[i + length]:
                length += 1
            if length > best_len:
                best_len, best_dist = length, dist
        if best_len >= 3:
            code = 0x8000 | (best_dist << 3) | (best_len - 3)
            out += struct.pack('>H', code)
            i += best_len
        elif data[i] == 0x20 and i + 1 < len(data) and 0x40 <= data[i + 1] <= 0x7F:
            out.append(data[i + 1] ^ 0x80)
            i += 2
        elif data[i] == 0 or 0x09 <= data[i] <= 0x7F:
            out.append(data[i])
            i += 1
        else:
            run = bytes([data[i]])
            out.append(1)
            out += run
            i += 1
    return bytes(out)


def record0(text_length, text_records, compression, encoding, name, encryption=0):
    header_length = 232
    mobi = bytearray(header_length)
    struct.pack_into('>4sIII', mobi, 0, b'MOBI', header_length, 2, encoding)
    struct.pack_into('>II', mobi, 16, 0x12345678, 6)        # unique id, file version
    for off in range(24, 64, 4):                              # no indexes
        struct.pack_into('>I', mobi, off, 0xFFFFFFFF)
    first_non_text = text_records + 1
    full_name_offset = 16 + header_length
    struct.pack_into('>III', mobi, 64, first_non_text, full_name_offset, len(name))
    struct.pack_into('>I', mobi, 76, 9)                       # locale: English
    struct.pack_into('>I', mobi, 88, 6)                       # minimum reader version
    struct.pack_into('>I', mobi, 92, 0xFFFFFFFF)              # first image record: none
    struct.pack_into('>I', mobi, 96, 0)                       # no HUFF records
    struct.pack_into('>I', mobi, 112, 0)                      # no EXTH header
    struct.pack_into('>I', mobi, 148, 0xFFFFFFFF)
    struct.pack_into('>I', mobi, 152, 0xFFFFFFFF)             # no DRM
    struct.pack_into('>HH', mobi, 176, 1, text_records)       # first and last content record
    struct.pack_into('>I', mobi, 180, 1)
    for off in (184, 192, 208):
        struct.pack_into('>I', mobi, off, 0xFFFFFFFF)
    struct.pack_into('>I', mobi, 212, 0)
    struct.pack_into('>H', mobi, 226, 0)                      # no trailing entries in text records
    struct.pack_into('>I', mobi, 228, 0xFFFFFFFF)             # no NCX index
    palmdoc = struct.pack('>HHIHHHH', compression, 0, text_length, text_records, RECORD_SIZE, encryption, 0)
    return palmdoc + bytes(mobi) + name + b'\0\0'


def palm_database(name, records):
    count = len(records)
    header = bytearray(78)
    header[0:len(name)] = name[:31]
    struct.pack_into('>4s4sIIH', header, 60, b'BOOK', b'MOBI', 0, 0, count)
    offset = 78 + 8 * count + 2
    table = bytearray()
    for uid, rec in enumerate(records):
        table += struct.pack('>II', offset, uid * 2)
        offset += len(rec)
    return bytes(header) + bytes(table) + b'\0\0' + b''.join(records)


def mobi_book(markup, compression, encoding, encryption=0):
    chunks = [markup[i:i + RECORD_SIZE] for i in range(0, len(markup), RECORD_SIZE)]
    texts = [palmdoc_compress(c) if compression == 2 else c for c in chunks]
    first = record0(len(markup), len(texts), compression, encoding, b'Test Book', encryption)
    eof = b'\xe9\x8e\r\n'
    return palm_database(b'Test_Book', [first] + texts + [eof])


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


CHAPTERS = ''.join(
    '<h2>Chapter %d</h2><p>Line %d of a long book, told again and again so that the text '
    'needs more than one record.</p><mbp:pagebreak/>' % (n, n) for n in range(1, 60))
PALMDOC = ('<html><head><guide></guide></head><body>'
           '<h1>\u4e66\u540d A Book</h1><p>First paragraph, <b>bold</b> and plain.</p>'
           '<mbp:pagebreak/>' + CHAPTERS + '<p>The end.</p></body></html>').encode('utf-8')
CP1252 = ('<html><body><p>Caf\u00e9 cr\u00e8me \u2013 na\u00efve</p>'
          '<p>Second &amp; last.</p></body></html>').encode('cp1252')

write(os.path.join(HERE, 'mobi-palmdoc', 'input.mobi'), mobi_book(PALMDOC, 2, 65001))
write(os.path.join(HERE, 'mobi-uncompressed-cp1252', 'input.mobi'), mobi_book(CP1252, 1, 1252))
os.makedirs(BAD, exist_ok=True)
book = mobi_book(PALMDOC, 2, 65001)
write(os.path.join(BAD, 'drm-locked.mobi'), mobi_book(PALMDOC, 2, 65001, encryption=2))
write(os.path.join(BAD, 'cut-short.mobi'), book[:300])
write(os.path.join(BAD, 'header-only.mobi'), book[:78])
# Record 0 claims a gigabyte of text for a book of a few kilobytes.
bomb = bytearray(book)
rec0 = struct.unpack_from('>I', bomb, 78)[0]
struct.pack_into('>I', bomb, rec0 + 4, 0x40000000)
write(os.path.join(BAD, 'text-length-bomb.mobi'), bytes(bomb))
# Links to byte offsets the text-rebuilding step cannot resolve (it once reported
# them as a failed allocation).
write(os.path.join(BAD, 'unresolved-links.mobi'),
      mobi_book(b'<p>links</p>' + b'<a filepos=0000000064>x</a>' * 200, 1, 65001))
