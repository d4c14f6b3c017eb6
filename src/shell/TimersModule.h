#pragma once

#include <memory>

#include <QObject>
#include <QPointer>

#include "shell/Module.h"
#include "timers/TimeSetFlow.h"
#include "timers/TimerCompletion.h"

namespace yk {

class CountdownTimer;
class DesktopModule;
class PlayerModule;
class Shell;
class SoundKeys;
class TimeSetWindow;
class WindowsModule;

// The countdown timer: arming it (the T key, a double click on the 12-hour
// clock, the start question), what a finished timer does, the sound keys,
// the timer's steps in the tick and the timer kept across a restart.
class TimersModule : public QObject, public Module
{
    Q_OBJECT
public:
    TimersModule(Shell& shell, PlayerModule& player, WindowsModule& windows, DesktopModule& desktop);
    ~TimersModule() override;

    CountdownTimer& timer() const { return *m_timer; }
    SoundKeys& soundKeys() const { return *m_soundKeys; }
    // Arms the timer from the stored preset (or asks first).
    void timeSet();
    // Ctrl: silence, no movie, no lyrics, no timer.
    void stopEverything();

    void start(const QStringList& files) override;
    void end(bool farewell) override;

private:
    TimerCompletion::Actions completionActions();
    TimeSetFlow::Actions timeSetActions();
    void askMessageBoxOption();
    void keepTimerState();
    void restoreTimer();

    Shell& m_shell;
    PlayerModule& m_player;
    WindowsModule& m_windows;
    DesktopModule& m_desktop;
    std::unique_ptr<CountdownTimer> m_timer;
    std::unique_ptr<TimerCompletion> m_completion;
    std::unique_ptr<TimeSetFlow> m_timeSet;
    std::unique_ptr<SoundKeys> m_soundKeys;
    QPointer<TimeSetWindow> m_timeSetWindow; // owned by the main window
};

} // namespace yk
