#pragma once

#include <array>

#include <QObject>

#include "calendar/CalendarColours.h"
#include "calendar/CalendarState.h"
#include "calendar/DayNoteStore.h"

namespace yk {

class Clock;
class Settings;

// The six colours a user can choose for the calendar.
enum class CalendarColourRole { Year, Month, Time, Holiday, Weekday, Saturday };

// The main window's calendar as the program sees it: the shown month, the
// chosen day, the note marks and the colours (kept in the settings). Every
// step that changes the month redraws it and tells the window through
// monthDrawn(); the window never answers questions about it.
class CalendarModel : public QObject
{
    Q_OBJECT
public:
    using Markers = std::array<bool, MonthGrid::kCells>;

    CalendarModel(Settings& settings, DayNoteStore notes, const Clock& clock, QObject* parent = nullptr);

    int shownYear() const { return m_state.curYear(); }
    int shownMonth() const { return m_state.curMonth(); }
    // "yyyymmdd" once a day was chosen, "yyyymm" otherwise.
    QString selDate() const { return m_state.selDate(); }
    bool selectionHasDay() const { return m_state.selectionHasDay(); }
    const MonthGrid& grid() const { return m_state.grid(); }
    const DayNoteStore& notes() const { return m_notes; }
    bool scheduleMarkShown() const { return m_scheduleMark; }

    // Draws the shown month again (colours, today, note marks).
    void redraw();
    void showMonth(int year, int month);
    // The calendar keys: each redraws, whether the month changed or not.
    void nextYear();
    void previousYear();
    void nextMonth();
    void previousMonth();
    void showToday();
    // Midnight: today's month, and the schedule mark for the new day.
    void rollOver();

    // Mouse release on day cell `cell`, or on the titles, heads and background.
    void selectCell(int cell);
    void selectMonthOnly();

    // After notes were written or deleted: the note bars of the shown month
    // and today's schedule mark.
    void notesChanged();
    void refreshScheduleMark();

    QString colour(CalendarColourRole role) const;
    // Stores the colour value and redraws.
    void setColour(CalendarColourRole role, const QString& value);

Q_SIGNALS:
    // Just before the days are drawn (the background's check marks and the
    // in-turn slot of a run come first).
    void aboutToDraw();
    void monthDrawn(const yk::MonthGrid& grid);
    void memoMarkersChanged(const yk::CalendarModel::Markers& marked);
    void scheduleMarkChanged(bool shown);

private:
    QDate today() const;
    CalendarColours colours() const;
    void storeColours(const CalendarColours& c);

    Settings& m_settings;
    DayNoteStore m_notes;
    const Clock& m_clock;
    CalendarState m_state;
    bool m_scheduleMark = false;
};

} // namespace yk
