#include "platform/InstanceLock.h"

namespace yk {

InstanceLock::InstanceLock(const QString& appFolder)
    : m_lock(appFolder + QStringLiteral(".yomikaze.lock"))
{
    // A lock is only stale when its owner process is gone; a live copy may sit
    // idle for days without touching the file.
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryAcquire()
{
    return m_lock.tryLock(0);
}

} // namespace yk
