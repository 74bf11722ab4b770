#include "common/conversion_params.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(ConversionParams, EncodingNamesAndAliases)
{
    struct Case {
        std::string_view name;
        std::optional<OutputEncoding> encoding;
    };
    const Case cases[] = {
        {"gbk", OutputEncoding::Gbk},          {"CP936", OutputEncoding::Gbk},
        {"gb2312", OutputEncoding::Gbk},       {"Windows-936", OutputEncoding::Gbk},
        {"GB18030", OutputEncoding::Gb18030},  {"gb-18030", OutputEncoding::Gb18030},
        {"UTF-8", OutputEncoding::Utf8},       {"utf8", OutputEncoding::Utf8},
        {" Utf - 8\t", OutputEncoding::Utf8},  {"", std::nullopt},
        {"utf-16", std::nullopt},              {"gb", std::nullopt},
        {"latin1", std::nullopt},              {"utf-8-and-then-some-more", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseOutputEncoding(c.name), c.encoding) << c.name;
    for (const OutputEncoding e : {OutputEncoding::Gbk, OutputEncoding::Gb18030, OutputEncoding::Utf8})
        EXPECT_EQ(parseOutputEncoding(outputEncodingName(e)), e);
}

}  // namespace
}  // namespace sorvane
