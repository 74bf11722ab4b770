#include "engine/encoding/encoding_detect.h"

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
#include "engine/encoding/utf8_check.h"

namespace sorvane {
namespace {

// Whether ICU decodes this name; code page 936 goes through its own adapter.
bool canDecode(const std::string& name)
{
    return name == cp936Name || hasConverter(name);
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

// Whether the UTF-8 reading holds a character text rarely holds (a spacing modifier
// letter, a combining mark, a C1 control...), as a misread GBK pair often does.
bool holdsRareCharacters(std::string_view bytes)
{
    if (bytes.size() > static_cast<size_t>(INT32_MAX))
        return false;
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0 || (c >= 0x80 && rareInText(c)))
            return true;
    }
    return false;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Whether a Han character of the code page 936 reading is glued to a Latin letter
// ("na茂ve", "惟mega"): accented and Greek letters of real UTF-8 text read as GBK
// land inside words like that.
bool hanGluedToLatin(TextView text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80)
            continue;
        UErrorCode status = U_ZERO_ERROR;
        if (uscript_getScript(text[i], &status) != USCRIPT_HAN || U_FAILURE(status))
            continue;
        if ((i > 0 && isAsciiLetter(text[i - 1])) || (i + 1 < text.size() && isAsciiLetter(text[i + 1])))
            return true;
    }
    return false;
}

}  // namespace
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
// mixes scripts (plausibleUtf8), unless that Chinese reading glues Han characters to
// Latin letters while the UTF-8 reading holds no rare character.
bool prefersCp936OverUtf8(std::string_view bytes)
{
    bool nonAscii = false;
    // Cheap byte test first: real UTF-8 text almost never pairs up as GB2312.
    if (!pairsAsCommonGbk(bytes, nonAscii) || !nonAscii)
        return false;
    if (!isValidUtf8CutShort(bytes) || plausibleUtf8(bytes))
        return false;
    const Text chinese = decodeCp936(bytes);
    if (!readsAsCommonChinese(chinese))
        return false;
    // Han glued inside Latin words is no one's Chinese either: when the UTF-8 reading's
    // only fault is mixing scripts ("naïve Ωmega"), it is the better one.
    return !hanGluedToLatin(chinese) || holdsRareCharacters(bytes);
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
