#include "calendar/CalendarColours.h"

namespace yk {

bool fillDefaultColours(CalendarColours& colours)
{
    bool filled = false;
    const auto fill = [&](QString& value, QStringView fallback) {
        if (value.isEmpty()) {
            value = fallback.toString();
            filled = true;
        }
    };
    fill(colours.colorY, u"8");
    fill(colours.colorM, u"8");
    fill(colours.colorT, u"8");
    fill(colours.colorSun, u"255");
    fill(colours.colorDay, u"8");
    fill(colours.colorSat, u"16711680");
    return filled;
}

QColor colourFromValue(const QString& value, const QColor& fallback)
{
    bool ok = false;
    const qlonglong number = value.trimmed().toLongLong(&ok);
    if (!ok)
        return fallback;
    const auto bgr = static_cast<quint32>(number) & 0xFFFFFFu;
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QString colourValue(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    const quint32 number = static_cast<quint32>(rgb.red())
                           | (static_cast<quint32>(rgb.green()) << 8)
                           | (static_cast<quint32>(rgb.blue()) << 16);
    return QString::number(number);
}

} // namespace yk
