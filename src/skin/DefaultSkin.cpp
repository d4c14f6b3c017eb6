#include "skin/DefaultSkin.h"

#include "platform/AppPaths.h"
#include "platform/TextFile.h"
#include "skin/ChimeSynth.h"
#include "skin/FrameOverlay.h"
#include "skin/GifWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>


#include <cmath>
#include <functional>

namespace yk {

namespace {

constexpr int kSide = 177;

// Indigo and washi tones, light enough behind the calendar that the
// near-black, red and blue day numbers keep their contrast.
struct Palette
{
    QColor top;
    QColor bottom;
    QColor pattern;
};
constexpr int kFrameBand = 6;

QImage paperBackground(const Palette& pal)
{
    QImage img(kSide, kSide, QImage::Format_RGB32);
    QLinearGradient grad(0, 0, 0, kSide);
    grad.setColorAt(0.0, pal.top);
    grad.setColorAt(1.0, pal.bottom);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), grad);

    // Faint overlapping wave scales (seigaiha). Each fan is first filled
    // with the paper gradient so it hides the fans above it, then ringed.
    constexpr double r = 11.0;
    const QBrush paper(grad);
    int row = 0;
    for (double cy = r * 0.5; cy < kSide + r; cy += r * 0.5, ++row) {
        const double shift = (row % 2) ? r : 0.0;
        // Nearly invisible at the top where the title sits, a little more
        // present towards the bottom.
        const double depth = std::clamp(cy / kSide, 0.0, 1.0);
        QColor ink = pal.pattern;
        ink.setAlphaF(float(0.035 + 0.10 * depth * depth));
        for (double cx = -r + shift; cx < kSide + r; cx += 2 * r) {
            QPainterPath fan;
            fan.moveTo(cx - r, cy);
            fan.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), 180, -180);
            fan.closeSubpath();
            p.fillPath(fan, paper);
            p.setPen(QPen(ink, 0.9));
            p.setBrush(Qt::NoBrush);
            for (double k : {1.0, 0.72, 0.44}) {
                const double rk = r * k - 0.5;
                p.drawArc(QRectF(cx - rk, cy - rk, 2 * rk, 2 * rk), 0, 180 * 16);
            }
        }
    }
    p.end();
    return img;
}

// Turns a drawing on a transparent sheet into a keyed frame: clear pixels
// take the key colour, partly covered ones are settled over the default
// background so the edge stays smooth there and never turns pink.
QImage keyedFrame(const QImage& sheet, const QImage& underlay)
{
    QImage out(sheet.size(), QImage::Format_RGB32);
    for (int y = 0; y < sheet.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(sheet.constScanLine(y));
        const auto* bg = reinterpret_cast<const QRgb*>(underlay.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < sheet.width(); ++x) {
            const QRgb c = src[x];
            const int a = qAlpha(c);
            if (a < 96) {
                dst[x] = kDefaultFrameKey;
                continue;
            }
            auto mix = [&](int fg, int back) { return (fg * a + back * (255 - a) + 127) / 255; };
            const QRgb u = bg[x];
            QRgb v = qRgb(mix(qRed(c), qRed(u)), mix(qGreen(c), qGreen(u)), mix(qBlue(c), qBlue(u)));
            // A blend that happens to land on the key would open a hole.
            if ((v & 0x00FFFFFF) == (kDefaultFrameKey & 0x00FFFFFF))
                v = qRgb(254, 0, 255);
            dst[x] = v;
        }
    }
    return out;
}

QImage bevelledFrame(const QImage& underlay, const QColor& light, const QColor& dark,
                     const QColor& inlay)
{
    QImage sheet(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF outer(0, 0, kSide, kSide);
    // Outer dark line, then the lacquer band lit from the top left.
    p.fillRect(outer, dark.darker(150));
    QLinearGradient band(0, 0, kSide, kSide);
    band.setColorAt(0.0, light);
    band.setColorAt(1.0, dark);
    p.fillRect(outer.adjusted(1, 1, -1, -1), band);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(light.lighter(135));
    p.drawLine(1, 1, kSide - 3, 1);
    p.drawLine(1, 1, 1, kSide - 3);
    p.setPen(dark.darker(125));
    p.drawLine(2, kSide - 2, kSide - 2, kSide - 2);
    p.drawLine(kSide - 2, 2, kSide - 2, kSide - 2);
    p.setRenderHint(QPainter::Antialiasing);

    // A fine gilt inlay along the inner edge, then the window itself.
    const QRectF inlayRect = outer.adjusted(kFrameBand - 1, kFrameBand - 1, -(kFrameBand - 1),
                                            -(kFrameBand - 1));
    QPainterPath inlayPath;
    inlayPath.addRoundedRect(inlayRect, 8, 8);
    p.fillPath(inlayPath, inlay);
    QPainterPath hole;
    hole.addRoundedRect(outer.adjusted(kFrameBand, kFrameBand, -kFrameBand, -kFrameBand), 7, 7);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillPath(hole, Qt::transparent);
    p.end();

    QImage frame = keyedFrame(sheet.convertToFormat(QImage::Format_ARGB32), underlay);
    // The key point sits in the open middle; make sure of it whatever the
    // drawing above does.
    frame.setPixel(kFrameKeyPoint, kDefaultFrameKey);
    return frame;
}

// Settles an antialiased mark for GIF, which only knows fully clear or
// fully opaque pixels: the partly covered rim is blended over a tone
// close to the default background.
QImage gifReady(const QImage& mark, const QColor& matte)
{
    QImage src = mark.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(s[x]);
            if (a < 110) {
                d[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            auto mix = [&](int fg, int back) { return (fg * a + back * (255 - a) + 127) / 255; };
            d[x] = qRgb(mix(qRed(s[x]), matte.red()), mix(qGreen(s[x]), matte.green()),
                        mix(qBlue(s[x]), matte.blue()));
        }
    }
    return out;
}

const QColor kMatte(242, 241, 236);


QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return {};
    return bytes;
}

} // namespace

QImage defaultBackground()
{
    return paperBackground({QColor(251, 248, 240), QColor(226, 235, 241), QColor(52, 72, 118)});
}

QImage defaultPlayListBackground()
{
    return paperBackground({QColor(246, 248, 244), QColor(222, 233, 230), QColor(44, 88, 96)});
}

QImage defaultFrame()
{
    return bevelledFrame(defaultBackground(), QColor(104, 124, 168), QColor(52, 66, 102),
                         QColor(206, 174, 104));
}

QImage defaultPlayListFrame()
{
    return bevelledFrame(defaultPlayListBackground(), QColor(104, 124, 168), QColor(52, 66, 102),
                         QColor(206, 174, 104));
}

QImage defaultTodayMarker()
{
    QImage img(22, 14, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 14);
    fill.setColorAt(0.0, QColor(255, 243, 196));
    fill.setColorAt(1.0, QColor(255, 216, 128));
    p.setPen(QPen(QColor(222, 160, 60), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 21, 13), 4.5, 4.5);
    p.end();
    return gifReady(img, kMatte);
}

QImage defaultMemoMarker()
{
    QImage img(18, 3, QImage::Format_ARGB32);
    const QRgb rows[3] = {qRgb(112, 182, 188), qRgb(58, 140, 148), qRgb(40, 108, 116)};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 18; ++x)
            img.setPixel(x, y, rows[y]);
    // Rounded ends.
    for (QPoint corner : {QPoint(0, 0), QPoint(17, 0), QPoint(0, 2), QPoint(17, 2)})
        img.setPixel(corner, qRgba(0, 0, 0, 0));
    return img;
}

QImage defaultScheduleMark()
{
    // A small note sheet with a folded corner and two ruled lines.
    QImage img(10, 10, QImage::Format_ARGB32);
    img.fill(qRgba(0, 0, 0, 0));
    const QRgb ink = qRgb(52, 66, 102);
    const QRgb sheet = qRgb(255, 252, 238);
    const QRgb rule = qRgb(206, 120, 60);
    const QRgb fold = qRgb(214, 204, 176);
    for (int y = 0; y < 10; ++y)
        for (int x = 1; x < 9; ++x) {
            const bool edge = x == 1 || x == 8 || y == 0 || y == 9;
            img.setPixel(x, y, edge ? ink : sheet);
        }
    // Folded top-right corner.
    for (int y = 0; y < 3; ++y)
        for (int x = 6 + y; x < 9; ++x)
            img.setPixel(x, y, qRgba(0, 0, 0, 0));
    img.setPixel(6, 0, ink);
    img.setPixel(7, 1, ink);
    img.setPixel(8, 2, ink);
    img.setPixel(6, 1, fold);
    img.setPixel(6, 2, fold);
    img.setPixel(7, 2, fold);
    for (int x = 3; x < 7; ++x) {
        img.setPixel(x, 4, rule);
        img.setPixel(x, 6, rule);
    }
    return img;
}

DefaultSkinResult writeDefaultSkin(const AppPaths& paths)
{
    DefaultSkinResult result;
    QDir().mkpath(paths.file(u"System"));
    QDir().mkpath(paths.file(u"wav"));

    struct Item
    {
        QString relative;
        std::function<QByteArray()> make;
    };
    const Item items[] = {
        {QStringLiteral("System/Back.jpg"), [] { return encoded(defaultBackground(), "JPG", 92); }},
        {QStringLiteral("System/Flame.bmp"), [] { return encoded(defaultFrame(), "BMP"); }},
        {QStringLiteral("System/Back2.jpg"),
         [] { return encoded(defaultPlayListBackground(), "JPG", 92); }},
        {QStringLiteral("System/Flame2.bmp"), [] { return encoded(defaultPlayListFrame(), "BMP"); }},
        {QStringLiteral("System/Day.gif"), [] { return encodeGif(defaultTodayMarker()); }},
        {QStringLiteral("System/Day_Bar.gif"), [] { return encodeGif(defaultMemoMarker()); }},
        {QStringLiteral("System/Day_Bar2.gif"), [] { return encodeGif(defaultScheduleMark()); }},
        {QStringLiteral("wav/Opening.wav"), [] { return openingChime(); }},
        {QStringLiteral("wav/Time_Set.wav"), [] { return timeSetChime(); }},
        {QStringLiteral("wav/Timer.wav"), [] { return timerChime(); }},
    };

    for (const Item& item : items) {
        const QString path = paths.file(item.relative);
        // A dangling link or anything else in the way counts as present:
        // the user put it there.
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
            continue;
        const QByteArray bytes = item.make();
        if (!bytes.isEmpty() && textfile::writeBytesAtomically(path, bytes))
            result.written << item.relative;
        else
            result.failed << item.relative;
    }
    return result;
}

} // namespace yk
