#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

namespace yk {

// Every skin frame is keyed at this pixel: its colour there is the colour
// that lets the background show through.
inline constexpr QPoint kFrameKeyPoint{85, 85};

// Size in pixels of the main window's and the play-list window's picture.
inline constexpr QSize kSkinPictureSize{177, 177};

// Draws a colour-keyed frame over a picture (cls_Pct_Over::overlayFrame).
//
// The result has the size of `target`. The frame lies at (0, 0) unscaled:
// where a frame pixel has exactly the colour of the frame's pixel at
// `keyPoint` (RGB compared, alpha ignored, no tolerance) the target pixel
// stays; every other frame pixel replaces the target pixel outright. Parts
// of the target that the frame does not cover stay as they are; parts of
// the frame beyond the target are cut off.
//
// A null frame, or a key point that lies outside the frame image, leaves
// the target unchanged: with no key colour there is no way to tell the
// frame's holes from its border, and covering the whole picture with an
// opaque frame would hide everything.
QImage overlayFrame(const QImage& target, const QImage& frame, QPoint keyPoint = kFrameKeyPoint);

// Same, loading the frame from a picture file; an unreadable file leaves
// the target unchanged.
QImage overlayFrame(const QImage& target, const QString& framePath, QPoint keyPoint = kFrameKeyPoint);

// Reads a picture the way a picture box shows it: the top-left `size`
// pixels, unscaled, on `backColor` where the picture is smaller. A photo
// is first turned upright by its orientation tag. Only that
// corner is decoded when the format allows it, so a large photograph
// costs little. Returns a null image when the file cannot be read.
QImage loadSkinPicture(const QString& path, QSize size = kSkinPictureSize,
                       QColor backColor = QColor(240, 240, 240));

// The picture of a skinned window (f_Pct): the background file (empty
// path = a bare surface of `backColor`; an unreadable file is treated the
// same) with the frame file drawn over it when that file exists.
QImage composeSkinPicture(const QString& backgroundPath, const QString& framePath,
                          QSize size = kSkinPictureSize,
                          QColor backColor = QColor(240, 240, 240));

} // namespace yk
