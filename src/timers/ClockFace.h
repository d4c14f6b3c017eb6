#pragma once

#include <QDateTime>
#include <QString>

#include "timers/ClockText.h"

namespace yk {

// The two clocks of the main window and the calendar's midnight roll-over,
// as one tick step. It remembers the 24-hour text it last showed, so the
// roll-over sees the previous tick's time as the window showed it.
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
    Shown update(const QDateTime& now, bool* changed = nullptr);

    const Shown& shown() const { return m_shown; }

private:
    clocktext::MidnightWatcher m_midnight;
    Shown m_shown;
};

} // namespace yk
