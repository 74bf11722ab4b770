#include "ui_common/window_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "common/messages.h"

namespace sorvane::ui {
namespace {

Language g_language = Language::Chinese;

// The catalogue of our windows' texts, and Qt's own for the texts of its dialogs and
// menus (the folder chooser, a text box's context menu), which are English at source.
QTranslator& ownTexts()
{
    static QTranslator t;
    return t;
}

QTranslator& qtTexts()
{
    static QTranslator t;
    return t;
}

}  // namespace

bool setWindowLanguage(Language language)
{
    QCoreApplication::removeTranslator(&ownTexts());
    QCoreApplication::removeTranslator(&qtTexts());
    g_language = Language::Chinese;
    if (language == Language::Chinese) {
        // Qt's Chinese is installed with Qt's translations (qt6-translations-l10n); without
        // them Qt's few texts stay English.
        if (qtTexts().load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qtTexts());
        return true;
    }
    if (!ownTexts().load(QStringLiteral(":/sorvane/i18n/sorvane_en.qm")) ||
        !QCoreApplication::installTranslator(&ownTexts()))
        return false;
    g_language = language;
    return true;
}

Language windowLanguage()
{
    return g_language;
}

QString messageText(const std::string& message)
{
    return QString::fromStdString(translateMessage(message, g_language));
}

QString errorText(const Error& error)
{
    return QString::fromStdString(translateError(error, g_language).describe());
}

}  // namespace sorvane::ui
