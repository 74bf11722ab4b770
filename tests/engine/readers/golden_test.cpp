// Whole books and saved pages: every folder of tests/data/readers holds one input.*
// document and expected.txt, the text `sorvane-cli --raw` must print for it (UTF-8,
// CR LF), compared byte for byte.
#include <gtest/gtest.h>

#include "support/golden_cases.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

TEST(ReaderGolden, EveryBookAndSavedPagePrintsItsExpectedText)
{
    const auto inputs = test::goldenInputs(std::filesystem::path(SORVANE_TEST_DATA) / "readers");
    ASSERT_GE(inputs.size(), 2u);
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.parent_path().filename().string());
        const auto [got, status] = test::cliRawText(input);
        EXPECT_EQ(status, 0);
        const std::string want = test::readFile(input.parent_path() / "expected.txt");
        EXPECT_TRUE(got == want) << test::firstDifference(got, want);
    }
}

}  // namespace
}  // namespace sorvane
