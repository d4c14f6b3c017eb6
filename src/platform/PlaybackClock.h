#pragma once

#include <algorithm>

#include <QtGlobal>

namespace yk {

// (Header-only: the media module uses it, and the program exports to the
// module only what the program itself links.)
//
// The position and length of a file playing on another thread, as the UI
// thread reads them: the engine reports what its pipeline said now and then,
// and between reports a running clock moves on with the wall clock, so reading
// the position never waits for the engine. Times are milliseconds; `now` is
// any monotonic clock in milliseconds.
//
// Rules a reader can count on:
//   - the position never goes below 0 and never passes the length;
//   - until the end, the position stays 1 ms short of a known length, so
//     "position equals length" means the engine really reached the end;
//   - at the end the position equals the length, and the length is at least
//     1, so that end is told even for a file whose length was never known;
//   - while the file plays on, the position never goes back: a reading behind
//     the running clock (the pipeline stalled for a moment) holds the clock
//     until the file catches up. Only a new start point moves it back.
class PlaybackClock
{
public:
    // A pipeline's own reading turned into the file's time: some streams
    // (MPEG program streams among them) count from where their first
    // timestamp was, not from 0. `start` is that first reading.
    static qint64 normalise(qint64 raw, qint64 start, qint64 length);

    // Nothing open: position and length 0.
    void reset();
    // The engine's reading at `now`: position (already normalised), length
    // (0 while unknown) and whether the file is playing.
    void report(qint64 position, qint64 length, bool running, qint64 now);
    // A new start point (a seek, a start from a place, the next file).
    void restart(qint64 position, qint64 length, bool running, qint64 now);
    // Stops the clock where it stands (a pause written before the engine has
    // carried it out).
    void hold(qint64 now);
    // The file ended: the position stays on the length from now on.
    void end(qint64 length);

    qint64 position(qint64 now) const;
    qint64 length() const { return m_ended ? endLength() : m_length; }
    bool ended() const { return m_ended; }
    bool running() const { return m_running; }

private:
    qint64 endLength() const;

    qint64 m_position = 0;
    qint64 m_length = 0;
    qint64 m_stamp = 0;
    bool m_running = false;
    bool m_ended = false;
    // The furthest position read while running: readings do not go behind it.
    mutable qint64 m_shown = 0;
};

inline qint64 PlaybackClock::normalise(qint64 raw, qint64 start, qint64 length)
{
    qint64 position = std::max<qint64>(raw - std::max<qint64>(start, 0), 0);
    if (length > 0)
        position = std::min(position, length);
    return position;
}

inline void PlaybackClock::reset()
{
    *this = PlaybackClock();
}

inline void PlaybackClock::restart(qint64 position, qint64 length, bool running, qint64 now)
{
    m_shown = 0;
    report(position, length, running, now);
}

inline void PlaybackClock::report(qint64 position, qint64 length, bool running, qint64 now)
{
    if (!running || m_ended)
        m_shown = 0;
    m_ended = false;
    m_position = std::max<qint64>(position, 0);
    m_length = std::max<qint64>(length, 0);
    m_running = running;
    m_stamp = now;
}

inline void PlaybackClock::hold(qint64 now)
{
    if (!m_running)
        return;
    m_position = position(now);
    m_running = false;
    m_stamp = now;
    m_shown = 0;
}

inline void PlaybackClock::end(qint64 length)
{
    m_length = std::max({ length, m_length, m_position });
    m_ended = true;
    m_running = false;
}

inline qint64 PlaybackClock::endLength() const
{
    return std::max<qint64>(m_length, 1);
}

inline qint64 PlaybackClock::position(qint64 now) const
{
    if (m_ended)
        return endLength();
    qint64 position = m_position;
    if (m_running)
        position += std::max<qint64>(now - m_stamp, 0);
    if (m_running)
        position = std::max(position, m_shown);
    if (m_length > 0)
        position = std::min(position, m_length - 1);
    position = std::max<qint64>(position, 0);
    if (m_running)
        m_shown = position;
    return position;
}

} // namespace yk
