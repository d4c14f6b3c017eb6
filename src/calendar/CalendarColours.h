#pragma once

#include <QColor>
#include <QString>

namespace yk {

// The six display colours of the calendar as the settings file keeps them:
// the decimal text of a 0x00BBGGRR colour number (red in the low byte).
struct CalendarColours
{
    QString colorY;   // year title
    QString colorM;   // month title
    QString colorT;   // clock labels
    QString colorSun; // Sunday head and column, holidays
    QString colorDay; // other weekday heads and day cells
    QString colorSat; // Saturday head and column

    bool operator==(const CalendarColours&) const = default;
};

// Fills each empty value with its default ("8" for all but Sunday "255",
// red, and Saturday "16711680", blue). Returns true when anything was filled,
// so the caller knows the settings need the new values.
bool fillDefaultColours(CalendarColours& colours);

// 0x00BBGGRR decimal text to a colour. Text that is not a number gives
// `fallback`; bits above the low 24 are ignored.
QColor colourFromValue(const QString& value, const QColor& fallback = QColor(Qt::black));

// The inverse: the decimal 0x00BBGGRR text of `colour`.
QString colourValue(const QColor& colour);

} // namespace yk
