#pragma once

#include <optional>

#include <QString>

#include "platform/DeviceChannel.h"

namespace yk::gst {

class Playbin;

// The device channel on a GStreamer playbin. "WaveAudio", "Sequencer" and
// "MpegVideo" all play through it (MIDI through GStreamer's synthesiser);
// "CDAudio" is accepted and opens nothing. Commands return at once: the
// engine carries them out on its own thread, in order, and a "Play" written
// while the file still loads starts it once loaded, with any pending From.
// At the natural end Position stays equal to Length (never 0), and
// completed(1) follows, unless the file was closed or reopened meanwhile.
class GstDeviceChannel final : public DeviceChannel
{
    Q_OBJECT
public:
    explicit GstDeviceChannel(QObject* parent = nullptr);
    ~GstDeviceChannel() override;

    void setDeviceType(const QString& type) override { m_deviceType = type; }
    QString deviceType() const override { return m_deviceType; }
    // Like the classic control, the name only matters to the next "Open".
    void setFileName(const QString& path) override { m_fileName = path; }
    QString fileName() const override { return m_fileName; }
    void setCommand(const QString& command) override;
    QString command() const override { return m_command; }
    void setFrom(qint64 from) override;
    // Callers only ever ask for milliseconds, all this device counts in.
    void setTimeFormat(int format) override { m_timeFormat = format; }
    qint64 length() const override;
    qint64 position() const override;
    void setNextFile(const QString& path) override;
    void setStreamVolume(double volume) override;

    // True while a file is open (after an "Open" that found its file and
    // before the next "Close").
    bool isOpen() const { return m_open; }

private:
    void open();
    void close();

    Playbin* m_playbin = nullptr;
    QString m_deviceType;
    QString m_fileName;
    QString m_command = QStringLiteral("Close");
    int m_timeFormat = 0;
    std::optional<qint64> m_from;
    bool m_open = false;
};

} // namespace yk::gst
