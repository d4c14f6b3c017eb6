#include "calendar/Holidays.h"

#include <algorithm>
#include <cmath>

namespace yk {
namespace {

// Equinox day = floor(C + 0.242194 (y - 1980) - floor((y - 1980) / 4)).
// Both floors must round toward minus infinity: before 1980 the quotient is
// negative and truncation would put the equinox a day late in most years.
int equinoxDay(int year, double c1900, double c1980, double c2100)
{
    if (year < 1900 || year > 2150)
        return 0;
    const double c = year < 1980 ? c1900 : year < 2100 ? c1980 : c2100;
    const int n = year - 1980;
    const double leapShift = std::floor(n / 4.0);
    return static_cast<int>(std::floor(c + 0.242194 * n - leapShift));
}

QDate nthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    const int offset = (8 - first.dayOfWeek()) % 7; // Qt: Monday = 1
    return first.addDays(offset + 7 * (n - 1));
}

// The holidays the law names ("国民の祝日"), including the two days of the
// 2019 enthronement, which count as such for the substitute and citizens'
// rules. Not sorted.
QList<QDate> namedHolidays(int y)
{
    QList<QDate> d;
    if (y < 1948)
        return d;
    const auto add = [&](int m, int day) { d.append(QDate(y, m, day)); };

    if (y >= 1949) {
        add(1, 1);
        if (y <= 1999)
            add(1, 15);
        else
            d.append(nthMonday(y, 1, 2));
        if (y >= 1967)
            add(2, 11);
        if (y >= 2020)
            add(2, 23);
        if (const int v = vernalEquinoxDay(y))
            add(3, v);
        add(4, 29); // emperor's birthday, then greenery day, then Showa day
        add(5, 3);
        if (y >= 2007)
            add(5, 4);
        add(5, 5);
    }
    if (y >= 1996 && y <= 2002)
        add(7, 20);
    if (y == 2020) {
        add(7, 23);
        add(7, 24);
        add(8, 10);
    } else if (y == 2021) {
        add(7, 22);
        add(7, 23);
        add(8, 8);
    } else {
        if (y >= 2003)
            d.append(nthMonday(y, 7, 3));
        if (y >= 2016)
            add(8, 11);
        if (y >= 2020)
            d.append(nthMonday(y, 10, 2));
    }
    if (y >= 1966 && y <= 2002)
        add(9, 15);
    else if (y >= 2003)
        d.append(nthMonday(y, 9, 3));
    if (const int a = autumnalEquinoxDay(y))
        add(9, a);
    if (y >= 1966 && y <= 1999)
        add(10, 10);
    else if (y >= 2000 && y <= 2019)
        d.append(nthMonday(y, 10, 2));
    add(11, 3);
    add(11, 23);
    if (y >= 1989 && y <= 2018)
        add(12, 23);
    if (y == 2019) {
        add(5, 1);
        add(10, 22);
    }
    return d;
}

const QDate kSubstituteStart(1973, 4, 12);
const QDate kCitizensStart(1985, 12, 27);
const QDate kLaw2007(2007, 1, 1);

} // namespace

int vernalEquinoxDay(int year)
{
    return equinoxDay(year, 20.8357, 20.8431, 21.8510);
}

int autumnalEquinoxDay(int year)
{
    return equinoxDay(year, 23.2588, 23.2488, 24.2488);
}

QList<QDate> japaneseHolidaysOf(int year)
{
    QList<QDate> named = namedHolidays(year);
    std::sort(named.begin(), named.end());
    const auto isNamed = [&](const QDate& day) {
        return std::binary_search(named.cbegin(), named.cend(), day);
    };

    QList<QDate> substitutes;
    for (const QDate& day : named) {
        if (day.dayOfWeek() != Qt::Sunday || day < kSubstituteStart)
            continue;
        QDate next = day.addDays(1);
        if (day >= kLaw2007) {
            while (isNamed(next))
                next = next.addDays(1);
        }
        if (next.year() == year)
            substitutes.append(next);
    }

    QList<QDate> result = named;
    result += substitutes;

    // A working day squeezed between two named holidays.
    for (const QDate& day : named) {
        const QDate between = day.addDays(1);
        if (between < kCitizensStart || between.year() != year)
            continue;
        if (isNamed(between) || !isNamed(between.addDays(1)))
            continue;
        if (between < kLaw2007
            && (between.dayOfWeek() == Qt::Sunday || substitutes.contains(between)))
            continue;
        result.append(between);
    }

    for (const QDate& oneOff : {QDate(1959, 4, 10), QDate(1989, 2, 24), QDate(1990, 11, 12),
                                QDate(1993, 6, 9)}) {
        if (oneOff.year() == year)
            result.append(oneOff);
    }

    // The law took effect on 1948-07-20; only its autumn holidays fell in 1948.
    result.removeIf([](const QDate& day) { return day < QDate(1948, 7, 20); });
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

bool isJapaneseHoliday(const QDate& date)
{
    if (!date.isValid() || date < QDate(1948, 7, 20))
        return false;
    return japaneseHolidaysOf(date.year()).contains(date);
}

} // namespace yk
