#pragma once

#include "calendar/CalendarColours.h"

#include <array>
#include <functional>

#include <QColor>
#include <QDate>
#include <QString>

namespace yk {

// One day cell of the month grid. Cells are numbered 0..36, seven columns
// from Sunday, so cell = weekday of the 1st (Sunday = 0) + day - 1.
struct MonthGridCell
{
    int day = 0;        // 0 when the cell holds no day of the month
    QString caption;    // the day number, or empty
    QColor colour;      // fore colour of the day label
    double x = 0;       // left edge of the day label, pixels
    bool holiday = false;
    bool todayMarker = false;
    bool memoMarker = false; // only ever set on cells that hold a day
};

// Everything the main window needs to paint one month.
struct MonthGrid
{
    static constexpr int kCells = 37;

    int year = 0;
    int month = 0;
    std::array<MonthGridCell, kCells> cells;

    QString yearTitle;  // lblTitle
    QString monthTitle; // LblTitle_2, no leading zero
    QColor yearColour;
    QColor monthColour;
    QColor clockColour; // lbl_AP and LBL_TIME_2
    std::array<QString, 7> weekHeads; // lblweek1..7: "Sun".."Sat"
    std::array<QColor, 7> weekColours;

    QString selDate; // "yyyymm": a redraw forgets the chosen day

    // The colour values after empty ones got their defaults; when
    // `coloursFilled` is set the caller stores them back into the settings.
    CalendarColours colours;
    bool coloursFilled = false;

    // Cell of `day` in this month, or -1.
    int cellOfDay(int day) const;
};

using HasNoteFn = std::function<bool(const QDate&)>;

// Left edge of the day labels of a column (0 = Sunday), before the nudge
// that centres one-digit days.
double monthGridColumnX(int column);

// Lays out `month` of `year`. `hasNote` may be empty (no memo markers).
MonthGrid buildMonthGrid(int year, int month, const QDate& today, const CalendarColours& colours,
                         const HasNoteFn& hasNote);

// Re-evaluates only the memo markers, e.g. after the memo window saved.
void refreshMemoMarkers(MonthGrid& grid, const HasNoteFn& hasNote);

} // namespace yk
