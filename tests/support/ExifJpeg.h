#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace yk::test {

// `image` as a JPEG carrying an EXIF orientation tag (1-8), the way a
// camera writes a photo it took turned on its side. Qt writes the JPEG;
// the APP1 segment goes in by hand right after the start-of-image marker.
inline QByteArray jpegWithOrientation(const QImage& image, quint16 orientation)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);

    QByteArray tiff;
    tiff.append("MM", 2);                            // big-endian
    tiff.append("\x00\x2A", 2);                      // TIFF magic
    tiff.append("\x00\x00\x00\x08", 4);              // first IFD right after the header
    tiff.append("\x00\x01", 2);                      // one entry
    tiff.append("\x01\x12", 2);                      // Orientation
    tiff.append("\x00\x03", 2);                      // SHORT
    tiff.append("\x00\x00\x00\x01", 4);              // one value
    tiff.append(char(orientation >> 8)).append(char(orientation & 0xFF)).append("\x00\x00", 2);
    tiff.append("\x00\x00\x00\x00", 4);              // no next IFD

    QByteArray app1("\xFF\xE1", 2);
    const int length = 2 + 6 + int(tiff.size());
    app1.append(char(length >> 8)).append(char(length & 0xFF));
    app1.append("Exif\x00\x00", 6);
    app1.append(tiff);
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

// A picture stored on its side, twice as wide as high: red in its left
// square, blue in the right one. Turned a quarter clockwise (orientation 6)
// it stands upright, tall, red above blue.
inline QImage sidewaysRedBlue(int height)
{
    QImage stored(2 * height, height, QImage::Format_RGB32);
    stored.fill(qRgb(0, 0, 220));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < height; ++x)
            stored.setPixel(x, y, qRgb(220, 0, 0));
    return stored;
}

} // namespace yk::test
