#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace yk {

class Clock;

// The program's heartbeat: it runs an ordered list of steps (midnight
// roll-over, the clocks, the player's upkeep, the timer check, ...). Each
// subsystem adds its steps once at start-up, in the order the tick must run
// them. One failing step is logged and skipped; it stops neither the clock
// nor the steps after it.
//
// The tick comes every 100 ms while any subsystem asks for that rhythm (a
// track playing, a timer armed, a hand-over waiting). With nothing asking,
// it comes once a second, just after each whole second of the clock: the
// clocks change no later than before, and a program that sits on the
// desktop all day wakes the machine ten times less often.
class ClockTick : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 100;     // while fast ticks are asked for
    static constexpr int kIdleIntervalMs = 1000; // otherwise, on the second
    using Step = std::function<void(const QDateTime& now)>;

    explicit ClockTick(Clock& clock, QObject* parent = nullptr);

    // Appends a step; steps run in the order they were added.
    void addStep(const QString& name, Step step);
    QStringList stepNames() const;

    void start();
    void stop();
    bool isActive() const { return m_running; }
    // The wait before the next tick as now scheduled, in ms.
    int interval() const { return m_timer.interval(); }

    // `who` wants (or no longer wants) a tick every 100 ms.
    void requestFastTicks(const QString& who, bool wanted);
    bool fastTicks() const { return !m_fastWanted.isEmpty(); }

    // One tick now, as the timer runs it (tests call it directly).
    void tick();

Q_SIGNALS:
    void ticked();

private:
    struct NamedStep
    {
        QString name;
        Step run;
    };

    void scheduleNext();

    Clock& m_clock;
    QTimer m_timer;
    std::vector<NamedStep> m_steps;
    QStringList m_fastWanted;
    bool m_running = false;
};

} // namespace yk
