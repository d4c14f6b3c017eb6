#include "ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace yk {

QPixmap appIconPixmap(int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = side / 32.0;
    const QRectF page(3 * u, 5 * u, 26 * u, 24 * u);
    QPainterPath body;
    body.addRoundedRect(page, 4 * u, 4 * u);
    p.fillPath(body, QColor(0xfb, 0xf8, 0xf1));
    p.setPen(QPen(QColor(0x5a, 0x6b, 0x8c), 1.5 * u));
    p.drawPath(body);
    // Header band in a deep indigo with two binder rings.
    QPainterPath head;
    head.addRoundedRect(QRectF(page.left(), page.top(), page.width(), 8 * u), 4 * u, 4 * u);
    head.addRect(QRectF(page.left(), page.top() + 4 * u, page.width(), 4 * u));
    p.fillPath(head.simplified(), QColor(0x3d, 0x4f, 0x8a));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x4f, 0x5c));
    p.drawEllipse(QPointF(10 * u, 5 * u), 2 * u, 2 * u);
    p.drawEllipse(QPointF(22 * u, 5 * u), 2 * u, 2 * u);
    // A small grid of days, one of them marked.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const QRectF cell(6.5 * u + c * 5.2 * u, 16 * u + r * 4.2 * u, 3.6 * u, 2.8 * u);
            p.setBrush(r == 1 && c == 2 ? QColor(0xd9, 0x4f, 0x5c) : QColor(0x9a, 0xa6, 0xc0));
            p.drawRoundedRect(cell, 0.8 * u, 0.8 * u);
        }
    }
    return pm;
}

QIcon appIcon()
{
    // Drawn once: the application, the tray and the dialogs share it. Kept
    // to the end of the process, as pixmaps must not outlive the
    // application object in static destruction.
    static const QIcon* const icon = [] {
        auto* sizes = new QIcon;
        for (int side : {16, 22, 32, 48, 64})
            sizes->addPixmap(appIconPixmap(side));
        return sizes;
    }();
    return *icon;
}

} // namespace yk
