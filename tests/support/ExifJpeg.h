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

} // namespace yk::test
