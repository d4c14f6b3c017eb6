#include "platform/SessionBus.h"

#include <QDBusConnection>

namespace yk {

std::jthread connectSessionBusAhead()
{
    return std::jthread([] { QDBusConnection::sessionBus(); });
}

} // namespace yk
