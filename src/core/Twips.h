#pragma once

#include <QtGlobal>

namespace yk {

// Window places and sizes are kept in twips, the unit of the settings file.
// The program treats every screen as 96 dpi, so one pixel is 15 twips.
inline constexpr int kTwipsPerPixel = 15;

constexpr int toTwips(int px)
{
    return px * kTwipsPerPixel;
}

// Truncates towards zero, as the stored places were always read.
constexpr int toPixels(qint64 twips)
{
    return int(twips / kTwipsPerPixel);
}

} // namespace yk
