#pragma once
// A tokenizer for HTML markup that finds the tags, comments, DOCTYPEs and CDATA
// sections of a page exactly where the HTML standard's tokenizer finds them: the same
// states for tag names, attribute names and values, comments and the raw-text content
// models. Text is skipped, not decoded. The nesting limiter runs on it, so that what it
// counts is what the parser will see.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

enum class MarkupTokenKind : std::uint8_t { StartTag, EndTag, Comment, Doctype, CData, EndOfFile };

// How the text after a start tag is read; the tree builder chooses it.
enum class MarkupContent : std::uint8_t { Data, RcData, RawText, ScriptData, PlainText };

// One attribute as written: offsets into the input. valueBegin == valueEnd when the
// attribute has no value; a quoted value's span includes its quotes.
struct MarkupAttribute {
    std::size_t nameBegin = 0, nameEnd = 0;
    std::size_t valueBegin = 0, valueEnd = 0;
};

struct MarkupToken {
    MarkupTokenKind kind = MarkupTokenKind::EndOfFile;
    std::size_t begin = 0, end = 0;  // the token's markup in the input
    std::string name;                // tags: the name in lower case
    bool selfClosing = false;
    // Tags: the first `attributeLimit` attributes as written (duplicates included), and
    // how many the tag has in all.
    std::vector<MarkupAttribute> attributes;
    std::size_t attributeCount = 0;
    // CDATA sections: the content.
    std::size_t contentBegin = 0, contentEnd = 0;
};

class MarkupTokenizer {
public:
    explicit MarkupTokenizer(std::string_view input, std::size_t attributeLimit = SIZE_MAX);

    // Reads the next token into `token`; returns false (an EndOfFile token) at the end
    // of the input. A tag cut off by the end of the input is no token, as in HTML.
    bool next(MarkupToken& token);

    // After a start tag: how its content is to be read, up to the end tag named
    // `endTagName` (lower case). The tokenizer goes back to Data by itself there.
    void setContent(MarkupContent content, std::string_view endTagName);

    // Whether the current node is an SVG or MathML element, where <![CDATA[ opens a
    // CDATA section rather than a bogus comment.
    void setForeignContent(bool foreign) { m_foreign = foreign; }

    const std::string_view& input() const { return m_s; }

private:
    // The position of the next '<' that can start markup, from `m_pos` in the current
    // content model (the end of the input if there is none).
    std::size_t nextMarkup();
    std::size_t skipRawText();     // RCDATA and RAWTEXT
    std::size_t skipScriptData();  // script data with its escaped states
    bool isAppropriateEndTag(std::size_t lt) const;

    bool tag(std::size_t lt, MarkupToken& token);
    void markupDeclaration(std::size_t lt, MarkupToken& token);
    std::size_t commentEnd(std::size_t from) const;  // from just after "<!--"

    std::string_view m_s;
    std::size_t m_pos = 0;
    std::size_t m_attributeLimit;
    MarkupContent m_content = MarkupContent::Data;
    std::string m_endTagName;
    bool m_foreign = false;
};

}  // namespace sorvane
