#pragma once

#include <optional>

#include <QString>

namespace yk {

class DeviceChannel;

// The few fixed orders in which the player, the timers and the keys drive
// the device channel. The channel reads its commands as they come, so the
// order of the writes is part of what each of these does.
namespace device {

inline constexpr QStringView WaveAudio = u"WaveAudio";
inline constexpr QStringView Sequencer = u"Sequencer";
inline constexpr QStringView MpegVideo = u"MpegVideo";
inline constexpr QStringView CDAudio = u"CDAudio";

// "Close", the type, the file, "Open", "Play".
void startFile(DeviceChannel& channel, const QString& type, const QString& path);

// Each of the three file types in turn, then "Close": whatever is open
// stops.
void stopDevices(DeviceChannel& channel);

// Type and "Close" for each file type, then "CDAudio", "Stop", "Close".
void closeAll(DeviceChannel& channel);

// "Pause" after "Play" or "Close", "Play" after "Pause". Any other last
// command is left alone. Returns the command written, empty when none.
QString pauseToggle(DeviceChannel& channel);

// Time format 0 (milliseconds), then From clamped to 0..Length, then
// "Play". Returns the From written.
qint64 seek(DeviceChannel& channel, qint64 from);
// The same with From = Length * part / whole, computed once Length has
// been read; part == whole is the very end (the track ends at once).
qint64 seekFraction(DeviceChannel& channel, qint64 part, qint64 whole);

// A track has ended when Position equals Length and is not 0.
bool trackEnded(const DeviceChannel& channel);

// "Close", the type when given, the file, and nothing more: the next
// "Open" of the caller, or of a later startFile, takes it from there.
void cue(DeviceChannel& channel, const std::optional<QString>& type, const QString& path);

} // namespace device
} // namespace yk
