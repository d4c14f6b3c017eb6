#pragma once

#include "platform/VolumeMixer.h"

namespace yk {

// No mixer: no volume to read, and setting one is refused.
class NullVolumeMixer final : public VolumeMixer
{
public:
    std::optional<quint32> volume() const override { return std::nullopt; }
    bool setVolume(quint32) override { return false; }
};

} // namespace yk
