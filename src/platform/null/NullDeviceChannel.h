#pragma once

#include "platform/DeviceChannel.h"

namespace yk {

// A device without sound: type, file and commands read back, nothing plays,
// nothing ends, length and position stay 0.
class NullDeviceChannel final : public DeviceChannel
{
    Q_OBJECT
public:
    using DeviceChannel::DeviceChannel;
    void setDeviceType(const QString& type) override { m_type = type; }
    QString deviceType() const override { return m_type; }
    void setFileName(const QString& path) override { m_file = path; }
    QString fileName() const override { return m_file; }
    void setCommand(const QString& command) override { m_command = command; }
    QString command() const override { return m_command; }
    void setFrom(qint64) override {}
    void setTimeFormat(int) override {}
    qint64 length() const override { return 0; }
    qint64 position() const override { return 0; }

private:
    QString m_type;
    QString m_file;
    QString m_command = QStringLiteral("Close");
};

} // namespace yk
