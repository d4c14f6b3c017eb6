#include "calendar/CalendarState.h"
#include "calendar/ColourChooser.h"
#include "calendar/MonthGrid.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace yk;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kNearBlack(8, 0, 0);

MonthGrid grid(int year, int month, QDate today = QDate(1990, 6, 6), const HasNoteFn& hasNote = {})
{
    return buildMonthGrid(year, month, today, CalendarColours{}, hasNote);
}

int filledCells(const MonthGrid& g)
{
    int n = 0;
    for (const MonthGridCell& c : g.cells)
        n += c.day > 0 ? 1 : 0;
    return n;
}

const MonthGridCell& cellOf(const MonthGrid& g, int day)
{
    const int c = g.cellOfDay(day);
    EXPECT_GE(c, 0) << "day " << day;
    return g.cells[static_cast<size_t>(std::max(c, 0))];
}

} // namespace

TEST(MonthGrid, DaysFillCellsFromTheWeekdayOfTheFirst)
{
    EXPECT_EQ(filledCells(grid(2004, 2)), 29);
    EXPECT_EQ(filledCells(grid(2001, 2)), 28);

    // August 2026 starts on a Saturday and has 31 days: cells 6..36.
    const MonthGrid aug = grid(2026, 8);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(aug.cells[c].day, 0);
        EXPECT_TRUE(aug.cells[c].caption.isEmpty());
    }
    for (int c = 6; c < 37; ++c)
        EXPECT_EQ(aug.cells[c].caption, QString::number(c - 5));
    EXPECT_EQ(aug.cellOfDay(31), 36);
}

TEST(MonthGrid, TitlesHeadsAndColoursWithDefaults)
{
    const MonthGrid g = grid(2002, 11);
    EXPECT_EQ(g.yearTitle, u"2002");
    EXPECT_EQ(g.monthTitle, u"11");
    EXPECT_EQ(grid(2002, 3).monthTitle, u"3");
    EXPECT_EQ(g.selDate, u"200211");
    EXPECT_EQ(grid(987, 3).selDate, u"098703");
    EXPECT_EQ(g.weekHeads[0], u"Sun");
    EXPECT_EQ(g.weekHeads[6], u"Sat");

    // Empty values get their defaults and are reported for the settings.
    EXPECT_TRUE(g.coloursFilled);
    EXPECT_EQ(g.colours.colorY, u"8");
    EXPECT_EQ(g.colours.colorSun, u"255");
    EXPECT_EQ(g.colours.colorDay, u"8");
    EXPECT_EQ(g.colours.colorSat, u"16711680");
    EXPECT_EQ(g.weekColours[0], kRed);
    EXPECT_EQ(g.weekColours[3], kNearBlack);
    EXPECT_EQ(g.weekColours[6], kBlue);
    EXPECT_EQ(g.clockColour, kNearBlack);
    // Empty Sunday and Saturday cells still carry their column's colour.
    EXPECT_EQ(g.cells[0].colour, kRed);
    EXPECT_EQ(g.cells[34].colour, kBlue);
    EXPECT_EQ(g.cells[36].colour, kNearBlack);

    CalendarColours set{u"1"_qs, u"2"_qs, u"65280"_qs, u"3"_qs, u"4"_qs, u"5"_qs};
    const MonthGrid own = buildMonthGrid(2002, 11, QDate(), set, {});
    EXPECT_FALSE(own.coloursFilled);
    EXPECT_EQ(own.colours, set);
    EXPECT_EQ(own.clockColour, QColor(0, 255, 0));
    EXPECT_EQ(own.yearColour, QColor(1, 0, 0));

    CalendarColours partly = set;
    partly.colorSat.clear();
    const MonthGrid half = buildMonthGrid(2002, 11, QDate(), partly, {});
    EXPECT_TRUE(half.coloursFilled);
    EXPECT_EQ(half.colours.colorSat, u"16711680");
    EXPECT_EQ(half.colours.colorY, u"1");
}

TEST(MonthGrid, ColourValuesAreBgrDecimal)
{
    EXPECT_EQ(colourFromValue(u"255"_qs), kRed);
    EXPECT_EQ(colourFromValue(u"16711680"_qs), kBlue);
    EXPECT_EQ(colourFromValue(u"4227327"_qs), QColor(255, 128, 64));
    EXPECT_EQ(colourFromValue(u"junk"_qs, Qt::green), QColor(Qt::green));
    EXPECT_EQ(colourValue(QColor(255, 128, 64)), u"4227327");
    EXPECT_EQ(colourValue(QColor(0, 0, 0)), u"0");
}

TEST(MonthGrid, HolidaysTakeTheSundayColour)
{
    // Nov 2002: the 3rd is a Sunday, the 4th its substitute; the 23rd a Saturday holiday.
    const MonthGrid nov = grid(2002, 11);
    EXPECT_EQ(nov.cellOfDay(3), 7);
    EXPECT_EQ(cellOf(nov, 3).colour, kRed);
    EXPECT_EQ(nov.cellOfDay(4), 8);
    EXPECT_EQ(cellOf(nov, 4).colour, kRed);
    EXPECT_TRUE(cellOf(nov, 4).holiday);
    EXPECT_EQ(cellOf(nov, 5).colour, kNearBlack);
    EXPECT_EQ(cellOf(nov, 23).colour, kRed);
    EXPECT_EQ(cellOf(nov, 30).colour, kBlue);

    EXPECT_EQ(cellOf(grid(1999, 1), 15).colour, kRed);
    const MonthGrid jan2000 = grid(2000, 1);
    EXPECT_EQ(jan2000.cellOfDay(10), 15);
    EXPECT_EQ(jan2000.cells[15].colour, kRed);
    EXPECT_EQ(cellOf(jan2000, 15).colour, kBlue); // a plain Saturday now

    // No emperor's birthday on Dec 23 from 2019; the 2018 one fell on a Sunday.
    EXPECT_EQ(cellOf(grid(2019, 12), 23).colour, kNearBlack);
    EXPECT_EQ(cellOf(grid(2018, 12), 24).colour, kRed);
    // Holidays the fixed table never knew.
    EXPECT_EQ(cellOf(grid(2020, 3), 20).colour, kRed);
    EXPECT_EQ(cellOf(grid(2020, 3), 21).colour, kBlue);
    EXPECT_EQ(cellOf(grid(2026, 9), 22).colour, kRed);
    EXPECT_EQ(cellOf(grid(2020, 2), 24).colour, kRed);
}

TEST(MonthGrid, LabelPositionsAndNudges)
{
    const MonthGrid g = grid(2026, 8); // 1st on Saturday, 2nd on Sunday
    EXPECT_DOUBLE_EQ(cellOf(g, 1).x, 152.533 + 1.95);
    EXPECT_DOUBLE_EQ(cellOf(g, 2).x, 8.533 + 1.0);
    EXPECT_DOUBLE_EQ(cellOf(g, 3).x, 32.533 + 1.8);
    EXPECT_DOUBLE_EQ(cellOf(g, 9).x, 8.533 + 1.8);
    EXPECT_DOUBLE_EQ(cellOf(g, 10).x, 32.533);
    EXPECT_DOUBLE_EQ(g.cells[0].x, 8.533);
    // Redrawing never moves a label further.
    const MonthGrid again = grid(2026, 8);
    for (int c = 0; c < MonthGrid::kCells; ++c)
        EXPECT_DOUBLE_EQ(again.cells[c].x, g.cells[c].x);
}

TEST(MonthGrid, TodayAndMemoMarkers)
{
    const QDate today(2026, 1, 12);
    const MonthGrid jan = grid(2026, 1, today);
    for (int c = 0; c < MonthGrid::kCells; ++c)
        EXPECT_EQ(jan.cells[c].todayMarker, c == jan.cellOfDay(12)) << c;
    for (const MonthGridCell& c : grid(2026, 11, today).cells)
        EXPECT_FALSE(c.todayMarker); // the 2nd of November is not the 12th of January
    for (const MonthGridCell& c : grid(2025, 1, today).cells)
        EXPECT_FALSE(c.todayMarker);

    QSet<QDate> notes{QDate(2026, 1, 5), QDate(2026, 2, 5)};
    const HasNoteFn hasNote = [&](const QDate& d) { return notes.contains(d); };
    MonthGrid g = grid(2026, 1, today, hasNote);
    for (int c = 0; c < MonthGrid::kCells; ++c)
        EXPECT_EQ(g.cells[c].memoMarker, c == g.cellOfDay(5)) << c;

    notes.insert(QDate(2026, 1, 31));
    notes.remove(QDate(2026, 1, 5));
    refreshMemoMarkers(g, hasNote);
    EXPECT_FALSE(cellOf(g, 5).memoMarker);
    EXPECT_TRUE(cellOf(g, 31).memoMarker);
    // Empty cells are never asked about and never marked.
    int asked = 0;
    refreshMemoMarkers(g, [&](const QDate& d) { ++asked; return d.isValid(); });
    EXPECT_EQ(asked, 31);
    EXPECT_FALSE(g.cells[0].memoMarker);
    EXPECT_FALSE(g.cells[36].memoMarker);
}

TEST(CalendarState, MonthStepsDoNotWrap)
{
    CalendarState s(QDate(2026, 1, 20));
    for (int i = 0; i < 11; ++i)
        EXPECT_TRUE(s.nextMonth());
    EXPECT_EQ(s.curMonth(), 12);
    EXPECT_FALSE(s.nextMonth());
    EXPECT_EQ(s.curMonth(), 12);
    EXPECT_EQ(s.curYear(), 2026);

    s.setShownMonth(2026, 1);
    EXPECT_FALSE(s.previousMonth());
    EXPECT_EQ(s.curMonth(), 1);
    EXPECT_EQ(s.curYear(), 2026);

    EXPECT_TRUE(s.nextYear());
    EXPECT_EQ(s.curYear(), 2027);
    EXPECT_TRUE(s.previousYear());
    EXPECT_TRUE(s.previousYear());
    EXPECT_EQ(s.curYear(), 2025);
    EXPECT_EQ(s.curMonth(), 1);

    EXPECT_TRUE(s.showTodaysMonth(QDate(2026, 7, 4)));
    EXPECT_EQ(s.curYear(), 2026);
    EXPECT_EQ(s.curMonth(), 7);
    EXPECT_FALSE(s.showTodaysMonth(QDate(2026, 7, 30)));

    s.setShownMonth(9999, 5);
    EXPECT_FALSE(s.nextYear());
    s.setShownMonth(1, 5);
    EXPECT_FALSE(s.previousYear());
}

TEST(CalendarState, SelectionFollowsCellsTitlesAndRedraws)
{
    CalendarState s(QDate(2002, 11, 1));
    s.draw(QDate(2002, 11, 1), {}, {});
    EXPECT_EQ(s.selDate(), u"200211");

    s.selectCell(8); // the 4th
    EXPECT_EQ(s.selDate(), u"20021104");
    EXPECT_TRUE(s.selectionHasDay());
    s.selectCell(0); // empty cell
    EXPECT_EQ(s.selDate(), u"200211");
    EXPECT_FALSE(s.selectionHasDay());
    s.selectCell(34); // the 30th
    EXPECT_EQ(s.selDate(), u"20021130");
    s.selectMonthOnly();
    EXPECT_EQ(s.selDate(), u"200211");

    s.selectCell(20);
    s.nextMonth();
    s.draw(QDate(2002, 11, 1), {}, {});
    EXPECT_EQ(s.selDate(), u"200212");
    EXPECT_EQ(s.grid().month, 12);

    EXPECT_EQ(CalendarState::selDateFrom(u"2026"_qs, u"3"_qs, u"7"_qs), u"20260307");
    EXPECT_EQ(CalendarState::selDateFrom(u"2026"_qs, u"3"_qs, QString()), u"202603");
}

TEST(ColourChooser, CancelKeepsNothingAndChoiceGivesBgrText)
{
    QColor seenInitial;
    std::optional<QColor> answer;
    ColourChooser chooser([&](QWidget*, const QColor& initial, const QString&) {
        seenInitial = initial;
        return answer;
    });

    EXPECT_FALSE(chooser.choose(nullptr, u"255"_qs).has_value());
    EXPECT_EQ(seenInitial, kRed);

    answer = QColor(0, 0, 255);
    EXPECT_EQ(chooser.choose(nullptr, u"8"_qs), std::optional<QString>(u"16711680"_qs));
    EXPECT_EQ(seenInitial, kNearBlack);

    answer = QColor(); // an invalid colour counts as no choice
    EXPECT_FALSE(chooser.choose(nullptr, u"8"_qs).has_value());
}
