#include "platform/CachedVolumeMixer.h"

#include <QtConcurrent>

namespace yk {

CachedVolumeMixer::CachedVolumeMixer(std::unique_ptr<VolumeMixer> system)
    : m_system(std::move(system))
{
    QObject::connect(&m_reading, &QFutureWatcher<std::optional<quint32>>::finished, [this] {
        // A write since the reading started is newer than what it read.
        if (m_readingFrom != m_writes)
            return;
        m_cached = m_reading.result();
        m_age.start();
    });
    startReading();
}

void CachedVolumeMixer::startReading() const
{
    m_readingFrom = m_writes;
    m_reading.setFuture(QtConcurrent::run([system = m_system] { return system->volume(); }));
}

CachedVolumeMixer::~CachedVolumeMixer()
{
    // A reading still running holds the mixer by its own reference.
    m_reading.disconnect();
}

std::optional<quint32> CachedVolumeMixer::volume() const
{
    if (!m_cached) {
        // Nothing written yet (a write fills the cache), so the first
        // reading stands.
        m_reading.waitForFinished();
        m_cached = m_reading.result();
        m_age.start();
    } else if (m_age.hasExpired(kRefreshMs) && !m_reading.isRunning()) {
        startReading();
    }
    return *m_cached;
}

bool CachedVolumeMixer::setVolume(quint32 value)
{
    if (!m_system->setVolume(value))
        return false;
    ++m_writes;
    m_cached = value;
    m_age.start();
    return true;
}

} // namespace yk
