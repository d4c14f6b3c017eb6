#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include "core/ClockTick.h"
#include "core/CommandTable.h"
#include "core/Settings.h"
#include "core/SettingsHost.h"
#include "media/TrackTags.h"
#include "platform/AppPaths.h"

class QWidget;

namespace yk {

class Autostart;
class Clock;
class DesktopNotifier;
class DeviceChannel;
class GlobalHotKey;
class Lyrics;
class MainWindow;
class MascotChannel;
class MediaControls;
class MoviePlayer;
class PlayWindow;
class PopupMenu;
class SecondaryWindows;
class SessionEnd;
class ShellAdapter;
class ToolWindow;
class TrayIcon;
class VolumeMixer;
struct StandInServices;

// The outside world as the program sees it. main() wires the real adapters;
// tests pass fakes. A service left null gets a stand-in that does nothing,
// so no call site tests for a missing service.
struct AppServices
{
    explicit AppServices(AppPaths p)
        : paths(std::move(p))
    { }

    AppPaths paths;
    MascotChannel* mascot = nullptr;
    DeviceChannel* device = nullptr;
    VolumeMixer* mixer = nullptr;
    Clock* clock = nullptr; // null: the system clock
    ShellAdapter* shell = nullptr;
    GlobalHotKey* hotKey = nullptr;
    TrayIcon* tray = nullptr;
    MoviePlayer* movie = nullptr; // null: movie files play as sound
    Lyrics* lyrics = nullptr; // null: the program's own lookup
    SessionEnd* sessionEnd = nullptr; // null: the session never ends from here
    MediaControls* mediaControls = nullptr; // null: no remote media controls
    DesktopNotifier* notifier = nullptr; // null: no desktop notices
    Autostart* autostart = nullptr; // null: no start at login (the item is hidden)
    // Reads a track's tags, on a worker thread; empty: TagLib's reader.
    std::function<std::optional<tags::TrackInfo>(const QString&)> readTrackInfo;
    QString artCacheFolder; // empty: the user's cache folder
    // The desktop's work area in logical pixels; empty: the primary screen's.
    std::function<QRect()> workArea;
    // A number in [0, 1): the random background slot.
    std::function<double()> random;
    // The colour dialog; empty means the system's.
    std::function<std::optional<QColor>(QWidget*, const QColor&, const QString&)> colourPicker;
};

// What every subsystem shares: the services, the settings, the tick, the
// two windows that live for the whole run, the menu and the two command
// tables. The subsystems' modules add their own steps, items, keys and
// connections to these; the shell itself knows none of them.
class Shell : public QObject, public SettingsHost
{
    Q_OBJECT
public:
    explicit Shell(AppServices services, QObject* parent = nullptr);
    ~Shell() override;

    // Every service is set: those not given are stand-ins.
    const AppServices& services() const { return m_s; }
    const AppPaths& paths() const { return m_s.paths; }
    Settings& settings() { return m_settings; }
    ClockTick& tick() { return *m_tick; }
    MainWindow& mainWindow() const { return *m_main; }
    ToolWindow& mainTool() const { return *m_mainTool; }
    PlayWindow& playWindow() const { return *m_playWindow; }
    PopupMenu& menu() const { return *m_menu; }
    CommandTable<QString>& menuCommands() { return m_menuCommands; }
    CommandTable<int>& keyCommands() { return m_keyCommands; }

    // The windows opened on demand, once the module that owns them lent them.
    void lendOnDemandWindows(SecondaryWindows* windows) { m_windows = windows; }

    // The work area in pixels: read once at start-up, the service's answer
    // before that.
    QRect workArea() const;

    // The first part of the start-up: the data folders, the greeting, the
    // settings file and the work area.
    void readSettings();
    bool firstStart() const { return m_firstStart; }
    // The last part: the main window on screen and active.
    void showMainWindow();

    // Runs `work` once the main window has been painted (at once if it has);
    // never after the program ended.
    void afterFirstPaint(std::function<void()> work);

    // The right-click menu at `globalPos`; `fromWindow` lets the subsystems
    // bring their marks up to date first (not from the tray).
    void popupMenu(QPoint globalPos, bool fromWindow);
    // The menu as a right-button release at the main window's corner.
    void popupMenuAtWindow();

    // Always-on-top on or off for every window on screen (mnu_Top).
    void toggleTopMost();
    // Every window to the front, the setting unchanged.
    void raiseAllWindows();

    // Writes the settings file; false when it could not be written.
    bool saveSettings();
    // End the run: the End command (with a farewell) or the system's close.
    void requestEnd(bool farewell) { Q_EMIT endRequested(farewell); }
    void markEnded() { m_ended = true; }
    bool ended() const { return m_ended; }
    // The shell's part of the end: the farewell said and heard, the
    // settings cleared with it, the two windows hidden.
    void finish(bool farewell);

    // SettingsHost
    void startClockTick() override;
    std::optional<TwipsPos> windowPosition(WindowId id) const override;
    void placeWindow(WindowId id, TwipsPos pos) override;
    void setTopMost(bool on) override;
    void setMovieFullChecked(bool on) override;
    bool hasRegistrationWindow() const override;
    void setRegistrationCheck(RegistrationCheck check, bool on) override;
    bool registrationCheck(RegistrationCheck check) const override;
    QString lyricsBoxText() const override;

Q_SIGNALS:
    // Always-on-top was turned on or off; each module applies it to its windows.
    void topMostChanged(bool on);
    // The menu is about to open over a window: marks are brought up to date.
    void menuOpening();
    // A key pressed on the main window, before its command runs.
    void mainWindowKey(int key);
    void endRequested(bool farewell);

private:
    ToolWindow* toolWindowOf(WindowId id) const;

    std::unique_ptr<StandInServices> m_standIns;
    AppServices m_s;
    Settings m_settings;
    std::unique_ptr<ClockTick> m_tick;
    std::unique_ptr<MainWindow> m_main;
    ToolWindow* m_mainTool = nullptr; // owned by the window
    std::unique_ptr<PlayWindow> m_playWindow;
    std::unique_ptr<PopupMenu> m_menu;
    CommandTable<QString> m_menuCommands;
    CommandTable<int> m_keyCommands;
    SecondaryWindows* m_windows = nullptr;
    QRect m_workArea;
    bool m_firstStart = false;
    bool m_ended = false;
};

} // namespace yk
