#include "platform/FontConfiguration.h"

namespace yk {

std::jthread loadFontConfigurationAhead()
{
    return {};
}

} // namespace yk
