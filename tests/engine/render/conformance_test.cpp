// Renders every innerText conformance case that is comparable on a whole document and
// compares the text with what the case expects.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "engine/render/html_renderer.h"
#include "json_reader.h"

namespace sorvane {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The text as we emit it: CR LF line breaks, and a no-break space copied as a space.
Text asCopied(const std::string& expectedUtf8)
{
    Text out;
    for (char16_t c : fromUtf8(expectedUtf8)) {
        if (c == u'\n')
            out += u"\r\n";
        else if (c == 0xA0)
            out.push_back(u' ');
        else
            out.push_back(c);
    }
    return out;
}

// Cases that need a pseudo-element (::first-line, ::first-letter), which this renderer
// does not lay out.
const std::map<int, const char*> kExpectedFailures = {
    {69, "text-transform applied to the ::first-line pseudo-element: needs line layout"},
    {70, "text-transform applied to the ::first-letter pseudo-element"},
};

TEST(Conformance, InnerTextCases)
{
    const std::string dir = SORVANE_SOURCE_DIR "/tests/engine/render/";
    const std::string head = readFile(dir + "document-head.html");
    ASSERT_FALSE(head.empty());
    const test::JsonValue cases = test::JsonReader::parse(readFile(dir + "innertext-cases.json"));
    int comparable = 0, passed = 0;
    for (const test::JsonValue& c : cases.array()) {
        if (!c["body_comparable"].boolean())
            continue;
        ++comparable;
        const int id = static_cast<int>(c["id"].number());
        const std::string html = c["html"].str();
        const Text got = renderHtmlUtf8(head + html);
        const Text want = asCopied(c["expected"].str());
        const bool ok = got == want;
        passed += ok;
        const auto failure = kExpectedFailures.find(id);
        if (failure == kExpectedFailures.end()) {
            EXPECT_TRUE(ok) << "case " << id << " " << c["name"].str() << "\n  html: " << html
                            << "\n  got:  [" << toUtf8(got) << "]\n  want: [" << toUtf8(want) << "]";
        } else {
            EXPECT_FALSE(ok) << "case " << id << " passes now; take it off the expected failures";
        }
    }
    EXPECT_EQ(comparable, 229);
    std::cout << "innerText conformance: " << passed << " of " << comparable << " comparable cases pass, "
              << kExpectedFailures.size() << " expected failures\n";
}

}  // namespace
}  // namespace sorvane
