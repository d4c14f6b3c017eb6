#include "calendar/MonthGrid.h"

#include "calendar/Holidays.h"

namespace yk {

namespace {

// One-digit day numbers are nudged right so they look centred under the
// two-digit ones; "1" is narrow and needs the most.
double digitNudge(int day)
{
    if (day == 1)
        return 1.95;
    if (day == 2)
        return 1.0;
    if (day < 10)
        return 1.8;
    return 0.0;
}

} // namespace

double monthGridColumnX(int column)
{
    return 8.533 + 24.0 * column;
}

int MonthGrid::cellOfDay(int day) const
{
    for (int c = 0; c < kCells; ++c) {
        if (cells[static_cast<size_t>(c)].day == day && day > 0)
            return c;
    }
    return -1;
}

MonthGrid buildMonthGrid(int year, int month, const QDate& today, const CalendarColours& colours,
                         const HasNoteFn& hasNote)
{
    MonthGrid g;
    g.year = year;
    g.month = month;
    g.colours = colours;
    g.coloursFilled = fillDefaultColours(g.colours);

    const QColor sun = colourFromValue(g.colours.colorSun, QColor(255, 0, 0));
    const QColor day = colourFromValue(g.colours.colorDay, QColor(8, 0, 0));
    const QColor sat = colourFromValue(g.colours.colorSat, QColor(0, 0, 255));
    g.yearColour = colourFromValue(g.colours.colorY, QColor(8, 0, 0));
    g.monthColour = colourFromValue(g.colours.colorM, QColor(8, 0, 0));
    g.clockColour = colourFromValue(g.colours.colorT, QColor(8, 0, 0));

    g.yearTitle = QString::number(year);
    g.monthTitle = QString::number(month);
    g.weekHeads = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                   QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                   QStringLiteral("Sat")};
    g.weekColours = {sun, day, day, day, day, day, sat};
    g.selDate = QStringLiteral("%1%2").arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));

    for (int c = 0; c < MonthGrid::kCells; ++c) {
        MonthGridCell& cell = g.cells[static_cast<size_t>(c)];
        const int column = c % 7;
        cell.x = monthGridColumnX(column);
        cell.colour = column == 0 ? sun : column == 6 ? sat : day;
    }

    const QDate first(year, month, 1);
    if (!first.isValid())
        return g;
    const int start = first.dayOfWeek() % 7; // Qt: Sunday = 7
    const QList<QDate> holidays = japaneseHolidaysOf(year);
    for (int d = 1; d <= first.daysInMonth(); ++d) {
        MonthGridCell& cell = g.cells[static_cast<size_t>(start + d - 1)];
        const QDate date(year, month, d);
        cell.day = d;
        cell.caption = QString::number(d);
        cell.x += digitNudge(d);
        cell.todayMarker = date == today;
        if (holidays.contains(date)) {
            cell.holiday = true;
            cell.colour = sun;
        }
    }
    refreshMemoMarkers(g, hasNote);
    return g;
}

void refreshMemoMarkers(MonthGrid& grid, const HasNoteFn& hasNote)
{
    for (MonthGridCell& cell : grid.cells) {
        cell.memoMarker = cell.day > 0 && hasNote && hasNote(QDate(grid.year, grid.month, cell.day));
    }
}

} // namespace yk
