#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace yk {

// Encodes a picture as a single-frame GIF89a. Qt reads GIF but cannot
// write it, and the skin marks have to be real GIF files because users
// swap in their own.
//
// Pixels with alpha below 128 become the GIF's transparent colour; the
// rest are written opaque. Up to 255 distinct colours are kept exactly;
// pictures with more are reduced to a coarser colour cube first.
QByteArray encodeGif(const QImage& image);

// encodeGif() written whole or not at all.
bool writeGif(const QImage& image, const QString& path);

} // namespace yk
