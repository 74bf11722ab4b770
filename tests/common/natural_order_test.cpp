#include "common/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sorvane {
namespace {

TEST(NaturalOrder, ComparesNumbersByValueAndIgnoresCase)
{
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"chap2", "chap10", -1},
        {"chap10", "chap2", 1},
        {"chap9.htm", "chap10.htm", -1},
        {"第9章.htm", "第10章.htm", -1},
        {"第１２章", "第３章", 1},  // full-width digits count by value too
        {"Chap3", "chap3", -1},     // equal but for case: the plain bytes decide
        {"CHAP2", "chap10", -1},    // case is ignored before the bytes are looked at
        {"Ärger2", "ärger10", -1},
        {"a", "a", 0},
        {"", "", 0},
        {"", "a", -1},
        {"chap", "chap1", -1},
        {"007", "7", -1},  // same number: the plain bytes decide
        {"7", "007", 1},
        {"v1.10", "v1.9", 1},
        {"1", "a", -1},
        // runs of digits far beyond any integer type
        {"part99999999999999999999999", "part100000000000000000000000", -1},
        {"x\xFF", "x\xEF\xBF\xBD", 1},  // invalid byte as U+FFFD, then by bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const int got = naturalCompare(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.expected);
    }
}

TEST(NaturalOrder, SortsAFolderOfChapters)
{
    std::vector<std::string> names = {"chap10.htm", "Chap1.htm", "chap2.htm", "chap12.htm",
                                      "chap11.htm", "chap3.htm", "index.htm", "chap01.htm"};
    std::sort(names.begin(), names.end(), NaturalLess{});
    const std::vector<std::string> expected = {"Chap1.htm",  "chap01.htm", "chap2.htm",  "chap3.htm",
                                               "chap10.htm", "chap11.htm", "chap12.htm", "index.htm"};
    EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace sorvane
