#include "timers/ClockFace.h"

namespace yk {

bool ClockFace::midnightDue()
{
    // The watcher's answer depends only on the label, and the same label
    // seen twice in a row never rolls over the second time.
    if (m_checked && m_shown.time24 == m_checkedLabel)
        return false;
    m_checked = true;
    m_checkedLabel = m_shown.time24;
    return m_midnight.check(m_shown.time24);
}

const ClockFace::Shown& ClockFace::update(const QDateTime& now, bool* changed)
{
    const QTime time = now.time();
    // An invalid time gives -61: it is built once, as any other minute.
    const int minute = time.hour() * 60 + time.minute();
    if (minute == m_shownMinute) {
        if (changed)
            *changed = false;
        return m_shown;
    }
    m_shownMinute = minute;
    Shown next;
    next.time24 = clocktext::time24(time);
    const clocktext::Clock12 c12 = clocktext::time12(clocktext::timeKey(time));
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
