#include "engine/html/markup_tokenizer.h"

#include <cstring>

namespace sorvane {
namespace {

// The parser turns CR into LF before tokenizing, so CR counts as white space here.
bool isMarkupSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

MarkupTokenizer::MarkupTokenizer(std::string_view input, std::size_t attributeLimit)
    : m_s(input), m_attributeLimit(attributeLimit)
{
}

void MarkupTokenizer::setContent(MarkupContent content, std::string_view endTagName)
{
    m_content = content;
    m_endTagName.assign(endTagName);
}

bool MarkupTokenizer::next(MarkupToken& token)
{
    const std::size_t n = m_s.size();
    for (;;) {
        const std::size_t lt = nextMarkup();
        if (lt >= n) {
            m_pos = n;
            token.kind = MarkupTokenKind::EndOfFile;
            token.begin = token.end = n;
            return false;
        }
        // Only Data reaches a '<' that is not an appropriate end tag.
        m_content = MarkupContent::Data;
        if (lt + 1 >= n) {
            m_pos = n;  // a '<' at the end is text
            continue;
        }
        const char c = m_s[lt + 1];
        if (c == '!') {
            markupDeclaration(lt, token);
            return true;
        }
        if (c == '?') {
            // A bogus comment up to the next '>'.
            const std::size_t gt = m_s.find('>', lt + 2);
            m_pos = gt == std::string_view::npos ? n : gt + 1;
            token.kind = MarkupTokenKind::Comment;
            token.begin = lt;
            token.end = m_pos;
            return true;
        }
        if (c == '/') {
            if (lt + 2 >= n) {
                m_pos = n;  // "</" at the end is text
                continue;
            }
            const char d = m_s[lt + 2];
            if (d == '>') {
                m_pos = lt + 3;  // "</>" is dropped
                continue;
            }
            if (!isAsciiAlpha(d)) {
                const std::size_t gt = m_s.find('>', lt + 2);
                m_pos = gt == std::string_view::npos ? n : gt + 1;
                token.kind = MarkupTokenKind::Comment;
                token.begin = lt;
                token.end = m_pos;
                return true;
            }
            if (tag(lt, token))
                return true;
            continue;
        }
        if (isAsciiAlpha(c)) {
            if (tag(lt, token))
                return true;
            continue;
        }
        m_pos = lt + 1;  // a '<' that opens nothing is text
    }
}

std::size_t MarkupTokenizer::nextMarkup()
{
    const std::size_t n = m_s.size();
    if (m_pos >= n)
        return n;
    switch (m_content) {
    case MarkupContent::Data: {
        const void* lt = std::memchr(m_s.data() + m_pos, '<', n - m_pos);
        return lt ? static_cast<std::size_t>(static_cast<const char*>(lt) - m_s.data()) : n;
    }
    case MarkupContent::RcData:
    case MarkupContent::RawText:
        return skipRawText();
    case MarkupContent::ScriptData:
        return skipScriptData();
    case MarkupContent::PlainText:
        break;
    }
    return n;
}

// "</name" followed by white space, '/' or '>', the name matching without regard to case.
bool MarkupTokenizer::isAppropriateEndTag(std::size_t lt) const
{
    const std::size_t n = m_s.size();
    if (lt + 2 + m_endTagName.size() >= n || m_s[lt + 1] != '/')
        return false;
    for (std::size_t i = 0; i < m_endTagName.size(); ++i)
        if (lower(m_s[lt + 2 + i]) != m_endTagName[i])
            return false;
    const char after = m_s[lt + 2 + m_endTagName.size()];
    return isMarkupSpace(after) || after == '/' || after == '>';
}

std::size_t MarkupTokenizer::skipRawText()
{
    const std::size_t n = m_s.size();
    std::size_t pos = m_pos;
    for (;;) {
        const void* p = std::memchr(m_s.data() + pos, '<', n - pos);
        if (!p)
            return n;
        const auto lt = static_cast<std::size_t>(static_cast<const char*>(p) - m_s.data());
        if (isAppropriateEndTag(lt))
            return lt;
        pos = lt + 1;
    }
}

// Script data, with the escaped ("<!--") and double-escaped ("<!--<script>") states in
// which a "</script>" does or does not end the script.
std::size_t MarkupTokenizer::skipScriptData()
{
    enum State { Script, Escaped, EscapedDash, EscapedDashDash, DoubleEscaped, DoubleDash, DoubleDashDash };
    const std::size_t n = m_s.size();
    State state = Script;
    std::size_t i = m_pos;
    // Whether "script" followed by white space, '/' or '>' starts at i.
    auto scriptWordAt = [&](std::size_t at) {
        static constexpr std::string_view word = "script";
        if (at + word.size() >= n)
            return false;
        for (std::size_t k = 0; k < word.size(); ++k)
            if (lower(m_s[at + k]) != word[k])
                return false;
        const char after = m_s[at + word.size()];
        return isMarkupSpace(after) || after == '/' || after == '>';
    };
    while (i < n) {
        if (state == Script) {
            const void* p = std::memchr(m_s.data() + i, '<', n - i);
            if (!p)
                return n;
            i = static_cast<std::size_t>(static_cast<const char*>(p) - m_s.data());
            if (isAppropriateEndTag(i))
                return i;
            if (m_s.compare(i, 4, "<!--") == 0) {
                state = EscapedDashDash;
                i += 4;
            } else {
                ++i;
            }
            continue;
        }
        const char c = m_s[i];
        switch (state) {
        case Escaped:
        case EscapedDash:
        case EscapedDashDash:
            if (c == '-') {
                state = state == Escaped ? EscapedDash : EscapedDashDash;
                ++i;
            } else if (c == '<') {
                if (isAppropriateEndTag(i))
                    return i;
                if (i + 1 < n && isAsciiAlpha(m_s[i + 1]) && scriptWordAt(i + 1)) {
                    state = DoubleEscaped;
                    i += 7;  // "<script", the following character read in DoubleEscaped
                } else {
                    state = Escaped;
                    ++i;
                }
            } else if (c == '>' && state == EscapedDashDash) {
                state = Script;
                ++i;
            } else {
                state = Escaped;
                ++i;
            }
            break;
        case DoubleEscaped:
        case DoubleDash:
        case DoubleDashDash:
            if (c == '-') {
                state = state == DoubleEscaped ? DoubleDash : DoubleDashDash;
                ++i;
            } else if (c == '<') {
                state = DoubleEscaped;
                if (i + 1 < n && m_s[i + 1] == '/' && scriptWordAt(i + 2)) {
                    state = Escaped;
                    i += 8;  // "</script", the following character read in Escaped
                } else {
                    ++i;
                }
            } else if (c == '>' && state == DoubleDashDash) {
                state = Script;
                ++i;
            } else {
                state = DoubleEscaped;
                ++i;
            }
            break;
        case Script:
            break;
        }
    }
    return n;
}

std::size_t MarkupTokenizer::commentEnd(std::size_t from) const
{
    // Right after "<!--": ">" and "->" end an empty comment.
    const std::size_t n = m_s.size();
    if (from < n && m_s[from] == '>')
        return from + 1;
    if (m_s.compare(from, 2, "->") == 0)
        return from + 2;
    // Then "--" followed by any more '-' and '>', or by "!>".
    for (std::size_t end = m_s.find("--", from); end != std::string_view::npos; end = m_s.find("--", end + 1)) {
        if (end + 2 < n && m_s[end + 2] == '>')
            return end + 3;
        if (m_s.compare(end + 2, 2, "!>") == 0)
            return end + 4;
    }
    return n;
}

void MarkupTokenizer::markupDeclaration(std::size_t lt, MarkupToken& token)
{
    const std::size_t n = m_s.size();
    token.begin = lt;
    const std::size_t at = lt + 2;
    if (m_s.compare(at, 2, "--") == 0) {
        token.kind = MarkupTokenKind::Comment;
        m_pos = commentEnd(at + 2);
    } else if (m_foreign && m_s.compare(at, 7, "[CDATA[") == 0) {
        token.kind = MarkupTokenKind::CData;
        token.contentBegin = at + 7;
        const std::size_t close = m_s.find("]]>", token.contentBegin);
        token.contentEnd = close == std::string_view::npos ? n : close;
        m_pos = close == std::string_view::npos ? n : close + 3;
    } else {
        // A DOCTYPE, whose every state ends at the first '>', or a bogus comment.
        bool doctype = at + 7 <= n;
        for (std::size_t k = 0; doctype && k < 7; ++k)
            doctype = lower(m_s[at + k]) == "doctype"[k];
        token.kind = doctype ? MarkupTokenKind::Doctype : MarkupTokenKind::Comment;
        const std::size_t gt = m_s.find('>', at);
        m_pos = gt == std::string_view::npos ? n : gt + 1;
    }
    token.end = m_pos;
}

// A start or end tag whose '<' is at `lt` and whose name starts with a letter: the tag
// name, attribute name and attribute value states. Returns false for a tag cut off by
// the end of the input, which the tokenizer drops.
bool MarkupTokenizer::tag(std::size_t lt, MarkupToken& token)
{
    const std::size_t n = m_s.size();
    const bool endTag = m_s[lt + 1] == '/';
    std::size_t i = lt + (endTag ? 2 : 1);
    token.kind = endTag ? MarkupTokenKind::EndTag : MarkupTokenKind::StartTag;
    token.begin = lt;
    token.name.clear();
    token.selfClosing = false;
    token.attributes.clear();
    token.attributeCount = 0;

    while (i < n && !isMarkupSpace(m_s[i]) && m_s[i] != '/' && m_s[i] != '>')
        token.name.push_back(lower(m_s[i++]));

    enum State { BeforeName, Name, AfterName, BeforeValue, AfterQuotedValue, SelfClosing };
    State state = BeforeName;
    MarkupAttribute attribute;
    auto startAttribute = [&](std::size_t at) {
        attribute = MarkupAttribute{at, at, 0, 0};
        ++token.attributeCount;
    };
    auto keepAttribute = [&]() {
        if (token.attributes.size() < m_attributeLimit)
            token.attributes.push_back(attribute);
    };
    while (i < n) {
        const char c = m_s[i];
        switch (state) {
        case BeforeName:
            if (isMarkupSpace(c)) {
                ++i;
            } else if (c == '/') {
                state = SelfClosing;
                ++i;
            } else if (c == '>') {
                m_pos = i + 1;
                token.end = m_pos;
                return true;
            } else {
                // Any other character, '=' and quotes included, starts a name.
                startAttribute(i);
                state = Name;
                ++i;
            }
            break;
        case Name:
            if (isMarkupSpace(c) || c == '/' || c == '>') {
                attribute.nameEnd = i;
                state = AfterName;
            } else if (c == '=') {
                attribute.nameEnd = i;
                state = BeforeValue;
                ++i;
            } else {
                ++i;
            }
            break;
        case AfterName:
            if (isMarkupSpace(c)) {
                ++i;
            } else if (c == '=') {
                state = BeforeValue;
                ++i;
            } else {
                attribute.valueBegin = attribute.valueEnd = attribute.nameEnd;
                keepAttribute();
                if (c == '/') {
                    state = SelfClosing;
                    ++i;
                } else if (c == '>') {
                    m_pos = i + 1;
                    token.end = m_pos;
                    return true;
                } else {
                    startAttribute(i);
                    state = Name;
                    ++i;
                }
            }
            break;
        case BeforeValue:
            if (isMarkupSpace(c)) {
                ++i;
            } else if (c == '"' || c == '\'') {
                const std::size_t close = m_s.find(c, i + 1);
                if (close == std::string_view::npos)
                    return m_pos = n, false;
                attribute.valueBegin = i;
                attribute.valueEnd = close + 1;
                keepAttribute();
                state = AfterQuotedValue;
                i = close + 1;
            } else if (c == '>') {
                // A missing value: the attribute's value is empty and the tag ends.
                attribute.valueBegin = attribute.valueEnd = i;
                keepAttribute();
                m_pos = i + 1;
                token.end = m_pos;
                return true;
            } else {
                // Unquoted: up to white space or '>'.
                std::size_t j = i;
                while (j < n && !isMarkupSpace(m_s[j]) && m_s[j] != '>')
                    ++j;
                attribute.valueBegin = i;
                attribute.valueEnd = j;
                keepAttribute();
                state = BeforeName;
                i = j;
            }
            break;
        case AfterQuotedValue:
            if (c == '/') {
                state = SelfClosing;
                ++i;
            } else {
                // White space, '>' and a missing space all go on as before a name.
                state = BeforeName;
            }
            break;
        case SelfClosing:
            if (c == '>') {
                token.selfClosing = true;
                m_pos = i + 1;
                token.end = m_pos;
                return true;
            }
            state = BeforeName;
            break;
        }
    }
    m_pos = n;
    return false;
}

}  // namespace sorvane
