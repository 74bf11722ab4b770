// The desktop program: one main window over the program folder's settings.
#include <csignal>
#include <iostream>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <QSocketNotifier>

#include "app/command_line.h"
#include "common/messages.h"
#include "io/temporary_files.h"
#include "main_window/sorv_main.h"
#include "settings/settings_paths.h"
#include "ui_common/window_language.h"

namespace {

int g_signalPipe[2] = {-1, -1};

// Only writes a byte: the window is closed from the event loop, where saving is safe.
void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// A logout or shutdown that ends the program by signal closes the window first, as the
// system's close: nothing is asked, a run stops after its document, the settings are saved.
void closeOnTermination(sorvane::ui::SorvMain& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_signalPipe[1], &byte, 1);
        window.systemClose();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    // Past a file-size limit a write should fail and be reported like a full disk, not
    // end the program with the settings unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const auto status = sorvane::app::answerInfoOptions({argv + 1, argv + argc}, std::cout))
        return *status;
    QApplication app(argc, argv);
    const auto start = sorvane::app::startupPaths(QCoreApplication::arguments().mid(1));
    if (!start.badOption.isEmpty()) {
        std::cerr << sorvane::formatMessage(sorvane::userLanguage(), "sorvane: 未知的选项 %1\n(sorvane --help)\n",
                                            {start.badOption.toStdString()});
        return 2;
    }
    sorvane::ui::setWindowLanguage(sorvane::userLanguage());
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setDesktopFileName(QStringLiteral("sorvane"));

    QIcon icon;
    for (const int size : {32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/sorvane/icons/sorvane-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    // With no folder of the user's own the window keeps the settings in memory and says
    // so when it closes.
    sorvane::ui::SorvMain window(sorvane::resolveSettingsLocation());
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.systemClose(); });
    closeOnTermination(window);
    // Then a signal first removes the temporary files of a write in progress.
    sorvane::removeTemporaryFilesOnSignals();
    window.show();
    window.openPaths(start.paths);
    return app.exec();
}
