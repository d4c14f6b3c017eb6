#include "timers/ClockText.h"

#include <gtest/gtest.h>

using namespace yk::clocktext;

TEST(ClockText, TwentyFourHourTextAndKey)
{
    EXPECT_EQ(time24(QTime(0, 5)), u"00 : 05");
    EXPECT_EQ(time24(QTime(23, 59, 59)), u"23 : 59");
    EXPECT_EQ(timeKey(QTime(0, 5)), u"0005");
    EXPECT_EQ(timeKey(QTime(13, 7, 30)), u"1307");
}

TEST(ClockText, TwelveHourTextKeepsTheHourInThreeCharacters)
{
    struct Case
    {
        QTime time;
        const char16_t* text;
        const char16_t* ampm;
    };
    const Case cases[] = {
        {QTime(12, 30), u"  0:30", u"PM"}, {QTime(0, 5), u"  0:  5", u"AM"},
        {QTime(10, 45), u" 10:45", u"AM"}, {QTime(23, 59), u" 11:59", u"PM"},
        {QTime(0, 0), u"  0:  0", u"AM"},  {QTime(9, 10), u"  9:10", u"AM"},
        {QTime(11, 59), u" 11:59", u"AM"}, {QTime(12, 0), u"  0:  0", u"PM"},
        {QTime(13, 9), u"  1:  9", u"PM"}, {QTime(21, 10), u"  9:10", u"PM"},
        {QTime(22, 0), u" 10:  0", u"PM"},
    };
    for (const Case& c : cases) {
        const Clock12 r = time12(c.time);
        EXPECT_EQ(r.text, QStringView(c.text)) << c.time.toString().toStdString();
        EXPECT_EQ(r.ampm, QStringView(c.ampm)) << c.time.toString().toStdString();
        // The alarm reads the hour from the first three characters.
        EXPECT_EQ(r.text.at(3), u':');
    }
    EXPECT_EQ(time12(u"1230"_qs).text, u"  0:30");
}

TEST(ClockText, MidnightRollsOverOncePerNightOnTheSecondTick)
{
    MidnightWatcher w;
    QString label; // as the previous tick left LBL_TIME
    int rollOvers = 0;
    const auto tick = [&](QTime now) {
        if (w.check(label))
            ++rollOvers;
        label = time24(now);
    };

    tick(QTime(23, 59, 59, 900));
    EXPECT_EQ(rollOvers, 0);
    tick(QTime(0, 0, 0, 0)); // first tick of 00:00 still reads "23 : 59"
    EXPECT_EQ(rollOvers, 0);
    tick(QTime(0, 0, 0, 100));
    EXPECT_EQ(rollOvers, 1);
    EXPECT_TRUE(w.done());
    for (int ms = 200; ms < 60000; ms += 100)
        tick(QTime(0, 0).addMSecs(ms));
    EXPECT_EQ(rollOvers, 1);
    tick(QTime(0, 1));
    tick(QTime(0, 1, 0, 100));
    EXPECT_FALSE(w.done());
    for (int ms = 0; ms < 24 * 3600 * 1000; ms += 1000)
        tick(QTime(0, 1).addMSecs(ms)); // the whole next day, wrapping at midnight
    EXPECT_EQ(rollOvers, 2);
}

TEST(ClockText, MissedMinutesAndStrangeLabels)
{
    MidnightWatcher w;
    EXPECT_FALSE(w.check(QString())); // first tick after start
    EXPECT_FALSE(w.check(u"23 : 59"_qs));
    EXPECT_FALSE(w.check(u"00 : 02"_qs)); // 00:00-00:01 not seen: no roll-over
    EXPECT_EQ(MidnightWatcher::labelKey(u" 0 :  0"_qs), u"00");
    EXPECT_EQ(MidnightWatcher::labelKey(u"00 : 00"_qs), u"0000");
    EXPECT_TRUE(w.check(u"00 : 00"_qs));
    EXPECT_FALSE(w.check(u"00 : 00"_qs));
    EXPECT_FALSE(w.check(u"00 : 01"_qs));
    EXPECT_TRUE(w.check(u"00 : 00"_qs)); // re-armed
}
