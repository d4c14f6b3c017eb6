#include "media/ThumbBars.h"

#include <algorithm>
#include <cmath>

namespace yk::thumbs {

double dragLeft(double left, double grabX, double mouseX, Range range)
{
    return std::clamp(left + (mouseX - grabX), double(range.min), double(range.max));
}

int volumeStep(double left)
{
    return std::clamp(int(left - kVolume.min), 0, kVolume.span());
}

quint16 channelLevel(int step)
{
    step = std::clamp(step, 0, kVolume.span());
    return quint16(std::lround(step * 65535.0 / kVolume.span()));
}

quint32 mixerVolume(double left)
{
    const quint32 level = channelLevel(volumeStep(left));
    return level | (level << 16);
}

int volumeLeft(std::optional<quint32> mixerValue)
{
    const quint32 leftChannel = mixerValue ? (*mixerValue & 0xFFFFu) : 0;
    // To the nearest pixel: a level set by a drag gives back the same place.
    return kVolume.min + int(std::lround(kVolume.span() * double(leftChannel) / 65535.0));
}

int seekSteps(double left)
{
    return std::clamp(int(left - kPosition.min), 0, kPosition.span());
}

qint64 seekTarget(qint64 length, double left)
{
    length = std::max<qint64>(length, 0);
    const qint64 whole = kPosition.span();
    const qint64 part = seekSteps(left);
    // In integers, so that the right end lands on the length itself, where
    // a floating quotient could fall one short and never end the track.
    return length / whole * part + length % whole * part / whole;
}

double followLeft(double current, qint64 position, qint64 length, bool held)
{
    if (held)
        return current;
    if (position == 0 || position == length || length <= 0)
        return kPosition.min;
    const double target = kPosition.min + kPosition.span() * double(position) / double(length);
    if (target > current + 1.0 || target < current)
        return std::clamp(target, double(kPosition.min), double(kPosition.max));
    return current;
}

} // namespace yk::thumbs
