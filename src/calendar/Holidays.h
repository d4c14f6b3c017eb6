#pragma once

#include <QDate>
#include <QList>

namespace yk {

// Japanese national holidays as the holiday law defined them in each year:
// the named holidays, substitute holidays, citizens' holidays and the
// one-off days set by special laws. Exact for 1948-2099; 2100-2150 uses the
// best known equinox constants. Nothing before 1948-07-20 is a holiday.
bool isJapaneseHoliday(const QDate& date);

// Every holiday of the year, in date order.
QList<QDate> japaneseHolidaysOf(int year);

// Day of March (vernal) or September (autumnal) on which the equinox day
// falls in `year`, for 1900-2150; 0 outside that range.
int vernalEquinoxDay(int year);
int autumnalEquinoxDay(int year);

} // namespace yk
