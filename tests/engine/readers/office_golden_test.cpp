// Whole documents: every folder of tests/data/office holds one input.* (RTF, DOC, DOCX or
// ODT) and expected.txt, the text a browser shows for the document saved as HTML (UTF-8,
// CR LF), compared byte for byte with what the reader choice renders and with what
// `sorvane-cli --raw` prints.
#include <gtest/gtest.h>

#include "engine/convert/renderer.h"
#include "support/golden_cases.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

TEST(OfficeGolden, DocumentsRenderAsExpected)
{
    const auto inputs = test::goldenInputs(fs::path(SORVANE_TEST_DATA) / "office");
    ASSERT_GE(inputs.size(), 3u);
    test::ScratchFolder scratch;
    for (const fs::path& input : inputs) {
        const std::string name = input.parent_path().filename().string();
        SCOPED_TRACE(name);
        const std::string want = test::readFile(input.parent_path() / "expected.txt");
        const Result<Text> text = renderDocument(input);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        const std::string got = toUtf8(*text);
        EXPECT_TRUE(got == want) << test::firstDifference(got, want);
        const auto [raw, status] = test::cliRawText(input);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(raw == want) << test::firstDifference(raw, want);

        // The reader is chosen by content: the same bytes under a neutral name read alike.
        const fs::path renamed = scratch / (name + ".bin");
        fs::copy_file(input, renamed);
        const Result<Text> again = renderDocument(renamed);
        ASSERT_TRUE(again.ok()) << again.error().describe();
        EXPECT_TRUE(toUtf8(*again) == want);
    }
}

}  // namespace
}  // namespace sorvane
