#pragma once

#include <optional>

#include <QDateTime>
#include <QObject>
#include <QString>

namespace yk {

// The one timer of the program: a countdown of 3, 5 or 10 minutes (kind A),
// a countdown of hours and minutes (kind B) or an alarm at a clock time
// (kind C), as the preset text names it ("Time A05", "Time B0130",
// "Time CP0915"). The main window's labels show its texts:
//
//   timerText()  "Start" from a start request until completion or cancel
//   startText()  the start time "HH:MM:SS"; empty when cancelled
//   targetText() empty right after a start, then the target key
//                ("MM", "HHMM" or "A0930"), "ok" when reached, "okok" at rest
//   nextText()   the second-chance key of kinds A and B
//
// A countdown fires at the first tick at or after its target, so a late or
// skipped tick (a busy machine, a suspend, a clock step) cannot lose it. A
// tick never looks only at its own second: it fires when the target lies
// anywhere in the seconds since the previous look. Ticks that come every
// second or faster see exactly what a second-by-second comparison would:
// a countdown of zero whose first tick falls after the start second still
// waits for its second chance a minute later, and an alarm set a few
// seconds after its minute began waits for the next day.
//
// Everything is wall-clock time as the clocks show it. Plain QtCore.
class CountdownTimer : public QObject
{
    Q_OBJECT
public:
    enum class Kind { None, Minutes, HoursMinutes, ClockTime };

    static inline const QString kStart = QStringLiteral("Start");
    static inline const QString kReached = QStringLiteral("ok");
    static inline const QString kRest = QStringLiteral("okok");

    // What a preset text asks for; Kind::None for an empty or malformed one.
    struct Preset
    {
        Kind kind = Kind::None;
        int minutes = 0;  // A: 3, 5 or 10; B: the minutes part; C: the minute
        int hours = 0;    // B: 0..23; C: the 12-hour hour as written (0..12)
        bool pm = false;  // C
        QString clockKey; // C: characters 7-11, "A0930"
    };
    static Preset parsePreset(const QString& preset);

    // What is kept across a restart of the program.
    struct Saved
    {
        QString preset;
        QDateTime start; // wall-clock start, whole seconds
    };

    explicit CountdownTimer(QObject* parent = nullptr);

    // --- operations ---
    // A start has been asked for: timerText() becomes "Start".
    void requestStart();
    // The confirmed start: the preset is taken as it is now, the start time
    // is `now`, the target is computed by the next check().
    void start(const QString& preset, const QDateTime& now);
    // No. on the question, the question's preparatory run, Ctrl: nothing
    // runs afterwards (clears the start time, the target and "Start").
    void cancel();
    // The per-tick check. True when the timer was reached in this call;
    // reached() is emitted then too. Does nothing unless the timer runs.
    bool check(const QDateTime& now);
    // First step of the completion: the second chance is gone.
    void clearSecondChance();
    // The last step of the completion: "okok", "Start" gone, the start time
    // kept. Safe to call in any state.
    void rest();

    // --- state ---
    QString timerText() const { return m_timer; }
    QString startText() const { return m_start; }
    QString targetText() const { return m_target; }
    QString nextText() const { return m_next; }
    QString preset() const { return m_preset; }
    // Started and waiting for the target: the 12-hour clock shows the
    // timer's colour, and the tick should come fast.
    bool isArmed() const { return !m_start.isEmpty() && m_target != kRest && m_target != kReached; }
    // Reached and not yet completed: the tick's completion step is due.
    bool isReached() const { return m_target == kReached; }
    // The moment the timer fires, once the first check computed it.
    std::optional<QDateTime> targetTime() const;

    // --- restart ---
    // Nothing when no timer is armed.
    std::optional<Saved> saved() const;
    // Takes up a timer saved by an earlier run. When its target passed while
    // the program was not running, the timer is not started and the target
    // time is returned, for the caller to say that it was missed.
    std::optional<QDateTime> restore(const Saved& saved, const QDateTime& now);

Q_SIGNALS:
    // Any of the four texts changed.
    void changed();
    // isArmed() changed.
    void armedChanged(bool armed);
    // check() found the target; the completion is due in the same tick.
    void reached();

private:
    void computeTarget();
    static int durationMinutes(const Preset& p);
    // The first second after `after` at which a timer of `p` started at
    // `startSecond` fires; none when it never does.
    static std::optional<qint64> nextMatchAfter(const Preset& p, qint64 startSecond, qint64 after);
    void setTexts(const QString& timer, const QString& start, const QString& target, const QString& next);

    QString m_timer;
    QString m_start;
    QString m_target;
    QString m_next;

    QString m_preset; // as taken at the start
    Preset m_parsed;
    qint64 m_startSecond = 0;  // wall-clock seconds
    qint64 m_lastLook = 0;     // the second the timer last looked at
    qint64 m_firstTarget = 0;  // kinds A and B, once computed
};

// Wall-clock seconds: the date and time the clocks show, as a count.
qint64 wallSecond(const QDateTime& t);
QDateTime fromWallSecond(qint64 s);

} // namespace yk
