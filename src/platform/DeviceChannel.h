#pragma once

#include <QObject>
#include <QString>

namespace yk {

// The sound device the player and the timers drive through properties, in
// the order of the classic multimedia control: set a type and a file, then
// write commands ("Open", "Play", "Pause", "Stop", "Close"). Reading
// command() gives back the last command written, which callers use as the
// player's state. A command the device cannot carry out raises nothing.
//
// Length, Position and From are milliseconds.
class DeviceChannel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~DeviceChannel() override = default;

    virtual void setDeviceType(const QString& type) = 0;   // "WaveAudio", "Sequencer", "MpegVideo", "CDAudio"
    virtual QString deviceType() const = 0;
    virtual void setFileName(const QString& path) = 0;
    virtual QString fileName() const = 0;
    virtual void setCommand(const QString& command) = 0;
    virtual QString command() const = 0;
    virtual void setFrom(qint64 from) = 0;
    virtual void setTimeFormat(int format) = 0;
    virtual qint64 length() const = 0;
    virtual qint64 position() const = 0;

    // Gapless list play: the file that follows the open one without a gap
    // when it runs out, empty for none. A device that cannot join files
    // ignores it, and its file ends as usual.
    virtual void setNextFile(const QString& path) { Q_UNUSED(path); }
    // The stream's own volume (0..1), for a system without a mixer.
    virtual void setStreamVolume(double volume) { Q_UNUSED(volume); }

Q_SIGNALS:
    // The device finished what it was told to do (end of the played file).
    void completed(int notifyCode);
    // The next file took over from the open one without a gap: it is the
    // open file now, playing, and the one before never completed.
    void nextStarted(const QString& path);
};

} // namespace yk
