#include "timers/TimeSetFlow.h"

#include <algorithm>
#include <utility>

#include <QFileInfo>

#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "timers/CountdownTimer.h"

namespace yk {

namespace {

const QString kAfter = QStringLiteral("分後にお知らせしますか？");
const QString kAt = QStringLiteral("分にお知らせしますか？");
// "お知らせしますか？": what a direct start's title drops for "セット".
constexpr qsizetype kQuestionTail = 9;

bool usable(const QString& preset)
{
    return CountdownTimer::parsePreset(preset).kind != CountdownTimer::Kind::None;
}

} // namespace

TimeSetFlow::TimeSetFlow(CountdownTimer& timer, const Clock& clock, Actions actions, const AppPaths& paths)
    : m_timer(timer)
    , m_clock(clock)
    , m_actions(std::move(actions))
    , m_soundPath(paths.file(u"wav/Time_Set.wav"))
    , m_question(kNoPresetQuestion)
{
}

QString TimeSetFlow::questionFor(const QString& preset)
{
    using Kind = CountdownTimer::Kind;
    const CountdownTimer::Preset p = CountdownTimer::parsePreset(preset);
    switch (p.kind) {
    case Kind::Minutes:
        return QString::number(p.minutes) + kAfter;
    case Kind::HoursMinutes:
        if (p.hours == 0)
            return QString::number(p.minutes) + kAfter;
        return QString::number(p.hours) + QStringLiteral("時間") + QString::number(p.minutes) + kAfter;
    case Kind::ClockTime:
        return (p.pm ? QStringLiteral("PM") : QStringLiteral("AM")) + QString::number(p.hours) +
               QStringLiteral("時") + QString::number(p.minutes) + kAt;
    case Kind::None:
        break;
    }
    // A preset nothing can count down (empty, or damaged in the settings
    // file) is treated as none: Yes then leads to the registration window
    // instead of arming a timer that would never fire.
    return kNoPresetQuestion;
}

QString TimeSetFlow::startedTitle(const QString& question)
{
    return question.chopped(std::min(kQuestionTail, question.size())) + QStringLiteral("セット");
}

TimeSetFlow::Options TimeSetFlow::options() const
{
    return m_actions.options ? m_actions.options() : Options{};
}

bool TimeSetFlow::soundPresent() const
{
    return m_actions.fileExists ? m_actions.fileExists(m_soundPath) : QFileInfo::exists(m_soundPath);
}

void TimeSetFlow::timeSet()
{
    // A second request while a question is open starts over; the old
    // question must not answer for the new one.
    if (m_asking != Asking::None) {
        m_asking = Asking::None;
        if (m_actions.closeQuestion)
            m_actions.closeQuestion();
    }

    m_timer.requestStart();
    if (soundPresent() && !options().messageBox) {
        decide(false);
        if (m_timer.timerText() != CountdownTimer::kStart)
            return;
        if (!usable(options().preset))
            ask(Asking::Modeless); // nothing to start: offer the registration window
        else if (m_actions.sendMascot)
            m_actions.sendMascot(kStartedScript);
        return;
    }

    // The run before the question cancels a running timer, so that only a
    // Yes leaves one running; the request itself stays open meanwhile.
    decide(false);
    m_timer.requestStart();
    ask(Asking::Modal);
}

void TimeSetFlow::answer(TimeSetAnswer answer)
{
    if (m_asking == Asking::None)
        return;
    const Asking was = std::exchange(m_asking, Asking::None);
    m_startedNow = false;
    switch (answer) {
    case TimeSetAnswer::Yes:
        decide(true);
        break;
    case TimeSetAnswer::No:
        decide(false);
        break;
    case TimeSetAnswer::Escape:
        break;
    }
    if (was == Asking::Modeless) {
        // The request ended when this question was shown; a preset stored
        // meanwhile may still start the timer here, and that start is told.
        if (m_startedNow && m_actions.sendMascot)
            m_actions.sendMascot(kStartedScript);
        return;
    }
    // The request ends here. Esc leaves it open, so the mascot hears of a
    // start even though the timer was cancelled before the question; a
    // question answered is not asked a second time.
    if (m_timer.timerText() == CountdownTimer::kStart && usable(options().preset) && m_actions.sendMascot)
        m_actions.sendMascot(kStartedScript);
}

void TimeSetFlow::decide(bool yesClicked)
{
    const Options o = options();
    const bool preset = usable(o.preset);
    m_question = questionFor(o.preset);

    if (m_timer.timerText() == CountdownTimer::kStart) {
        if (!o.messageBox && !preset) {
            // Nothing to start and nothing to confirm: a running timer runs on.
        } else if (!o.messageBox && soundPresent()) {
            directStart(o.preset);
        } else if (yesClicked) {
            if (preset) {
                m_timer.start(o.preset, m_clock.now());
                m_startedNow = true;
            }
        } else {
            m_timer.cancel();
        }
    }

    if (!preset && yesClicked && m_actions.openRegistration)
        m_actions.openRegistration();
}

void TimeSetFlow::directStart(const QString& preset)
{
    if (m_actions.playSound)
        m_actions.playSound(kStartSoundDevice, m_soundPath);
    m_timer.start(preset, m_clock.now());
    m_startedNow = true;
    if (m_actions.focusMainWindow)
        m_actions.focusMainWindow();
    if (m_actions.showTitle)
        m_actions.showTitle(startedTitle(m_question));
}

void TimeSetFlow::ask(Asking how)
{
    m_asking = how;
    if (m_actions.showQuestion)
        m_actions.showQuestion(Question{m_question, how == Asking::Modal, options().topMost});
}

} // namespace yk
