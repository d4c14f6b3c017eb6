#pragma once

#include <QLockFile>
#include <QString>

namespace yk {

// One running copy per application folder. The lock lives in that folder, so a
// copy kept elsewhere is another program. A lock left behind by a crashed copy
// is recognised as stale (its process is gone) and taken over.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& appFolder);

    // True when this process now owns the folder; false when another copy runs.
    bool tryAcquire();

private:
    QLockFile m_lock;
};

} // namespace yk
