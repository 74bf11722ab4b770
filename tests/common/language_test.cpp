#include "common/language.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(Language, ReadFromTheLocaleVariablesText)
{
    constexpr auto zh = Language::Chinese;
    constexpr auto en = Language::English;
    struct Case {
        const char* language;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        Language expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, zh},
        {nullptr, nullptr, nullptr, "C", zh},
        {nullptr, nullptr, nullptr, "POSIX", zh},
        {nullptr, nullptr, nullptr, "C.UTF-8", zh},
        {nullptr, nullptr, nullptr, "zh_CN.UTF-8", zh},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", zh},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", en},  // named, whether installed or not
        {nullptr, nullptr, nullptr, "en", en},
        {nullptr, nullptr, nullptr, "en_GB@euro", en},
        {nullptr, nullptr, nullptr, "eng_XX", zh},  // not "en"
        // LC_ALL over LC_MESSAGES over LANG; empty counts as unset.
        {nullptr, "zh_CN.UTF-8", "en_US.UTF-8", "en_US.UTF-8", zh},
        {nullptr, "", "en_US.UTF-8", "zh_CN.UTF-8", en},
        {nullptr, nullptr, "zh_TW.UTF-8", "en_US.UTF-8", zh},
        {nullptr, "", "", "en_US.UTF-8", en},
        // LANGUAGE first, its first entry only, unless the locale is C or POSIX.
        {"en_US:zh_CN", nullptr, nullptr, "zh_CN.UTF-8", en},
        {"zh_CN:en", nullptr, nullptr, "en_US.UTF-8", zh},
        {"::en", nullptr, nullptr, "zh_CN.UTF-8", en},
        {"", nullptr, nullptr, "en_US.UTF-8", en},
        {"en", nullptr, nullptr, "C.UTF-8", zh},
        {"en", "POSIX", nullptr, "zh_CN.UTF-8", zh},
        {"en", nullptr, nullptr, nullptr, zh},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.language ? c.language : "-") << " " << (c.lcAll ? c.lcAll : "-") << " "
                                        << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-"));
        EXPECT_EQ(languageOf(c.language, c.lcAll, c.lcMessages, c.lang), c.expected);
    }
}

}  // namespace
}  // namespace sorvane
