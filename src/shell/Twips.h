#pragma once

#include <QtGlobal>

namespace yk {

// Window places are kept in twips, as the settings file has always stored
// them: 15 to a logical pixel.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int toTwips(int pixels) { return pixels * kTwipsPerPixel; }
inline constexpr int toPixels(qint64 twips) { return int(twips / kTwipsPerPixel); }

} // namespace yk
