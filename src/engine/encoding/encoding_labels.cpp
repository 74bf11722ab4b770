#include "engine/encoding/encoding_labels.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/ascii.h"

namespace sorvane {
namespace {

struct LabelGroup {
    const char* icuName;
    std::initializer_list<const char*> labels;
};

// The labels of the WHATWG Encoding Standard, each group with the ICU converter that
// decodes it. GBK labels decode with code page 936, as the systems the text is made for
// do. The "replacement" labels are left out: that encoding turns a whole document into
// one U+FFFD, so such a label is treated as no label at all.
const LabelGroup kLabelGroups[] = {
    {"UTF-8", {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8"}},
    {"IBM866", {"866", "cp866", "csibm866", "ibm866"}},
    {"ISO-8859-2", {"csisolatin2", "iso-8859-2", "iso-ir-101", "iso8859-2", "iso88592", "iso_8859-2",
                    "iso_8859-2:1987", "l2", "latin2"}},
    {"ISO-8859-3", {"csisolatin3", "iso-8859-3", "iso-ir-109", "iso8859-3", "iso88593", "iso_8859-3",
                    "iso_8859-3:1988", "l3", "latin3"}},
    {"ISO-8859-4", {"csisolatin4", "iso-8859-4", "iso-ir-110", "iso8859-4", "iso88594", "iso_8859-4",
                    "iso_8859-4:1988", "l4", "latin4"}},
    {"ISO-8859-5", {"csisolatincyrillic", "cyrillic", "iso-8859-5", "iso-ir-144", "iso8859-5", "iso88595",
                    "iso_8859-5", "iso_8859-5:1988"}},
    {"ISO-8859-6", {"arabic", "asmo-708", "csiso88596e", "csiso88596i", "csisolatinarabic", "ecma-114",
                    "iso-8859-6", "iso-8859-6-e", "iso-8859-6-i", "iso-ir-127", "iso8859-6", "iso88596",
                    "iso_8859-6", "iso_8859-6:1987"}},
    {"ISO-8859-7", {"csisolatingreek", "ecma-118", "elot_928", "greek", "greek8", "iso-8859-7",
                    "iso-ir-126", "iso8859-7", "iso88597", "iso_8859-7", "iso_8859-7:1987", "sun_eu_greek"}},
    {"ISO-8859-8", {"csiso88598e", "csisolatinhebrew", "hebrew", "iso-8859-8", "iso-8859-8-e", "iso-ir-138",
                    "iso8859-8", "iso88598", "iso_8859-8", "iso_8859-8:1988", "visual", "csiso88598i",
                    "iso-8859-8-i", "logical"}},
    {"ISO-8859-10", {"csisolatin6", "iso-8859-10", "iso-ir-157", "iso8859-10", "iso885910", "l6", "latin6"}},
    {"ISO-8859-13", {"iso-8859-13", "iso8859-13", "iso885913"}},
    {"ISO-8859-14", {"iso-8859-14", "iso8859-14", "iso885914"}},
    {"ISO-8859-15", {"csisolatin9", "iso-8859-15", "iso8859-15", "iso885915", "iso_8859-15", "l9"}},
    {"ISO-8859-16", {"iso-8859-16"}},
    {"KOI8-R", {"cskoi8r", "koi", "koi8", "koi8-r", "koi8_r"}},
    {"KOI8-U", {"koi8-ru", "koi8-u"}},
    {"macintosh", {"csmacintosh", "mac", "macintosh", "x-mac-roman"}},
    {"windows-874", {"dos-874", "iso-8859-11", "iso8859-11", "iso885911", "tis-620", "windows-874"}},
    {"windows-1250", {"cp1250", "windows-1250", "x-cp1250"}},
    {"windows-1251", {"cp1251", "windows-1251", "x-cp1251"}},
    {"windows-1252", {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1",
                      "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
                      "us-ascii", "windows-1252", "x-cp1252", "x-user-defined"}},
    {"windows-1253", {"cp1253", "windows-1253", "x-cp1253"}},
    {"windows-1254", {"cp1254", "csisolatin5", "iso-8859-9", "iso-ir-148", "iso8859-9", "iso88599",
                      "iso_8859-9", "iso_8859-9:1989", "l5", "latin5", "windows-1254", "x-cp1254"}},
    {"windows-1255", {"cp1255", "windows-1255", "x-cp1255"}},
    {"windows-1256", {"cp1256", "windows-1256", "x-cp1256"}},
    {"windows-1257", {"cp1257", "windows-1257", "x-cp1257"}},
    {"windows-1258", {"cp1258", "windows-1258", "x-cp1258"}},
    {"x-mac-cyrillic", {"x-mac-cyrillic", "x-mac-ukrainian"}},
    {"windows-936", {"chinese", "csgb2312", "csiso58gb231280", "gb2312", "gb_2312", "gb_2312-80", "gbk",
                     "iso-ir-58", "x-gbk"}},
    {"GB18030", {"gb18030"}},
    {"Big5-HKSCS", {"big5", "big5-hkscs", "cn-big5", "csbig5", "x-x-big5"}},
    {"EUC-JP", {"cseucpkdfmtjapanese", "euc-jp", "x-euc-jp"}},
    {"ISO-2022-JP", {"csiso2022jp", "iso-2022-jp"}},
    {"windows-31j", {"csshiftjis", "ms932", "ms_kanji", "shift-jis", "shift_jis", "sjis", "windows-31j",
                     "x-sjis"}},
    {"windows-949", {"cseuckr", "csksc56011987", "euc-kr", "iso-ir-149", "korean", "ks_c_5601-1987",
                     "ks_c_5601-1989", "ksc5601", "ksc_5601", "windows-949"}},
    {"UTF-16BE", {"unicodefffe", "utf-16be"}},
    {"UTF-16LE", {"csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "utf-16", "utf-16le"}},
};

const std::unordered_map<std::string, std::string>& labelMap()
{
    static const auto* map = [] {
        auto* m = new std::unordered_map<std::string, std::string>;
        for (const LabelGroup& g : kLabelGroups)
            for (const char* label : g.labels)
                m->emplace(label, g.icuName);
        return m;
    }();
    return *map;
}


// "Get an attribute" of the prescan. Returns false when there is no further attribute
// (a '>' or the end of the bytes).
struct PrescanAttribute {
    std::string name;
    std::string value;
};

bool getAttribute(std::string_view s, size_t& pos, PrescanAttribute& attr)
{
    const size_t n = s.size();
    while (pos < n && (isAsciiSpace(s[pos]) || s[pos] == '/'))
        ++pos;
    if (pos >= n || s[pos] == '>')
        return false;
    attr.name.clear();
    attr.value.clear();
    for (;;) {
        if (pos >= n)
            return false;
        const char c = s[pos];
        if (c == '=' && !attr.name.empty()) {
            ++pos;
            break;
        }
        if (isAsciiSpace(c)) {
            while (pos < n && isAsciiSpace(s[pos]))
                ++pos;
            if (pos >= n)
                return false;
            if (s[pos] != '=')
                return true;
            ++pos;
            break;
        }
        if (c == '/' || c == '>')
            return true;
        attr.name.push_back(toLowerAscii(c));
        ++pos;
    }
    while (pos < n && isAsciiSpace(s[pos]))
        ++pos;
    if (pos >= n)
        return false;
    const char first = s[pos];
    if (first == '"' || first == '\'') {
        for (++pos; pos < n; ++pos) {
            if (s[pos] == first) {
                ++pos;
                return true;
            }
            attr.value.push_back(toLowerAscii(s[pos]));
        }
        return false;
    }
    if (first == '>')
        return true;
    for (; pos < n; ++pos) {
        if (isAsciiSpace(s[pos]) || s[pos] == '>')
            return true;
        attr.value.push_back(toLowerAscii(s[pos]));
    }
    return false;
}

// The encoding named by the attributes of one <meta>, or nothing. `pos` is just past
// "<meta" and the white space or slash after it.
std::optional<std::string> metaEncoding(std::string_view s, size_t& pos)
{
    std::vector<std::string> seen;
    bool gotPragma = false;
    int needPragma = -1;  // -1 null, 0 false, 1 true
    std::optional<std::string> charset;
    PrescanAttribute attr;
    while (getAttribute(s, pos, attr)) {
        if (std::find(seen.begin(), seen.end(), attr.name) != seen.end())
            continue;
        seen.push_back(attr.name);
        if (attr.name == "http-equiv") {
            if (attr.value == "content-type")
                gotPragma = true;
        } else if (attr.name == "content") {
            if (!charset) {
                if (auto label = charsetFromContent(attr.value)) {
                    charset = encodingForLabel(*label);
                    if (!charset)
                        charset = std::string();  // a label, but not one we know
                    needPragma = 1;
                }
            }
        } else if (attr.name == "charset") {
            charset = encodingForLabel(attr.value).value_or(std::string());
            needPragma = 0;
        }
    }
    if (needPragma == -1 || (needPragma == 1 && !gotPragma) || !charset || charset->empty())
        return std::nullopt;
    if (*charset == "UTF-16LE" || *charset == "UTF-16BE")
        return std::string("UTF-8");
    return charset;
}

}  // namespace


// Leading and trailing white space and case are ignored: "gb2312", "gbk", "x-gbk",
// "chinese"... give code page 936, "latin1" and "ascii" give windows-1252.
std::optional<std::string> encodingForLabel(std::string_view label)
{
    label = trimAscii(label);
    if (label.empty() || label.size() > 64)
        return std::nullopt;
    const std::string key = toLowerAscii(label);
    const auto& map = labelMap();
    const auto it = map.find(key);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> charsetFromContent(std::string_view s)
{
    size_t pos = 0;
    for (;;) {
        size_t found = std::string_view::npos;
        for (size_t i = pos; i + 7 <= s.size(); ++i) {
            if (hasNoCaseAt(s, i, "charset")) {
                found = i;
                break;
            }
        }
        if (found == std::string_view::npos)
            return std::nullopt;
        pos = found + 7;
        while (pos < s.size() && isAsciiSpace(s[pos]))
            ++pos;
        if (pos >= s.size() || s[pos] != '=')
            continue;
        ++pos;
        while (pos < s.size() && isAsciiSpace(s[pos]))
            ++pos;
        if (pos >= s.size())
            return std::nullopt;
        const char q = s[pos];
        if (q == '"' || q == '\'') {
            const size_t close = s.find(q, pos + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            return std::string(s.substr(pos + 1, close - pos - 1));
        }
        size_t end = pos;
        while (end < s.size() && !isAsciiSpace(s[end]) && s[end] != ';')
            ++end;
        return std::string(s.substr(pos, end - pos));
    }
}

// The prescan of the HTML standard, over <meta charset> and <meta http-equiv=
// "Content-Type" content="...">: comments and other tags are skipped whole, and a
// declared UTF-16 counts as UTF-8 (metaEncoding), x-user-defined as windows-1252.
std::optional<std::string> prescanMetaCharset(std::string_view bytes)
{
    const std::string_view s = bytes.substr(0, 1024);
    const size_t n = s.size();
    size_t pos = 0;
    PrescanAttribute attr;
    while (pos < n) {
        if (s.compare(pos, 4, "<!--") == 0) {
            const size_t end = s.find("-->", pos + 2);
            if (end == std::string_view::npos)
                return std::nullopt;
            pos = end + 3;
            continue;
        }
        if (hasNoCaseAt(s, pos, "<meta") && pos + 5 < n &&
            (isAsciiSpace(s[pos + 5]) || s[pos + 5] == '/')) {
            pos += 6;
            if (auto found = metaEncoding(s, pos))
                return found;
            ++pos;
            continue;
        }
        if (s[pos] == '<' && pos + 1 < n &&
            (isAsciiAlpha(s[pos + 1]) || (s[pos + 1] == '/' && pos + 2 < n && isAsciiAlpha(s[pos + 2])))) {
            while (pos < n && !isAsciiSpace(s[pos]) && s[pos] != '>')
                ++pos;
            while (getAttribute(s, pos, attr)) {
            }
            ++pos;
            continue;
        }
        if (s[pos] == '<' && pos + 1 < n && (s[pos + 1] == '!' || s[pos + 1] == '/' || s[pos + 1] == '?')) {
            const size_t end = s.find('>', pos);
            if (end == std::string_view::npos)
                return std::nullopt;
            pos = end + 1;
            continue;
        }
        ++pos;
    }
    return std::nullopt;
}

std::string encodingForLanguageId(std::uint32_t lcid)
{
    const std::uint32_t language = lcid & 0xFFFF;
    switch (language) {
    case 0x0404:  // Taiwan
    case 0x0C04:  // Hong Kong
    case 0x1404:  // Macao
        return "big5";
    default:
        break;
    }
    static const struct {
        std::uint16_t primary;
        const char* label;
    } table[] = {
        {0x04, "gbk"},          {0x11, "shift_jis"},    {0x12, "euc-kr"},       {0x1E, "windows-874"},
        {0x2A, "windows-1258"}, {0x19, "windows-1251"}, {0x22, "windows-1251"}, {0x23, "windows-1251"},
        {0x02, "windows-1251"}, {0x2F, "windows-1251"}, {0x05, "windows-1250"}, {0x15, "windows-1250"},
        {0x0E, "windows-1250"}, {0x18, "windows-1250"}, {0x1B, "windows-1250"}, {0x24, "windows-1250"},
        {0x1A, "windows-1250"}, {0x08, "windows-1253"}, {0x1F, "windows-1254"}, {0x0D, "windows-1255"},
        {0x01, "windows-1256"}, {0x29, "windows-1256"}, {0x20, "windows-1256"}, {0x25, "windows-1257"},
        {0x26, "windows-1257"}, {0x27, "windows-1257"},
    };
    for (const auto& row : table)
        if ((language & 0x3FF) == row.primary)
            return row.label;
    return "windows-1252";
}

}  // namespace sorvane
