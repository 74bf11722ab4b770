#include "engine/readers/document_reader.h"


#include "common/ascii.h"
#include "engine/readers/chm_reader.h"
#include "engine/readers/doc_reader.h"
#include "engine/readers/docx_reader.h"
#include "engine/readers/epub_reader.h"
#include "engine/readers/mht_reader.h"
#include "engine/readers/odt_reader.h"
#include "engine/containers/ole_compound_file.h"
#include "engine/readers/rtf_reader.h"
#include "engine/containers/zip_archive.h"

namespace sorvane {

struct DocumentProbe::Zip {
    std::unique_ptr<ZipArchive> archive;
};

DocumentProbe::DocumentProbe(std::string_view bytes, const std::filesystem::path& path) : m_bytes(bytes)
{
    m_extension = toLowerAscii(path.extension().string());
}

DocumentProbe::~DocumentProbe() = default;

DocumentProbe::Zip* DocumentProbe::zip()
{
    if (!m_zipTried) {
        m_zipTried = true;
        if (looksLikeZip(m_bytes)) {
            auto archive = ZipArchive::open(m_bytes);
            if (archive) {
                m_zip = std::make_unique<Zip>();
                m_zip->archive = std::move(*archive);
            }
        }
    }
    return m_zip.get();
}

bool DocumentProbe::zipHasMember(std::string_view name)
{
    Zip* z = zip();
    return z && z->archive->find(name).has_value();
}

std::optional<std::string> DocumentProbe::zipSmallMember(std::string_view name)
{
    Zip* z = zip();
    if (!z)
        return std::nullopt;
    const auto index = z->archive->find(name);
    if (!index || z->archive->members()[*index].size > 4096)
        return std::nullopt;
    auto content = z->archive->read(*index);
    if (!content)
        return std::nullopt;
    return std::move(*content);
}

namespace {

// An EPUB names itself in a stored "mimetype" member, which comes first so that its
// name and value sit at fixed offsets; books packed without that order still carry the
// member or at least the container file.
bool isEpub(DocumentProbe& p)
{
    if (!looksLikeZip(p.bytes()))
        return false;
    if (p.bytes().size() >= 58 && p.bytes().substr(30, 28) == "mimetypeapplication/epub+zip")
        return true;
    if (auto mime = p.zipSmallMember("mimetype"))
        return mime->starts_with("application/epub+zip");
    return p.zipHasMember("META-INF/container.xml");
}

bool isSavedPage(DocumentProbe& p)
{
    return looksLikeSavedPage(p.bytes());
}

bool isChm(DocumentProbe& p)
{
    return p.startsWith("ITSF");
}

// Word-processor documents. A ZIP archive or compound file named as one goes to its
// reader even when damaged, so that the error says what is wrong with it.
bool isDocxFile(DocumentProbe& p)
{
    if (!looksLikeZip(p.bytes()))
        return false;
    return p.zipHasMember("word/document.xml") || (p.extension() == ".docx" && !p.zipHasMember("mimetype"));
}

bool isOdtFile(DocumentProbe& p)
{
    if (!looksLikeZip(p.bytes()))
        return false;
    if (p.extension() == ".odt")
        return true;
    const auto mime = p.zipSmallMember("mimetype");
    return mime && mime->starts_with("application/vnd.oasis.opendocument.text") &&
           mime->find_first_not_of(" \r\n", 39) == std::string::npos;
}

bool isRtfFile(DocumentProbe& p)
{
    return looksLikeRtf(p.bytes());
}

bool isWordFile(DocumentProbe& p)
{
    if (!looksLikeOle(p.bytes()))
        return false;
    if (p.extension() == ".doc")
        return true;
    auto file = OleCompoundFile::open(p.bytes());
    return file && isWordDocument(**file);
}

bool isZip(DocumentProbe& p)
{
    return looksLikeZip(p.bytes());
}

bool isPdf(DocumentProbe& p)
{
    return p.bytes().substr(0, 1024).find("%PDF-") != std::string_view::npos;
}

bool isCompoundFile(DocumentProbe& p)
{
    return p.startsWith(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
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
        {"MHT", isSavedPage, ".mht .mhtml", readSavedPage, nullptr},
        {"EPUB", isEpub, ".epub", readEpub, nullptr},
        {"CHM", isChm, ".chm", readChm, nullptr},
        {"DOCX", isDocxFile, ".docx", readDocxDocument, nullptr},
        {"ODT", isOdtFile, ".odt", readOdtDocument, nullptr},
        {"RTF", isRtfFile, ".rtf", readRtfDocument, nullptr},
        {"DOC", isWordFile, ".doc", readWordDocumentFile, nullptr},
        {"ZIP", isZip, "", nullptr, "这是一个 ZIP 压缩包，但不是 EPUB 电子书、Word 或 OpenDocument 文档，无法读取"},
        {"PDF", isPdf, "", nullptr, "这是一个 PDF 文档，无法读取"},
        {"OLE", isCompoundFile, "", nullptr, "这是一个 Office 97–2003 格式的复合文档，但不是 Word 文档，无法读取"},
        {"image", isImage, "", nullptr, "这是一个图片文件，不是文本或网页，无法读取"},
        {"archive", isOtherArchive, "", nullptr, "这是一个压缩包（RAR、7z、gzip 等），无法读取，请先解压"},
        {"program", isProgram, "", nullptr, "这是一个可执行程序，不是文本或网页，无法读取"},
    };
    return table;
}

// The first row whose content rule matches, else the first whose extensions list the
// name's.
const DocumentReader* chooseDocumentReader(DocumentProbe& probe)
{
    for (const DocumentReader& row : documentReaders())
        if (row.byContent && row.byContent(probe))
            return &row;
    const std::string& ext = probe.extension();
    if (ext.empty())
        return nullptr;
    for (const DocumentReader& row : documentReaders()) {
        std::string_view list = row.extensions;
        while (!list.empty()) {
            const size_t space = list.find(' ');
            if (list.substr(0, space) == ext)
                return &row;
            list = space == std::string_view::npos ? std::string_view{} : list.substr(space + 1);
        }
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

std::string readableDocumentPatterns()
{
    std::string patterns = "*.htm;*.html";
    for (const DocumentReader& row : documentReaders()) {
        if (!row.read)
            continue;
        std::string_view list = row.extensions;
        while (!list.empty()) {
            const size_t space = list.find(' ');
            patterns += ";*" + std::string(list.substr(0, space));
            list = space == std::string_view::npos ? std::string_view{} : list.substr(space + 1);
        }
    }
    return patterns + ";*.txt";
}

}  // namespace sorvane
