#include "skin/FrameOverlay.h"

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

} // namespace

QImage Pct_Ex(const QImage& target, const QImage& frame, QPoint keyPoint)
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

QImage Pct_Ex(const QImage& target, const QString& framePath, QPoint keyPoint)
{
    QImageReader reader(framePath);
    // Frames are small; no clipping here, the key point may lie anywhere.
    const QImage frame = reader.read();
    return Pct_Ex(target, frame, keyPoint);
}

QImage loadSkinPicture(const QString& path, QSize size, QColor backColor)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    // A picture box ignores orientation tags; so does the skin.
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return {};
    const QSize full = reader.size();
    if (full.isValid() && reader.supportsOption(QImageIOHandler::ClipRect)) {
        const QRect corner = QRect(QPoint(0, 0), size).intersected(QRect(QPoint(0, 0), full));
        if (!corner.isEmpty())
            reader.setClipRect(corner);
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
        surface = Pct_Ex(surface, framePath);
    return surface;
}

} // namespace yk
