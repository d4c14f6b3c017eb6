#include <QApplication>

#include <cstdio>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QSessionManager>

#include "platform/AppPaths.h"
#include "platform/Autostart.h"
#include "platform/DeferredDeviceChannel.h"
#include "platform/DesktopNotifier.h"
#include "platform/DisplayPlatform.h"
#include "platform/FontConfiguration.h"
#include "platform/GlobalHotKey.h"
#include "platform/MediaControls.h"
#include "platform/MediaModule.h"
#include "platform/MoviePlayer.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/ShellAdapter.h"
#include "platform/SstpClient.h"
#include "platform/TerminationWatcher.h"
#include "platform/TrayIcon.h"
#include "platform/UserEnvironment.h"
#include "platform/VolumeMixer.h"
#include "shell/App.h"
#include "platform/SessionEnd.h"
#include "shell/HandOver.h"
#include "ui/AppIcon.h"
#include "shell/CommandLine.h"
#include "shell/MainWindow.h"
#include "shell/MascotErrorBox.h"

namespace {

// --help and --version answer before anything else starts: no display, no
// instance lock, so a running copy never hears of them.
bool answeredWithoutStarting(int argc, char** argv)
{
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const yk::CommandLine cl = yk::parseCommandLine(raw);
    if (cl.action == yk::CommandLine::Action::Run)
        return false;
    const QString text = cl.action == yk::CommandLine::Action::Help ? yk::usageText() : yk::versionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredWithoutStarting(argc, argv))
        return 0;
    // Programs we start get the environment as it is now, before our own
    // changes for the display and the media libraries below.
    yk::rememberUserEnvironment();
    const yk::DisplayChoice display = yk::applyDisplayPlatform();
    yk::prepareMediaEnvironment();
    // After the environment's last change: the loader reads it.
    std::jthread fontConfiguration = yk::loadFontConfigurationAhead();
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Yomikaze"));
    QApplication::setApplicationVersion(QStringLiteral("1.35"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Each argument is one path: no splitting at blanks, no length limit.
    // Qt has taken its own options (-platform, -style, ...) out already.
    QStringList raw = QApplication::arguments();
    raw.removeFirst();
    const yk::CommandLine commandLine = yk::parseCommandLine(raw);
    for (const QString& option : commandLine.unknownOptions)
        std::fputs(yk::unknownOptionText(option).toLocal8Bit().constData(), stderr);
    const QStringList args = yk::absolutePaths(commandLine.paths);

    const yk::AppPaths paths = yk::AppPaths::forExecutable();
    yk::InstanceLock lock(paths.myPath());
    if (!lock.tryAcquire()) {
        yk::handOverToRunningCopy(paths, args);
        return 0;
    }

    yk::SystemClock clock;
    yk::DesktopShell shell;
    yk::SstpClient mascot;
    yk::MascotErrorBox errorBox(&mascot);

    yk::AppServices services(paths);
    yk::DeferredDeviceChannel device([] { return yk::loadDeviceChannel(); });
    const std::unique_ptr<yk::VolumeMixer> mixer = yk::createVolumeMixer();
    const std::unique_ptr<yk::GlobalHotKey> hotKey = yk::createGlobalHotKey();
    const std::unique_ptr<yk::TrayIcon> tray = yk::createTrayIcon();
    const std::unique_ptr<yk::SessionEnd> sessionEnd = yk::createSessionEnd();
    const std::unique_ptr<yk::MediaControls> mediaControls = yk::createMediaControls();
    const std::unique_ptr<yk::DesktopNotifier> notifier = yk::createDesktopNotifier();
    // Loads the media module at the first movie, like the device above.
    const std::unique_ptr<yk::MoviePlayer> movie = yk::createMoviePlayer();
    services.sessionEnd = sessionEnd.get();
    services.mediaControls = mediaControls.get();
    services.notifier = notifier.get();
    // The login entry runs this very file, wherever the user keeps it.
    const std::unique_ptr<yk::Autostart> autostart = yk::createAutostart(QApplication::applicationFilePath());
    services.autostart = autostart.get();
    services.hotKey = hotKey.get();
    services.tray = tray.get();
    services.mascot = &mascot;
    services.device = &device;
    services.movie = movie.get();
    services.mixer = mixer.get();
    services.clock = &clock;
    services.shell = &shell;
    services.random = [] { return QRandomGenerator::global()->generateDouble(); };

    // The windows are made next, and with them the first font.
    if (fontConfiguration.joinable())
        fontConfiguration.join();
    yk::App app(services);
    QObject::connect(&app, &yk::App::finished, &qapp, &QCoreApplication::quit, Qt::QueuedConnection);

    yk::TerminationWatcher terminate;
    QObject::connect(&terminate, &yk::TerminationWatcher::terminationRequested, &app, &yk::App::systemClose);
    // A log-off asks running programs to keep their data first; the user
    // may still cancel it, so the program stays. If the session really
    // ends, the termination signal or the window close follows.
    QObject::connect(&qapp, &QGuiApplication::commitDataRequest, &app,
                     [&app](QSessionManager&) { app.commitData(); });
    // The session's end (or any other way out of the event loop) still runs
    // the system close: settings saved, hot key released.
    QObject::connect(&qapp, &QCoreApplication::aboutToQuit, &app, &yk::App::systemClose);

    // Benchmarks time the start-up up to the first paint of the window.
    if (qEnvironmentVariableIsSet("YK_REPORT_FIRST_PAINT")) {
        QObject::connect(&app.shell().mainWindow(), &yk::MainWindow::firstPainted, [] {
            std::fputs("first-paint\n", stdout);
            std::fflush(stdout);
        });
    }
    // The icon is drawn, not read from a file: the window manager can
    // wait for it until the window has shown.
    QObject::connect(&app.shell().mainWindow(), &yk::MainWindow::firstPainted, &qapp,
                     [] { QApplication::setWindowIcon(yk::appIcon()); }, Qt::SingleShotConnection);
    // The media engine starts once the window is up, on its own thread, so
    // that the first sound finds it ready and nothing of it delays the paint.
    QObject::connect(&app.shell().mainWindow(), &yk::MainWindow::firstPainted, &device,
                     [&device] { yk::preloadMediaModule(&device, [&device] { device.preload(); }); },
                     Qt::SingleShotConnection);
    if (display.warnLimited) {
        QObject::connect(&app.shell().mainWindow(), &yk::MainWindow::firstPainted, &app.shell().mainWindow(),
                         [&app] { yk::showLimitedDesktopNotice(&app.shell().mainWindow()); }, Qt::SingleShotConnection);
    }
    app.start(args);
    return qapp.exec();
}
