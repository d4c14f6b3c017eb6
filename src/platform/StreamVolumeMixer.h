#pragma once

#include <functional>

#include "platform/VolumeMixer.h"

namespace yk {

// The volume the thumb and the media controls drive: the system's mixer
// where there is one, as always; on a system without a mixer (a sound server
// with no ALSA control, a container, a remote session) the volume of the
// program's own streams instead, so the thumb still acts and reads back what
// it set rather than nothing.
class StreamVolumeMixer final : public VolumeMixer
{
public:
    // `apply` sets the streams' volume, 0..1 (the left channel's share).
    using Apply = std::function<void(double)>;
    StreamVolumeMixer(VolumeMixer& system, Apply apply);

    std::optional<quint32> volume() const override;
    bool setVolume(quint32 value) override;

private:
    VolumeMixer& m_system;
    Apply m_apply;
    quint32 m_own = 0xFFFFFFFFu; // the streams start at full volume
};

} // namespace yk
