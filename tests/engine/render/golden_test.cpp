// Whole pages: every folder of tests/data/renderer holds input.html and expected.txt, the
// text a browser shows for the page (UTF-8, CR LF), compared byte for byte.
#include <gtest/gtest.h>

#include "engine/convert/renderer.h"
#include "support/golden_cases.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

TEST(Golden, PagesRenderAsExpected)
{
    const auto inputs = test::goldenInputs(std::filesystem::path(SORVANE_TEST_DATA) / "renderer");
    ASSERT_GE(inputs.size(), 11u);
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.parent_path().filename().string());
        const Result<Text> text = renderDocument(input);
        ASSERT_TRUE(text.ok()) << text.error().describe();
        const std::string got = toUtf8(*text);
        const std::string want = test::readFile(input.parent_path() / "expected.txt");
        EXPECT_TRUE(got == want) << test::firstDifference(got, want);
    }
}

}  // namespace
}  // namespace sorvane
