// Placeholder until the HTML renderer lands: the markup's text is passed through as is.
#include "engine/html_renderer.h"

#include "engine/plain_text_renderer.h"

namespace sorvane {

Text renderHtml(std::string_view bytes)
{
    return renderPlainText(bytes);
}

}  // namespace sorvane
