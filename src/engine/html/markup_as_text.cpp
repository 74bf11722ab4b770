#include "engine/html/markup_as_text.h"

#include "common/ascii.h"
#include "engine/html/markup_tokenizer.h"
#include "engine/html/nesting_limiter.h"

#include <vector>

namespace sorvane {

namespace {

class TextOfMarkup {
public:
    TextOfMarkup(MarkupTextFor use, bool startsInHiddenSvg) : m_use(use)
    {
        if (startsInHiddenSvg)
            m_foreign.push_back({"svg", false});
    }

    std::string run(std::string_view s)
    {
        m_out.reserve(s.size() / 2);
        MarkupTokenizer tokenizer(s, 0);
        MarkupToken t;
        std::size_t textFrom = 0;
        while (tokenizer.next(t)) {
            if (t.begin > textFrom)
                text(s.substr(textFrom, t.begin - textFrom));
            textFrom = t.end;
            if (t.kind == MarkupTokenKind::StartTag)
                startTag(t, tokenizer);
            else if (t.kind == MarkupTokenKind::EndTag)
                endTag(t.name);
            else if (t.kind == MarkupTokenKind::CData && m_templates == 0)
                append(s.substr(t.contentBegin, t.contentEnd - t.contentBegin), true);
            tokenizer.setForeignContent(!m_foreign.empty());
        }
        if (textFrom < s.size())
            text(s.substr(textFrom));
        if (m_use == MarkupTextFor::CutOffRest) {
            // The block ends there anyway: a break or space at its end shows nothing.
            while (!m_out.empty() && (m_out.back() == '\n' || m_out.back() == ' '))
                m_out.pop_back();
        }
        return std::move(m_out);
    }

private:
    // Text between tokens: ordinary text, or the content of a raw-text element.
    void text(std::string_view t)
    {
        if (m_templates > 0 || m_raw == Raw::Dropped)
            return;
        if (m_use == MarkupTextFor::CutOffRest && !m_foreign.empty() && !m_foreign.back().shown)
            return;
        append(t, m_raw == Raw::Shown);
    }

    void startTag(const MarkupToken& t, MarkupTokenizer& tokenizer)
    {
        const std::string& name = t.name;
        if (name == "template") {
            ++m_templates;
            return;
        }
        if (m_templates > 0)
            return;
        if (!m_foreign.empty() || name == "svg" || name == "math") {
            // SVG shows text only inside its text elements; MathML shows its text.
            bool shown = !m_foreign.empty() && m_foreign.back().shown;
            if (name == "math" || name == "text" || name == "tspan" || name == "textpath" || name == "foreignobject")
                shown = true;
            else if (name == "svg")
                shown = false;
            if (!t.selfClosing)
                m_foreign.push_back({name, shown});
            return;
        }
        if (name == "br") {
            lineBreak(true);
            return;
        }
        if (startsLine(name))
            lineBreak(false);
        // Raw text where the tree builder switches the tokenizer to it: scripts,
        // styles, titles and text areas are not shown; <xmp> and <plaintext> show
        // their content as it is written.
        if (name == "plaintext") {
            tokenizer.setContent(MarkupContent::PlainText, name);
            m_raw = Raw::Shown;
        } else if (name == "xmp") {
            tokenizer.setContent(MarkupContent::RawText, name);
            m_raw = Raw::Shown;
        } else if (name == "script") {
            tokenizer.setContent(MarkupContent::ScriptData, name);
            m_raw = Raw::Dropped;
        } else if (name == "title" || name == "textarea") {
            tokenizer.setContent(MarkupContent::RcData, name);
            m_raw = Raw::Dropped;
        } else if (name == "style" || name == "iframe" || name == "noembed" || name == "noframes") {
            tokenizer.setContent(MarkupContent::RawText, name);
            m_raw = Raw::Dropped;
        }
    }

    void endTag(const std::string& name)
    {
        // The tokenizer ends raw text only at the raw-text element's own end tag.
        m_raw = Raw::None;
        if (name == "template") {
            m_templates -= m_templates > 0;
            return;
        }
        if (m_templates > 0)
            return;
        if (!m_foreign.empty()) {
            for (std::size_t k = m_foreign.size(); k-- > 0;) {
                if (m_foreign[k].name == name) {
                    m_foreign.resize(k);
                    break;
                }
            }
            return;
        }
        if (name == "br")
            lineBreak(true);  // "</br>" is a <br>
        else if (startsLine(name))
            lineBreak(false);
    }

    static bool startsLine(std::string_view name)
    {
        return closesParagraph(name) || name == "tr" || name == "td" || name == "th" || name == "caption";
    }

    // A <br> always breaks the line; a block's edge breaks it once.
    void lineBreak(bool always)
    {
        if (!always && (m_out.empty() || m_lastWasBreak))
            return;
        m_out += m_use == MarkupTextFor::FailedPage ? "<br>" : "\n";
        m_lastWasBreak = true;
        m_lastWasSpace = false;
    }

    // Appends text, escaped so the parser reads it back as the same text. Character
    // references of ordinary text stay for the parser to resolve; literal text (raw
    // text, CDATA) has its '&' escaped too.
    void append(std::string_view t, bool literal)
    {
        for (char c : t) {
            if (m_use == MarkupTextFor::CutOffRest && isAsciiSpace(c)) {
                if (!m_lastWasSpace && !m_lastWasBreak)
                    m_out += ' ';
                m_lastWasSpace = true;
                continue;
            }
            if (c == '<')
                m_out += "&lt;";
            else if (c == '&' && literal)
                m_out += "&amp;";
            else
                m_out += c;
            m_lastWasSpace = false;
            m_lastWasBreak = false;
        }
    }

    enum class Raw { None, Shown, Dropped };

    struct Foreign {
        std::string name;
        bool shown;  // whether its text is shown
    };

    MarkupTextFor m_use;
    std::string m_out;
    Raw m_raw = Raw::None;
    std::size_t m_templates = 0;  // templates open: their content is never shown
    std::vector<Foreign> m_foreign;  // SVG and MathML elements open
    bool m_lastWasBreak = false;
    bool m_lastWasSpace = false;
};

}  // namespace

std::string markupAsText(std::string_view markup, MarkupTextFor use, bool startsInHiddenSvg)
{
    return TextOfMarkup(use, startsInHiddenSvg).run(markup);
}

}  // namespace sorvane
