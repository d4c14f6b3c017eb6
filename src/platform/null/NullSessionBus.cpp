#include "platform/SessionBus.h"

namespace yk {

std::jthread connectSessionBusAhead()
{
    return {};
}

} // namespace yk
