#pragma once

#include <QString>
#include <QTime>

namespace yk::clocktext {

// 24-hour clock label LBL_TIME: "HH : MM".
QString time24(const QTime& time);

// The time key the timer checks compare against: "HHMM".
QString timeKey(const QTime& time);

// 12-hour clock: LBL_TIME_2 and lbl_AP. The hour text is always three
// characters wide (right-aligned, blank-padded) so the hour ends at
// character 3, where the clock-time alarm reads it; one-digit minutes are
// padded with two blanks. Noon and midnight both show as hour 0.
struct Clock12
{
    QString text; // hour text + ":" + minute text, e.g. "  0:30"
    QString ampm; // "AM" or "PM"
};
Clock12 time12(const QString& timeKey);
inline Clock12 time12(const QTime& time) { return time12(timeKey(time)); }

// The midnight roll-over of the calendar. It reads the 24-hour label as the
// previous tick drew it, so the roll-over comes on the second tick of
// minute 00:00, once per midnight; minute 00:01 re-arms it.
class MidnightWatcher
{
public:
    // Call once per tick with LBL_TIME's text before it is redrawn. True
    // exactly when the calendar should roll over now.
    bool check(const QString& previousLabel);

    bool done() const { return m_done; } // Midnight_Done

    // Hours and minutes of a "HH : MM" label joined as "HHMM" (characters
    // 1-2 and 6-7, leading blanks dropped).
    static QString labelKey(const QString& label);

private:
    bool m_done = false;
};

} // namespace yk::clocktext
