#include "platform/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

namespace yk {

std::jthread loadFontConfigurationAhead()
{
    // The library keeps what it loads for the whole process; Qt's font
    // database finds it there.
    return std::jthread([] { FcInit(); });
}

} // namespace yk
