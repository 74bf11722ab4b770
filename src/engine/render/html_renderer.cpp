// Decodes a page, builds its document and hands it to the style and text-collection parts.
#include "engine/render/html_renderer.h"

#include <cstddef>
#include <optional>
#include <string>

#include "engine/render/css_style.h"
#include "engine/encoding/encoding_detect.h"
#include "engine/html/html_document.h"
#include "engine/render/inner_text.h"

namespace sorvane {
namespace {

// Renders the <body> (or, without one, the root element) of a page in UTF-8.
// A <br> without attributes gives a line feed where its text is shown, unless a style
// sheet has a rule for it: the parser leaves such <br>s between text out of the tree,
// each a line break in the text around it, and a page whose sheets have a rule that may
// apply to them is parsed again with them as elements.
Text renderDocument(std::string_view utf8, const HtmlContext* context)
{
    const StyleSheetLoader* loader = context && context->linkedStyleSheet ? &context->linkedStyleSheet : nullptr;
    // Selector matching may take work in proportion to the page, no more: a hostile
    // sheet would otherwise take time that grows with its size times the document's.
    const std::size_t budget = std::size_t{4'000'000} + 16 * utf8.size();
    // A page shown in part walks its tree itself, reading bare <br>s as line feeds in
    // the text around them as the whole page's walk does.
    const bool own = context && context->renderPage;
    std::optional<HtmlDocument> doc(std::in_place, utf8, kMaxNestingDepth, BareLineBreaks::InText);
    std::optional<PageStyle> style(std::in_place, *doc, loader, budget);
    if (doc->lineBreaksInText() && style->mayStyleBare("br")) {
        style.reset();
        doc.emplace(utf8, kMaxNestingDepth, BareLineBreaks::AsElements);
        style.emplace(*doc, loader, budget);
    }
    HtmlDocument::Node root = doc->body();
    if (!root)
        root = doc->documentElement();
    if (!root)
        return {};
    if (own)
        return context->renderPage(*doc, root, *style, utf8.size());
    return collectInnerText(*doc, root, *style, utf8.size());
}

}  // namespace

Text renderHtmlUtf8(std::string_view utf8)
{
    return renderDocument(utf8, nullptr);
}

// A byte-order mark wins over what the container declares, which wins over the page's
// <meta>; the container's fallback is taken only where the page declares nothing.
Text renderHtml(std::string_view bytes, const HtmlContext& context)
{
    DocumentEncoding encoding = detectEncoding(bytes);
    if (encoding.source != DocumentEncoding::Source::Bom) {
        std::optional<std::string> chosen;
        if (!context.declaredEncoding.empty())
            chosen = encodingForLabel(context.declaredEncoding);
        if (!chosen && encoding.source != DocumentEncoding::Source::Meta && !context.fallbackEncoding.empty())
            chosen = encodingForLabel(context.fallbackEncoding);
        if (chosen) {
            encoding.name = *chosen;
            encoding.source = DocumentEncoding::Source::Meta;
        }
    }
    const std::string decoded = encoding.name == "UTF-8" ? std::string() : decodeDocumentToUtf8(bytes, encoding);
    const std::string_view utf8 = encoding.name == "UTF-8" ? bytes.substr(encoding.bomLength) : std::string_view(decoded);
    return renderDocument(utf8, &context);
}

Text renderHtml(std::string&& bytes)
{
    const DocumentEncoding encoding = detectEncoding(bytes);
    if (encoding.name == "UTF-8")
        return renderHtmlUtf8(std::string_view(bytes).substr(encoding.bomLength));
    const std::string utf8 = decodeDocumentToUtf8(bytes, encoding);
    std::string().swap(bytes);  // the undecoded bytes are no longer needed
    return renderHtmlUtf8(utf8);
}

Text renderHtml(std::string_view bytes)
{
    const DocumentEncoding encoding = detectEncoding(bytes);
    if (encoding.name == "UTF-8")
        return renderHtmlUtf8(bytes.substr(encoding.bomLength));
    const std::string utf8 = decodeDocumentToUtf8(bytes, encoding);
    return renderHtmlUtf8(utf8);
}

}  // namespace sorvane
