#pragma once
// The one language the program speaks to its user, chosen from the locale variables:
// English when the locale's language is English, Chinese (the program's own) otherwise.

#include <string_view>

namespace sorvane {

enum class Language { Chinese, English };

// The language the locale variables name, read as gettext reads them: the first entry of
// LANGUAGE, unless the locale itself (LC_ALL, else LC_MESSAGES, else LANG; empty counts
// as unset) is C or POSIX, which ignores LANGUAGE; then that locale. Only the text is
// read: a locale that is not installed still names its language. Null means unset.
Language languageOf(const char* language, const char* lcAll, const char* lcMessages, const char* lang);

// The language of this process's environment, read once.
Language userLanguage();

}  // namespace sorvane
