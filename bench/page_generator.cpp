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

}  // namespace

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
