#include "calendar/CalendarState.h"

#include <algorithm>

namespace yk {

namespace {

QString padded(const QString& number, int width)
{
    bool ok = false;
    const int n = number.trimmed().toInt(&ok);
    if (!ok)
        return number.trimmed();
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

} // namespace

CalendarState::CalendarState(const QDate& shown)
    : m_year(shown.isValid() ? shown.year() : 2000)
    , m_month(shown.isValid() ? shown.month() : 1)
{
    setShownMonth(m_year, m_month);
    m_selDate = selDateFrom(QString::number(m_year), QString::number(m_month), QString());
}

bool CalendarState::selectionHasDay() const
{
    if (m_selDate.size() != 8)
        return false;
    return std::all_of(m_selDate.cbegin(), m_selDate.cend(), [](QChar c) { return c.isDigit(); });
}

void CalendarState::setShownMonth(int year, int month)
{
    m_year = std::clamp(year, kMinYear, kMaxYear);
    m_month = std::clamp(month, 1, 12);
}

bool CalendarState::nextYear()
{
    const int before = m_year;
    setShownMonth(m_year + 1, m_month);
    return m_year != before;
}

bool CalendarState::previousYear()
{
    const int before = m_year;
    setShownMonth(m_year - 1, m_month);
    return m_year != before;
}

bool CalendarState::nextMonth()
{
    if (m_month >= 12)
        return false;
    ++m_month;
    return true;
}

bool CalendarState::previousMonth()
{
    if (m_month <= 1)
        return false;
    --m_month;
    return true;
}

bool CalendarState::showTodaysMonth(const QDate& today)
{
    const int y = m_year;
    const int m = m_month;
    setShownMonth(today.year(), today.month());
    return y != m_year || m != m_month;
}

const MonthGrid& CalendarState::draw(const QDate& today, const CalendarColours& colours,
                                     const HasNoteFn& hasNote)
{
    m_grid = buildMonthGrid(m_year, m_month, today, colours, hasNote);
    m_drawn = true;
    m_selDate = m_grid.selDate;
    return m_grid;
}

void CalendarState::selectCell(int cell)
{
    const QString year = m_drawn ? m_grid.yearTitle : QString::number(m_year);
    const QString month = m_drawn ? m_grid.monthTitle : QString::number(m_month);
    QString caption;
    if (m_drawn && cell >= 0 && cell < MonthGrid::kCells)
        caption = m_grid.cells[static_cast<size_t>(cell)].caption;
    m_selDate = selDateFrom(year, month, caption);
}

void CalendarState::selectMonthOnly()
{
    const QString year = m_drawn ? m_grid.yearTitle : QString::number(m_year);
    const QString month = m_drawn ? m_grid.monthTitle : QString::number(m_month);
    m_selDate = selDateFrom(year, month, QString());
}

QString CalendarState::selDateFrom(const QString& yearText, const QString& monthText,
                                   const QString& dayCaption)
{
    QString day;
    bool ok = false;
    dayCaption.trimmed().toInt(&ok);
    if (ok)
        day = padded(dayCaption, 2);
    return padded(yearText, 4) + padded(monthText, 2) + day;
}

} // namespace yk
