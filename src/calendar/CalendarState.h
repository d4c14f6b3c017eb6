#pragma once

#include "calendar/MonthGrid.h"

#include <QDate>
#include <QString>

namespace yk {

// The shown month (Cur_Year, Cur_Month) and the selection (Sel_Date) of the
// main window's calendar, with the steps the keys and the mouse ask for.
// The window redraws after every step by calling draw().
class CalendarState
{
public:
    static constexpr int kMinYear = 1;
    static constexpr int kMaxYear = 9999;

    explicit CalendarState(const QDate& shown = QDate::currentDate());

    int curYear() const { return m_year; }
    int curMonth() const { return m_month; }
    // "yyyymmdd" once a day was chosen, "yyyymm" otherwise.
    QString selDate() const { return m_selDate; }
    // True when selDate() names a day (eight digits).
    bool selectionHasDay() const;

    // Clamped to a valid month; years stay within kMinYear..kMaxYear so the
    // four-digit Sel_Date and the date arithmetic hold.
    void setShownMonth(int year, int month);

    // Each returns whether the shown month changed. Months do not wrap:
    // next month in December and previous month in January stay put.
    bool nextYear();
    bool previousYear();
    bool nextMonth();
    bool previousMonth();
    bool showTodaysMonth(const QDate& today);

    // Lays out the shown month and, like every redraw, forgets the chosen
    // day (Sel_Date becomes "yyyymm"). The grid is kept for selectCell().
    const MonthGrid& draw(const QDate& today, const CalendarColours& colours, const HasNoteFn& hasNote);
    const MonthGrid& grid() const { return m_grid; }

    // Mouse release on day cell `cell` (lblday / image1): the drawn year and
    // month plus the cell's caption; an empty cell gives "yyyymm".
    void selectCell(int cell);
    // Mouse release on the titles, a weekday head or the background: "yyyymm".
    void selectMonthOnly();

    // "0000" + "00" + "00" formatting of the three label texts; an empty or
    // non-numeric day caption adds nothing.
    static QString selDateFrom(const QString& yearText, const QString& monthText, const QString& dayCaption);

private:
    int m_year;
    int m_month;
    QString m_selDate;
    MonthGrid m_grid;
    bool m_drawn = false;
};

} // namespace yk
