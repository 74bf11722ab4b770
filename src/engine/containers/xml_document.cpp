#include "engine/containers/xml_document.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "io/codepage.h"
#include "engine/encoding/encoding_detect.h"

namespace sorvane {
namespace {

pugi::xml_node toNode(XmlDocument::Node node)
{
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(const_cast<void*>(node)));
}

XmlDocument::Node fromNode(pugi::xml_node node)
{
    return node.internal_object();
}

std::string_view localPart(std::string_view name)
{
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool isUnicodeLabel(std::string_view label)
{
    std::string lower;
    for (char c : label)
        lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    return lower == "utf-8" || lower == "utf8" || lower.starts_with("utf-16") || lower == "us-ascii" || lower == "ascii";
}

// The '<' characters in `bytes`, counted up to one past `cap`. Every node the parser
// builds but text starts at one, and text sits between two, so the tree has at most
// twice this many nodes.
std::size_t markupCount(std::string_view bytes, std::size_t cap)
{
    std::size_t count = 0;
    for (const char* p = bytes.data(), *end = p + bytes.size(); count <= cap;) {
        p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
        if (!p)
            break;
        ++count;
        ++p;
    }
    return count;
}

// What the parser may still allocate on this thread while a parse runs within a budget;
// null outside such a parse. Freed memory is not given back to it, so the count can only
// overstate what the tree holds.
struct ParseBudget {
    std::size_t left = 0;
    bool exceeded = false;
};
thread_local ParseBudget* t_budget = nullptr;

void* budgetedAllocate(std::size_t size)
{
    if (ParseBudget* budget = t_budget) {
        if (size > budget->left) {
            budget->exceeded = true;
            return nullptr;  // the parser stops with "out of memory"
        }
        budget->left -= size;
    }
    return std::malloc(size);
}

void budgetedDeallocate(void* p)
{
    std::free(p);
}

// The parser's memory goes through the budget above. It is set once, before the first
// document exists; until then the parser allocated with malloc, which free releases.
void useBudgetedAllocation()
{
    static std::once_flag once;
    std::call_once(once, [] { pugi::set_memory_management_functions(budgetedAllocate, budgetedDeallocate); });
}

// What the parser found wrong, in the engine's words (the catalogue has the English of
// each): the parser's own description is English only.
const char* parseFailure(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_out_of_memory: return "内存不足";
    case pugi::status_unrecognized_tag: return "无法识别的标记";
    case pugi::status_bad_pi: return "处理指令有误";
    case pugi::status_bad_comment: return "注释有误";
    case pugi::status_bad_cdata: return "CDATA 段有误";
    case pugi::status_bad_doctype: return "文档类型声明有误";
    case pugi::status_bad_pcdata: return "文字内容有误";
    case pugi::status_bad_start_element: return "开始标记有误";
    case pugi::status_bad_attribute: return "属性有误";
    case pugi::status_bad_end_element: return "结束标记有误";
    case pugi::status_end_element_mismatch: return "结束标记与开始标记不配对";
    case pugi::status_no_document_element: return "没有根元素";
    default: return "无法解析";
    }
}

}  // namespace

struct XmlDocument::Impl {
    std::string buffer;  // the bytes the tree's names and texts point into
    pugi::xml_document doc;
};

XmlDocument::XmlDocument() : m_impl(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;

// The encoding comes from a byte-order mark, else from the XML declaration (any encoding
// the converters know, "GBK" included), else UTF-8. White space in text is kept as it
// is. Only the predefined entities and character references are resolved.
Result<std::unique_ptr<XmlDocument>> XmlDocument::parse(std::string_view bytes, std::size_t maxMarkup)
{
    return parseWithin(std::string(bytes), std::numeric_limits<std::size_t>::max(), maxMarkup);
}

Result<std::unique_ptr<XmlDocument>> XmlDocument::parseWithin(std::string bytes, std::size_t maxMemory,
                                                              std::size_t maxMarkup)
{
    useBudgetedAllocation();
    std::unique_ptr<XmlDocument> result(new XmlDocument());
    const bool bom = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    std::string converted;
    pugi::xml_encoding encoding = pugi::encoding_auto;
    if (!bom) {
        if (auto label = xmlDeclaredEncoding(bytes); label && !isUnicodeLabel(*label)) {
            // Legacy encodings are decoded to UTF-8 first; the parser knows only Unicode
            // and Latin-1.
            const auto icuName = encodingForLabel(*label);
            const auto text = decodeWith(icuName ? *icuName : *label, bytes);
            if (text) {
                converted = toUtf8(*text);
                encoding = pugi::encoding_utf8;
            }
        }
    }
    std::string& input = result->m_impl->buffer;
    input = converted.empty() ? std::move(bytes) : std::move(converted);
    std::string().swap(bytes);  // the undecoded bytes, when they were decoded
    if (markupCount(input, maxMarkup) > maxMarkup)
        return Error{ErrorCode::BadInput, "XML 文档的元素过多（超过 " + std::to_string(maxMarkup) + " 个标记），无法读取", {}};
    auto tooLarge = [&] {
        return Error{ErrorCode::BadInput,
                     "XML 文档过大，解析所需的内存超过允许的 " + std::to_string(maxMemory >> 20) + " MB，已拒绝",
                     {}};
    };
    if (input.capacity() > maxMemory)
        return tooLarge();
    ParseBudget budget{maxMemory - input.capacity()};
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata;
    t_budget = &budget;
    const pugi::xml_parse_result parsed =
        result->m_impl->doc.load_buffer_inplace(input.data(), input.size(), options, encoding);
    t_budget = nullptr;
    if (budget.exceeded) {
        // The parser keeps the tree it built before memory ran out.
        if (!result->m_impl->doc.document_element())
            return tooLarge();
        result->m_cutShort = true;
        return result;
    }
    if (!parsed) {
        return Error{ErrorCode::BadInput,
                     "XML 文档格式错误（" + std::string(parseFailure(parsed.status)) + "，位置 " +
                         std::to_string(parsed.offset) + "）",
                     {}};
    }
    if (!result->m_impl->doc.document_element())
        return Error{ErrorCode::BadInput, "XML 文档没有根元素", {}};
    return result;
}

XmlDocument::Node XmlDocument::root() const
{
    return fromNode(m_impl->doc.document_element());
}

bool XmlDocument::isElement(Node node)
{
    return toNode(node).type() == pugi::node_element;
}

bool XmlDocument::isText(Node node)
{
    const auto type = toNode(node).type();
    return type == pugi::node_pcdata || type == pugi::node_cdata;
}

XmlDocument::Node XmlDocument::firstChild(Node node)
{
    return fromNode(toNode(node).first_child());
}

XmlDocument::Node XmlDocument::nextSibling(Node node)
{
    return fromNode(toNode(node).next_sibling());
}

XmlDocument::Node XmlDocument::parent(Node node)
{
    return fromNode(toNode(node).parent());
}

std::string_view XmlDocument::name(Node node)
{
    return toNode(node).name();
}

std::string_view XmlDocument::localName(Node node)
{
    return localPart(toNode(node).name());
}

std::string_view XmlDocument::namespaceUri(Node node)
{
    const std::string_view qualified = toNode(node).name();
    const size_t colon = qualified.find(':');
    const std::string attr =
        colon == std::string_view::npos ? std::string("xmlns") : "xmlns:" + std::string(qualified.substr(0, colon));
    for (pugi::xml_node n = toNode(node); n && n.type() == pugi::node_element; n = n.parent())
        if (const pugi::xml_attribute a = n.attribute(attr.c_str()))
            return a.value();
    return {};
}

std::optional<std::string_view> XmlDocument::attribute(Node node, std::string_view name)
{
    for (pugi::xml_attribute a = toNode(node).first_attribute(); a; a = a.next_attribute())
        if (name == a.name())
            return std::string_view(a.value());
    return std::nullopt;
}

std::optional<std::string_view> XmlDocument::attributeLocal(Node node, std::string_view local)
{
    for (pugi::xml_attribute a = toNode(node).first_attribute(); a; a = a.next_attribute())
        if (localPart(a.name()) == local)
            return std::string_view(a.value());
    return std::nullopt;
}

std::string_view XmlDocument::text(Node node)
{
    return toNode(node).value();
}

std::string XmlDocument::textContent(Node node)
{
    // Iterative, so a deeply nested document cannot exhaust the stack.
    std::string out;
    const pugi::xml_node top = toNode(node);
    pugi::xml_node n = top.first_child();
    while (n) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            out += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && n != top && !n.next_sibling())
            n = n.parent();
        if (!n || n == top)
            break;
        n = n.next_sibling();
    }
    return out;
}

XmlDocument::Node XmlDocument::childElement(Node node, std::string_view local)
{
    for (pugi::xml_node c = toNode(node).first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localPart(c.name()) == local)
            return fromNode(c);
    return nullptr;
}

std::optional<std::string> xmlDeclaredEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (!bytes.starts_with("<?xml"))
        return std::nullopt;
    const size_t end = bytes.find("?>");
    const std::string_view decl = bytes.substr(0, end == std::string_view::npos ? std::min<size_t>(bytes.size(), 200) : end);
    const size_t at = decl.find("encoding");
    if (at == std::string_view::npos)
        return std::nullopt;
    size_t i = at + 8;
    while (i < decl.size() && (decl[i] == ' ' || decl[i] == '=' || decl[i] == '\t'))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\''))
        return std::nullopt;
    const char quote = decl[i];
    const size_t close = decl.find(quote, i + 1);
    if (close == std::string_view::npos)
        return std::nullopt;
    return std::string(decl.substr(i + 1, close - i - 1));
}

}  // namespace sorvane
