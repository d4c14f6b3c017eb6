#pragma once

#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include "launcher/FilePicker.h"
#include "platform/AppPaths.h"
#include "core/SettingsHost.h"

class QWidget;

namespace yk {

class AboutWindow;
class BackWindow;
class BackgroundController;
class CalendarModel;
class FilePickerWindow;
class MascotChannel;
class Memo;
class Settings;
class ShellAdapter;
class TimerWindow;
class ToolWindow;

// The windows opened on demand (memo, backgrounds, file picker, About,
// timer): made on first use, gone when closed. Each takes its stored place
// when it opens, keeps it in its own slot of the settings when it moves,
// and follows always-on-top. The main and play-list windows live for the whole
// run and are only lent here for the always-on-top order.
class SecondaryWindows : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        Settings& settings;
        CalendarModel& calendar;
        BackgroundController& backgrounds;
        MascotChannel& mascot;
        ShellAdapter& shell;
        AppPaths paths;
        // The desktop's work area in pixels, as read at start-up.
        std::function<QRect()> workArea;
        // Writes the settings file (the windows' own "save" moments).
        std::function<void()> saveSettings;
        // One of the calendar's six colour buttons, by its object name
        // ("cmd_Y", "cmd_M", "cmd_T", "cmd_Sun", "cmd_W_D", "cmd_Sat").
        std::function<void(const QString& button, QWidget* parent)> chooseColour = {};
        // Rebuilds the launcher entries of the popup menu.
        std::function<void()> refreshLauncherMenu = {};
    };

    SecondaryWindows(Services services, QWidget* mainWindow, QWidget* playWindow, QObject* parent = nullptr);
    ~SecondaryWindows() override;

    // The note editor for the chosen day; nothing without a chosen day.
    void openMemo();
    void openBackgrounds();
    void openBackgroundPicker(int slot);
    void openAbout();
    // The timer and registration window, filled afresh from the settings.
    void openTimerWindow();
    // The picker registering program slot n (PickerMode::Launcher) or sound
    // slot n (PickerMode::TimerSound) into the timer window.
    void openTimerPicker(PickerMode mode, int slot);
    // The picker in its play-list mode; `add` receives the chosen file.
    void openPlayListPicker(std::function<void(const QString&)> add);

    Memo* memo() const;
    BackWindow* backWindow() const;
    FilePickerWindow* picker() const;
    AboutWindow* about() const;
    TimerWindow* timerWindow() const;

    // Every window of the program that is open, in the always-on-top order.
    QList<QWidget*> openWindows() const;
    // Always-on-top on or off for the windows on screen; the others apply
    // the setting when they are shown.
    void applyTopMost(bool on);

    // Saves the main window's own place into its slot (the picker and the
    // background window keep the records before theirs up to date).
    void recordMainPosition();
    void closeAll();

Q_SIGNALS:
    // The About window's OK: the launcher menu is rebuilt.
    void aboutAccepted();

private:
    class BackgroundTarget;
    class PlayListTarget;
    class RegistrationTarget;
    void openPicker(const PickerRequest& request);
    QRect workArea() const;
    // Places the window from its stored fields and keeps it there.
    void keepPlace(ToolWindow* tool, WindowId id);

    Services m_s;
    QWidget* m_main;
    QWidget* m_play;
    QPointer<Memo> m_memo;
    QPointer<BackWindow> m_back;
    QPointer<FilePickerWindow> m_picker;
    QPointer<AboutWindow> m_about;
    QPointer<TimerWindow> m_timer;
    std::unique_ptr<PickerTarget> m_pickerTarget;
};

} // namespace yk
