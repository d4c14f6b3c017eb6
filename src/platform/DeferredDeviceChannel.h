#pragma once

#include <functional>
#include <memory>

#include "platform/DeviceChannel.h"

namespace yk {

// Creates the real device on first use. Loading the media framework costs
// more than drawing the whole window, so the program only pays for it once a
// sound is actually wanted (after the first paint).
class DeferredDeviceChannel final : public DeviceChannel
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<DeviceChannel>()>;
    explicit DeferredDeviceChannel(Factory factory, QObject* parent = nullptr);
    ~DeferredDeviceChannel() override;

    bool isLoaded() const { return m_real != nullptr; }

    void setDeviceType(const QString& type) override { real().setDeviceType(type); }
    QString deviceType() const override { return m_real ? m_real->deviceType() : QString(); }
    void setFileName(const QString& path) override { real().setFileName(path); }
    QString fileName() const override { return m_real ? m_real->fileName() : QString(); }
    void setCommand(const QString& command) override;
    QString command() const override;
    void setFrom(qint64 from) override { real().setFrom(from); }
    void setTimeFormat(int format) override { real().setTimeFormat(format); }
    qint64 length() const override { return m_real ? m_real->length() : 0; }
    qint64 position() const override { return m_real ? m_real->position() : 0; }
    void setNextFile(const QString& path) override;
    void setStreamVolume(double volume) override;
    // Loads the real device now (the media engine then starts on its own
    // thread), so that the first sound finds it ready.
    void preload() { real(); }

private:
    DeviceChannel& real();

    Factory m_factory;
    std::unique_ptr<DeviceChannel> m_real;
    QString m_lastCommand = QStringLiteral("Close");
    double m_volume = 1.0;
};

} // namespace yk
