#pragma once

#include <memory>

#include <QString>

#include "platform/DeviceChannel.h"

namespace yk {

// Picks the media backend that can play every kind of file the player
// accepts. Only the GStreamer backend synthesises MIDI (midiparse +
// fluiddec, which finds the General MIDI sound font under
// <data dir>/sounds/sf2 by itself) and only it keeps running at real time
// on a machine without any sound device (autoaudiosink then falls back to
// a clocked fake sink). Qt reads the choice once, when the first media
// object is created, so main() calls this before it creates QApplication.
// A backend the user chose through QT_MEDIA_BACKEND is left alone.
void selectMediaBackend();

// The sound device lives in a module of its own (yomikaze_media), loaded
// on first use: the media framework then costs nothing until a sound plays.
// The module is looked for beside the program, then in the folder it was
// built in. Without it the program stays silent (a device that takes every
// command and plays nothing) and says so once on the console.
std::unique_ptr<DeviceChannel> loadDeviceChannel();

// A device without sound: commands read back, nothing plays, nothing ends.
class SilentDeviceChannel final : public DeviceChannel
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
