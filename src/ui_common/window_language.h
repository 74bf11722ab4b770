#pragma once
// The language of the windows. Their texts are written in Chinese; for English, Qt's
// translator is installed with the compiled catalogue. The engine's messages, which do
// not pass through Qt, are put into the same language where a window shows them.

#include <string>

#include <QString>

#include "common/language.h"
#include "common/result.h"

namespace sorvane::ui {

// Installs the English catalogue for English and removes it for Chinese. Call before the
// windows are built: texts already shown do not change. Returns false when the catalogue
// cannot be loaded; the windows then stay Chinese.
bool setWindowLanguage(Language language);

// The language set last (Chinese until one is set).
Language windowLanguage();

// An engine's message, and an error as "file: message", in the windows' language.
QString messageText(const std::string& message);
QString errorText(const Error& error);

}  // namespace sorvane::ui
