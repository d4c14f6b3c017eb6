#pragma once

#include <limits>

#include <QDateTime>

namespace yk {

// The one source of "now" for the program, so tests can run a day in seconds.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// Local time as a fixed offset from UTC. Asking the C library for local
// time re-reads the zone settings (a file status call) every time, which
// is most of the cost of the 100 ms tick; offsets only change on a whole
// minute, so the offset is looked up once a minute and the rest is
// arithmetic. The date and time are those of local time; only the time
// zone form differs (offset from UTC instead of local time). UI thread only.
class SystemClock final : public Clock
{
public:
    QDateTime now() const override
    {
        const qint64 ms = QDateTime::currentMSecsSinceEpoch();
        const qint64 minute = ms / 60000;
        if (minute != m_minute) {
            m_minute = minute;
            m_offsetSecs = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        }
        return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, m_offsetSecs);
    }

private:
    mutable qint64 m_minute = std::numeric_limits<qint64>::min();
    mutable int m_offsetSecs = 0;
};

} // namespace yk
