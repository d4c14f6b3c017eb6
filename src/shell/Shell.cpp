#include "shell/Shell.h"

#include <QGuiApplication>
#include <QScreen>

#include "media/PlayWindow.h"
#include "platform/Clock.h"
#include "platform/MascotChannel.h"
#include "platform/NullServices.h"
#include "platform/StreamVolumeMixer.h"
#include "platform/null/NullAutostart.h"
#include "platform/null/NullMediaControls.h"
#include "platform/null/NullNotifier.h"
#include "shell/MainWindow.h"
#include "shell/PopupMenu.h"
#include "shell/SecondaryWindows.h"
#include "shell/StartUpFiles.h"
#include "timers/TimerWindow.h"
#include "ui/ToolWindow.h"

namespace yk {

namespace {

const QString kFarewell = QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e");

} // namespace

// What stands in for the services main() or a test did not give.
struct StandInServices
{
    NullMascot mascot;
    NullDeviceChannel device;
    NullVolumeMixer mixer;
    SystemClock clock;
    NullShell shell;
    NullHotKey hotKey;
    NullTrayIcon tray;
    NullMoviePlayer movie;
    NullSessionEnd sessionEnd;
    NullMediaControls mediaControls;
    NullNotifier notifier;
    NullAutostart autostart;
    std::unique_ptr<StreamVolumeMixer> streamVolume;

    AppServices complete(AppServices s)
    {
        auto fill = [](auto*& service, auto& standIn) {
            if (!service)
                service = &standIn;
        };
        fill(s.mascot, mascot);
        fill(s.device, device);
        fill(s.mixer, mixer);
        fill(s.clock, clock);
        fill(s.shell, shell);
        fill(s.hotKey, hotKey);
        fill(s.tray, tray);
        fill(s.movie, movie);
        fill(s.sessionEnd, sessionEnd);
        fill(s.mediaControls, mediaControls);
        fill(s.notifier, notifier);
        fill(s.autostart, autostart);
        // Without a system mixer the volume thumb and the media controls set
        // the streams' own volume.
        streamVolume = std::make_unique<StreamVolumeMixer>(*s.mixer, [device = s.device, movie = s.movie](double level) {
            device->setStreamVolume(level);
            movie->setStreamVolume(level);
        });
        s.mixer = streamVolume.get();
        if (!s.workArea) {
            s.workArea = [] {
                QScreen* screen = QGuiApplication::primaryScreen();
                return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
            };
        }
        return s;
    }
};

Shell::Shell(AppServices services, QObject* parent)
    : QObject(parent)
    , m_standIns(std::make_unique<StandInServices>())
    , m_s(m_standIns->complete(std::move(services)))
    , m_settings(m_s.paths.settingsFile())
    , m_tick(std::make_unique<ClockTick>(*m_s.clock))
    , m_main(std::make_unique<MainWindow>())
    , m_mainTool(new ToolWindow(m_main.get()))
    , m_playWindow(std::make_unique<PlayWindow>())
    , m_menu(std::make_unique<PopupMenu>())
{
    connect(
        m_menu.get(), &PopupMenu::triggered, this, [this](const QString& name) { m_menuCommands.run(name); });
    // The player forgets a pending title refresh on any key of the main
    // window, so the signal goes before the command.
    connect(m_main.get(), &MainWindow::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        Q_EMIT mainWindowKey(key);
        m_keyCommands.run(key);
    });
    connect(m_main.get(), &MainWindow::closeRequested, this, [this] { requestEnd(false); });
    connect(m_playWindow.get(), &PlayWindow::keyForwarded, this,
        [this](int key, Qt::KeyboardModifiers) { m_keyCommands.run(key); });
    connect(m_playWindow.get(), &PlayWindow::menuRequested, this, [this](QPoint at) { popupMenu(at, true); });
}

Shell::~Shell() = default;

QRect Shell::workArea() const
{
    return m_workArea.isValid() ? m_workArea : m_s.workArea();
}

void Shell::readSettings()
{
    m_firstStart = makeDataFolders(m_s.paths);
    m_s.mascot->sendScript(greetingScript(m_s.paths));
    // The settings are read in every case, also with a command line: without
    // them the clock would never tick and the next save would wipe the
    // user's settings. After the folders exist, so a first start can create
    // the file.
    m_settings.Load(*this);
    m_workArea = m_s.workArea();
    m_playWindow->toolWindow()->setWorkArea(m_workArea);
}

void Shell::showMainWindow()
{
    m_main->show();
    m_main->activateWindow();
}

void Shell::afterFirstPaint(std::function<void()> work)
{
    if (m_main->hasBeenPainted()) {
        work();
        return;
    }
    connect(
        m_main.get(), &MainWindow::firstPainted, this,
        [this, work = std::move(work)] {
            if (!m_ended)
                work();
        },
        Qt::SingleShotConnection);
}

void Shell::popupMenu(QPoint globalPos, bool fromWindow)
{
    if (fromWindow)
        Q_EMIT menuOpening();
    m_menu->popup(globalPos);
}

void Shell::popupMenuAtWindow()
{
    popupMenu(m_main->mapToGlobal(QPoint(0, 0)), true);
}

void Shell::toggleTopMost()
{
    setTopMost(!m_settings.alwaysOnTop);
}

void Shell::raiseAllWindows()
{
    // Twice: every window comes to the front and the setting stays off.
    if (!m_settings.alwaysOnTop) {
        toggleTopMost();
        toggleTopMost();
    }
    m_main->raise();
    m_main->activateWindow();
}

bool Shell::saveSettings()
{
    return m_settings.Save(*this);
}

void Shell::finish(bool farewell)
{
    if (farewell) {
        m_settings.clear();
        m_s.mascot->sendScript(kFarewell);
        // Give the farewell up to a second to reach the mascot, then go.
        m_s.mascot->flush(1000);
    }
    m_main->hide();
    m_playWindow->hide();
}

void Shell::startClockTick()
{
    m_tick->start();
}

ToolWindow* Shell::toolWindowOf(WindowId id) const
{
    if (id == WindowId::Main)
        return m_mainTool;
    if (id == WindowId::Play)
        return m_playWindow->toolWindow();
    return nullptr;
}

std::optional<TwipsPos> Shell::windowPosition(WindowId id) const
{
    if (const ToolWindow* tool = toolWindowOf(id))
        return tool->positionTwips();
    return std::nullopt;
}

void Shell::placeWindow(WindowId id, TwipsPos pos)
{
    // The settings file places these two once, before they are shown; a
    // place kept from a larger or since removed screen is brought back
    // within reach, since a borderless window has no caption to pull.
    ToolWindow* tool = toolWindowOf(id);
    if (tool && !tool->window()->isVisible())
        tool->placeFromTwips(pos.top, pos.left, m_s.workArea(), false);
}

void Shell::setTopMost(bool on)
{
    m_settings.alwaysOnTop = on;
    m_menu->setTopChecked(on);
    Q_EMIT topMostChanged(on);
}

void Shell::setMovieFullChecked(bool on)
{
    m_menu->setMovieFullChecked(on);
}

bool Shell::hasRegistrationWindow() const
{
    return m_windows && m_windows->timerWindow() != nullptr;
}

void Shell::setRegistrationCheck(RegistrationCheck check, bool on)
{
    if (TimerWindow* w = m_windows ? m_windows->timerWindow() : nullptr)
        w->setCheck(check, on);
}

bool Shell::registrationCheck(RegistrationCheck check) const
{
    const TimerWindow* w = m_windows ? m_windows->timerWindow() : nullptr;
    return w && w->isChecked(check);
}

QString Shell::lyricsBoxText() const
{
    const TimerWindow* w = m_windows ? m_windows->timerWindow() : nullptr;
    return w ? w->lyricsBoxText() : QString();
}

} // namespace yk
