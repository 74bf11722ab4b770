// The plan of a run: each document's output, the documents refused for their names
// alone, the claims that pass to the run's record, and where a book goes.

#include "engine/output/batch_plan.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace sorvane {
namespace {

using test::ScratchFolder;
using test::writeFile;
namespace fs = std::filesystem;

TEST(BatchPlan, OutputsAndRefusalsComeFromTheNamesAlone)
{
    ScratchFolder dir;
    writeFile(dir / "old.txt", "kept");
    ConversionParams params;
    params.naming = 1;  // c1 and c01 both become c01.txt
    params.outputFolder = dir / "ignored";  // each source brings its own folder
    const std::vector<BatchSource> sources = {
        {dir / "a.htm", {}},         {dir / "a.html", {}},        {dir / "c1.htm", {}},
        {dir / "c01.htm", {}},       {dir / "old.htm", {}},       {dir / "x" / "d.htm", dir / "out"},
        {dir / "d.htm", dir / "out"}, {"stdin", dir / "out", false},
        // A packed book keeps its book's extension only when another document of the run
        // takes its name, as output or as source.
        {dir / "e.fb2.zip", {}},     {dir / "f.fb2.zip", {}},     {dir / "f.fb2", {}},
        {dir / "g.fb2.zip", {}},     {dir / "g.txt", {}},
    };
    struct Expected {
        fs::path output;
        const char* earlier;  // the source named by a WouldOverwrite refusal, or nullptr
        bool exists;          // refused with noClobber only
    };
    const Expected expected[] = {
        {dir / "a.txt", nullptr, false},     {dir / "a.txt", "a.htm", false},  {dir / "c01.txt", nullptr, false},
        {dir / "c01.txt", "c1.htm", false},  {dir / "old.txt", nullptr, true}, {dir / "out" / "d.txt", nullptr, false},
        {dir / "out" / "d.txt", "d.htm", false}, {dir / "out" / "stdin.txt", nullptr, false},
        {dir / "e.txt", nullptr, false},     {dir / "f.fb2.txt", nullptr, false}, {dir / "f.txt", nullptr, false},
        {dir / "g.fb2.txt", nullptr, false}, {dir / "g.txt", nullptr, false},
    };
    for (const bool noClobber : {false, true}) {
        SCOPED_TRACE(noClobber ? "no clobber" : "replacing");
        const BatchPlan plan(sources, params, noClobber);
        ASSERT_EQ(plan.size(), sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            SCOPED_TRACE(sources[i].source.string());
            EXPECT_EQ(plan.output(i), expected[i].output);
            EXPECT_EQ(plan.params(i).outputFolder, sources[i].outputFolder);
            EXPECT_EQ(plan.params(i).naming, 1);
            const std::optional<Error>& refusal = plan.refusal(i);
            if (expected[i].earlier) {
                ASSERT_TRUE(refusal);
                EXPECT_EQ(refusal->code, ErrorCode::WouldOverwrite);
                EXPECT_EQ(refusal->where, sources[i].source.string());
                EXPECT_NE(refusal->message.find(expected[i].earlier), std::string::npos) << refusal->message;
            } else if (expected[i].exists && noClobber) {
                ASSERT_TRUE(refusal);
                EXPECT_EQ(refusal->code, ErrorCode::OutputExists);
            } else {
                EXPECT_FALSE(refusal) << refusal->message;
            }
        }
    }

    // Every document of the window's kind goes into the one output folder of the run,
    // and claims are checked against the run's other sources and files.
    BatchPlan plan(std::vector<fs::path>{dir / "a.htm", dir / "b.htm", dir / "old.txt"}, params);
    EXPECT_EQ(plan.output(1), dir / "ignored" / "b.txt");
    EXPECT_TRUE(plan.claim(0, {dir / "a.txt"}).ok());
    const Status taken = plan.claim(1, {dir / "b.txt", dir / "a.txt"});
    ASSERT_FALSE(taken.ok());
    EXPECT_EQ(taken.error().where, (dir / "b.htm").string());
    EXPECT_NE(taken.error().message.find((dir / "a.htm").string()), std::string::npos);
    const Status source = plan.claim(1, {dir / "sub" / ".." / "old.txt"});
    ASSERT_FALSE(source.ok());
    EXPECT_EQ(source.error().code, ErrorCode::WouldOverwrite);
}

TEST(BatchPlan, ABookGoesIntoTheOutputFolderOrBesideItsFirstChapter)
{
    const fs::path here = fs::current_path();
    const struct {
        std::vector<fs::path> chapters;
        fs::path outputFolder;
        fs::path expected;
    } cases[] = {
        {{"/books/a/1.htm", "/books/b/2.htm"}, "/out", "/out"},
        {{"/books/a/1.htm", "/books/b/2.htm"}, "", "/books/a"},
        {{"ch/1.htm"}, "", here / "ch"},
        {{}, "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bookFolder(c.chapters, c.outputFolder), c.expected);
}

}  // namespace
}  // namespace sorvane
