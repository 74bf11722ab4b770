// Traditional <-> Simplified conversion: the adapter itself, and its place in the
// cleanup (after rendering, before the code page pass and the replacement list).
#include "engine/convert/script_convert.h"

#include <gtest/gtest.h>
#include <opencc/SimpleConverter.hpp>

#include <string>
#include <thread>
#include <vector>

#include "io/codepage.h"
#include "engine/render/html_renderer.h"
#include "engine/convert/line_pipeline.h"

namespace sorvane {
namespace {

TEST(ScriptConversion, NamesReadBackAndOtherTextsAreRefused)
{
    const struct {
        const char* name;
        std::optional<ScriptConversion> kind;
    } cases[] = {
        {"none", ScriptConversion::None}, {"t2s", ScriptConversion::T2S},     {"s2t", ScriptConversion::S2T},
        {"tw2sp", ScriptConversion::TW2SP}, {"s2twp", ScriptConversion::S2TWP}, {"T2S", std::nullopt},
        {"", std::nullopt},               {" t2s", std::nullopt},             {"t2tw", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseScriptConversion(c.name), c.kind);
        if (c.kind) {
            EXPECT_EQ(scriptConversionName(*c.kind), c.name);
        }
    }
}

TEST(ScriptConversion, ConvertsPhrasesAndCharacters)
{
    using namespace std::string_literals;
    const struct {
        ScriptConversion kind;
        Text in;
        Text out;
    } cases[] = {
        {ScriptConversion::T2S, u"臺灣", u"台湾"},
        {ScriptConversion::T2S, u"這裡的書", u"这里的书"},
        {ScriptConversion::T2S, u"abc 123，。\r\n", u"abc 123，。\r\n"},
        {ScriptConversion::S2T, u"台湾的书", u"臺灣的書"},
        {ScriptConversion::S2T, u"汉语", u"漢語"},
        {ScriptConversion::TW2SP, u"軟體和滑鼠", u"软件和鼠标"},
        {ScriptConversion::S2TWP, u"软件和鼠标", u"軟體和滑鼠"},
        {ScriptConversion::None, u"臺灣", u"臺灣"},
        {ScriptConversion::T2S, u"", u""},
        // characters outside the Basic Multilingual Plane and a NUL pass through
        {ScriptConversion::T2S, u"\U0001F600臺\0灣"s, u"\U0001F600台\0湾"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.in));
        Result<Text> got = convertScript(c.in, c.kind);
        ASSERT_TRUE(got.ok()) << got.error().describe();
        EXPECT_EQ(toUtf8(*got), toUtf8(c.out));
    }
}

TEST(ScriptConversion, AgreesWithTheLibrarysOwnConverter)
{
    // The adapter skips most characters without asking the dictionaries; what it gives
    // must be what the library's own converter gives, on Simplified text, on the
    // Traditional texts made from it, and at the ends of texts cut anywhere.
    const Text paragraph =
        u"第一章 风起云涌\r\n\r\n　　这里是台湾的一个小镇，他们在那里读书、写字、发展软件。"
        u"“你说什么？”她问道，“我们明天去后面的山上看看吧。”\r\n"
        u"　　干部们在会议上讨论了经济发展、鼠标和内存的价格，还有头发、面条和钟表。"
        u"ABC 123，Unicode 😀 符号……乾隆皇帝的书里著有一首诗。\r\n"
        u"　　於是，臺灣這裡的學生開始學習軟體設計，滑鼠與記憶體都很便宜。\r\n";
    Text simplified;
    for (int i = 0; i < 40; ++i)
        simplified += paragraph;
    const struct {
        ScriptConversion kind;
        const char* config;
    } kinds[] = {
        {ScriptConversion::T2S, "t2s.json"},
        {ScriptConversion::S2T, "s2t.json"},
        {ScriptConversion::TW2SP, "tw2sp.json"},
        {ScriptConversion::S2TWP, "s2twp.json"},
    };
    const auto library = [](const char* config, const Text& text) {
        const opencc::SimpleConverter converter(std::string(SORVANE_OPENCC_DATA) + "/" + config);
        return converter.Convert(toUtf8(text));
    };
    const std::vector<Text> texts = {simplified, fromUtf8(library("s2t.json", simplified)),
                                     fromUtf8(library("s2twp.json", simplified)), paragraph.substr(0, 37),
                                     paragraph.substr(5, 80)};
    for (const auto& k : kinds) {
        for (size_t t = 0; t < texts.size(); ++t) {
            SCOPED_TRACE(std::string(k.config) + " on text " + std::to_string(t));
            Result<Text> got = convertScript(texts[t], k.kind);
            ASSERT_TRUE(got.ok()) << got.error().describe();
            EXPECT_TRUE(toUtf8(*got) == library(k.config, texts[t]));
        }
    }
}

TEST(ScriptConversion, SeveralThreadsShareOneConverter)
{
    const Text traditional = u"這裡是臺灣，我們在這裡讀書。";
    const std::string expected = "这里是台湾，我们在这里读书。";
    std::vector<std::string> results(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                Result<Text> got = convertScript(traditional, ScriptConversion::T2S);
                results[t] = got.ok() ? toUtf8(*got) : got.error().describe();
                if (results[t] != expected)
                    return;
            }
        });
    for (std::thread& t : threads)
        t.join();
    for (const std::string& r : results)
        EXPECT_EQ(r, expected);
}

TEST(ScriptConversion, BigFivePageBecomesSimplifiedBeforeTheCodePageAndTheList)
{
    // 臺灣 這裡 in Big5, then a longer Traditional line.
    const std::string page =
        "<meta charset=big5><p>\xBB\x4F\xC6\x57\xB3\x6F\xB8\xCC</p>"
        "<p>\xA7\xDA\xAD\xCC\xA6\x62\xB3\x6F\xB8\xCC\xC5\xAA\xAE\xD1</p>";
    const Text rendered = renderHtml(page);
    ASSERT_EQ(toUtf8(rendered), "臺灣這裡\r\n\r\n我們在這裡讀書");

    ConversionParams params;
    params.restBlank = "0";
    params.script = ScriptConversion::T2S;
    // Pairs are written in the reader's script: this one matches only after t2s.
    const ReplacementList list = {{u"台湾", u"宝岛", "Y"}};
    const ConvertedText converted = convertText(rendered, params, list);
    ASSERT_FALSE(converted.error.has_value());
    ASSERT_EQ(converted.parts.size(), 1u);
    EXPECT_EQ(toUtf8(converted.parts[0].content), "宝岛这里\r\n　　我们在这里读书\r\n");
    EXPECT_EQ(converted.lostCharacters, 0u);
    // Every character survives the way out in code page 936 as well.
    const Cp936Bytes written = encodeCp936(converted.parts[0].content);
    EXPECT_EQ(written.lost, 0u);
    EXPECT_EQ(toUtf8(decodeCp936(written.bytes)), "宝岛这里\r\n　　我们在这里读书\r\n");

    // s2t the other way, on the Simplified text.
    params.script = ScriptConversion::S2T;
    const ConvertedText back = convertText(u"台湾这里", params, {});
    ASSERT_EQ(back.parts.size(), 1u);
    EXPECT_EQ(toUtf8(back.parts[0].content), "臺灣這裏\r\n");
}

}  // namespace
}  // namespace sorvane
