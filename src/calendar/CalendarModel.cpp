#include "calendar/CalendarModel.h"

#include "platform/Clock.h"
#include "shell/Settings.h"

namespace yk {

namespace {

QString Settings::*colourField(CalendarColourRole role)
{
    switch (role) {
    case CalendarColourRole::Year: return &Settings::Color_Y;
    case CalendarColourRole::Month: return &Settings::Color_M;
    case CalendarColourRole::Time: return &Settings::Color_T;
    case CalendarColourRole::Holiday: return &Settings::Color_Sun;
    case CalendarColourRole::Weekday: return &Settings::Color_Day;
    case CalendarColourRole::Saturday: return &Settings::Color_Sat;
    }
    return &Settings::Color_Day;
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
    return {m_settings.Color_Y, m_settings.Color_M, m_settings.Color_T,
            m_settings.Color_Sun, m_settings.Color_Day, m_settings.Color_Sat};
}

void CalendarModel::storeColours(const CalendarColours& c)
{
    m_settings.Color_Y = c.colorY;
    m_settings.Color_M = c.colorM;
    m_settings.Color_T = c.colorT;
    m_settings.Color_Sun = c.colorSun;
    m_settings.Color_Day = c.colorDay;
    m_settings.Color_Sat = c.colorSat;
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
