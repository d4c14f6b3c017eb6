#include "timers/CountdownTimer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace yk;

namespace {

QDateTime at(int h, int m, int s, int ms = 0, int day = 8)
{
    return QDateTime(QDate(2026, 12, day), QTime(h, m, s, ms));
}

// Ticks from `from` every `stepMs` until `until`; the first moment the
// timer is reached, or an invalid time.
QDateTime tickUntilReached(CountdownTimer& timer, QDateTime from, const QDateTime& until, int stepMs = 100)
{
    for (QDateTime t = from; t <= until; t = t.addMSecs(stepMs)) {
        if (timer.check(t))
            return t;
    }
    return {};
}

} // namespace

TEST(CountdownPreset, KindsAndTheirValues)
{
    using K = CountdownTimer::Kind;
    EXPECT_EQ(CountdownTimer::parsePreset(QStringLiteral("Time A03")).kind, K::Minutes);
    EXPECT_EQ(CountdownTimer::parsePreset(QStringLiteral("Time A10")).minutes, 10);
    EXPECT_EQ(CountdownTimer::parsePreset(QStringLiteral("Time A07")).kind, K::None) << "only 3, 5 and 10";

    const auto b = CountdownTimer::parsePreset(QStringLiteral("Time B0130"));
    EXPECT_EQ(b.kind, K::HoursMinutes);
    EXPECT_EQ(b.hours, 1);
    EXPECT_EQ(b.minutes, 30);

    const auto c = CountdownTimer::parsePreset(QStringLiteral("Time CP0915"));
    EXPECT_EQ(c.kind, K::ClockTime);
    EXPECT_TRUE(c.pm);
    EXPECT_EQ(c.hours, 9);
    EXPECT_EQ(c.minutes, 15);
    EXPECT_EQ(c.clockKey, QStringLiteral("P0915"));
    EXPECT_EQ(CountdownTimer::parsePreset(QStringLiteral("Time CA1200")).kind, K::ClockTime);

    for (const char* bad : {"", "Time", "Time B01", "Time B0x30", "Time CX0930", "Time CA1300", "Time CA0960",
                            "Time D0100", "time A03"})
        EXPECT_EQ(CountdownTimer::parsePreset(QString::fromLatin1(bad)).kind, K::None) << bad;
}

TEST(CountdownMinutes, FiveMinutesOverTheHourAndTheTextsOnTheWay)
{
    CountdownTimer timer;
    QSignalSpy reached(&timer, &CountdownTimer::reached);
    timer.requestStart();
    timer.start(QStringLiteral("Time A05"), at(10, 58, 20, 700));
    EXPECT_EQ(timer.timerText(), QStringLiteral("Start"));
    EXPECT_EQ(timer.startText(), QStringLiteral("10:58:20"));
    EXPECT_TRUE(timer.targetText().isEmpty()) << "the next tick computes the target";
    EXPECT_TRUE(timer.isArmed());

    EXPECT_FALSE(timer.check(at(10, 58, 20, 800)));
    EXPECT_EQ(timer.targetText(), QStringLiteral("03"));
    EXPECT_EQ(timer.nextText(), QStringLiteral("04"));
    EXPECT_EQ(timer.targetTime(), at(11, 3, 20));

    const QDateTime done = tickUntilReached(timer, at(10, 58, 20, 900), at(11, 10, 0));
    EXPECT_EQ(done, at(11, 3, 20, 0)) << "the first tick of the target second";
    EXPECT_EQ(timer.targetText(), QStringLiteral("ok"));
    EXPECT_TRUE(timer.isReached());
    EXPECT_FALSE(timer.isArmed());
    EXPECT_EQ(reached.count(), 1);
    EXPECT_FALSE(timer.check(at(11, 4, 20))) << "reached stays reached until the completion";
    EXPECT_EQ(reached.count(), 1);
}

TEST(CountdownMinutes, ALateTickStillCompletesInsteadOfWaitingOrLosingIt)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time A03"), at(9, 0, 10));
    EXPECT_FALSE(timer.check(at(9, 3, 9, 900)));
    // The machine was busy through the target second.
    EXPECT_TRUE(timer.check(at(9, 3, 12, 400)));

    // Suspended through both the target and the second chance.
    timer.start(QStringLiteral("Time A10"), at(9, 0, 10));
    EXPECT_FALSE(timer.check(at(9, 5, 0)));
    EXPECT_TRUE(timer.check(at(14, 30, 0)));

    // The very first look after the start already comes late.
    timer.start(QStringLiteral("Time A05"), at(9, 0, 10));
    EXPECT_TRUE(timer.check(at(9, 7, 0)));
}

TEST(CountdownMinutes, AClockSetBackOnlyDelaysTheTimer)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time A03"), at(10, 0, 0));
    EXPECT_FALSE(timer.check(at(10, 1, 0)));
    EXPECT_FALSE(timer.check(at(9, 0, 0)));
    EXPECT_EQ(tickUntilReached(timer, at(9, 0, 1), at(10, 5, 0), 1000), at(10, 3, 0));
}

TEST(CountdownHoursMinutes, ZeroLengthFiresInTheStartSecondOrAMinuteLater)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time B0000"), at(10, 0, 0, 300));
    EXPECT_TRUE(timer.check(at(10, 0, 0, 400))) << "the first tick falls into the start second";
    EXPECT_EQ(timer.targetText(), QStringLiteral("ok"));

    timer.start(QStringLiteral("Time B0000"), at(10, 0, 0, 950));
    EXPECT_FALSE(timer.check(at(10, 0, 1, 50))) << "the start second has passed: second chance";
    EXPECT_EQ(timer.nextText(), QStringLiteral("1001"));
    EXPECT_EQ(tickUntilReached(timer, at(10, 0, 1, 150), at(10, 5, 0)), at(10, 1, 0, 50));
}

TEST(CountdownHoursMinutes, CarriesOverMidnight)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time B0130"), at(23, 50, 10, 500));
    EXPECT_FALSE(timer.check(at(23, 50, 11)));
    EXPECT_EQ(timer.targetText(), QStringLiteral("0120"));
    EXPECT_EQ(timer.nextText(), QStringLiteral("0121"));
    EXPECT_EQ(tickUntilReached(timer, at(23, 50, 12), at(2, 0, 0, 0, 9), 1000), at(1, 20, 10, 0, 9));

    timer.start(QStringLiteral("Time B0010"), at(23, 50, 10));
    EXPECT_FALSE(timer.check(at(23, 50, 10, 100)));
    EXPECT_EQ(timer.targetText(), QStringLiteral("0000"));
    EXPECT_EQ(timer.nextText(), QStringLiteral("0001"));
    EXPECT_EQ(tickUntilReached(timer, at(23, 50, 11), at(0, 5, 0, 0, 9), 1000), at(0, 0, 10, 0, 9));
}

TEST(CountdownClockTime, MorningAfternoonAndTheMissedSecondZero)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time CA0930"), at(8, 0, 0));
    EXPECT_FALSE(timer.check(at(8, 0, 1)));
    EXPECT_EQ(timer.targetText(), QStringLiteral("A0930"));
    EXPECT_TRUE(timer.nextText().isEmpty());
    EXPECT_EQ(tickUntilReached(timer, at(9, 29, 0), at(9, 31, 0)), at(9, 30, 0));

    timer.start(QStringLiteral("Time CA0930"), at(8, 0, 0));
    EXPECT_FALSE(timer.check(at(9, 29, 59, 900)));
    EXPECT_TRUE(timer.check(at(9, 30, 1, 200))) << "the tick of second 00 was missed";

    timer.start(QStringLiteral("Time CP0015"), at(8, 0, 0));
    EXPECT_EQ(tickUntilReached(timer, at(12, 14, 0), at(12, 16, 0), 1000), at(12, 15, 0));
}

TEST(CountdownClockTime, HourTwelveIsNoonForPmAndMidnightForAm)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time CP1200"), at(11, 0, 0));
    EXPECT_EQ(tickUntilReached(timer, at(11, 59, 0), at(12, 1, 0), 1000), at(12, 0, 0));
    EXPECT_EQ(timer.targetText(), QStringLiteral("ok"));

    timer.start(QStringLiteral("Time CA1205"), at(22, 0, 0));
    EXPECT_EQ(tickUntilReached(timer, at(23, 59, 0), at(0, 10, 0, 0, 9), 1000), at(0, 5, 0, 0, 9));
}

TEST(CountdownClockTime, SetJustAfterItsMinuteBeganItWaitsForTomorrow)
{
    CountdownTimer timer;
    timer.start(QStringLiteral("Time CA0930"), at(9, 30, 0, 500));
    EXPECT_TRUE(timer.check(at(9, 30, 0, 600))) << "still inside the alarm's first seconds";

    timer.start(QStringLiteral("Time CA0930"), at(9, 30, 1, 950));
    EXPECT_FALSE(timer.check(at(9, 30, 2, 50)));
    EXPECT_FALSE(timer.check(at(9, 31, 0)));
    EXPECT_EQ(timer.targetTime(), at(9, 30, 0, 0, 9));
    EXPECT_FALSE(timer.check(at(9, 29, 59, 0, 9)));
    EXPECT_TRUE(timer.check(at(9, 30, 0, 100, 9)));
}

TEST(CountdownStates, CompletionCancelAndTheQuestionState)
{
    CountdownTimer timer;
    QSignalSpy armed(&timer, &CountdownTimer::armedChanged);
    QSignalSpy changed(&timer, &CountdownTimer::changed);
    EXPECT_TRUE(timer.timerText().isEmpty());
    EXPECT_TRUE(timer.startText().isEmpty());
    EXPECT_TRUE(timer.targetText().isEmpty());
    EXPECT_FALSE(timer.isArmed());

    timer.start(QStringLiteral("Time A03"), at(10, 0, 0));
    ASSERT_EQ(armed.count(), 1);
    EXPECT_TRUE(armed.at(0).at(0).toBool());
    ASSERT_TRUE(timer.check(at(10, 3, 0)));
    EXPECT_EQ(armed.count(), 2) << "a reached timer no longer shows as running";

    // What the completion does with it.
    timer.clearSecondChance();
    timer.rest();
    EXPECT_TRUE(timer.timerText().isEmpty());
    EXPECT_EQ(timer.startText(), QStringLiteral("10:00:00")) << "the start time stays";
    EXPECT_EQ(timer.targetText(), QStringLiteral("okok"));
    EXPECT_TRUE(timer.nextText().isEmpty());
    EXPECT_FALSE(tickUntilReached(timer, at(10, 3, 1), at(11, 4, 0), 1000).isValid())
        << "a completed timer never fires again";

    // The start question opens: any running timer is cancelled first.
    timer.start(QStringLiteral("Time A03"), at(11, 0, 0));
    timer.requestStart();
    timer.cancel();
    timer.requestStart();
    EXPECT_EQ(timer.timerText(), QStringLiteral("Start"));
    EXPECT_TRUE(timer.startText().isEmpty());
    EXPECT_EQ(timer.targetText(), QStringLiteral("okok"));
    EXPECT_FALSE(timer.isArmed());
    EXPECT_FALSE(tickUntilReached(timer, at(11, 0, 1), at(11, 10, 0), 1000).isValid());

    // No on the question, or Ctrl.
    timer.cancel();
    EXPECT_TRUE(timer.timerText().isEmpty());
    EXPECT_TRUE(timer.startText().isEmpty());
    EXPECT_EQ(timer.targetText(), QStringLiteral("okok"));
    EXPECT_GT(changed.count(), 5);
    const qsizetype before = changed.count();
    timer.cancel();
    EXPECT_EQ(changed.count(), before) << "nothing changed, nothing announced";
}

TEST(CountdownStates, ThePresetIsTakenAtTheStartAndAnEmptyOneNeverFires)
{
    CountdownTimer timer;
    timer.start(QString(), at(10, 0, 0));
    EXPECT_TRUE(timer.isArmed()) << "the clock shows a start, as asked";
    EXPECT_FALSE(tickUntilReached(timer, at(10, 0, 0), at(11, 0, 0), 1000).isValid());
    EXPECT_TRUE(timer.targetText().isEmpty());

    timer.start(QStringLiteral("Time A03"), at(10, 0, 0));
    EXPECT_EQ(timer.preset(), QStringLiteral("Time A03"));
    EXPECT_EQ(tickUntilReached(timer, at(10, 0, 1), at(10, 5, 0), 1000), at(10, 3, 0));
}

TEST(CountdownRestart, ASavedTimerResumesOrIsReportedMissed)
{
    CountdownTimer before;
    EXPECT_FALSE(before.saved().has_value());
    before.start(QStringLiteral("Time B0100"), at(22, 30, 15, 400));
    const auto saved = before.saved();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->preset, QStringLiteral("Time B0100"));
    EXPECT_EQ(saved->start, at(22, 30, 15));

    CountdownTimer resumed;
    EXPECT_FALSE(resumed.restore(*saved, at(22, 50, 0)).has_value());
    EXPECT_TRUE(resumed.isArmed());
    EXPECT_EQ(resumed.startText(), QStringLiteral("22:30:15"));
    EXPECT_EQ(tickUntilReached(resumed, at(22, 50, 1), at(23, 40, 0), 1000), at(23, 30, 15));

    CountdownTimer late;
    const auto missed = late.restore(*saved, at(23, 45, 0));
    ASSERT_TRUE(missed.has_value());
    EXPECT_EQ(*missed, at(23, 30, 15));
    EXPECT_FALSE(late.isArmed());
    EXPECT_FALSE(tickUntilReached(late, at(23, 45, 0), at(23, 50, 0), 1000).isValid());

    CountdownTimer alarm;
    alarm.start(QStringLiteral("Time CP0700"), at(18, 0, 0));
    CountdownTimer alarmAgain;
    const auto alarmMissed = alarmAgain.restore(*alarm.saved(), at(20, 0, 0));
    ASSERT_TRUE(alarmMissed.has_value());
    EXPECT_EQ(*alarmMissed, at(19, 0, 0));

    alarm.cancel();
    EXPECT_FALSE(alarm.saved().has_value()) << "a cancelled timer is not kept";
}
