#include "common/language.h"

#include <cstdlib>
#include <string_view>

namespace sorvane {
namespace {

bool isSet(const char* value)
{
    return value != nullptr && *value != '\0';
}

// "en_US.UTF-8@euro" and "en-GB" name English; so does "en".
bool namesEnglish(std::string_view locale)
{
    const std::string_view code = locale.substr(0, locale.find_first_of("_.@-"));
    return code == "en";
}

// C, POSIX and their variants (C.UTF-8) stand for no language at all.
bool isPlainLocale(std::string_view locale)
{
    const std::string_view base = locale.substr(0, locale.find_first_of(".@"));
    return base == "C" || base == "POSIX";
}

}  // namespace

Language languageOf(const char* language, const char* lcAll, const char* lcMessages, const char* lang)
{
    const char* locale = isSet(lcAll) ? lcAll : isSet(lcMessages) ? lcMessages : isSet(lang) ? lang : nullptr;
    if (locale == nullptr || isPlainLocale(locale))
        return Language::Chinese;
    if (isSet(language)) {
        std::string_view list = language;
        // The first entry that names something; "::en" starts with two empty ones.
        while (!list.empty() && list.front() == ':')
            list.remove_prefix(1);
        if (!list.empty())
            return namesEnglish(list.substr(0, list.find(':'))) ? Language::English : Language::Chinese;
    }
    return namesEnglish(locale) ? Language::English : Language::Chinese;
}

Language userLanguage()
{
    static const Language language =
        languageOf(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    return language;
}

}  // namespace sorvane
