#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace yk {

class Clock;

// When a step of the tick runs, relative to the others. Steps run phase by
// phase in this order, and within a phase in the order they were added, so
// the subsystems may add their steps in any order.
enum class TickPhase {
    Calendar, // the day rolls over
    Clock,    // the clocks show the time
    Title,    // the player's title catches up
    Intake,   // files handed over, play-list rows
    Track,    // the track's end and the next one
    Lyrics,   // the lyric line of the position
    Display,  // the player's time, thumb and faces
    Movie,    // the movie window follows its size
    Timer,    // the timer's check and what it does at its end
};

// The program's heartbeat: it runs the steps each subsystem added once at
// start-up (midnight roll-over, the clocks, the player's upkeep, the timer
// check, ...), in the order of their phases. One failing step is logged and
// skipped; it stops neither the clock nor the steps after it.
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

    // Adds a step at the end of its phase.
    void addStep(TickPhase phase, const QString& name, Step step);
    // The steps' names in the order they run.
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
        TickPhase phase;
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
