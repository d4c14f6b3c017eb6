#include "timers/ClockFace.h"

namespace yk {

bool ClockFace::midnightDue()
{
    return m_midnight.check(m_shown.time24);
}

ClockFace::Shown ClockFace::update(const QDateTime& now, bool* changed)
{
    Shown next;
    next.time24 = clocktext::time24(now.time());
    const clocktext::Clock12 c12 = clocktext::time12(clocktext::timeKey(now.time()));
    next.time12 = c12.text;
    next.ampm = c12.ampm;
    const bool differs = !(next == m_shown);
    if (differs)
        m_shown = next;
    if (changed)
        *changed = differs;
    return m_shown;
}

} // namespace yk
