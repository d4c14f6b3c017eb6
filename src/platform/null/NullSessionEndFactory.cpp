#include "platform/null/NullSessionEnd.h"

namespace yk {

std::unique_ptr<SessionEnd> createSessionEnd()
{
    return std::make_unique<NullSessionEnd>();
}

} // namespace yk
