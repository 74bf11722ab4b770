// The desktop program: one main window over the program folder's settings.
#include <QApplication>
#include <QIcon>

#include "main_window/sorv_main.h"
#include "settings/settings_paths.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setDesktopFileName(QStringLiteral("sorvane"));

    QIcon icon;
    for (const int size : {32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/sorvane/icons/sorvane-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    sorvane::ui::SorvMain window(sorvane::resolveProgramFolder());
    window.show();
    return app.exec();
}
