#include "platform/null/NullMediaControls.h"

namespace yk {

std::unique_ptr<MediaControls> createMediaControls()
{
    return std::make_unique<NullMediaControls>();
}

} // namespace yk
