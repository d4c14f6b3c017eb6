#pragma once

#include <QString>

namespace yk {

// One running copy per application folder. The lock lives in that folder, so a
// copy kept elsewhere is another program. It is a lock the system holds for
// the process and drops when the process ends, however it ends, so a crashed
// copy never leaves a lock behind; the file itself may stay and means nothing.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& appFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now owns the folder; false when another copy runs.
    bool tryAcquire();

private:
    QString m_path;
    int m_fd = -1;
};

} // namespace yk
