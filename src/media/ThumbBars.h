#pragma once

#include <optional>

#include <QtGlobal>

namespace yk::thumbs {

// The two sliders of the main window are picture thumbs whose left edge,
// in window pixels, carries the value: the position thumb runs over
// 50..161 (start to end of the track, 111 steps), the volume thumb over
// 7..71 (silence to full, 64 steps).
struct Range
{
    int min;
    int max;
    int span() const { return max - min; }
};

inline constexpr Range kPosition{50, 161};
inline constexpr Range kVolume{7, 71};

// The thumb's new left edge after a mouse move: the mouse's distance from
// the point where the thumb was grabbed (both inside the thumb) moves it,
// and it stops at the ends of its range.
double dragLeft(double left, double grabX, double mouseX, Range range);

// Volume step 0..64 of a volume thumb at `left`.
int volumeStep(double left);
// One channel's level 0..65535 for a step: the nearest to step * 65535 / 64.
quint16 channelLevel(int step);
// The mixer value for a volume thumb at `left`: the same level in the left
// (low 16 bits) and the right (high 16 bits) channel.
quint32 mixerVolume(double left);
// Where the volume thumb sits for a mixer value, to the nearest pixel: it
// follows the left channel; no mixer reads as silence.
int volumeLeft(std::optional<quint32> mixerValue);

// Whole steps 0..111 of a position thumb at `left`.
int seekSteps(double left);
// The time to play from for a position thumb at `left` in a track of
// `length`: length / 111 for each whole step, rounded down, and exactly
// `length` at the right end.
qint64 seekTarget(qint64 length, double left);

// The position thumb's next left while a track plays at `position` of
// `length`. It creeps right only once the track is more than a unit ahead
// of it, so it does not shiver between two pixels, but a jump back is
// followed at once. A held thumb stays under the mouse; at the start and
// the end of a track it rests at the left end.
double followLeft(double current, qint64 position, qint64 length, bool held);

} // namespace yk::thumbs
