#include "engine/clean/site_notices.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/clean/phrase_set.h"
#include "engine/clean/text_marks.h"

namespace sorvane::clean {
namespace {

constexpr std::size_t kShortLine = 60;

// Words of a site's navigation bars and reading tools, in both scripts and in English.
const PhraseSet& navigationWords()
{
    static const PhraseSet words = {
        u"上一章", u"下一章", u"上一页", u"下一页", u"上一頁", u"下一頁", u"上一篇", u"下一篇", u"上章", u"下章",
        u"目录", u"目錄", u"章节目录", u"章節目錄", u"章节列表", u"章節列表", u"返回目录", u"返回目錄",
        u"返回书页", u"返回書頁", u"返回书目", u"返回", u"书页", u"書頁", u"加入书签", u"加入書籤", u"书签",
        u"書籤", u"投推荐票", u"投推薦票", u"推荐本书", u"推薦本書", u"加入书架", u"加入書架", u"书架", u"書架",
        u"首页", u"首頁", u"错误举报", u"錯誤舉報", u"章节报错", u"章節報錯", u"回到顶部", u"返回顶部",
        u"返回頂部", u"阅读设置", u"閱讀設置", u"设置", u"設置", u"关灯", u"關燈", u"开灯", u"開燈", u"护眼",
        u"護眼", u"字体", u"字體", u"默认", u"默認", u"繁体", u"繁體", u"简体", u"簡體", u"登录", u"登錄",
        u"注册", u"註冊", u"搜索", u"排行榜", u"全本", u"完本", u"分类", u"分類", u"手机版", u"手機版",
        u"电脑版", u"電腦版", u"最新章节", u"最新章節", u"TXT下载", u"下载", u"下載", u"大", u"中", u"小",
        u"previous chapter", u"next chapter", u"previous", u"next", u"prev", u"chapter list",
        u"table of contents", u"contents", u"index", u"home", u"bookmark", u"report", u"settings", u"toc"};
    return words;
}

// Phrases of a site's notices that a short line holding them is taken for.
const PhraseSet& noticePhrases()
{
    static const PhraseSet phrases = {
        u"本章未完", u"点击下一页", u"點擊下一頁", u"下一页继续", u"下一頁繼續", u"记住本站", u"記住本站",
        u"本站域名", u"本站網域", u"本站网址", u"本站網址", u"本站地址", u"首发域名", u"首發域名", u"首发网址",
        u"首發網址", u"一秒记住", u"一秒記住", u"手机版阅读", u"手機版閱讀", u"手机阅读网", u"手機閱讀網",
        u"手机用户请", u"手機用戶請", u"请收藏本站", u"請收藏本站", u"收藏本站", u"最新章节请", u"最新章節請",
        u"无弹窗", u"無彈窗", u"最快更新", u"更新最快", u"免费阅读", u"免費閱讀", u"全文阅读", u"全文閱讀",
        u"txt下载", u"本站所有", u"转载作品", u"轉載作品", u"网友上传", u"網友上傳", u"网友发布", u"網友發布",
        u"版权归", u"版權歸", u"如有侵权", u"如有侵權", u"不代表本站", u"ICP备", u"ICP證", u"copyright",
        u"all rights reserved", u"本章字数", u"本章字數", u"更新时间", u"更新時間", u"章节错误", u"章節錯誤",
        u"点此举报", u"點此舉報", u"previous chapter", u"next chapter", u"table of contents",
        u"report chapter", u"please visit", u"read the latest", u"latest chapters"};
    return phrases;
}

// Notice phrases that never belong to a story: the sentence or aside holding one is cut
// even from a long paragraph.
const PhraseSet& strongNoticePhrases()
{
    static const PhraseSet phrases = {
        u"本章未完", u"下一页继续", u"下一頁繼續", u"记住本站", u"記住本站", u"本站域名", u"本站地址",
        u"本站网址", u"本站網址", u"首发域名", u"首發域名", u"一秒记住", u"一秒記住", u"手机版阅读",
        u"手機版閱讀", u"请收藏本站", u"請收藏本站", u"最新章节请", u"最新章節請", u"无弹窗", u"無彈窗"};
    return phrases;
}

// Words of the sentence that leads up to a web address.
const PhraseSet& leadInWords()
{
    static const PhraseSet words = {
        u"本站", u"网址", u"網址", u"域名", u"地址", u"记住", u"記住", u"手机", u"手機", u"阅读", u"閱讀",
        u"首发", u"首發", u"最新", u"最快", u"访问", u"訪問", u"搜索", u"收藏", u"百度", u"请到", u"請到",
        u"更新", u"看书", u"看書", u"书友", u"書友", u"visit", u"read", u"latest", u"original", u"website",
        u"support"};
    return words;
}

// Words a Chinese site's name ends with.
const PhraseSet& siteNameEnds()
{
    static const PhraseSet words = {u"网", u"網", u"阁", u"閣", u"书屋", u"書屋", u"吧", u"文学", u"文學",
                                    u"小说", u"小說", u"中文", u"书城", u"書城", u"书院", u"書院", u"书库",
                                    u"書庫", u"看书", u"看書", u"读书", u"讀書", u"书坊", u"書坊", u"屋"};
    return words;
}

constexpr std::u16string_view kTopLevelDomains[] = {
    u"com", u"net", u"org", u"cn",  u"cc",   u"la",   u"info", u"me",   u"co",     u"tv",
    u"xyz", u"top", u"vip", u"io",  u"biz",  u"club", u"site", u"wang", u"online", u"app",
    u"tw",  u"hk",  u"so",  u"pw",  u"ws",   u"name", u"mobi", u"us",   u"in",     u"cx"};

bool isSeparator(char16_t c)
{
    // One bit a character: navigation bars are read a character at a time.
    static const std::vector<bool> separators = [] {
        std::vector<bool> bits(65536, false);
        for (char16_t s : std::u16string_view(u"←→↑↓|｜/／·•・-—－>»«<＞＜:：、,，[]【】()（）《》「」{}*=~_>"))
            bits[s] = true;
        return bits;
    }();
    return separators[c] || isBlank(c);
}

bool isOpening(char16_t c)
{
    return c == u'(' || c == u'（' || c == u'[' || c == u'【' || c == u'「' || c == u'《';
}

bool isClosing(char16_t c)
{
    return c == u')' || c == u'）' || c == u']' || c == u'】' || c == u'」' || c == u'》';
}

// Whether the character at `i` ends a sentence: a Chinese stop, question or exclamation
// mark, a semicolon, or a Latin full stop before a blank or the end of the line.
bool bounds(TextView line, std::size_t i)
{
    const char16_t c = line[i];
    const bool lineGoesOn = i + 1 < line.size() && !isBlank(line[i + 1]);
    if (c == u'.')
        return !lineGoesOn;
    // A closing quotation mark after a Latin stop ends the sentence with it.
    if ((c == u'"' || c == u'”' || c == u'’' || c == u'\'') && i > 0 &&
        (line[i - 1] == u'.' || line[i - 1] == u'!' || line[i - 1] == u'?'))
        return !lineGoesOn;
    return endsSentence(c) || c == u'；' || c == u';';
}

// Whether blanks between these two characters separate words (Latin text) rather than
// being padding a cut left behind (Chinese text).
bool spaceMatters(char16_t before, char16_t after)
{
    return before < 0x2E80 && after < 0x2E80;
}

// The line folded for matching web addresses: full-width letters as ASCII, capitals in
// lower case, and an ideographic full stop between letters as a dot.
Text foldForAddresses(TextView line)
{
    Text f(line.size(), u' ');
    for (std::size_t i = 0; i < line.size(); ++i)
        f[i] = foldWidthAndCase(line[i]);
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != u'。')
            continue;
        std::size_t b = i;
        while (b > 0 && isBlank(f[b - 1]))
            --b;
        std::size_t a = i + 1;
        while (a < f.size() && isBlank(f[a]))
            ++a;
        if (b > 0 && a < f.size() && isLatinAlnum(f[b - 1]) && isLatinAlnum(f[a]))
            f[i] = u'.';
    }
    return f;
}

class AddressMatcher {
public:
    explicit AddressMatcher(const Text& folded) : f(folded) {}

    // The end of a web address that starts at `i`, or 0. `spaced`: its characters may
    // stand one blank apart ("w w w . x x . c o m"), which only a www. address may.
    std::size_t match(std::size_t i, bool spaced) const
    {
        std::size_t p = i;
        for (std::u16string_view scheme : {std::u16string_view(u"https://"), std::u16string_view(u"http://")})
            if (TextView(f).substr(p).starts_with(scheme)) {
                p += scheme.size();
                break;
            }
        // Most words are no address: without a dot after the first label, or a spaced
        // address without "www" first, there is none, and nothing need be gathered to tell.
        if (!spaced) {
            const std::size_t q = walkLabel(p, false, [](char16_t) { return true; });
            if (q == p || q >= f.size() || f[q] != u'.')
                return 0;
        } else if (!spacedWww(p)) {
            return 0;
        }
        std::vector<Text> labels;
        std::size_t end = 0;
        for (;;) {
            Text label;
            const std::size_t labelEnd = readLabel(p, spaced, label);
            if (label.empty())
                break;
            labels.push_back(label);
            end = labelEnd;
            std::size_t q = labelEnd;
            if (spaced && q < f.size() && isBlank(f[q]))
                ++q;
            if (q >= f.size() || f[q] != u'.')
                break;
            ++q;
            if (spaced && q < f.size() && isBlank(f[q]))
                ++q;
            p = q;
        }
        if (labels.size() < 2 || labels[labels.size() - 2].size() < 2)
            return 0;
        if (spaced && labels.front() != u"www")
            return 0;
        // The top-level domain is the last label, or the one before a country code
        // (".com.cn").
        const auto known = [](const Text& l) {
            return std::find(std::begin(kTopLevelDomains), std::end(kTopLevelDomains), l) != std::end(kTopLevelDomains);
        };
        if (!known(labels.back()))
            return 0;
        // A path after the address.
        if (end < f.size() && (f[end] == u'/' || f[end] == u'?')) {
            while (end < f.size() && (isLatinAlnum(f[end]) || TextView(u"/._?=&%#-").find(f[end]) != TextView::npos))
                ++end;
        }
        return end;
    }

private:
    // Walks the letters, digits and hyphens of the label from `p` (spaced: single ones a
    // blank apart), giving each to `take`, which may stop the walk by returning false.
    // Returns where the walk ended.
    template <typename Take>
    std::size_t walkLabel(std::size_t p, bool spaced, Take take) const
    {
        std::size_t i = p;
        std::size_t taken = 0;
        while (i < f.size() && (isLatinAlnum(f[i]) || (f[i] == u'-' && taken > 0))) {
            if (!take(f[i]))
                return i;
            ++taken;
            ++i;
            if (spaced && i + 1 < f.size() && isBlank(f[i]) && isLatinAlnum(f[i + 1]) &&
                (i + 2 == f.size() || !isLatinAlnum(f[i + 2])))
                ++i;  // "w w w": one blank between single letters
        }
        return i;
    }

    // The label from `p` into `label`, and where it ends.
    std::size_t readLabel(std::size_t p, bool spaced, Text& label) const
    {
        return walkLabel(p, spaced, [&label](char16_t c) {
            label.push_back(c);
            return true;
        });
    }

    // Whether the first label from `p`, read spaced, is "www".
    bool spacedWww(std::size_t p) const
    {
        std::size_t ws = 0;
        bool other = false;
        walkLabel(p, true, [&](char16_t c) {
            other = c != u'w' || ++ws > 3;
            return !other;
        });
        return !other && ws == 3;
    }

    const Text& f;
};

struct Span {
    std::size_t from = 0;
    std::size_t to = 0;
};

bool holds(const PhraseSet& set, TextView text)
{
    return set.find(text).has_value();
}

// The start of the site name written before an address that starts at `s`: Latin
// letters followed by up to three Chinese characters ("UU看书 www…"), or a short
// Chinese name of its own that ends like a site's ("某某阁 www…").
std::size_t siteNameStart(TextView line, const Text& f, std::size_t s)
{
    std::size_t p = s;
    if (p > 0 && (isBlank(line[p - 1]) || line[p - 1] == u':' || line[p - 1] == u'：'))
        --p;
    std::size_t k = p;
    std::size_t han = 0;
    while (k > 0 && isHan(line[k - 1]) && han < 3) {
        --k;
        ++han;
    }
    std::size_t latin = k;
    while (latin > 0 && isLatinAlnum(f[latin - 1]) && k - latin < 10)
        --latin;
    if (han > 0 && latin < k && (latin == 0 || !isLatinAlnum(f[latin - 1])))
        return latin;
    // A Chinese name standing alone, at most six characters.
    std::size_t run = p;
    while (run > 0 && isHan(line[run - 1]) && p - run <= 6)
        --run;
    if (run < p && p - run <= 6 && (run == 0 || !isHan(line[run - 1]))) {
        const TextView name = line.substr(run, p - run);
        for (std::size_t e = 1; e <= std::min<std::size_t>(2, name.size()); ++e)
            if (siteNameEnds().matchAt(name, name.size() - e) == e)
                return run;
    }
    return s;
}

// Widens a cut address to its whole sentence when the rest of the sentence only leads
// up to it or follows it ("本站地址：…", "… for the latest chapters."), or is nothing
// but separators; and to the brackets around it when it is all they hold.
Span widenToSentence(TextView line, Span cut)
{
    std::size_t start = cut.from;
    while (start > 0 && !bounds(line, start - 1) && cut.from - start <= 40)
        --start;
    const bool startsSentence = start == 0 || bounds(line, start - 1);
    std::size_t end = cut.to;
    while (end < line.size() && !bounds(line, end) && end - cut.to <= 40)
        ++end;
    const bool endsSentenceHere = end == line.size() || bounds(line, end);
    const TextView before = line.substr(start, cut.from - start);
    const TextView after = line.substr(cut.to, end - cut.to);
    const auto onlySeparators = [](TextView t) { return std::all_of(t.begin(), t.end(), isSeparator); };
    if (startsSentence && endsSentenceHere &&
        (holds(leadInWords(), before) || holds(leadInWords(), after) ||
         (onlySeparators(before) && onlySeparators(after)))) {
        cut.from = start;
        cut.to = end;
        while (cut.to < line.size() && bounds(line, cut.to))
            ++cut.to;  // the sentence takes its closing mark with it
        return cut;
    }
    std::size_t open = cut.from;
    while (open > 0 && isBlank(line[open - 1]))
        --open;
    std::size_t close = cut.to;
    while (close < line.size() && isBlank(line[close]))
        ++close;
    if (open > 0 && isOpening(line[open - 1]) && close < line.size() && isClosing(line[close]))
        cut = {open - 1, close + 1};
    return cut;
}

// Every web address in the line, with its site name and the words around it.
std::vector<Span> addressSpans(TextView line)
{
    std::vector<Span> spans;
    const Text f = foldForAddresses(line);
    const AddressMatcher matcher(f);
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!isLatinAlnum(f[i]) || (i > 0 && (isLatinAlnum(f[i - 1]) || f[i - 1] == u'.' || f[i - 1] == u'-')))
            continue;
        std::size_t end = matcher.match(i, false);
        if (end == 0 && f[i] == u'w')
            end = matcher.match(i, true);
        if (end == 0)
            continue;
        Span cut{siteNameStart(line, f, i), end};
        cut = widenToSentence(line, cut);
        spans.push_back(cut);
        i = end - 1;
    }
    return spans;
}

// The sentence or bracketed aside around every strong notice phrase.
std::vector<Span> noticeSpans(TextView line)
{
    std::vector<Span> spans;
    std::size_t from = 0;
    while (auto hit = strongNoticePhrases().find(line, from)) {
        Span s{hit->at, hit->at + hit->length};
        std::size_t open = s.from;
        while (open > 0 && !isOpening(line[open - 1]) && !isClosing(line[open - 1]) && s.from - open < 30)
            --open;
        std::size_t close = s.to;
        while (close < line.size() && !isClosing(line[close]) && !isOpening(line[close]) && close - s.to < 40)
            ++close;
        if (open > 0 && isOpening(line[open - 1]) && close < line.size() && isClosing(line[close])) {
            s = {open - 1, close + 1};
        } else {
            while (s.from > 0 && !bounds(line, s.from - 1))
                --s.from;
            while (s.to < line.size() && !bounds(line, s.to))
                ++s.to;
            while (s.to < line.size() && bounds(line, s.to))
                ++s.to;
        }
        spans.push_back(s);
        from = std::max(s.to, hit->at + 1);
    }
    return spans;
}

}  // namespace

bool isNavigationLine(TextView line)
{
    const PhraseSet& words = navigationWords();
    bool longWord = false;
    bool pageCounter = false;
    for (std::size_t i = 0; i < line.size();) {
        if (isSeparator(line[i])) {
            ++i;
            continue;
        }
        if (const std::size_t n = words.matchAt(line, i)) {
            // A Latin word must end where the word of the line ends.
            if (isLatinAlnum(foldWidthAndCase(line[i])) && i + n < line.size() &&
                isLatinAlnum(foldWidthAndCase(line[i + n])))
                return false;
            longWord = longWord || n >= 2;
            i += n;
            continue;
        }
        // Page counters between the words ("第1/3页").
        if (isDigit(line[i]) || line[i] == u'第' || line[i] == u'页' || line[i] == u'頁') {
            pageCounter = true;
            ++i;
            continue;
        }
        return false;
    }
    (void)pageCounter;
    return longWord;
}

bool isNoticeLine(TextView line)
{
    const TextView t = trimBlanks(line);
    return !t.empty() && t.size() <= kShortLine && holds(noticePhrases(), t);
}

// The look lineHints takes, over a line short enough to be a notice line (`kNotices`:
// notice phrases are looked for too) or over a longer one.
template <bool kNotices>
LineHints scanLine(TextView line, const std::vector<std::uint64_t>& interesting)
{
    const PhraseSet& strong = strongNoticePhrases();
    const PhraseSet& notices = noticePhrases();
    LineHints hints;
    std::size_t w1 = SIZE_MAX;  // where the last two w's stand
    std::size_t w2 = SIZE_MAX;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        // In a long line a small letter matters only as a "w": Latin prose skips its
        // letters at one comparison each.
        if constexpr (!kNotices) {
            if (static_cast<char16_t>(c - u'a') < 26 && c != u'w')
                continue;
        }
        if (((interesting[c >> 6] >> (c & 63)) & 1) == 0)
            continue;
        const char16_t folded = foldWidthAndCase(c);
        if (folded == u'w') {
            // Three w's within five characters: "www" or "w w w".
            hints.address = hints.address || (w2 != SIZE_MAX && i - w2 <= 4);
            w2 = w1;
            w1 = i;
        } else if (folded == u'.' || folded == u'。') {
            hints.address = hints.address || (i + 1 < line.size() && isLatinAlnum(foldWidthAndCase(line[i + 1])));
        }
        if (!hints.strongNotice && strong.mayStartRaw(c) && strong.mayStartAt(line, i))
            hints.strongNotice = true;
        if constexpr (kNotices) {
            if (!hints.notice && notices.mayStartRaw(c) && notices.mayStartAt(line, i))
                hints.notice = true;
        }
        if (hints.address && hints.strongNotice && (hints.notice || !kNotices))
            break;
    }
    return hints;
}

LineHints lineHints(TextView line)
{
    // One bit a character tells whether it may matter at all: a dot, a "w", or what the
    // folded first character of a notice phrase may be written as. Most characters of a
    // story are none of these. Notice phrases are looked for only in a line short enough
    // to be a notice line; in a longer one only what an advert needs.
    const auto bitsFor = [](bool withNotices) {
        std::vector<std::uint64_t> bits = strongNoticePhrases().rawStarts();
        if (withNotices)
            for (std::size_t w = 0; w < bits.size(); ++w)
                bits[w] |= noticePhrases().rawStarts()[w];
        for (char16_t c : std::u16string_view(u".．。wWｗＷ"))
            bits[c >> 6] |= std::uint64_t{1} << (c & 63);
        return bits;
    };
    static const std::vector<std::uint64_t> shortLine = bitsFor(true);
    static const std::vector<std::uint64_t> longLine = bitsFor(false);
    if (trimBlanks(line).size() <= kShortLine)
        return scanLine<true>(line, shortLine);
    return scanLine<false>(line, longLine);
}

std::vector<Text> cutAdverts(Text& line)
{
    return cutAdverts(line, lineHints(line));
}

std::vector<Text> cutAdverts(Text& line, const LineHints& hints)
{
    if (!hints.mayHoldAdvert())
        return {};
    std::vector<Span> spans;
    if (hints.address)
        spans = addressSpans(line);
    if (hints.strongNotice) {
        const std::vector<Span> notices = noticeSpans(line);
        spans.insert(spans.end(), notices.begin(), notices.end());
    }
    if (spans.empty())
        return {};
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.from < b.from; });
    // Overlapping cuts become one.
    std::vector<Span> merged;
    for (const Span& s : spans) {
        if (!merged.empty() && s.from <= merged.back().to)
            merged.back().to = std::max(merged.back().to, s.to);
        else
            merged.push_back(s);
    }
    std::vector<Text> pieces;
    Text kept;
    std::size_t at = 0;
    for (const Span& s : merged) {
        kept.append(line, at, s.from - at);
        pieces.emplace_back(trimBlanks(TextView(line).substr(s.from, s.to - s.from)));
        // The blanks on both sides of a cut were the advert's padding; Latin words keep
        // one between them.
        while (!kept.empty() && isBlank(kept.back()))
            kept.pop_back();
        at = s.to;
        while (at < line.size() && isBlank(line[at]))
            ++at;
        if (!kept.empty() && at < line.size() && spaceMatters(kept.back(), line[at]))
            kept.push_back(u' ');
    }
    kept.append(line, at);
    line = Text(trimBlanks(kept));
    return pieces;
}

}  // namespace sorvane::clean
