#include "skin/Artwork.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace yk {

namespace {

// Lacquer indigo with cream and gilt, as the default frame.
const QColor kFaceLight(112, 132, 176);
const QColor kFaceDark(56, 72, 112);
const QColor kFaceBorder(38, 48, 76);
const QColor kHeldLight(44, 56, 90);
const QColor kHeldDark(80, 98, 142);
const QColor kGlyph(255, 249, 232);
const QColor kGlyphHeld(246, 214, 130);
const QColor kGlyphOff(182, 192, 214);
const QColor kGlyphOn(250, 212, 110);

enum class Face { Normal, Held };

using Glyph = std::function<void(QPainter&, const QColor&)>;

QImage button(QSize size, Face face, const QColor& ink, const Glyph& glyph)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient grad(0, 0, 0, size.height());
    const bool held = face == Face::Held;
    grad.setColorAt(0.0, held ? kHeldLight : kFaceLight);
    grad.setColorAt(1.0, held ? kHeldDark : kFaceDark);
    p.setPen(QPen(kFaceBorder, 1.0));
    p.setBrush(grad);
    p.drawRoundedRect(body, 3, 3);
    // A lit top edge on the raised face; a held face is sunk and unlit.
    if (!held) {
        p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
        p.drawLine(QPointF(3, 1.5), QPointF(size.width() - 3, 1.5));
    }
    if (held)
        p.translate(0.5, 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    glyph(p, ink);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    const QPointF pts[3] = {a, b, c};
    p.drawPolygon(pts, 3);
}

const QSize kPlayer(14, 12);
const QSize kList(14, 11);

Glyph playGlyph() { return [](QPainter& p, const QColor&) { triangle(p, {5, 2.5}, {5, 9.5}, {10.5, 6}); }; }
Glyph stopGlyph() { return [](QPainter& p, const QColor&) { p.drawRect(QRectF(4, 3, 6, 6)); }; }
Glyph pauseGlyph()
{
    return [](QPainter& p, const QColor&) {
        p.drawRect(QRectF(4, 3, 2.2, 6));
        p.drawRect(QRectF(7.8, 3, 2.2, 6));
    };
}
Glyph forwardGlyph()
{
    return [](QPainter& p, const QColor&) {
        triangle(p, {2.5, 3}, {2.5, 9}, {6.5, 6});
        triangle(p, {6.5, 3}, {6.5, 9}, {10.5, 6});
        p.drawRect(QRectF(10.5, 3, 1.3, 6));
    };
}
Glyph backGlyph()
{
    return [](QPainter& p, const QColor&) {
        p.drawRect(QRectF(2.2, 3, 1.3, 6));
        triangle(p, {7.5, 3}, {7.5, 9}, {3.5, 6});
        triangle(p, {11.5, 3}, {11.5, 9}, {7.5, 6});
    };
}
Glyph loopGlyph()
{
    return [](QPainter& p, const QColor& ink) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.2));
        p.drawArc(QRectF(3, 3, 8, 6), 60 * 16, 300 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        triangle(p, {8.2, 1.6}, {8.2, 5.0}, {10.8, 3.2});
    };
}
Glyph randomGlyph()
{
    return [](QPainter& p, const QColor& ink) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.1));
        p.drawLine(QPointF(2.5, 3.5), QPointF(9, 8.5));
        p.drawLine(QPointF(2.5, 8.5), QPointF(9, 3.5));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        triangle(p, {9, 1.8}, {9, 5.4}, {11.8, 3.5});
        triangle(p, {9, 6.6}, {9, 10.2}, {11.8, 8.5});
    };
}
Glyph plusGlyph()
{
    return [](QPainter& p, const QColor&) {
        p.drawRect(QRectF(4, 4.8, 6, 1.6));
        p.drawRect(QRectF(6.2, 2.5, 1.6, 6.2));
    };
}
Glyph minusGlyph() { return [](QPainter& p, const QColor&) { p.drawRect(QRectF(4, 4.8, 6, 1.6)); }; }
Glyph upGlyph() { return [](QPainter& p, const QColor&) { triangle(p, {7, 2.5}, {3, 8}, {11, 8}); }; }
Glyph downGlyph() { return [](QPainter& p, const QColor&) { triangle(p, {3, 3}, {11, 3}, {7, 8.5}); }; }
Glyph folderGlyph()
{
    return [](QPainter& p, const QColor&) {
        QPainterPath f;
        f.moveTo(3, 3);
        f.lineTo(6, 3);
        f.lineTo(7, 4);
        f.lineTo(11, 4);
        f.lineTo(11, 8.5);
        f.lineTo(3, 8.5);
        f.closeSubpath();
        p.drawPath(f);
    };
}
Glyph saveGlyph()
{
    return [](QPainter& p, const QColor& ink) {
        // An arrow into a tray.
        p.drawRect(QRectF(6.3, 2, 1.4, 3.5));
        triangle(p, {4.3, 5}, {9.7, 5}, {7, 7.6});
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.1));
        p.drawPolyline(QPolygonF({QPointF(3, 6.5), QPointF(3, 8.7), QPointF(11, 8.7), QPointF(11, 6.5)}));
    };
}

QImage sliderThumb(QSize size, bool held)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient grad(0, 0, size.width(), 0);
    grad.setColorAt(0.0, held ? QColor(250, 220, 140) : kFaceLight);
    grad.setColorAt(1.0, held ? QColor(206, 160, 70) : kFaceDark);
    p.setPen(QPen(kFaceBorder, 1.0));
    p.setBrush(grad);
    const QRectF body = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = std::min(size.width(), size.height()) / 2.5;
    p.drawRoundedRect(body, radius, radius);
    // Grip lines across the middle.
    p.setPen(QPen(held ? QColor(120, 84, 20, 170) : QColor(255, 255, 255, 120), 1.0));
    const double midX = size.width() / 2.0, midY = size.height() / 2.0;
    if (size.height() > size.width()) {
        for (double dy : {-2.0, 0.0, 2.0})
            p.drawLine(QPointF(2.5, midY + dy + 0.5), QPointF(size.width() - 2.5, midY + dy + 0.5));
    } else {
        for (double dx : {-2.0, 0.0, 2.0})
            p.drawLine(QPointF(midX + dx + 0.5, 2.5), QPointF(midX + dx + 0.5, size.height() - 2.5));
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage scrollTrack()
{
    const QSize size(11, 151);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(56, 72, 112, 110), 1.0));
    p.setBrush(QColor(56, 72, 112, 40));
    p.drawRoundedRect(QRectF(2.5, 0.5, 6, size.height() - 1), 3, 3);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

using Maker = std::function<QImage()>;

const QHash<QString, Maker>& makers()
{
    static const QHash<QString, Maker> table = [] {
        QHash<QString, Maker> t;
        auto pair = [&t](const QString& name, const QString& held, QSize size, const Glyph& g) {
            t.insert(name, [=] { return button(size, Face::Normal, kGlyph, g); });
            t.insert(held, [=] { return button(size, Face::Held, kGlyphHeld, g); });
        };
        pair(QStringLiteral("img_P"), QStringLiteral("img_P_2"), kPlayer, playGlyph());
        pair(QStringLiteral("img_S"), QStringLiteral("img_S_2"), kPlayer, stopGlyph());
        pair(QStringLiteral("img_F"), QStringLiteral("img_F_2"), kPlayer, forwardGlyph());
        pair(QStringLiteral("img_B"), QStringLiteral("img_B_2"), kPlayer, backGlyph());
        pair(QStringLiteral("img_Pouse"), QStringLiteral("img_Pouse_2"), kPlayer, pauseGlyph());
        t.insert(QStringLiteral("img_L_Off"), [] { return button(kPlayer, Face::Normal, kGlyphOff, loopGlyph()); });
        t.insert(QStringLiteral("img_L_On"), [] { return button(kPlayer, Face::Held, kGlyphOn, loopGlyph()); });
        t.insert(QStringLiteral("img_Randam_Off"),
                 [] { return button(kPlayer, Face::Normal, kGlyphOff, randomGlyph()); });
        t.insert(QStringLiteral("img_Randam_On"),
                 [] { return button(kPlayer, Face::Held, kGlyphOn, randomGlyph()); });
        t.insert(QStringLiteral("img_Vol"), [] { return sliderThumb({7, 11}, false); });
        t.insert(QStringLiteral("img_Ber"), [] { return sliderThumb({7, 11}, false); });
        t.insert(QStringLiteral("img_Bar_Down"), [] { return sliderThumb({7, 11}, true); });

        pair(QStringLiteral("img_Add"), QStringLiteral("img_Add2"), kList, plusGlyph());
        pair(QStringLiteral("img_Delete"), QStringLiteral("img_Delete2"), kList, minusGlyph());
        pair(QStringLiteral("img_Up"), QStringLiteral("img_Up2"), kList, upGlyph());
        pair(QStringLiteral("img_Down"), QStringLiteral("img_Down2"), kList, downGlyph());
        pair(QStringLiteral("img_Load"), QStringLiteral("img_Load2"), kList, folderGlyph());
        pair(QStringLiteral("img_Save"), QStringLiteral("img_Save2"), kList, saveGlyph());
        t.insert(QStringLiteral("img_Tmp_Bar1"), [] { return sliderThumb({11, 24}, false); });
        t.insert(QStringLiteral("img_Scr_Bar"), [] { return sliderThumb({11, 24}, false); });
        t.insert(QStringLiteral("img_Tmp_Bar2"), [] { return sliderThumb({11, 24}, true); });
        t.insert(QStringLiteral("img_Scr"), [] { return scrollTrack(); });
        return t;
    }();
    return table;
}

} // namespace

QImage artworkImage(QStringView name)
{
    // Drawn once on first use; the UI thread is the only caller.
    static QHash<QString, QImage> cache;
    const QString key = name.toString();
    const auto hit = cache.constFind(key);
    if (hit != cache.constEnd())
        return hit.value();
    const auto maker = makers().constFind(key);
    if (maker == makers().constEnd())
        return {};
    const QImage img = maker.value()();
    cache.insert(key, img);
    return img;
}

QPixmap artwork(QStringView name)
{
    return QPixmap::fromImage(artworkImage(name));
}

QString heldArtworkName(QStringView name)
{
    static const QHash<QString, QString> held = {
        {QStringLiteral("img_P"), QStringLiteral("img_P_2")},
        {QStringLiteral("img_S"), QStringLiteral("img_S_2")},
        {QStringLiteral("img_F"), QStringLiteral("img_F_2")},
        {QStringLiteral("img_B"), QStringLiteral("img_B_2")},
        {QStringLiteral("img_Pouse"), QStringLiteral("img_Pouse_2")},
        {QStringLiteral("img_Vol"), QStringLiteral("img_Bar_Down")},
        {QStringLiteral("img_Ber"), QStringLiteral("img_Bar_Down")},
        {QStringLiteral("img_Add"), QStringLiteral("img_Add2")},
        {QStringLiteral("img_Delete"), QStringLiteral("img_Delete2")},
        {QStringLiteral("img_Up"), QStringLiteral("img_Up2")},
        {QStringLiteral("img_Down"), QStringLiteral("img_Down2")},
        {QStringLiteral("img_Load"), QStringLiteral("img_Load2")},
        {QStringLiteral("img_Save"), QStringLiteral("img_Save2")},
        {QStringLiteral("img_Tmp_Bar1"), QStringLiteral("img_Tmp_Bar2")},
        {QStringLiteral("img_Scr_Bar"), QStringLiteral("img_Tmp_Bar2")},
    };
    const QString key = name.toString();
    return held.value(key, key);
}

QPixmap artwork(QStringView name, bool held)
{
    if (!held)
        return artwork(name);
    return artwork(heldArtworkName(name));
}

QStringList artworkNames()
{
    QStringList names = makers().keys();
    names.sort();
    return names;
}

} // namespace yk
