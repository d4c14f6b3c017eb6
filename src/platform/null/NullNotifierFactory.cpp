#include "platform/null/NullNotifier.h"

namespace yk {

std::unique_ptr<DesktopNotifier> createDesktopNotifier()
{
    return std::make_unique<NullNotifier>();
}

} // namespace yk
