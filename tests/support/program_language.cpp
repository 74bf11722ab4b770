// Linked into every test executable: the tests run in the program's own language,
// Chinese, whatever the locale of the machine running them, since many check its texts;
// the command line they start inherits it. A C locale overrides LC_MESSAGES, LANG and
// LANGUAGE. The tests of the English texts set their own.
#include <cstdlib>

namespace {

[[maybe_unused]] const bool g_programLanguage = ::setenv("LC_ALL", "C.UTF-8", 1) == 0;

}  // namespace
