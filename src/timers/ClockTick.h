#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>

namespace yk {

class Clock;

// The program's heartbeat: every 100 ms it runs an ordered list of steps
// (midnight roll-over, the clocks, the player's upkeep, the timer check,
// ...). Each subsystem adds its steps once at start-up, in the order the
// tick must run them. One failing step is logged and skipped; it stops
// neither the clock nor the steps after it.
class ClockTick : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 100;
    using Step = std::function<void(const QDateTime& now)>;

    explicit ClockTick(Clock& clock, QObject* parent = nullptr);

    // Appends a step; steps run in the order they were added.
    void addStep(const QString& name, Step step);
    QStringList stepNames() const;

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    int interval() const { return m_timer.interval(); }

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

    Clock& m_clock;
    QTimer m_timer;
    std::vector<NamedStep> m_steps;
};

} // namespace yk
