#include "support/FakeDeviceChannel.h"

#include <utility>

namespace yk::test {

void FakeDeviceChannel::setDeviceType(const QString& type)
{
    m_type = type;
    m_log << QStringLiteral("DeviceType=") + type;
}

void FakeDeviceChannel::setFileName(const QString& path)
{
    m_file = path;
    m_log << QStringLiteral("FileName=") + path;
}

void FakeDeviceChannel::setCommand(const QString& command)
{
    m_command = command;
    m_log << QStringLiteral("Command=") + command;
}

void FakeDeviceChannel::setFrom(qint64 from)
{
    m_log << QStringLiteral("From=") + QString::number(from);
}

void FakeDeviceChannel::setTimeFormat(int format)
{
    m_log << QStringLiteral("TimeFormat=") + QString::number(format);
}

void FakeDeviceChannel::finishTrack(int notifyCode)
{
    m_position = m_length;
    Q_EMIT completed(notifyCode);
}

void FakeDeviceChannel::joinNext()
{
    m_file = std::exchange(m_next, QString());
    m_position = 0;
    Q_EMIT nextStarted(m_file);
}

QStringList FakeDeviceChannel::takeLog()
{
    QStringList taken;
    taken.swap(m_log);
    return taken;
}

} // namespace yk::test
