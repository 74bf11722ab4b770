#include "engine/readers/mobi_reader.h"

#include "engine/containers/mobi_book.h"
#include "engine/render/html_renderer.h"

namespace sorvane {
namespace {

bool isMobiFile(DocumentProbe& p)
{
    return looksLikeMobi(p.bytes());
}

}  // namespace

Result<Text> readMobi(DocumentProbe& document, ReadProblems& /*problems*/)
{
    Result<MobiBook> book = openMobiBook(document.bytes());
    if (!book)
        return book.error();
    HtmlContext context;
    context.declaredEncoding = book->encoding;
    Text out;
    for (std::string& page : book->pages) {
        const Text text = renderHtml(std::string_view(page), context);
        std::string().swap(page);
        if (text.empty())
            continue;
        if (!out.empty())
            out += u"\r\n\r\n";
        out += text;
    }
    return out;
}

const DocumentReader& mobiReader()
{
    static const DocumentReader row{"MOBI", isMobiFile, ".mobi .azw .azw3 .prc", readMobi, nullptr};
    return row;
}

}  // namespace sorvane
