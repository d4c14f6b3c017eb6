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
}

CachedVolumeMixer::~CachedVolumeMixer()
{
    // A reading still running holds the mixer by its own reference.
    m_reading.disconnect();
}

std::optional<quint32> CachedVolumeMixer::volume() const
{
    if (!m_cached) {
        m_cached = m_system->volume();
        m_age.start();
    } else if (m_age.hasExpired(kRefreshMs) && !m_reading.isRunning()) {
        m_readingFrom = m_writes;
        m_reading.setFuture(QtConcurrent::run([system = m_system] { return system->volume(); }));
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
