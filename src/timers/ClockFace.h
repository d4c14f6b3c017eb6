#pragma once

#include <QDateTime>
#include <QString>

#include "timers/ClockText.h"

namespace yk {

// The two clocks of the main window and the calendar's midnight roll-over,
// as one tick step. It remembers the 24-hour text it last showed, so the
// roll-over sees the previous tick's time as the window showed it.
//
// Nearly every tick falls in the same minute as the one before: the texts
// are only built when the minute changes, and the roll-over check only
// looks at a label it has not seen yet, so an idle tick costs two integer
// comparisons.
class ClockFace
{
public:
    struct Shown
    {
        QString time24;
        QString time12;
        QString ampm;
        bool operator==(const Shown&) const = default;
    };

    // One tick. True when the calendar is to roll over to today now.
    bool midnightDue();
    // The texts for `now`; `changed` tells whether they differ from the
    // last ones returned, so an idle minute repaints nothing.
    const Shown& update(const QDateTime& now, bool* changed = nullptr);

    const Shown& shown() const { return m_shown; }

private:
    clocktext::MidnightWatcher m_midnight;
    Shown m_shown;
    // Hours * 60 + minutes of the texts in m_shown; none yet at first.
    int m_shownMinute = kNoMinute;
    // The label the roll-over check last looked at.
    QString m_checkedLabel;
    bool m_checked = false;
    static constexpr int kNoMinute = -1000;
};

} // namespace yk
