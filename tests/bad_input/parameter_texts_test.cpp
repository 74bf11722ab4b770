// Parameter texts a user can type: signs, exponents far out of range, letters, bytes that
// are no UTF-8. Every one must give a conversion (the number-value rule reads what it
// can), through the cleanup and through sorvane-cli. "-1e300" as the head length once
// overflowed the head rule (found by fuzz_line_pipeline).

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bad_input_support.h"
#include "common/text.h"
#include "engine/convert/line_pipeline.h"

namespace sorvane {
namespace {

using test::inFolder;
using test::runCli;
using test::ScratchFolder;
using test::writeFile;

const char* const kTexts[] = {
    "-1e300", "1e300", "-9223372036854775809", "9223372036854775808", "1e-400", "-0", "  12abc", "0x10",
    "nan",    "inf",   "-inf",                 "\xFF\xFE\x80",         "",       "3.5", "2.5",
};

// Blank runs at the head and in the rest, a separator line and lines long enough to split.
Text sample()
{
    Text text = u"\r\n\r\n\r\n标题\r\n\r\n\r\n==============\r\n";
    for (int i = 0; i < 50; ++i)
        text += u"第" + fromUtf8(std::to_string(i)) + u"行的文字内容\r\n\r\n\r\n";
    return text;
}

TEST(BadParameters, EveryTextGivesAConversion)
{
    const Text text = sample();
    for (const char* value : kTexts) {
        for (int field = 0; field < 5; ++field) {
            SCOPED_TRACE(std::string("field ") + std::to_string(field) + " = \"" + value + "\"");
            ConversionParams params;
            std::string* fields[] = {&params.head, &params.headBlank, &params.restBlank, &params.maxRun, &params.maxSize};
            *fields[field] = value;
            const ConvertedText out = convertText(text, params, {});
            ASSERT_FALSE(out.parts.empty());
            EXPECT_EQ(out.lines, 158u);  // the text's lines and the empty one after its last break
            Text joined;
            for (const TextPart& part : out.parts)
                joined += part.content;
            // Every line that is not blank survives whatever the parameters say.
            EXPECT_NE(joined.find(u"标题"), Text::npos);
            EXPECT_NE(joined.find(u"第49行的文字内容"), Text::npos);
        }
    }
}

TEST(BadParameters, CommandLineTakesEveryText)
{
    ScratchFolder dir;
    writeFile(dir / "book.txt.htm", "<meta charset=utf-8><p>标题</p><p>===========</p><p>正文的第一段文字</p>");
    for (const char* value : kTexts) {
        SCOPED_TRACE(std::string("\"") + value + "\"");
        const auto run = runCli({"--stdout", "--head", value, "--head-blank", value, "--rest-blank", value,
                                 "--max-run", value, "--max-size", value, "book.txt.htm"},
                                inFolder(dir.path()));
        ASSERT_TRUE(run.exited) << test::describe(run);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("正文的第一段文字"), std::string::npos) << run.out;
    }
}

}  // namespace
}  // namespace sorvane
