#include "calendar/Holidays.h"

#include <algorithm>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

using yk::isJapaneseHoliday;
using yk::japaneseHolidaysOf;

namespace {

// "m/d" list of a year's holidays, readable in a failure message.
QString listOf(int year)
{
    QStringList out;
    for (const QDate& d : japaneseHolidaysOf(year))
        out << QStringLiteral("%1/%2").arg(d.month()).arg(d.day());
    return out.join(u' ');
}

void expectYear(int year, const char* expected)
{
    EXPECT_EQ(listOf(year).toStdString(), expected) << "year " << year;
}

} // namespace

TEST(Holidays, WholeYearsAcrossTheLawsChanges)
{
    // Substitute rule just in force: Feb 11 (Sunday) gets none, Apr 29 and Sep 23 do.
    expectYear(1973, "1/1 1/15 2/11 3/21 4/29 4/30 5/3 5/5 9/15 9/23 9/24 10/10 11/3 11/23");
    // Funeral day, emperor's birthday moves to Dec 23, citizens' May 4.
    expectYear(1989, "1/1 1/2 1/15 1/16 2/11 2/24 3/21 4/29 5/3 5/4 5/5 9/15 9/23 10/10 11/3 11/23 12/23");
    // Happy Monday holidays and the 2007 law: Showa day, May 4 a holiday of its own.
    expectYear(2007, "1/1 1/8 2/11 2/12 3/21 4/29 4/30 5/3 5/4 5/5 7/16 9/17 9/23 9/24 10/8 11/3 11/23 12/23 12/24");
    // Enthronement year: ten days in a row, no Dec 23.
    expectYear(2019, "1/1 1/14 2/11 3/21 4/29 4/30 5/1 5/2 5/3 5/4 5/5 5/6 7/15 8/11 8/12 9/16 9/23 "
                     "10/14 10/22 11/3 11/4 11/23");
    // Olympic moves: sea, sports and mountain days; no October holiday.
    expectYear(2020, "1/1 1/13 2/11 2/23 2/24 3/20 4/29 5/3 5/4 5/5 5/6 7/23 7/24 8/10 9/21 9/22 11/3 11/23");
    expectYear(2021, "1/1 1/11 2/11 2/23 3/20 4/29 5/3 5/4 5/5 7/22 7/23 8/8 8/9 9/20 9/23 11/3 11/23");
    // Sunday May 3 gives May 6; citizens' Sep 22.
    expectYear(2026, "1/1 1/12 2/11 2/23 3/20 4/29 5/3 5/4 5/5 5/6 7/20 8/11 9/21 9/22 9/23 10/12 11/3 11/23");
    expectYear(2030, "1/1 1/14 2/11 2/23 3/20 4/29 5/3 5/4 5/5 5/6 7/15 8/11 8/12 9/16 9/23 10/14 "
                     "11/3 11/4 11/23");
}

TEST(Holidays, LawStartsOn1948July20)
{
    expectYear(1948, "9/23 11/3 11/23");
    EXPECT_FALSE(isJapaneseHoliday(QDate(1948, 5, 3)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(1947, 11, 3)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(1949, 1, 1)));
    EXPECT_FALSE(isJapaneseHoliday(QDate()));
    EXPECT_TRUE(japaneseHolidaysOf(1900).isEmpty());
}

TEST(Holidays, EquinoxesBefore1980RoundTowardMinusInfinity)
{
    // Truncating division would put each of these a day early.
    EXPECT_EQ(yk::vernalEquinoxDay(1973), 21);
    EXPECT_EQ(yk::autumnalEquinoxDay(1979), 24);
    EXPECT_EQ(yk::autumnalEquinoxDay(1951), 24);
    EXPECT_TRUE(isJapaneseHoliday(QDate(1979, 9, 24)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(1979, 9, 23)));
    // And some that agree either way, across the table's rows.
    EXPECT_EQ(yk::vernalEquinoxDay(1949), 21);
    EXPECT_EQ(yk::vernalEquinoxDay(1960), 20);
    EXPECT_EQ(yk::autumnalEquinoxDay(1948), 23);
    EXPECT_EQ(yk::vernalEquinoxDay(2020), 20);
    EXPECT_EQ(yk::autumnalEquinoxDay(2012), 22);
    EXPECT_EQ(yk::vernalEquinoxDay(2099), 20);
    EXPECT_EQ(yk::vernalEquinoxDay(2100), 20);
    EXPECT_EQ(yk::vernalEquinoxDay(1899), 0);
}

TEST(Holidays, SubstituteHolidays)
{
    EXPECT_FALSE(isJapaneseHoliday(QDate(1973, 2, 12))); // before the rule
    EXPECT_TRUE(isJapaneseHoliday(QDate(1973, 4, 30)));  // the first one
    EXPECT_TRUE(isJapaneseHoliday(QDate(1974, 5, 6)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(2002, 11, 4)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(2025, 2, 24)));
    // From 2007 the day skips over following holidays.
    EXPECT_TRUE(isJapaneseHoliday(QDate(2008, 5, 6))); // Sunday May 4
    EXPECT_TRUE(isJapaneseHoliday(QDate(2009, 5, 6))); // Sunday May 3
    EXPECT_TRUE(isJapaneseHoliday(QDate(2018, 12, 24)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(2019, 12, 23)));
}

TEST(Holidays, CitizensHolidays)
{
    EXPECT_FALSE(isJapaneseHoliday(QDate(1985, 5, 4))); // before the rule
    EXPECT_TRUE(isJapaneseHoliday(QDate(1988, 5, 4)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(1997, 5, 4))); // a Sunday stays a Sunday
    EXPECT_TRUE(isJapaneseHoliday(QDate(2006, 5, 4)));
    for (const QDate& d : {QDate(2009, 9, 22), QDate(2015, 9, 22), QDate(2019, 4, 30), QDate(2019, 5, 2),
                           QDate(2026, 9, 22), QDate(2032, 9, 21)})
        EXPECT_TRUE(isJapaneseHoliday(d)) << d.toString(Qt::ISODate).toStdString();
    EXPECT_FALSE(isJapaneseHoliday(QDate(2010, 9, 22)));
}

TEST(Holidays, OneOffDaysAndMovedHolidays)
{
    for (const QDate& d : {QDate(1959, 4, 10), QDate(1989, 2, 24), QDate(1990, 11, 12), QDate(1993, 6, 9)})
        EXPECT_TRUE(isJapaneseHoliday(d)) << d.toString(Qt::ISODate).toStdString();
    EXPECT_FALSE(isJapaneseHoliday(QDate(1994, 6, 9)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(2020, 10, 12)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(2021, 8, 11)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(2022, 8, 11)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(1999, 1, 15)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(2000, 1, 15)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(2000, 1, 10)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(1996, 7, 20)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(1995, 7, 20)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(1966, 9, 15)));
    EXPECT_FALSE(isJapaneseHoliday(QDate(1966, 2, 11)));
    EXPECT_TRUE(isJapaneseHoliday(QDate(1967, 2, 11)));
}

TEST(Holidays, EveryYearIsSortedAndAgreesWithTheDayQuery)
{
    for (int year = 1948; year <= 2150; ++year) {
        const QList<QDate> days = japaneseHolidaysOf(year);
        ASSERT_TRUE(std::is_sorted(days.cbegin(), days.cend())) << year;
        for (qsizetype i = 1; i < days.size(); ++i)
            ASSERT_NE(days[i - 1], days[i]) << year;
        int count = 0;
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
            if (isJapaneseHoliday(d))
                ++count;
        }
        ASSERT_EQ(count, days.size()) << year;
        if (year >= 1949) {
            EXPECT_GE(days.size(), 9) << year; // nine named days from 1949
        }
    }
}
