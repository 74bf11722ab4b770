#include "ui_common/window_language.h"

#include <QCoreApplication>
#include <QTranslator>

#include "common/messages.h"

namespace sorvane::ui {
namespace {

Language g_language = Language::Chinese;

QTranslator& translator()
{
    static QTranslator t;
    return t;
}

}  // namespace

bool setWindowLanguage(Language language)
{
    QCoreApplication::removeTranslator(&translator());
    g_language = Language::Chinese;
    if (language == Language::Chinese)
        return true;
    if (!translator().load(QStringLiteral(":/sorvane/i18n/sorvane_en.qm")) ||
        !QCoreApplication::installTranslator(&translator()))
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
