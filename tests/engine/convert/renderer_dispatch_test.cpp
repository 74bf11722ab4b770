// Which renderer a file goes to, and the errors for files that cannot be rendered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/convert/renderer.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::random_device rd;
        m_path = fs::temp_directory_path() / ("sorvane-render-" + std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    fs::path write(const std::string& name, const std::string& bytes) const
    {
        const fs::path p = m_path / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

TEST(DocumentKind, ByExtensionThenBySniffing)
{
    const struct {
        const char* name;
        std::string bytes;
        DocumentKind kind;
    } cases[] = {
        {"a.htm", "plain words", DocumentKind::Html},
        {"a.HTML", "plain words", DocumentKind::Html},
        {"a.xhtml", "", DocumentKind::Html},
        {"a.shtml", "", DocumentKind::Html},
        {"a.asp", "", DocumentKind::Html},
        {"a.aspx", "", DocumentKind::Html},
        {"a.php", "", DocumentKind::Html},
        {"a.JSP", "", DocumentKind::Html},
        {"a.txt", "<html><body>x</body></html>", DocumentKind::PlainText},
        {"a.TEXT", "<p>x</p>", DocumentKind::PlainText},
        {"a.dat", "<!DOCTYPE html><p>x", DocumentKind::Html},
        {"a.dat", "<?xml version='1.0'?><html/>", DocumentKind::Html},
        {"noext", " \r\n\t<p>x</p>", DocumentKind::Html},
        {"a.dat", "\xEF\xBB\xBF  <html>", DocumentKind::Html},
        {"a.dat", std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14), DocumentKind::Html},
        {"a.dat", std::string("\xFE\xFF\0<\0p\0>", 8), DocumentKind::Html},
        {"a.dat", std::string("\xFF\xFEh\0i\0", 6), DocumentKind::PlainText},
        {"a.dat", "< p>x", DocumentKind::PlainText},
        {"a.dat", "<1>", DocumentKind::PlainText},
        {"a.dat", "<", DocumentKind::PlainText},
        {"a.dat", "hello <b>x</b>", DocumentKind::PlainText},
        {"a.dat", "", DocumentKind::PlainText},
        {"a.htm.bak", "<p>x", DocumentKind::Html},
        {"a.htm.bak", "x", DocumentKind::PlainText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.bytes.substr(0, 20));
        EXPECT_EQ(documentKind(c.name, c.bytes), c.kind);
    }
}

TEST(RenderDocument, RendersEachKindAndRefusesWhatItCannot)
{
    TempFolder dir;
    // HTML by extension, plain text by extension, HTML by sniffing.
    auto html = renderDocument(dir.write("a.htm", "<p>one</p><p>two</p>"));
    ASSERT_TRUE(html.ok());
    EXPECT_EQ(*html, u"one\r\n\r\ntwo");
    auto text = renderDocument(dir.write("a.txt", "<p>one</p>\ntwo"));
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text, u"<p>one</p>\r\ntwo");
    auto sniffed = renderDocument(dir.write("page.bin", "<html><body>a<br>b</body></html>"));
    ASSERT_TRUE(sniffed.ok());
    EXPECT_EQ(*sniffed, u"a\r\nb");
    // An empty file gives empty text.
    auto empty = renderDocument(dir.write("empty.htm", ""));
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->empty());

    // NUL bytes in the first 1024 bytes: binary, whatever the name.
    for (const char* name : {"b.htm", "b.txt", "b.dat"}) {
        SCOPED_TRACE(name);
        auto r = renderDocument(dir.write(name, std::string("<p>x\0y</p>", 10)));
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, ErrorCode::BinaryInput);
        EXPECT_FALSE(r.error().message.empty());
        EXPECT_NE(r.error().where.find(name), std::string::npos);
    }
    // A file of NUL bytes only.
    auto nuls = renderDocument(dir.write("nul.htm", std::string(4096, '\0')));
    ASSERT_FALSE(nuls.ok());
    EXPECT_EQ(nuls.error().code, ErrorCode::BinaryInput);
    // A NUL byte only after the first 1024 bytes: still a page.
    auto late = renderDocument(dir.write("late.htm", "<p>" + std::string(1100, 'a') + std::string(1, '\0') + "b</p>"));
    ASSERT_TRUE(late.ok());
    EXPECT_TRUE(late->ends_with(u"b"));
    // UTF-16 with a BOM holds NUL bytes but is text.
    auto utf16 = renderDocument(dir.write("u.htm", std::string("\xFF\xFE<\0p\0>\0-N\x87\x65", 12)));
    ASSERT_TRUE(utf16.ok());
    EXPECT_EQ(*utf16, u"中文");

    auto missing = renderDocument(dir.path() / "missing.htm");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
    auto folder = renderDocument(dir.path());
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.error().code, ErrorCode::Unreadable);
}

}  // namespace
}  // namespace sorvane
