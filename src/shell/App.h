#pragma once

#include <functional>
#include <memory>

#include <QColor>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include "calendar/CalendarState.h"
#include "calendar/DayNoteStore.h"
#include "skin/BackgroundSlots.h"
#include "shell/MoveRule.h"
#include "media/MediaScan.h"
#include "media/PlayList.h"
#include "media/PlayerState.h"
#include "platform/AppPaths.h"
#include "shell/Settings.h"
#include "shell/SettingsHost.h"
#include "timers/ClockText.h"

class QSystemTrayIcon;

namespace yk {

class Clock;
class DeviceChannel;
class Form1;
class MascotChannel;
class PlayWindow;
class ShellAdapter;
class VolumeMixer;
class GlobalHotKey;
class Memo;
class BackWindow;
class Dir_Form;
class PickerTarget;
class PopupMenu;
class AboutWindow;
struct PickerRequest;

// The outside world as the program sees it. main() wires the real adapters;
// tests pass fakes.
struct AppServices
{
    explicit AppServices(AppPaths p) : paths(std::move(p)) {}

    AppPaths paths;
    MascotChannel* mascot = nullptr;
    DeviceChannel* device = nullptr;
    VolumeMixer* mixer = nullptr;          // null: no mixer
    Clock* clock = nullptr;
    ShellAdapter* shell = nullptr;
    GlobalHotKey* hotKey = nullptr;        // null: no global hot key here
    // The desktop's work area in logical pixels.
    std::function<QRect()> workArea;
    // A number in [0, 1): the random background slot.
    std::function<double()> random;
    bool trayIcon = true;
    // The colour dialog; empty means the system's.
    std::function<std::optional<QColor>(QWidget*, const QColor&, const QString&)> colourPicker;
};

// The desktop work area in twips, read once at start-up.
struct WorkArea
{
    int Work_Left = 0;
    int Work_Top = 0;
    int Work_Width = 0;
    int Work_Height = 0;
};

// The running program: owns the windows and the shared state, runs the
// start-up and shutdown sequences and answers the settings file's needs.
class App : public QObject, public SettingsHost
{
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;

    explicit App(AppServices services, QObject* parent = nullptr);
    ~App() override;

    // The start-up of the first running copy. `args` are the command line's
    // paths, one argument each. Shows the main window at the end.
    void start(const QStringList& args);

    // The End command (menu or Esc): save, say goodbye, quit.
    void shutdown();
    // The system closes the program (log-off, window close, termination
    // signal): save, release the hot key, no farewell.
    void systemClose();
    // Releases the hot key.
    void f_QueryUnload();

    // Redraws the shown month.
    void Calen(int year);
    void f_Disp_Day();
    // The keyboard commands of the main window, by Qt key.
    void l_KeyDown(int key);
    // The memo window for the selected day (null while closed).
    Memo* memoWindow() const { return m_memo; }
    // The picture path on the main window; empty when bare.
    QString backgroundPath() const { return m_backgroundPath; }

    // Always-on-top on or off for every window on screen.
    void Top_YN();
    // The tray icon's buttons (QSystemTrayIcon::ActivationReason).
    void onTrayActivated(int reason);
    void openBackgroundWindow();
    BackWindow* backWindow() const { return m_back; }
    Dir_Form* picker() const { return m_picker; }
    void openBackgroundPicker(int slot);
    void registerBackground(int slot, const QString& path);
    // Starts launcher entry `index` (0..9) when its program exists.
    void startLauncherEntry(int index);
    // ShortCut.txt, else Readme.txt, beside the program.
    void openHelp();
    // The right-click menu at `globalPos`; `refreshMarks` first brings the
    // background check marks up to date (not from the tray).
    void popupMenu(QPoint globalPos, bool refreshMarks);
    PopupMenu* menu() const { return m_menu.get(); }
    AboutWindow* aboutWindow() const { return m_about; }
    // Runs the menu item of that name ("mnu_End", "mnu_No3", ...).
    void onMenuItem(const QString& itemName);
    // Rebuilds the launcher items of the menu from Reg_List.
    void Mnu_Apr();
    void openAbout();
    // One of the six colour buttons of the registration window ("cmd_Y",
    // "cmd_M", "cmd_T", "cmd_Sun", "cmd_W_D", "cmd_Sat"): asks for a colour
    // and redraws the month on show. A cancelled dialog changes nothing.
    void chooseCalendarColour(const QString& button, QWidget* parent = nullptr);

    Form1* form() const { return m_form.get(); }
    PlayWindow* playWindow() const { return m_playWindow.get(); }
    Settings& settings() { return m_settings; }
    PlayList& playList() { return m_playList; }
    PlayerState& player() { return m_player; }
    CalendarState& calendar() { return m_calendar; }
    const WorkArea& workArea() const { return m_work; }
    bool firstStart() const { return m_firstStart; }
    QTimer& timer1() { return m_timer1; }
    // One clock tick, as the 100 ms timer runs it (tests call it directly).
    void tick() { Timer1_Timer(); }

    // The media folder scan: appends a file, or a folder's media files, to
    // the play list (off the UI thread; results keep their order).
    void getDirList(const QString& path);

    // SettingsHost
    void startClockTick() override;
    std::optional<TwipsPos> windowPosition(WindowId id) const override;
    void placeWindow(WindowId id, TwipsPos pos) override;
    void setTopMost(bool on) override;
    void setMovieFullChecked(bool on) override;

Q_SIGNALS:
    // Every queued scan has been appended.
    void scansFinished();
    // The program has ended its shutdown sequence and asked the event loop to quit.
    void finished();

private:
    void Timer1_Timer();
    static void runTickStep(const char* name, const std::function<void()>& step);
    void onScanned(const QStringList& entries);
    void makeDataFolders();
    void greet();
    void loadSkinMarks();
    void refreshScheduleMark();
    void placeVolumeKnob();
    void chooseBackground();
    void drawPlayWindowPicture();
    void playOpeningSound();
    void readWorkArea();
    QString todaysNoteStem() const;
    bool dayHasNote(const QDate& date) const;
    void showTrayIcon();
    void removeTrayIcon();
    void applyTopMost(QWidget* w, bool on);
    BackSlotList backSlots() const;
    void applyBackground(const BackgroundChange& change);
    void redrawBackground();
    void monthlyRefreshIfMonthly();
    void openMemo();
    void HotKeyProc();
    // Mouse handling of the main window's elements.
    void onPressed(QWidget* element, int index, Qt::MouseButton button, QPointF global);
    void onMoved(QWidget* element, int index, Qt::MouseButtons buttons, QPointF global);
    void onReleased(QWidget* element, int index, Qt::MouseButton button, QPointF global);
    void onDoubleClicked(QWidget* element, int index);
    void updatePlayWindowSides();
    // Runs `work` once the main window has been painted (at once if it has).
    void afterFirstPaint(std::function<void()> work);
    void showMemoMarkers(const std::function<bool(const MonthGridCell&)>& marked);
    void openPicker(const PickerRequest& request);
    void recordMainPosition();
    void setTopMostChecked(bool on);
    class BackgroundTarget;

    AppServices m_s;
    Settings m_settings;
    PlayList m_playList;
    PlayerState m_player;
    CalendarState m_calendar;
    WorkArea m_work;
    MediaScanner m_scanner;
    QTimer m_timer1;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<PlayWindow> m_playWindow;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    clocktext::MidnightWatcher m_midnight;
    DayNoteStore m_notes;
    BackgroundSlots m_backgrounds;
    QString m_backgroundPath;
    Memo* m_memo = nullptr;
    BackWindow* m_back = nullptr;
    Dir_Form* m_picker = nullptr;
    std::unique_ptr<PickerTarget> m_pickerTarget;
    std::unique_ptr<PopupMenu> m_menu;
    AboutWindow* m_about = nullptr;
    bool m_dragging = false;
    QPointF m_grab;   // mouse position inside the window at the press, pixels
    PlayListSides m_sides;
    bool m_firstStart = false;
    bool m_ended = false;
    int m_trayRetries = 0;
    int SoundKeyNumber = 0;
};

// A second start: hands its paths to the running copy through lst.tmp.
// Nothing is written for an empty command line.
void handOverToRunningCopy(const AppPaths& paths, const QStringList& args);

} // namespace yk
