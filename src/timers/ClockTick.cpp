#include "timers/ClockTick.h"

#include <exception>

#include "platform/Clock.h"

namespace yk {

ClockTick::ClockTick(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{
    m_timer.setInterval(kIntervalMs);
    // A coarse timer lets the system batch our wake-ups with others'; the
    // clocks show minutes, so a few milliseconds of slack are never seen.
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockTick::tick);
}

void ClockTick::addStep(const QString& name, Step step)
{
    m_steps.push_back({name, std::move(step)});
}

QStringList ClockTick::stepNames() const
{
    QStringList names;
    for (const NamedStep& s : m_steps)
        names.append(s.name);
    return names;
}

void ClockTick::start()
{
    m_timer.start();
}

void ClockTick::stop()
{
    m_timer.stop();
}

void ClockTick::tick()
{
    const QDateTime now = m_clock.now();
    for (const NamedStep& s : m_steps) {
        try {
            s.run(now);
        } catch (const std::exception& e) {
            qWarning("tick step %s failed: %s", qPrintable(s.name), e.what());
        } catch (...) {
            qWarning("tick step %s failed", qPrintable(s.name));
        }
    }
    Q_EMIT ticked();
}

} // namespace yk
