#include "shell/TimersModule.h"

#include <span>

#include <QMessageBox>
#include <QPushButton>

#include "calendar/Memo.h"
#include "launcher/Launcher.h"
#include "media/DeviceSequences.h"
#include "media/Player.h"
#include "platform/Clock.h"
#include "platform/DeviceChannel.h"
#include "platform/MascotChannel.h"
#include "platform/SessionEnd.h"
#include "platform/ShellAdapter.h"
#include "shell/DesktopModule.h"
#include "shell/MainWindow.h"
#include "shell/PlayerModule.h"
#include "shell/SecondaryWindows.h"
#include "shell/Shell.h"
#include "shell/TimerCommands.h"
#include "shell/WindowsModule.h"
#include "timers/CountdownTimer.h"
#include "timers/SoundKeys.h"
#include "timers/TimeSetWindow.h"
#include "timers/TimerStateFile.h"

namespace yk {

TimersModule::TimersModule(Shell& shell, PlayerModule& player, WindowsModule& windows, DesktopModule& desktop)
    : m_shell(shell)
    , m_player(player)
    , m_windows(windows)
    , m_desktop(desktop)
    , m_timer(std::make_unique<CountdownTimer>())
{
    const AppServices& s = shell.services();
    m_completion = std::make_unique<TimerCompletion>(completionActions(), s.paths.file(u"wav/Timer.wav"));
    m_timeSet = std::make_unique<TimeSetFlow>(*m_timer, *s.clock, timeSetActions(), s.paths);
    Player& p = player.player();
    m_soundKeys = std::make_unique<SoundKeys>(std::span<QString>(shell.settings().registrations),
        SoundKeys::Actions {
            [&p](const QString& path) { p.playSystemSound(Player::deviceTypeFor(path), path); },
            [&p] { p.stop(); }, [&p](const QString& title) { p.showText(title); },
            [&player] { return player.currentEntryTitle(); } });

    MainWindow& main = shell.mainWindow();
    connect(m_timer.get(), &CountdownTimer::armedChanged, this, [&main, &shell](bool armed) {
        main.showTimerArmed(armed);
        // A due timer is caught within 100 ms, not at the next whole second.
        shell.tick().requestFastTicks(QStringLiteral("timer"), armed);
    });
    connect(m_timer.get(), &CountdownTimer::changed, this, &TimersModule::keepTimerState);
    connect(&main, &MainWindow::elementDoubleClicked, this, [this](MainElement element, int) {
        if (element == MainElement::Clock12)
            timeSet();
    });
    addTimerKeyCommands(shell.keyCommands(),
        TimerCommandTargets { [this] { timeSet(); }, [this] { askMessageBoxOption(); },
            [this] { stopEverything(); }, *m_soundKeys });
    shell.tick().addStep(TickPhase::Timer, QStringLiteral("timer check"),
        [this](const QDateTime& now) { m_timer->check(now); });
    shell.tick().addStep(TickPhase::Timer, QStringLiteral("timer completion"),
        [this](const QDateTime&) { m_completion->run(*m_timer, m_shell.settings().registrations); });
}

TimersModule::~TimersModule() = default;

void TimersModule::start(const QStringList&)
{
    restoreTimer();
}

void TimersModule::end(bool farewell)
{
    if (farewell)
        m_soundKeys->clear();
}

TimerCompletion::Actions TimersModule::completionActions()
{
    TimerCompletion::Actions a;
    a.showMessage = [this](TimerCompletion::MessageKind kind, const QString& title, const QString& text) {
        const bool timeUp = kind == TimerCompletion::MessageKind::TimeUp;
        auto* box = new QMessageBox(timeUp ? QMessageBox::Information : QMessageBox::Warning, title, text,
            timeUp ? QMessageBox::Cancel | QMessageBox::Retry | QMessageBox::Ignore : QMessageBox::Ok);
        if (timeUp) {
            // Cancel, Try Again and Continue; which one is pressed does not matter.
            box->button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
            box->button(QMessageBox::Retry)->setText(QStringLiteral("再試行(&T)"));
            box->button(QMessageBox::Ignore)->setText(QStringLiteral("続行(&C)"));
        }
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        // Not modal in the event loop's sense: the clock ticks on behind it.
        box->open();
    };
    a.playDefaultSound = [this](const QString& path) {
        m_player.player().playSystemSound(QStringLiteral("WaveAudio"), path);
    };
    a.playRegisteredSound = [this](const QString& path) {
        m_player.player().playSystemSound(Player::deviceTypeFor(path), path);
    };
    a.showTitle = [this](const QString& title) { m_player.player().showText(title); };
    a.startProgram = [this](const QString& path) { launchProgram(*m_shell.services().shell, path); };
    a.sendMascot = [this](const QString& script) {
        // "Time is up" must reach the user even without a mascot; the
        // session-end complaints come with a message box of their own.
        if (script == TimerCompletion::kMascotScript)
            m_desktop.sendImportantNotice(script);
        else
            m_shell.services().mascot->sendScript(script);
    };
    a.saveBeforeSessionEnd = [this] {
        bool saved = true;
        // As its window would on close: written, then closed; it stays
        // open when the write fails.
        if (Memo* memo = m_windows.windows().memo(); memo && memo->isVisible()) {
            memo->save();
            saved = !memo->isVisible();
        }
        return m_shell.saveSettings() && saved;
    };
    a.endSession
        = [this](SessionEnd::Done done) { m_shell.services().sessionEnd->endSession(std::move(done)); };
    return a;
}

void TimersModule::timeSet()
{
    m_timeSet->timeSet();
}

TimeSetFlow::Actions TimersModule::timeSetActions()
{
    TimeSetFlow::Actions a;
    a.options = [this] {
        return TimeSetFlow::Options { m_shell.settings().timerPreset,
            m_shell.settings().registrations[Settings::RegMsgBoxOn] == u"1", m_shell.settings().alwaysOnTop };
    };
    a.playSound
        = [this](const QString& type, const QString& path) { m_player.player().playSystemSound(type, path); };
    a.showTitle = [this](const QString& title) { m_player.player().showStartNotice(title); };
    a.focusMainWindow = [this] {
        m_shell.mainWindow().activateWindow();
        m_shell.mainWindow().setFocus();
    };
    a.sendMascot = [this](const QString& script) {
        if (script == TimeSetFlow::kStartedScript)
            m_desktop.sendImportantNotice(script);
        else
            m_shell.services().mascot->sendScript(script);
    };
    a.showQuestion = [this](const TimeSetFlow::Question& q) {
        if (!m_timeSetWindow) {
            m_timeSetWindow = new TimeSetWindow(&m_shell.mainWindow());
            connect(m_timeSetWindow, &TimeSetWindow::answered, this,
                [this](TimeSetAnswer answer) { m_timeSet->answer(answer); });
        }
        m_timeSetWindow->ask(q);
    };
    a.openRegistration = [this] { m_windows.windows().openTimerWindow(); };
    a.closeQuestion = [this] {
        if (m_timeSetWindow)
            m_timeSetWindow->dismiss();
    };
    return a;
}

void TimersModule::askMessageBoxOption()
{
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("タイマー完了時MessageBox強制"),
        QStringLiteral("メッセージボックス強制使用しますか？"), QMessageBox::Yes | QMessageBox::No,
        &m_shell.mainWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box] {
        m_shell.settings().registrations[Settings::RegMsgBoxOn]
            = box->clickedButton() == box->button(QMessageBox::Yes) ? QStringLiteral("1")
                                                                    : QStringLiteral("0");
    });
    box->open();
}

void TimersModule::stopEverything()
{
    device::closeAll(*m_shell.services().device);
    m_soundKeys->clear();
    // The player lets go of list playback, the movie and the lyrics too.
    m_player.player().stop();
    m_timer->cancel();
}

void TimersModule::keepTimerState()
{
    timerstate::write(m_shell.paths().file(u"System/timer.txt"), m_timer->saved());
}

void TimersModule::restoreTimer()
{
    const auto saved = timerstate::read(m_shell.paths().file(u"System/timer.txt"));
    if (!saved)
        return;
    if (const auto missed = m_timer->restore(*saved, m_shell.services().clock->now())) {
        m_player.player().showNotice(timerstate::missedTitle(*missed));
        m_desktop.sendImportantNotice(timerstate::missedScript(*missed));
        keepTimerState();
    }
}

} // namespace yk
