#include "engine/clean/chapter_heading.h"

#include "engine/clean/text_marks.h"

namespace sorvane::clean {
namespace {

bool isOpening(char16_t c)
{
    return c == u'(' || c == u'（' || c == u'[' || c == u'【';
}

bool isClosing(char16_t c)
{
    return c == u')' || c == u'）' || c == u']' || c == u'】';
}

// "1/3", "第2页", "2页", "第2/3页": a page counter, never a chapter's own words.
bool isPageCounter(TextView s)
{
    s = trimBlanks(s);
    std::size_t i = 0;
    const bool di = i < s.size() && s[i] == u'第';
    if (di)
        ++i;
    const std::size_t digits = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    if (i == digits)
        return false;
    bool slash = false;
    if (i < s.size() && (s[i] == u'/' || s[i] == u'／')) {
        slash = true;
        ++i;
        const std::size_t more = i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        if (i == more)
            return false;
    }
    bool page = false;
    if (i < s.size() && (s[i] == u'页' || s[i] == u'頁')) {
        page = true;
        ++i;
    }
    return i == s.size() && (slash || page);
}

TextView stripPageCounters(TextView t)
{
    for (;;) {
        t = trimBlanks(t);
        if (t.empty())
            return t;
        if (isClosing(t.back())) {
            const std::size_t open = t.find_last_of(u"(（[【");
            if (open != TextView::npos && open > 0 && isPageCounter(t.substr(open + 1, t.size() - open - 2))) {
                t = t.substr(0, open);
                continue;
            }
            return t;
        }
        std::size_t word = t.size();
        while (word > 0 && !isBlank(t[word - 1]) && !isClosing(t[word - 1]) && !isOpening(t[word - 1]))
            --word;
        // "第9章第2页" has no blank before its counter: try the tail from its last 第.
        const std::size_t di = t.rfind(u'第');
        if (di != TextView::npos && di > word && isPageCounter(t.substr(di))) {
            t = t.substr(0, di);
            continue;
        }
        if (word > 0 && isPageCounter(t.substr(word))) {
            t = t.substr(0, word);
            continue;
        }
        return t;
    }
}

}  // namespace

Text headingPrefix(TextView heading)
{
    const TextView t = trimBlanks(heading);
    const auto mark = findChapterMark(t);
    if (!mark || mark->at == 0)
        return {};
    return Text(trimBlanks(t.substr(0, mark->at)));
}

Text tidyHeading(TextView heading, TextView bookName)
{
    const TextView whole = trimBlanks(heading);
    TextView t = whole;
    if (const auto mark = findChapterMark(t)) {
        t = t.substr(mark->at);
    } else if (!bookName.empty() && t.starts_with(bookName) && t.size() > bookName.size()) {
        t = trimBlanks(t.substr(bookName.size()));
    }
    t = stripPageCounters(t);
    return Text(t.empty() ? whole : t);
}

bool sameChapter(TextView a, TextView b)
{
    const Text ta = tidyHeading(a);
    const Text tb = tidyHeading(b);
    const auto ma = findChapterMark(ta);
    const auto mb = findChapterMark(tb);
    // Numbered marks decide alone; a word such as 番外 is shared by many chapters.
    const auto numbered = [](const std::optional<MarkSpan>& m) { return m && m->at == 0 && m->length > 2; };
    if (numbered(ma) && numbered(mb))
        return TextView(ta).substr(0, ma->length) == TextView(tb).substr(0, mb->length);
    return ta == tb;
}

}  // namespace sorvane::clean
