#include "platform/StreamVolumeMixer.h"

namespace yk {

StreamVolumeMixer::StreamVolumeMixer(VolumeMixer& system, Apply apply)
    : m_system(system)
    , m_apply(std::move(apply))
{ }

std::optional<quint32> StreamVolumeMixer::volume() const
{
    if (const std::optional<quint32> system = m_system.volume())
        return system;
    return m_own;
}

bool StreamVolumeMixer::setVolume(quint32 value)
{
    if (m_system.volume())
        return m_system.setVolume(value);
    m_own = value;
    if (m_apply)
        m_apply(double(value & 0xFFFFu) / 65535.0);
    return true;
}

} // namespace yk
