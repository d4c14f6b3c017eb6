#include "platform/DeferredDeviceChannel.h"

namespace yk {

DeferredDeviceChannel::DeferredDeviceChannel(Factory factory, QObject* parent)
    : DeviceChannel(parent)
    , m_factory(std::move(factory))
{
}

DeferredDeviceChannel::~DeferredDeviceChannel() = default;

DeviceChannel& DeferredDeviceChannel::real()
{
    if (!m_real) {
        m_real = m_factory();
        connect(m_real.get(), &DeviceChannel::completed, this, &DeviceChannel::completed);
        connect(m_real.get(), &DeviceChannel::nextStarted, this, &DeviceChannel::nextStarted);
        if (m_volume != 1.0)
            m_real->setStreamVolume(m_volume);
    }
    return *m_real;
}

void DeferredDeviceChannel::setCommand(const QString& command)
{
    // Closing a device that was never opened needs no framework.
    if (!m_real && command == QStringLiteral("Close")) {
        m_lastCommand = command;
        return;
    }
    real().setCommand(command);
}

void DeferredDeviceChannel::setNextFile(const QString& path)
{
    if (m_real)
        m_real->setNextFile(path);
}

// Kept until the device exists, so the first sound plays at the volume set.
void DeferredDeviceChannel::setStreamVolume(double volume)
{
    m_volume = volume;
    if (m_real)
        m_real->setStreamVolume(volume);
}

QString DeferredDeviceChannel::command() const
{
    return m_real ? m_real->command() : m_lastCommand;
}

} // namespace yk
