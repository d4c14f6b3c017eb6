#include "media/DeviceSequences.h"

#include <algorithm>

#include "platform/DeviceChannel.h"

namespace yk::device {

namespace {

const QString kOpen = QStringLiteral("Open");
const QString kPlay = QStringLiteral("Play");
const QString kPause = QStringLiteral("Pause");
const QString kStop = QStringLiteral("Stop");
const QString kClose = QStringLiteral("Close");

} // namespace

void startFile(DeviceChannel& channel, const QString& type, const QString& path)
{
    channel.setCommand(kClose);
    channel.setDeviceType(type);
    channel.setFileName(path);
    channel.setCommand(kOpen);
    channel.setCommand(kPlay);
}

void stopDevices(DeviceChannel& channel)
{
    channel.setDeviceType(WaveAudio.toString());
    channel.setDeviceType(Sequencer.toString());
    channel.setDeviceType(MpegVideo.toString());
    channel.setCommand(kClose);
}

void closeAll(DeviceChannel& channel)
{
    for (QStringView type : {WaveAudio, Sequencer, MpegVideo}) {
        channel.setDeviceType(type.toString());
        channel.setCommand(kClose);
    }
    channel.setDeviceType(CDAudio.toString());
    channel.setCommand(kStop);
    channel.setCommand(kClose);
}

QString pauseToggle(DeviceChannel& channel)
{
    const QString current = channel.command();
    QString next;
    if (current == kPause)
        next = kPlay;
    else if (current == kPlay || current == kClose)
        next = kPause;
    if (!next.isEmpty())
        channel.setCommand(next);
    return next;
}

qint64 seek(DeviceChannel& channel, qint64 from)
{
    channel.setTimeFormat(0);
    const qint64 length = std::max<qint64>(channel.length(), 0);
    const qint64 clamped = std::clamp<qint64>(from, 0, length);
    channel.setFrom(clamped);
    channel.setCommand(kPlay);
    return clamped;
}

qint64 seekFraction(DeviceChannel& channel, qint64 part, qint64 whole)
{
    channel.setTimeFormat(0);
    const qint64 length = std::max<qint64>(channel.length(), 0);
    qint64 from = 0;
    if (whole > 0) {
        part = std::clamp<qint64>(part, 0, whole);
        // Integer arithmetic keeps part == whole exactly at Length, where a
        // floating quotient could land one short of the end.
        from = length / whole * part + length % whole * part / whole;
    }
    from = std::clamp<qint64>(from, 0, length);
    channel.setFrom(from);
    channel.setCommand(kPlay);
    return from;
}

bool trackEnded(const DeviceChannel& channel)
{
    const qint64 position = channel.position();
    return position != 0 && position == channel.length();
}

void cue(DeviceChannel& channel, const std::optional<QString>& type, const QString& path)
{
    channel.setCommand(kClose);
    if (type)
        channel.setDeviceType(*type);
    channel.setFileName(path);
}

} // namespace yk::device
