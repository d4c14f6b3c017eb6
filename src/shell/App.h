#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include "media/PlayList.h"
#include "media/TrackTags.h"
#include "platform/AppPaths.h"
#include "shell/CommandTable.h"
#include "shell/Settings.h"
#include "shell/SettingsHost.h"
#include "timers/TimeSetFlow.h"
#include "timers/TimerCompletion.h"

class QWidget;

namespace yk {

class BackgroundController;
class CalendarModel;
class Clock;
class ClockFace;
class CoverArt;
class ClockTick;
class CountdownTimer;
class SessionEnd;
class Autostart;
class SoundKeys;
class TimeSetWindow;
class DeviceChannel;
class Form1;
class GlobalHotKey;
class Id3EditorWindow;
class MainWindowMouse;
class Lyrics;
class LyricsController;
class MascotChannel;
class MediaControls;
class DesktopNotifier;
class NoticeFallback;
class PlayerRemote;
class MoviePlayer;
class MovieController;
class MovieWindow;
class NowPlaying;
class NowPlayingNotice;
class Player;
class PlayListActions;
class PlayListView;
class PlayWindow;
class PlayerControls;
class PopupMenu;
class SecondaryWindows;
class ShellAdapter;
class ToolWindow;
class TrackInfoReader;
class TrayIcon;
struct StandInServices;
class VolumeMixer;

// The outside world as the program sees it. main() wires the real adapters;
// tests pass fakes. A service left null gets a stand-in that does nothing,
// so no call site tests for a missing service.
struct AppServices
{
    explicit AppServices(AppPaths p) : paths(std::move(p)) {}

    AppPaths paths;
    MascotChannel* mascot = nullptr;
    DeviceChannel* device = nullptr;
    VolumeMixer* mixer = nullptr;
    Clock* clock = nullptr;                // null: the system clock
    ShellAdapter* shell = nullptr;
    GlobalHotKey* hotKey = nullptr;
    TrayIcon* tray = nullptr;
    MoviePlayer* movie = nullptr;          // null: movie files play as sound
    Lyrics* lyrics = nullptr;              // null: the program's own lookup
    SessionEnd* sessionEnd = nullptr;      // null: the session never ends from here
    MediaControls* mediaControls = nullptr; // null: no remote media controls
    DesktopNotifier* notifier = nullptr;   // null: no desktop notices
    Autostart* autostart = nullptr;        // null: no start at login (the item is hidden)
    // Reads a track's tags, on a worker thread; empty: TagLib's reader.
    std::function<std::optional<tags::TrackInfo>(const QString&)> readTrackInfo;
    QString artCacheFolder;                // empty: the user's cache folder
    // The desktop's work area in logical pixels; empty: the primary screen's.
    std::function<QRect()> workArea;
    // A number in [0, 1): the random background slot.
    std::function<double()> random;
    // The colour dialog; empty means the system's.
    std::function<std::optional<QColor>(QWidget*, const QColor&, const QString&)> colourPicker;
};

// The running program: builds the models and windows, wires them together
// and runs the start-up and shutdown sequences. Everything else lives in the
// objects it wires.
class App : public QObject, public SettingsHost
{
    Q_OBJECT
public:
    explicit App(AppServices services, QObject* parent = nullptr);
    ~App() override;

    // The start-up of the first running copy. `args` are the command line's
    // paths, one argument each. Shows the main window at the end.
    void start(const QStringList& args);
    // The End command (menu or Esc): save, say goodbye, quit.
    void shutdown();
    // The system closes the program (window close, termination signal):
    // save, release the hot key, no farewell.
    void systemClose();
    // The session manager asks for our data before a log-off that may yet
    // be cancelled: save and keep running.
    void commitData();

    // Always-on-top on or off for every window on screen (mnu_Top).
    void toggleTopMost();
    // The tray icon's left button: every window to the front, the setting
    // unchanged.
    void raiseAllWindows();
    // The right-click menu at `globalPos`; `refreshMarks` first brings the
    // background check marks up to date (not from the tray).
    void popupMenu(QPoint globalPos, bool refreshMarks);
    // One of the six colour buttons ("cmd_Y", "cmd_M", "cmd_T", "cmd_Sun",
    // "cmd_W_D", "cmd_Sat"): asks for a colour; a cancelled dialog changes nothing.
    void chooseCalendarColour(const QString& button, QWidget* parent = nullptr);
    // The media folder scan: appends a file, or a folder's media files, to
    // the play list (off the UI thread; results keep their order).
    void getDirList(const QString& path);
    // Arms the timer from the stored preset (the T key, a double click on
    // the 12-hour clock).
    void timeSet();
    // Ctrl: silence, no movie, no lyrics, no timer.
    void stopEverything();
    // Shows or hides the play-list window and moves the main window so
    // that both fit on the work area.
    void togglePlayList();

    Form1* form() const { return m_form.get(); }
    PlayWindow* playWindow() const { return m_playWindow.get(); }
    PopupMenu* menu() const { return m_menu.get(); }
    SecondaryWindows& windows() const { return *m_windows; }
    Settings& settings() { return m_settings; }
    CalendarModel& calendar() const { return *m_calendar; }
    BackgroundController& backgrounds() const { return *m_backgrounds; }
    ClockTick& clockTick() const { return *m_tick; }
    PlayList& playList() { return m_playList; }
    Player& player() const { return *m_player; }
    NowPlaying& nowPlaying() const { return *m_nowPlaying; }
    PlayListActions& playListActions() const { return *m_listActions; }
    PlayListView& playListView() const { return *m_listView; }
    CountdownTimer& timer() const { return *m_timer; }
    SoundKeys& soundKeys() const { return *m_soundKeys; }
    const CommandTable<QString>& menuCommands() const { return m_menuCommands; }
    const CommandTable<int>& keyCommands() const { return m_keyCommands; }
    bool firstStart() const { return m_firstStart; }
    // The work area read at start-up, in pixels.
    QRect workArea() const { return m_workArea; }
    // The movie window and what keeps it in line (AppMovie.cpp).
    MovieWindow* movieWindow() const { return m_movieWindow.get(); }
    MovieController& movie() const { return *m_movieControl; }

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
    // Every queued scan and list read has been appended.
    void scansFinished();
    // The program has ended its shutdown sequence and asked the event loop to quit.
    void finished();

private:
    void buildTickSteps();
    TimerCompletion::Actions completionActions();
    TimeSetFlow::Actions timeSetActions();
    QString currentEntryTitle() const;
    void askMessageBoxOption();
    void keepTimerState();
    void restoreTimer();
    void playOpeningSound();
    void refreshLauncherMenu();
    void showHotKeyMessage();
    ToolWindow* toolWindowOf(WindowId id) const;
    // Runs `work` once the main window has been painted (at once if it has).
    void afterFirstPaint(std::function<void()> work);
    void endRun(bool farewell);

    // Start at login (AppDesktopEntry.cpp): the menu item and its mark.
    void wireAutostart();
    void toggleAutostart();

    std::unique_ptr<StandInServices> m_standIns;
    AppServices m_s;
    Settings m_settings;
    PlayList m_playList;
    std::unique_ptr<TrackInfoReader> m_trackInfo;
    std::unique_ptr<NowPlaying> m_nowPlaying;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<PlayListActions> m_listActions;
    std::unique_ptr<PlayListView> m_listView;
    std::unique_ptr<CountdownTimer> m_timer;
    std::unique_ptr<TimerCompletion> m_completion;
    std::unique_ptr<SoundKeys> m_soundKeys;
    std::unique_ptr<TimeSetFlow> m_timeSet;
    QPointer<TimeSetWindow> m_timeSetWindow; // owned by the main window
    QRect m_workArea;
    std::unique_ptr<ClockTick> m_tick;
    std::unique_ptr<ClockFace> m_clockFace;
    std::unique_ptr<CalendarModel> m_calendar;
    std::unique_ptr<BackgroundController> m_backgrounds;
    std::unique_ptr<Form1> m_form;
    ToolWindow* m_formTool = nullptr; // owned by the window
    std::unique_ptr<PlayWindow> m_playWindow;
    std::unique_ptr<PopupMenu> m_menu;
    std::unique_ptr<SecondaryWindows> m_windows;
    std::unique_ptr<PlayerControls> m_controls;
    std::unique_ptr<MainWindowMouse> m_mouse;
    CommandTable<QString> m_menuCommands;
    CommandTable<int> m_keyCommands;
    bool m_firstStart = false;
    bool m_ended = false;

    // The ID3 tag editor (AppId3.cpp).
public:
    // The title label's right button: the editor for the current entry
    // beside the main window, or the open one closed. Nothing for an empty list.
    void toggleId3Editor();
    Id3EditorWindow* id3Editor() const; // null while closed
private:
    std::function<void()> wireId3Editor(); // the title label's right-button action
    void applyTopMostToId3Editor(bool on);
    QPointer<Id3EditorWindow> m_id3Editor; // owned by the main window
    // Timed lyrics (AppLyrics.cpp): the default lyrics service, its label
    // on the main window and the tick's label step.
    void wireLyrics();
    std::unique_ptr<LyricsController> m_lyrics;
    // The movie window (AppMovie.cpp): shown while the player shows a
    // movie, its size step in the tick, frame capture on Space.
    void wireMovie();
    void tickMovieSize();
    void captureMovieFrame();
    std::unique_ptr<MovieWindow> m_movieWindow;
    std::unique_ptr<MovieController> m_movieControl;
    // The desktop's side (AppDesktop.cpp): the player's remote controls with
    // the current entry's cover, and the timer and now-playing notices that
    // go to the desktop when the mascot misses them.
    void wireDesktopServices();
    void sendImportantNotice(const QString& script);
    // Last, so they go first: nothing reaches the player once it is gone.
    std::unique_ptr<PlayerRemote> m_remote;
    std::unique_ptr<NoticeFallback> m_notices;
    std::unique_ptr<CoverArt> m_coverArt;
    std::unique_ptr<NowPlayingNotice> m_nowPlayingNotice;
};

} // namespace yk
