#include "platform/InstanceLock.h"

// Built for systems without the Linux lock: every start is the first copy.
namespace yk {

InstanceLock::InstanceLock(const QString& appFolder)
    : m_path(appFolder)
{
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryAcquire()
{
    return true;
}

} // namespace yk
