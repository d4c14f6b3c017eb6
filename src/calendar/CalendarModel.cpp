#include "calendar/CalendarModel.h"

#include "platform/Clock.h"
#include "core/Settings.h"

namespace yk {

namespace {

QString Settings::*colourField(CalendarColourRole role)
{
    switch (role) {
    case CalendarColourRole::Year: return &Settings::yearColour;
    case CalendarColourRole::Month: return &Settings::monthColour;
    case CalendarColourRole::Time: return &Settings::clockColour;
    case CalendarColourRole::Holiday: return &Settings::sundayColour;
    case CalendarColourRole::Weekday: return &Settings::weekdayColour;
    case CalendarColourRole::Saturday: return &Settings::saturdayColour;
    }
    return &Settings::weekdayColour;
}

} // namespace

CalendarModel::CalendarModel(Settings& settings, DayNoteStore notes, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_notes(std::move(notes))
    , m_clock(clock)
    , m_state(clock.now().date())
{
}

QDate CalendarModel::today() const
{
    return m_clock.now().date();
}

CalendarColours CalendarModel::colours() const
{
    return {m_settings.yearColour, m_settings.monthColour, m_settings.clockColour,
            m_settings.sundayColour, m_settings.weekdayColour, m_settings.saturdayColour};
}

void CalendarModel::storeColours(const CalendarColours& c)
{
    m_settings.yearColour = c.colorY;
    m_settings.monthColour = c.colorM;
    m_settings.clockColour = c.colorT;
    m_settings.sundayColour = c.colorSun;
    m_settings.weekdayColour = c.colorDay;
    m_settings.saturdayColour = c.colorSat;
}

void CalendarModel::redraw()
{
    Q_EMIT aboutToDraw();
    const MonthGrid& g = m_state.draw(today(), colours(), m_notes.noteTestFor(shownYear(), shownMonth()));
    if (g.coloursFilled)
        storeColours(g.colours);
    Q_EMIT monthDrawn(g);
}

void CalendarModel::showMonth(int year, int month)
{
    m_state.setShownMonth(year, month);
    redraw();
}

void CalendarModel::nextYear()
{
    m_state.nextYear();
    redraw();
}

void CalendarModel::previousYear()
{
    m_state.previousYear();
    redraw();
}

void CalendarModel::nextMonth()
{
    m_state.nextMonth();
    redraw();
}

void CalendarModel::previousMonth()
{
    m_state.previousMonth();
    redraw();
}

void CalendarModel::showToday()
{
    m_state.showTodaysMonth(today());
    redraw();
}

void CalendarModel::rollOver()
{
    showMonth(today().year(), today().month());
    refreshScheduleMark();
}

void CalendarModel::selectCell(int cell)
{
    m_state.selectCell(cell);
}

void CalendarModel::selectMonthOnly()
{
    m_state.selectMonthOnly();
}

void CalendarModel::notesChanged()
{
    const MonthGrid& g = m_state.grid();
    const auto hasNote = m_notes.noteTestFor(g.year, g.month);
    Markers marked{};
    for (int i = 0; i < MonthGrid::kCells; ++i) {
        const int day = g.cells[size_t(i)].day;
        marked[size_t(i)] = day > 0 && hasNote(QDate(g.year, g.month, day));
    }
    Q_EMIT memoMarkersChanged(marked);
    refreshScheduleMark();
}

void CalendarModel::refreshScheduleMark()
{
    m_scheduleMark = m_notes.hasNotes(today());
    Q_EMIT scheduleMarkChanged(m_scheduleMark);
}

QString CalendarModel::colour(CalendarColourRole role) const
{
    return m_settings.*colourField(role);
}

void CalendarModel::setColour(CalendarColourRole role, const QString& value)
{
    m_settings.*colourField(role) = value;
    redraw();
}

} // namespace yk
