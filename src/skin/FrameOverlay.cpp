#include "skin/FrameOverlay.h"

#include <algorithm>

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace yk {

namespace {

// The window surface is opaque, so alpha plays no part in the comparison
// nor in the result.
constexpr QRgb kRgbMask = 0x00FFFFFF;

QImage opaqueCopy(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// The reader clips in the file's own pixel order and turns the picture
// upright afterwards (mirror and flip first, then a quarter turn clockwise).
// Maps a rectangle of the upright picture back to the file's pixels.
QRect storedRect(const QRect& upright, QSize stored, QImageIOHandler::Transformations t)
{
    const auto back = [&](QPoint p) {
        if (t & QImageIOHandler::TransformationRotate90)
            p = QPoint(p.y(), stored.height() - 1 - p.x());
        if (t & QImageIOHandler::TransformationMirror)
            p.setX(stored.width() - 1 - p.x());
        if (t & QImageIOHandler::TransformationFlip)
            p.setY(stored.height() - 1 - p.y());
        return p;
    };
    // Not QRect::normalized(): that treats swapped corners as exclusive.
    const QPoint a = back(upright.topLeft());
    const QPoint b = back(upright.bottomRight());
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

} // namespace

QImage overlayFrame(const QImage& target, const QImage& frame, QPoint keyPoint)
{
    QImage out = opaqueCopy(target);
    if (out.isNull() || frame.isNull() || !frame.rect().contains(keyPoint))
        return out;

    const QImage over = opaqueCopy(frame);
    const QRgb key = over.pixel(keyPoint) & kRgbMask;
    const int w = std::min(out.width(), over.width());
    const int h = std::min(out.height(), over.height());
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(over.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if ((src[x] & kRgbMask) != key)
                dst[x] = src[x] | 0xFF000000u;
        }
    }
    return out;
}

QImage overlayFrame(const QImage& target, const QString& framePath, QPoint keyPoint)
{
    QImageReader reader(framePath);
    // Frames are small; no clipping here, the key point may lie anywhere.
    const QImage frame = reader.read();
    return overlayFrame(target, frame, keyPoint);
}

QImage loadSkinPicture(const QString& path, QSize size, QColor backColor)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    // A photograph shows the way the camera held it, as its thumbnail does.
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {};
    const QSize stored = reader.size();
    const QImageIOHandler::Transformations turn = reader.transformation();
    if (stored.isValid() && reader.supportsOption(QImageIOHandler::ClipRect)) {
        const QSize upright = turn & QImageIOHandler::TransformationRotate90 ? stored.transposed() : stored;
        const QRect corner = QRect(QPoint(0, 0), size).intersected(QRect(QPoint(0, 0), upright));
        if (!corner.isEmpty())
            reader.setClipRect(storedRect(corner, stored, turn));
    }
    const QImage picture = reader.read();
    if (picture.isNull())
        return {};

    QImage out(size, QImage::Format_RGB32);
    out.fill(backColor);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(QPoint(0, 0), picture);
    return out;
}

QImage composeSkinPicture(const QString& backgroundPath, const QString& framePath, QSize size,
                          QColor backColor)
{
    QImage surface = loadSkinPicture(backgroundPath, size, backColor);
    if (surface.isNull()) {
        surface = QImage(size, QImage::Format_RGB32);
        surface.fill(backColor);
    }
    if (!framePath.isEmpty() && QFileInfo::exists(framePath))
        surface = overlayFrame(surface, framePath);
    return surface;
}

} // namespace yk
