#pragma once

#include <memory>
#include <optional>

#include <QtGlobal>

namespace yk {

// The system's output volume, in the 32-bit wave-out layout: left channel in
// the low 16 bits, right channel in the high 16 bits, each 0..65535.
class VolumeMixer
{
public:
    virtual ~VolumeMixer() = default;
    // Empty when there is no mixer.
    virtual std::optional<quint32> volume() const = 0;
    virtual bool setVolume(quint32 value) = 0;
};

// The mixer of this system (ALSA on Linux), or NullVolumeMixer.
std::unique_ptr<VolumeMixer> createVolumeMixer();

} // namespace yk
