#pragma once

#include <memory>
#include <optional>

#include <QElapsedTimer>
#include <QFutureWatcher>

#include "platform/VolumeMixer.h"

namespace yk {

// A system mixer read off the UI thread. Opening a mixer goes through the
// sound system's plugins (with a sound server, a connection to it: some
// 7 ms, more on a busy machine), and the media controls read the volume on
// every change of the player's state. So reads answer from the last reading
// and, when it is older than the refresh interval, start a new one on a
// worker; its result counts from the next read on. The first reading starts
// on a worker as soon as the mixer is made, while the windows are being
// built; the first read waits only for what is left of it. A write goes
// straight to the mixer (it is the user's own action) and is what later
// reads answer until the next reading.
class CachedVolumeMixer final : public VolumeMixer
{
public:
    static constexpr int kRefreshMs = 500;

    explicit CachedVolumeMixer(std::unique_ptr<VolumeMixer> system);
    ~CachedVolumeMixer() override;

    std::optional<quint32> volume() const override;
    bool setVolume(quint32 value) override;

private:
    void startReading() const;

    std::shared_ptr<VolumeMixer> m_system;
    mutable std::optional<std::optional<quint32>> m_cached;
    mutable QElapsedTimer m_age;
    mutable QFutureWatcher<std::optional<quint32>> m_reading;
    quint64 m_writes = 0;
    mutable quint64 m_readingFrom = 0;
};

} // namespace yk
