#include "page_generator.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "common/text.h"
#include "io/codepage.h"

namespace sorvane::bench {
namespace {

// Common characters of modern Chinese prose (all in GB2312, so the GBK pages round-trip).
const char16_t kCharacters[] =
    u"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学对可她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面公同三已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使教西再平真听世气信北少关并内加化由却代军产入先山五太水万市眼体别处总才场师书比住员九笑性通目华报立马命张活难神数件安表原车白应路期叫死常提感金何更反合放做系计或司利受光王果亲界及今京务制解各任至清物台象记边共风战干接它许八特觉望直服毛林题建南度统色字请交爱让认算论百吃义科怎元社术结六功指思非流每青管夫连远资队跟带花快条院变联言权往展该领传近留红治决周保达办运武半候七必城父强步完革深区即求品士转量空甚众技轻程告江语英基派满式李息写呢识极令黄德收脸钱党倒未持取设始版双历越史商千片容研像找友孩站广改议形委早房音火际则首单据导影失拿网香似斯专石若兵弟谁校读志飞观争究包组造落视济喜离虽坏兴办";
const char16_t kPunctuation[] = u"，，，。、；：！？";

std::u16string sentence(std::mt19937& rng)
{
    std::u16string s;
    const int clauses = 1 + static_cast<int>(rng() % 3);
    for (int c = 0; c < clauses; ++c) {
        const int len = 4 + static_cast<int>(rng() % 12);
        for (int i = 0; i < len; ++i)
            s.push_back(kCharacters[rng() % (std::size(kCharacters) - 1)]);
        s.push_back(c + 1 < clauses ? kPunctuation[rng() % 4] : kPunctuation[4 + rng() % 5]);
    }
    if (rng() % 7 == 0)
        s = u"“" + s + u"”";
    return s;
}

const char* const kWords[] = {
    "the",   "of",    "and",  "to",    "a",      "in",    "that",   "he",     "was",   "it",    "his",   "with",
    "as",    "had",   "for",  "you",   "be",     "at",    "on",     "her",    "but",   "not",   "is",    "my",
    "by",    "which", "she",  "this",  "from",   "have",  "all",    "so",     "were",  "they",  "him",   "are",
    "one",   "me",    "or",   "an",    "said",   "we",    "no",     "been",   "their", "when",  "would", "there",
    "what",  "if",    "out",  "up",    "could",  "then",  "into",   "them",   "more",  "some",  "only",  "like",
    "very",  "upon",  "now",  "any",   "time",   "little", "man",   "great",  "see",   "down",  "must",  "should",
    "about", "over",  "well", "shall", "before", "know",  "made",   "such",   "than",  "can",   "old",   "other",
    "again", "did",   "these", "may",  "good",   "say",   "two",    "long",   "came",  "never", "after", "how",
    "much",  "even",  "most", "our",   "who",    "went",  "where",  "through", "thought", "own", "house", "morning"};

std::string englishSentence(std::mt19937& rng)
{
    std::string s;
    const int words = 6 + static_cast<int>(rng() % 22);
    for (int i = 0; i < words; ++i) {
        std::string w = kWords[rng() % std::size(kWords)];
        if (i == 0)
            w[0] = static_cast<char>(w[0] - 'a' + 'A');
        if (i > 0)
            s += rng() % 9 == 0 ? ", " : " ";
        s += w;
    }
    return s + ".....?!;"[rng() % 8];
}

}  // namespace

std::string makeEnglishBookPage(std::size_t approxBytes, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string page =
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
        "<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\" />\n"
        "<title>A Long Story, by A. Writer</title>\n<style type=\"text/css\">\n"
        "body { margin-left: 10%; margin-right: 10%; }\nh1, h2 { text-align: center; }\n"
        "p { text-indent: 1em; margin-top: .51em; text-align: justify; }\n"
        ".pagenum { position: absolute; left: 92%; font-size: smaller; }\n</style>\n</head>\n<body>\n"
        "<h1>A LONG STORY</h1>\n";
    int chapter = 1;
    int pageNumber = 1;
    while (page.size() < approxBytes) {
        if (rng() % 50 == 0) {
            page += "\n<hr class=\"chap\" />\n<div class=\"chapter\">\n<h2><a id=\"chap" + std::to_string(chapter) +
                    "\"></a>CHAPTER " + std::to_string(chapter) + ".</h2>\n";
            ++chapter;
            continue;
        }
        std::string paragraph;
        const int sentences = 3 + static_cast<int>(rng() % 12);
        for (int i = 0; i < sentences; ++i) {
            if (i > 0)
                paragraph += ' ';
            paragraph += rng() % 30 == 0 ? "<i>" + englishSentence(rng) + "</i>" : englishSentence(rng);
        }
        if (rng() % 10 == 0) {
            const std::string n = std::to_string(pageNumber++);
            paragraph = "<span class=\"pagenum\"><a id=\"Page_" + n + "\">[Pg " + n + "]</a></span>" + paragraph;
        }
        // Wrapped at about 70 columns, as the source text was.
        std::string wrapped;
        std::size_t column = 0;
        std::size_t start = 0;
        while (start < paragraph.size()) {
            std::size_t end = paragraph.find(' ', start);
            if (end == std::string::npos)
                end = paragraph.size();
            const std::size_t length = end - start;
            if (column > 0 && column + 1 + length > 72) {
                wrapped += '\n';
                column = 0;
            } else if (column > 0) {
                wrapped += ' ';
                ++column;
            }
            wrapped.append(paragraph, start, length);
            column += length;
            start = end + 1;
        }
        page += "<p>\n" + wrapped + "\n</p>\n\n";
    }
    return page + "</body>\n</html>\n";
}

std::string makeNovelPage(std::size_t approxBytes, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string page = encodeCp936(
        u"<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n"
        u"<title>第一章 长夜_某某小说_某某中文网</title>\n<link rel=\"stylesheet\" href=\"/css/style.css\" />\n"
        u"<script src=\"/js/common.js\"></script>\n</head>\n<body>\n<div id=\"wrapper\">\n"
        u"<div class=\"header\"><a href=\"/\">某某中文网</a></div>\n<div class=\"box_con\">\n"
        u"<div class=\"bookname\"><h1>第一章 长夜</h1>\n<div class=\"bottem1\"><a href=\"/book/1/\">章节目录</a> "
        u"<a href=\"/book/1/2.html\">下一章</a></div></div>\n<div id=\"content\">").bytes;
    const std::string tail =
        encodeCp936(u"</div>\n<div class=\"bottem2\"><a href=\"/book/1/2.html\">下一章</a></div>\n</div>\n</div>\n"
                    u"<script>read3();</script>\n</body>\n</html>\n")
            .bytes;
    // Paragraphs from one line of dialogue to a dozen sentences.
    while (page.size() + tail.size() < approxBytes) {
        std::u16string paragraph = u"&nbsp;&nbsp;&nbsp;&nbsp;";
        const int n = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i)
            paragraph += sentence(rng);
        paragraph += u"<br />\n<br />\n";
        page += encodeCp936(paragraph).bytes;
    }
    return page + tail;
}

std::string makePage(std::size_t approxBytes, PageEncoding encoding, unsigned seed)
{
    std::mt19937 rng(seed);
    std::u16string page;
    page += encoding == PageEncoding::Gbk
                ? u"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n"
                  u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
                : u"<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n";
    page += u"<title>" + sentence(rng) + u"</title>\n<style type=\"text/css\">\nbody { font-size: 16px; "
            u"line-height: 1.8; }\n.nav a { margin: 0 4px; }\n</style>\n<script type=\"text/javascript\">\n"
            u"var _hm = _hm || []; function go(u) { window.location = u; }\n</script>\n</head>\n<body>\n"
            u"<div class=\"nav\"><a href=\"index.htm\">首页</a> | <a href=\"list.htm\">目录</a> | "
            u"<a href=\"next.htm\">下一页</a></div>\n";
    // Characters of the target size: a Chinese character is 2 bytes in GBK, 3 in UTF-8.
    const double bytesPerChar = encoding == PageEncoding::Gbk ? 1.9 : 2.6;
    const std::size_t targetChars = static_cast<std::size_t>(static_cast<double>(approxBytes) / bytesPerChar);
    int chapter = 1;
    while (page.size() < targetChars) {
        const unsigned kind = rng() % 40;
        if (kind == 0) {
            page += u"<h3>第" + fromUtf8(std::to_string(chapter++)) + u"节　" + sentence(rng) + u"</h3>\n";
        } else if (kind == 1) {
            page += u"<table border=\"1\" cellpadding=\"2\">\n";
            for (int r = 0; r < 4; ++r) {
                page += u"<tr>";
                for (int c = 0; c < 3; ++c)
                    page += u"<td>" + sentence(rng).substr(0, 6) + u"</td>";
                page += u"</tr>\n";
            }
            page += u"</table>\n";
        } else if (kind == 2) {
            page += u"<div align=\"center\">==============================</div>\n";
        } else if (kind < 12) {
            // Old-style text: indents and <br> line breaks.
            page += u"&nbsp;&nbsp;&nbsp;&nbsp;" + sentence(rng) + sentence(rng) + u"<br>\n<br>\n";
        } else {
            page += u"<p>　　";
            const int n = 2 + static_cast<int>(rng() % 6);
            for (int i = 0; i < n; ++i)
                page += sentence(rng);
            if (rng() % 5 == 0)
                page += u"<font color=\"#336699\">" + sentence(rng) + u"</font>";
            page += u"</p>\n";
        }
    }
    page += u"<div class=\"nav\"><a href=\"index.htm\">返回目录</a></div>\n<script>go;</script>\n</body>\n</html>\n";
    if (encoding == PageEncoding::Gbk)
        return encodeCp936(page).bytes;
    return toUtf8(page);
}

std::vector<std::filesystem::path> writeChapters(const std::filesystem::path& folder, int count,
                                                 std::size_t chapterBytes)
{
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "chapter%04d.htm", i);
        const std::filesystem::path p = folder / name;
        const std::string bytes =
            makePage(chapterBytes, i % 2 ? PageEncoding::Utf8 : PageEncoding::Gbk, static_cast<unsigned>(i));
        std::ofstream out(p, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + p.string());
        paths.push_back(p);
    }
    return paths;
}

std::filesystem::path scratchFolder(const std::string& name)
{
    static const struct Folder {
        std::filesystem::path path;
        Folder()
        {
            std::random_device rd;
            path = std::filesystem::temp_directory_path() / ("sorvane-bench-" + std::to_string(rd()));
            std::filesystem::create_directories(path);
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } folder;
    const std::filesystem::path sub = folder.path / name;
    std::filesystem::create_directories(sub);
    return sub;
}

}  // namespace sorvane::bench
