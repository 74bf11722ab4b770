// The names a document is read by agree everywhere they are used: the file list's filter
// offers them, the renderer reads each as what it is, and the command line's folder walk
// takes the pages and the readers' documents, else the plain-text files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "engine/convert/renderer.h"
#include "engine/readers/reader_table.h"
#include "support/scratch_folder.h"

namespace sorvane {
namespace {

enum class As { Page, Text, Reader };

const struct {
    const char* extension;
    As as;
    const char* reader;  // the row's name, for As::Reader
} kNames[] = {
    {".htm", As::Page, nullptr},       {".html", As::Page, nullptr},
    {".xhtml", As::Page, nullptr},    {".shtml", As::Page, nullptr},
    {".asp", As::Page, nullptr},      {".aspx", As::Page, nullptr},
    {".php", As::Page, nullptr},      {".jsp", As::Page, nullptr},
    {".mht", As::Reader, "MHT"},       {".mhtml", As::Reader, "MHT"},
    {".epub", As::Reader, "EPUB"},     {".chm", As::Reader, "CHM"},
    {".docx", As::Reader, "DOCX"},     {".odt", As::Reader, "ODT"},
    {".rtf", As::Reader, "RTF"},       {".doc", As::Reader, "DOC"},
    {".fb2", As::Reader, "FB2"},       {".fb2.zip", As::Reader, "FB2"},
    {".mobi", As::Reader, "MOBI"},     {".azw", As::Reader, "MOBI"},
    {".azw3", As::Reader, "MOBI"},     {".prc", As::Reader, "MOBI"},
    {".txt", As::Text, nullptr},       {".text", As::Text, nullptr},
};

std::set<std::string> sourceNames(const cli::InputList& list)
{
    std::set<std::string> names;
    for (const cli::Input& input : list.inputs)
        names.insert(input.source.filename().string());
    return names;
}

TEST(ReadableNames, FilterRendererAndFolderWalkAgree)
{
    std::set<std::string> offered, expectedOffered, expectedDocuments, expectedTexts;
    std::string patterns = readableDocumentPatterns() + ";";
    for (size_t end; (end = patterns.find(';')) != std::string::npos; patterns.erase(0, end + 1))
        offered.insert(patterns.substr(0, end));

    test::ScratchFolder all, textsOnly, oneKind;
    for (const auto& n : kNames) {
        SCOPED_TRACE(n.extension);
        const std::string name = std::string("a") + n.extension;
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
        // Text that does not start as markup is rendered as a page under a page name and
        // kept as written under a text name; a reader's name goes to its row. Upper-case
        // names are read the same way.
        for (const std::string& spelled : {name, upper}) {
            DocumentProbe probe("x <b>y</b>", spelled);
            const DocumentReader* row = chooseDocumentReader(probe);
            if (n.as == As::Reader) {
                EXPECT_STREQ(row ? row->name : "none", n.reader) << spelled;
                continue;
            }
            EXPECT_EQ(row, nullptr) << spelled;
            const auto text = renderDocumentBytes(spelled, "x <b>y</b>");
            ASSERT_TRUE(text.ok()) << text.error().describe();
            EXPECT_EQ(*text, n.as == As::Page ? u"x y" : u"x <b>y</b>") << spelled;
        }
        expectedOffered.insert(std::string("*") + n.extension);
        if (n.as == As::Text)
            expectedTexts.insert(name);
        else
            expectedDocuments.insert(name);
        test::writeFile(all / name, "");
        if (n.as != As::Text) {
            std::filesystem::create_directory(oneKind / (n.extension + 1));
            test::writeFile(oneKind / (n.extension + 1) / name, "");
        }
    }
    EXPECT_EQ(offered, expectedOffered);
    // A folder gives its pages and readers' documents, never the text files beside them;
    // one without any document its plain-text files. Each document alone among text
    // files is still taken, in a sub-folder with -r too.
    EXPECT_EQ(sourceNames(cli::expandInputs({all.path().string()}, false, {})), expectedDocuments);
    for (const std::string& text : expectedTexts)
        test::writeFile(textsOnly / text, "");
    EXPECT_EQ(sourceNames(cli::expandInputs({textsOnly.path().string()}, false, {})), expectedTexts);
    for (const std::string& document : expectedDocuments) {
        const std::string extension = document.substr(2);  // "a.epub" lives in "epub"
        test::writeFile(oneKind / extension / "a.txt", "");
        EXPECT_EQ(sourceNames(cli::expandInputs({(oneKind / extension).string()}, false, {})),
                  std::set<std::string>{document});
    }
    EXPECT_EQ(sourceNames(cli::expandInputs({oneKind.path().string()}, true, {})), expectedDocuments);
}

}  // namespace
}  // namespace sorvane
