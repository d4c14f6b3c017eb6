#include "shell/App.h"

// The timer's part of the wiring: what a finished timer does, the start
// question, the keys that reach the timer, and the timer kept across a
// restart.

#include <QMessageBox>

#include "calendar/Memo.h"
#include "launcher/Launcher.h"
#include "media/DeviceSequences.h"
#include "media/Player.h"
#include "platform/Clock.h"
#include "platform/DeviceChannel.h"
#include "platform/MascotChannel.h"
#include "platform/ShellAdapter.h"
#include "shell/Form1.h"
#include "shell/SecondaryWindows.h"
#include "timers/CountdownTimer.h"
#include "timers/SoundKeys.h"
#include "timers/TimeSetWindow.h"
#include "timers/TimerStateFile.h"

namespace yk {

TimerCompletion::Actions App::completionActions()
{
    TimerCompletion::Actions a;
    a.showMessage = [this](TimerCompletion::MessageKind kind, const QString& title, const QString& text) {
        const bool timeUp = kind == TimerCompletion::MessageKind::TimeUp;
        auto* box = new QMessageBox(timeUp ? QMessageBox::Information : QMessageBox::Warning, title, text,
                                    timeUp ? QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore
                                           : QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        // Not modal in the event loop's sense: the clock ticks on behind it.
        box->open();
    };
    a.playDefaultSound = [this](const QString& path) { m_player->playSystemSound(QStringLiteral("WaveAudio"), path); };
    a.playRegisteredSound = [this](const QString& path) {
        m_player->playSystemSound(Player::deviceTypeFor(path), path);
    };
    a.showTitle = [this](const QString& title) { m_player->showText(title); };
    a.startProgram = [this](const QString& path) { f_Apr(*m_s.shell, path); };
    a.sendMascot = [this](const QString& script) {
        // "Time is up" must reach the user even without a mascot; the
        // session-end complaints come with a message box of their own.
        if (script == TimerCompletion::kMascotScript)
            sendImportantNotice(script);
        else
            m_s.mascot->sendScript(script);
    };
    a.saveBeforeSessionEnd = [this] {
        bool saved = true;
        // As its window would on close: written, then closed; it stays
        // open when the write fails.
        if (Memo* memo = m_windows->memo(); memo && memo->isVisible()) {
            memo->save();
            saved = !memo->isVisible();
        }
        return m_settings.Save(*this) && saved;
    };
    a.endSession = [this](SessionEnd::Done done) { m_s.sessionEnd->endSession(std::move(done)); };
    return a;
}


void App::timeSet()
{
    m_timeSet->timeSet();
}

TimeSetFlow::Actions App::timeSetActions()
{
    TimeSetFlow::Actions a;
    a.options = [this] {
        return TimeSetFlow::Options{m_settings.Time_Preset, m_settings.Reg_List[Settings::RegMsgBoxOn] == u"1",
                                    m_settings.Top_Flag};
    };
    a.playSound = [this](const QString& type, const QString& path) { m_player->playSystemSound(type, path); };
    a.showTitle = [this](const QString& title) { m_player->showNotice(title); };
    a.focusMainWindow = [this] {
        m_form->activateWindow();
        m_form->setFocus();
    };
    a.sendMascot = [this](const QString& script) {
        if (script == TimeSetFlow::kStartedScript)
            sendImportantNotice(script);
        else
            m_s.mascot->sendScript(script);
    };
    a.showQuestion = [this](const TimeSetFlow::Question& q) {
        if (!m_timeSetWindow) {
            m_timeSetWindow = new TimeSetWindow(m_form.get());
            connect(m_timeSetWindow, &TimeSetWindow::answered, this,
                    [this](TimeSetAnswer answer) { m_timeSet->answer(answer); });
        }
        m_timeSetWindow->ask(q);
    };
    a.openRegistration = [this] { m_windows->openTimerWindow(); };
    a.closeQuestion = [this] {
        if (m_timeSetWindow)
            m_timeSetWindow->dismiss();
    };
    return a;
}

void App::askMessageBoxOption()
{
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("タイマー完了時MessageBox強制"),
                                QStringLiteral("メッセージボックス強制使用しますか？"),
                                QMessageBox::Yes | QMessageBox::No, m_form.get());
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box] {
        m_settings.Reg_List[Settings::RegMsgBoxOn] =
            box->clickedButton() == box->button(QMessageBox::Yes) ? QStringLiteral("1") : QStringLiteral("0");
    });
    box->open();
}

void App::stopEverything()
{
    device::closeAll(*m_s.device);
    m_soundKeys->clear();
    // The player lets go of list playback, the movie and the lyrics too.
    m_player->stop();
    m_timer->cancel();
}

void App::keepTimerState()
{
    timerstate::write(m_s.paths.file(u"System/timer.txt"), m_timer->saved());
}

void App::restoreTimer()
{
    const auto saved = timerstate::read(m_s.paths.file(u"System/timer.txt"));
    if (!saved)
        return;
    if (const auto missed = m_timer->restore(*saved, m_s.clock->now())) {
        m_player->showNotice(timerstate::missedTitle(*missed));
        sendImportantNotice(timerstate::missedScript(*missed));
        keepTimerState();
    }
}

} // namespace yk
