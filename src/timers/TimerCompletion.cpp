#include "timers/TimerCompletion.h"

#include <exception>

#include "launcher/Launcher.h"
#include "timers/CountdownTimer.h"

namespace yk {

namespace {

constexpr int kAprOn = 20;     // run a registered program
constexpr int kAprNumber = 21; // which one, 1-10 (entries 0-9)
constexpr int kWavOn = 22;     // play a registered sound
constexpr int kWavNumber = 23; // which one, 1-10 (entries 10-19)
constexpr int kMsgBoxOn = 24;  // show the message box, whatever else is set
constexpr int kExitWinOn = 25; // end the session

const QString kOn = QStringLiteral("1");

QString entry(std::span<const QString> regList, int i)
{
    return i >= 0 && i < int(regList.size()) ? regList[size_t(i)] : QString();
}

// The path of slot number `numberEntry` (1-10), counted from `first`;
// empty for a number out of range.
QString slotPath(std::span<const QString> regList, int numberEntry, int first)
{
    bool ok = false;
    const int n = entry(regList, numberEntry).trimmed().toInt(&ok);
    if (!ok || n < 1 || n > kLauncherEntries)
        return {};
    return entry(regList, first + n - 1);
}

// Kept free of anything that could reach a backslash from outside: the
// mascot reads these as scripts.
const QString kMascotNoPowerOff = QStringLiteral("\\t\\h\\s[0]電源を切れませんでした。\\e");
const QString kMascotNotSaved = QStringLiteral("\\t\\h\\s[0]設定を保存できなかったので、電源は切りませんでした。\\e");

} // namespace

TimerCompletion::TimerCompletion(Actions actions, QString defaultSoundPath)
    : m_actions(std::move(actions))
    , m_defaultSound(std::move(defaultSoundPath))
{
}

bool TimerCompletion::exists(const QString& path) const
{
    if (path.isEmpty())
        return false;
    return m_actions.fileExists ? m_actions.fileExists(path) : namesExistingFile(path);
}

TimerCompletion::Plan TimerCompletion::plan(std::span<const QString> regList) const
{
    Plan p;
    p.endSession = entry(regList, kExitWinOn) == kOn;

    const bool programOn = entry(regList, kAprOn) == kOn;
    // The program start falls back to the box when its file is gone.
    auto startProgram = [&] {
        const QString program = slotPath(regList, kAprNumber, 0);
        if (exists(program))
            p.program = program;
        else
            p.messageBox = true;
    };

    if (entry(regList, kMsgBoxOn) == kOn) {
        p.messageBox = true;
    } else if (entry(regList, kWavOn) == kOn) {
        const QString sound = slotPath(regList, kWavNumber, 10);
        if (sound.isEmpty()) {
            if (exists(m_defaultSound))
                p.defaultSound = m_defaultSound;
            else
                p.messageBox = true;
        } else if (!exists(sound)) {
            if (programOn)
                startProgram();
            else
                p.messageBox = true;
        } else {
            p.registeredSound = sound;
            if (programOn)
                startProgram();
        }
    } else if (programOn) {
        startProgram();
    } else if (exists(m_defaultSound)) {
        p.defaultSound = m_defaultSound;
    } else {
        p.messageBox = true;
    }
    return p;
}

void TimerCompletion::guarded(const char* what, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        qWarning("timer completion: %s failed: %s", what, e.what());
    } catch (...) {
        qWarning("timer completion: %s failed", what);
    }
}

bool TimerCompletion::run(CountdownTimer& timer, std::span<const QString> regList)
{
    // A callback that lets events run must not let a tick start a second
    // completion of the same timer.
    if (!timer.isReached() || m_running)
        return false;
    m_running = true;

    Plan p;
    guarded("plan", [&] { p = plan(regList); });
    guarded("second chance", [&] { timer.clearSecondChance(); });
    if (p.endSession)
        guarded("session end", [&] { endSession(); });

    const auto call = [this](const char* what, const auto& fn, const auto&... args) {
        if (fn)
            guarded(what, [&] { fn(args...); });
    };
    if (!p.registeredSound.isEmpty()) {
        call("registered sound", m_actions.playRegisteredSound, p.registeredSound);
        call("title", m_actions.showTitle, kTitle);
    }
    if (!p.defaultSound.isEmpty()) {
        call("default sound", m_actions.playDefaultSound, p.defaultSound);
        call("title", m_actions.showTitle, kTitle);
    }
    if (!p.program.isEmpty())
        call("program start", m_actions.startProgram, p.program);
    if (p.messageBox)
        call("message box", m_actions.showMessage, MessageKind::TimeUp, kMessageTitle, kMessage);
    call("mascot", m_actions.sendMascot, kMascotScript);

    timer.rest();
    m_running = false;
    return true;
}

QString TimerCompletion::sessionEndFailureText(const SessionEnd::Result& result)
{
    QString text = result.outcome == SessionEnd::Outcome::Refused
                       ? QStringLiteral("電源を切れませんでした。\nシステムが電源オフを受け付けませんでした。")
                       : QStringLiteral("電源を切れませんでした。\nログインマネージャーに接続できません。");
    if (!result.detail.isEmpty())
        text += QStringLiteral("\n\n") + result.detail;
    return text;
}

QString TimerCompletion::saveFailureText()
{
    return QStringLiteral("設定を保存できなかったため、電源は切りませんでした。");
}

void TimerCompletion::reportSessionEndFailure(const QString& text, const QString& script)
{
    if (m_actions.showMessage)
        guarded("session end message", [&] { m_actions.showMessage(MessageKind::SessionEndFailed, kMessageTitle, text); });
    if (m_actions.sendMascot)
        guarded("session end mascot", [&] { m_actions.sendMascot(script); });
}

void TimerCompletion::endSession()
{
    // Our own data first: once the request is accepted the session may end
    // before anything else runs.
    bool saved = true;
    if (m_actions.saveBeforeSessionEnd) {
        saved = false;
        guarded("save", [&] { saved = m_actions.saveBeforeSessionEnd(); });
    }
    if (!saved) {
        reportSessionEndFailure(saveFailureText(), kMascotNotSaved);
        return;
    }
    if (!m_actions.endSession) {
        reportSessionEndFailure(sessionEndFailureText({SessionEnd::Outcome::Unavailable, {}}), kMascotNoPowerOff);
        return;
    }
    std::weak_ptr<bool> alive = m_alive;
    m_actions.endSession([this, alive](const SessionEnd::Result& result) {
        const auto stillHere = alive.lock();
        if (!stillHere || result.outcome == SessionEnd::Outcome::Accepted)
            return;
        reportSessionEndFailure(sessionEndFailureText(result), kMascotNoPowerOff);
    });
}

} // namespace yk
