#include "platform/null/NullVolumeMixer.h"

// Built when the program is made without ALSA.
namespace yk {

std::unique_ptr<VolumeMixer> createVolumeMixer()
{
    return std::make_unique<NullVolumeMixer>();
}

} // namespace yk
