#include "core/ClockTick.h"

#include <algorithm>
#include <exception>

#include "platform/Clock.h"

namespace yk {

ClockTick::ClockTick(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        tick();
        scheduleNext();
    });
}

void ClockTick::addStep(TickPhase phase, const QString& name, Step step)
{
    const auto after = std::upper_bound(m_steps.begin(), m_steps.end(), phase,
                                        [](TickPhase p, const NamedStep& s) { return p < s.phase; });
    m_steps.insert(after, NamedStep{phase, name, std::move(step)});
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
    // The first tick comes as soon as ever, so the clocks show at once.
    m_running = true;
    m_timer.setTimerType(Qt::CoarseTimer);
    m_timer.start(kIntervalMs);
}

void ClockTick::requestFastTicks(const QString& who, bool wanted)
{
    const bool before = fastTicks();
    if (wanted && !m_fastWanted.contains(who))
        m_fastWanted.append(who);
    else if (!wanted)
        m_fastWanted.removeAll(who);
    // Going fast takes effect at once rather than at the next second.
    if (m_running && fastTicks() != before)
        scheduleNext();
}

void ClockTick::scheduleNext()
{
    if (!m_running)
        return;
    if (fastTicks()) {
        m_timer.setTimerType(Qt::CoarseTimer);
        m_timer.start(kIntervalMs);
        return;
    }
    // Just after the next whole second, so a new minute shows at once.
    const qint64 ms = m_clock.now().toMSecsSinceEpoch();
    const int toNextSecond = int(kIdleIntervalMs - ms % kIdleIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.start(toNextSecond + 2);
}

void ClockTick::stop()
{
    m_running = false;
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
