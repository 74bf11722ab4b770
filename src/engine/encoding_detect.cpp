#include "engine/encoding_detect.h"

#include <uchardet/uchardet.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "common/ascii.h"
#include "io/codepage.h"
#include "engine/plain_text_renderer.h"

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

// Whether ICU decodes this name; code page 936 goes through its own adapter.
bool canDecode(const std::string& name)
{
    return name == cp936Name || hasConverter(name);
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

// Where to start feeding the detector: a little before the first non-ASCII byte, so the
// markup in front of a long ASCII head does not use up its budget.
size_t firstNonAscii(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return i;
    return bytes.size();
}

// The detector's answer for legacy (not UTF-8) bytes, as an ICU name we can decode, or
// nothing.
std::optional<std::string> detectLegacy(std::string_view bytes)
{
    constexpr size_t kBudget = 1 << 20;  // enough for a confident answer
    const size_t start = firstNonAscii(bytes);
    if (start == bytes.size())
        return std::nullopt;
    const size_t from = start > 4096 ? start - 4096 : 0;
    const std::string_view sample = bytes.substr(from, kBudget);

    std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector)
        return std::nullopt;
    constexpr size_t kChunk = 64 * 1024;
    for (size_t i = 0; i < sample.size(); i += kChunk) {
        const std::string_view chunk = sample.substr(i, kChunk);
        if (uchardet_handle_data(detector.get(), chunk.data(), chunk.size()) != 0)
            break;
    }
    uchardet_data_end(detector.get());
    const char* answer = uchardet_get_charset(detector.get());
    if (!answer || !*answer)
        return std::nullopt;
    std::string name(answer);
    name = toLowerAscii(name);
    // Names the detector uses that are not encoding labels, or whose label the
    // standard maps to the replacement encoding though ICU can decode them.
    static const std::unordered_map<std::string, std::string> extra = {
        {"hz-gb-2312", "HZ"},          {"iso-2022-cn", "ISO-2022-CN"}, {"iso-2022-kr", "ISO-2022-KR"},
        {"mac-cyrillic", "x-mac-cyrillic"}, {"ibm855", "IBM855"},      {"euc-tw", "EUC-TW"},
    };
    std::optional<std::string> icu;
    if (auto it = extra.find(name); it != extra.end())
        icu = it->second;
    else
        icu = encodingForLabel(name);
    // A UTF-8 or UTF-16 answer for bytes that are not valid in them is no answer.
    if (!icu || icu->starts_with("UTF-") || !canDecode(*icu))
        return std::nullopt;
    return icu;
}

// Whether every non-ASCII byte pairs up as a GBK double-byte character (lead 0x81-0xFE,
// trail 0x40-0xFE but not 0x7F); 0x80 alone is the euro sign.
bool structurallyGbk(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p++;
        if (c < 0x80 || c == 0x80)
            continue;
        if (c == 0xFF || p == end)
            return false;
        const unsigned char t = *p++;
        if (t < 0x40 || t == 0x7F || t == 0xFF)
            return false;
    }
    return true;
}

// The single-byte encodings the detector names for short or sparse non-ASCII text.
bool isSingleByte(const std::string& icuName)
{
    return icuName.starts_with("windows-12") || icuName.starts_with("ISO-8859") || icuName.starts_with("KOI8") ||
           icuName == "IBM866" || icuName == "IBM855" || icuName == "macintosh" || icuName == "x-mac-cyrillic" ||
           icuName == "windows-874";
}

// Whether every non-ASCII byte pairs up as a character of GB2312, the common part of
// code page 936: symbol rows 0xA1-0xA9 and character rows 0xB0-0xF7, each with a trail
// byte 0xA1-0xFE. `any` tells whether there was a non-ASCII byte at all.
bool pairsAsCommonGbk(std::string_view bytes, bool& any)
{
    any = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p++;
        if (c < 0x80)
            continue;
        any = true;
        if (!((c >= 0xA1 && c <= 0xA9) || (c >= 0xB0 && c <= 0xF7)) || p == end)
            return false;
        const unsigned char t = *p++;
        if (t < 0xA1 || t == 0xFF)
            return false;
    }
    return true;
}

// Whether the code page 936 reading is Chinese: at least one Han character, and every
// other non-ASCII character Chinese punctuation or a full-width form (no kana, Greek,
// Cyrillic, box drawing or private-use code points from the symbol rows).
bool readsAsCommonChinese(TextView text)
{
    bool han = false;
    for (const char16_t c : text) {
        if (c < 0x80)
            continue;
        UErrorCode status = U_ZERO_ERROR;
        if (uscript_getScript(c, &status) == USCRIPT_HAN && U_SUCCESS(status) && u_isalpha(c)) {
            han = true;
            continue;
        }
        const auto block = static_cast<UBlockCode>(u_getIntPropertyValue(c, UCHAR_BLOCK));
        const bool punctuation = block == UBLOCK_CJK_SYMBOLS_AND_PUNCTUATION ||
                                 block == UBLOCK_HALFWIDTH_AND_FULLWIDTH_FORMS ||
                                 (block == UBLOCK_GENERAL_PUNCTUATION && u_ispunct(c));
        if (!punctuation)
            return false;
    }
    return han;
}

// Characters that running text rarely holds: what short code page 936 text turns into
// when it is read as UTF-8.
bool rareInText(UChar32 c)
{
    switch (u_charType(c)) {
    case U_UNASSIGNED:
    case U_PRIVATE_USE_CHAR:
    case U_SURROGATE:
    case U_CONTROL_CHAR:
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
        return true;
    default:
        break;
    }
    switch (static_cast<UBlockCode>(u_getIntPropertyValue(c, UCHAR_BLOCK))) {
    case UBLOCK_IPA_EXTENSIONS:
    case UBLOCK_SPACING_MODIFIER_LETTERS:
    case UBLOCK_COMBINING_DIACRITICAL_MARKS:
    case UBLOCK_CJK_UNIFIED_IDEOGRAPHS_EXTENSION_A:
        return true;
    default:
        return false;
    }
}

// Whether the UTF-8 reading looks like text someone wrote. Besides rare characters,
// three shapes give GBK bytes away: letters of several scripts side by side (Cyrillic
// next to Greek), a capital right after a small letter inside a word ("һЩ"), and a
// word of two or more accented Latin letters without a plain one (real Latin-script
// words hold plain letters: "ação", "Müller").
bool plausibleUtf8(std::string_view bytes)
{
    // ICU walks UTF-8 with 32-bit offsets; a text that long is no short misreading.
    if (bytes.size() > static_cast<size_t>(INT32_MAX))
        return true;
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    UScriptCode script = USCRIPT_INVALID_CODE;
    int accentedRun = 0;  // accented Latin letters in the current word
    bool plainInWord = false;
    bool afterLower = false;  // the previous character is a small letter of this word
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0 || (c >= 0x80 && rareInText(c)))
            return false;
        if (!u_isalpha(c)) {
            if (accentedRun >= 2 && !plainInWord)
                return false;
            accentedRun = 0;
            plainInWord = false;
            afterLower = false;
            continue;
        }
        const bool lower = u_islower(c);
        if (c < 0x80) {
            plainInWord = true;
            afterLower = lower;
            continue;
        }
        if (afterLower && u_isupper(c))
            return false;
        afterLower = lower;
        UErrorCode status = U_ZERO_ERROR;
        const UScriptCode charScript = uscript_getScript(c, &status);
        if (U_FAILURE(status))
            return false;
        if (charScript != USCRIPT_COMMON && charScript != USCRIPT_INHERITED) {
            if (script != USCRIPT_INVALID_CODE && script != charScript)
                return false;
            script = charScript;
        }
        if (charScript == USCRIPT_LATIN)
            ++accentedRun;
    }
    return !(accentedRun >= 2 && !plainInWord);
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

// Byte-order mark, then the <meta> prescan, then UTF-8 when the whole file is valid
// UTF-8 (a cut-off last character aside), then statistical detection, then code page 936.
DocumentEncoding detectEncoding(std::string_view bytes)
{
    using Source = DocumentEncoding::Source;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {"UTF-8", Source::Bom, 3};
    if (bytes.starts_with("\xFF\xFE"))
        return {"UTF-16LE", Source::Bom, 2};
    if (bytes.starts_with("\xFE\xFF"))
        return {"UTF-16BE", Source::Bom, 2};
    if (auto declared = prescanMetaCharset(bytes); declared && canDecode(*declared))
        return {*declared, Source::Meta, 0};
    if (isValidUtf8CutShort(bytes)) {
        // A few GBK characters can form valid UTF-8 ("时说" reads as two spacing
        // modifier letters); such a reading is not text anyone wrote.
        if (prefersCp936OverUtf8(bytes))
            return {std::string(cp936Name), Source::Detector, 0};
        return {"UTF-8", Source::Utf8Valid, 0};
    }
    if (auto detected = detectLegacy(bytes)) {
        // With only a few non-ASCII bytes the detector tends to name a single-byte
        // code page. Text whose bytes all pair up as GBK characters is far more
        // likely Chinese for the readers this is made for, whose system code page
        // is 936; real Western text breaks the pairs (an accented letter before a
        // space or a full stop).
        if (!isSingleByte(*detected) || !structurallyGbk(bytes))
            return {*detected, Source::Detector, 0};
    }
    return {std::string(cp936Name), Source::Default, 0};
}

// Every non-ASCII byte pairs up as a common Chinese character or Chinese punctuation,
// and the UTF-8 reading holds characters that text rarely holds (spacing modifier
// letters, IPA, combining marks, C1 controls, unassigned or private-use code points) or
// mixes scripts (plausibleUtf8).
bool prefersCp936OverUtf8(std::string_view bytes)
{
    bool nonAscii = false;
    // Cheap byte test first: real UTF-8 text almost never pairs up as GB2312.
    if (!pairsAsCommonGbk(bytes, nonAscii) || !nonAscii)
        return false;
    if (!isValidUtf8CutShort(bytes) || plausibleUtf8(bytes))
        return false;
    return readsAsCommonChinese(decodeCp936(bytes));
}

Text decodeDocument(std::string_view bytes, const DocumentEncoding& encoding)
{
    const std::string_view body = bytes.substr(std::min(encoding.bomLength, bytes.size()));
    if (encoding.name == cp936Name)
        return decodeCp936(body);
    if (encoding.name == "UTF-8")
        return fromUtf8(body);
    if (auto decoded = decodeWith(encoding.name, body))
        return std::move(*decoded);
    return decodeCp936(body);
}

namespace {

// Appends UTF-16 text as UTF-8; a lone surrogate becomes U+FFFD. Writes through a
// pointer into room made once: this runs over every character of a legacy page.
void appendUtf8(std::string& out, TextView text)
{
    const size_t old = out.size();
    out.resize(old + text.size() * 3);
    char* dst = out.data() + old;
    for (size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c < 0x80) {
            *dst++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        // A surrogate pair (two units) gives four bytes, within the room of two units.
        if (c < 0x800) {
            *dst++ = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *dst++ = static_cast<char>(0xE0 | (c >> 12));
            *dst++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *dst++ = static_cast<char>(0xF0 | (c >> 18));
            *dst++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *dst++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *dst++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.resize(static_cast<size_t>(dst - out.data()));
}

// Encodings whose decoder carries state from one byte sequence to the next, or whose
// units are not bytes: they are decoded in one piece.
bool decodesInPieces(const std::string& name)
{
    return !(name.starts_with("UTF-16") || name.starts_with("UTF-32") || name.starts_with("ISO-2022") ||
             name == "HZ" || name == "UTF-7");
}

Text decodePiece(std::string_view bytes, const std::string& name)
{
    if (name == cp936Name)
        return decodeCp936(bytes);
    if (auto decoded = decodeWith(name, bytes))
        return std::move(*decoded);
    return decodeCp936(bytes);
}

}  // namespace

std::string decodeDocumentToUtf8(std::string_view bytes, const DocumentEncoding& encoding)
{
    const std::string_view body = bytes.substr(std::min(encoding.bomLength, bytes.size()));
    if (encoding.name == "UTF-8")
        return std::string(body);
    if (!decodesInPieces(encoding.name))
        return toUtf8(decodeDocument(bytes, encoding));
    // Pieces of about 64 KB, each ending just after a '<', '>' or line feed: none of
    // these bytes is ever part of a multi-byte character in the encodings decoded
    // this way, so no character is cut and the result is that of one whole pass,
    // without a UTF-16 copy of the whole document.
    constexpr size_t kPiece = 64 * 1024;
    std::string out;
    out.reserve(body.size() + body.size() / 2);
    size_t pos = 0;
    while (pos < body.size()) {
        size_t end = pos + kPiece;
        if (end >= body.size()) {
            end = body.size();
        } else {
            const size_t cut = body.find_first_of("<>\n", end);
            end = cut == std::string_view::npos ? body.size() : cut + 1;
        }
        appendUtf8(out, decodePiece(body.substr(pos, end - pos), encoding.name));
        pos = end;
    }
    return out;
}

}  // namespace sorvane
