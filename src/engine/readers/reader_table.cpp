#include "engine/readers/reader_table.h"

#include "common/ascii.h"
#include "engine/containers/ole_compound_file.h"
#include "engine/containers/zip_archive.h"
#include "engine/readers/chm_reader.h"
#include "engine/readers/doc_reader.h"
#include "engine/readers/docx_reader.h"
#include "engine/readers/epub_reader.h"
#include "engine/readers/fb2_reader.h"
#include "engine/readers/mht_reader.h"
#include "engine/readers/mobi_reader.h"
#include "engine/readers/odt_reader.h"
#include "engine/readers/rtf_reader.h"
#include "engine/readers/wordml_reader.h"

namespace sorvane {
namespace {

// Kinds recognised only to say what they are; the readers' own checks live with them.

bool isZip(DocumentProbe& p)
{
    return looksLikeZip(p.bytes());
}

// Comic books are archives of page images, named as such.
bool isComicZip(DocumentProbe& p)
{
    return p.extension() == ".cbz" && looksLikeZip(p.bytes());
}

bool isComicRar(DocumentProbe& p)
{
    return p.extension() == ".cbr" && p.startsWith("Rar!\x1A\x07");
}

bool isDjvu(DocumentProbe& p)
{
    return p.startsWith("AT&TFORM");
}

// A PDF starts with its header, at most after some blank lines; the signature further
// in is only text that mentions it (a page about PDF files).
bool isPdf(DocumentProbe& p)
{
    const std::string_view head = p.bytes().substr(0, 1024);
    const std::size_t start = head.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && head.substr(start).starts_with("%PDF-");
}

bool isCompoundFile(DocumentProbe& p)
{
    return p.startsWith(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

// An encrypted DOCX, XLSX or PPTX is a compound file that holds the encrypted package.
bool isEncryptedPackage(DocumentProbe& p)
{
    if (!isCompoundFile(p))
        return false;
    const Result<OleCompoundFile*> file = p.compoundFile();
    return file && (*file)->hasStream("EncryptedPackage");
}

// Word for Windows 2.0 wrote no compound file: its own header, then the text.
bool isWord2(DocumentProbe& p)
{
    return p.extension() == ".doc" && p.startsWith("\xDB\xA5");
}

// WordPerfect documents open with their own signature.
bool isWordPerfect(DocumentProbe& p)
{
    return p.startsWith("\xFFWPC");
}

bool isImage(DocumentProbe& p)
{
    return p.startsWith("\x89PNG\r\n\x1A\n") || p.startsWith("\xFF\xD8\xFF") || p.startsWith("GIF87a") ||
           p.startsWith("GIF89a") || (p.startsWith("RIFF") && p.bytes().size() >= 12 && p.bytes().substr(8, 4) == "WEBP");
}

bool isOtherArchive(DocumentProbe& p)
{
    return p.startsWith("Rar!\x1A\x07") || p.startsWith("7z\xBC\xAF\x27\x1C") || p.startsWith("\x1F\x8B") ||
           p.startsWith("BZh91AY&SY") || p.startsWith("\xFD" "7zXZ");
}

bool isProgram(DocumentProbe& p)
{
    return p.startsWith("\x7F" "ELF") ||
           (p.startsWith("MZ") && p.bytes().substr(0, 1024).find('\0') != std::string_view::npos);
}

}  // namespace

const std::vector<DocumentReader>& documentReaders()
{
    // Containers a reader understands come first, then the ZIP row that refuses any
    // other archive, then formats recognised only to say what they are. Loose pages and
    // plain text are not rows: they are what remains.
    static const std::vector<DocumentReader> table = {
        {"encrypted Office", isEncryptedPackage, "", nullptr,
         "这个 Office 文档已加密，无法读取；请先在原来的程序中去掉密码"},
        mhtReader(),
        epubReader(),
        chmReader(),
        docxReader(),
        odtReader(),
        rtfReader(),
        wordXmlReader(),
        docReader(),
        fb2Reader(),
        mobiReader(),
        {"CBZ", isComicZip, "", nullptr, "这是一个漫画压缩包（CBZ），里面是页面图片，没有文字，无法读取"},
        {"ZIP", isZip, "", nullptr, "这是一个 ZIP 压缩包，但不是 EPUB 电子书、Word 或 OpenDocument 文档，无法读取"},
        {"Word 2", isWord2, "", nullptr, "这是 Word 2.0 格式的文档，太旧，无法读取"},
        {"WordPerfect", isWordPerfect, "", nullptr, "这是一个 WordPerfect 文档，无法读取；请在字处理程序中另存为 .docx 或 .doc 后再转换"},
        {"PDF", isPdf, "", nullptr, "这是一个 PDF 文档，无法读取"},
        {"DjVu", isDjvu, "", nullptr, "这是一个 DjVu 文档（扫描的页面图片），无法读取"},
        {"OLE", isCompoundFile, "", nullptr, "这是一个 Office 97–2003 格式的复合文档，但不是 Word 文档，无法读取"},
        {"image", isImage, "", nullptr, "这是一个图片文件，不是文本或网页，无法读取"},
        {"CBR", isComicRar, "", nullptr, "这是一个漫画压缩包（CBR），里面是页面图片，没有文字，无法读取"},
        {"archive", isOtherArchive, "", nullptr, "这是一个压缩包（RAR、7z、gzip 等），无法读取，请先解压"},
        {"program", isProgram, "", nullptr, "这是一个可执行程序，不是文本或网页，无法读取"},
    };
    return table;
}

// The first row whose content rule matches, else the first whose extensions end the
// name (".fb2.zip" takes two of its parts).
const DocumentReader* chooseDocumentReader(DocumentProbe& probe)
{
    for (const DocumentReader& row : documentReaders())
        if (row.byContent && row.byContent(probe))
            return &row;
    if (probe.extension().empty())
        return nullptr;
    const std::string name = toLowerAscii(probe.path().filename().string());
    for (const DocumentReader& row : documentReaders()) {
        if (row.nameYieldsToMarkup && opensWithMarkup(probe.bytes()))
            continue;
        for (std::string_view listed : row.extensionList())
            if (name.size() > listed.size() && name.ends_with(listed))
                return &row;
    }
    return nullptr;
}

bool knownByContent(DocumentProbe& probe)
{
    for (const DocumentReader& row : documentReaders())
        if (row.byContent && row.byContent(probe))
            return true;
    return false;
}

}  // namespace sorvane
