#include <gtest/gtest.h>

#include "calendar/CalendarState.h"
#include "support/AppHarness.h"
#include "support/TestUtil.h"
#include "core/ClockTick.h"

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

namespace {

// Runs the 100 ms tick from `from` for `seconds`, moving the fake clock along.
int runTicks(Harness& h, const QDateTime& from, int seconds, const std::function<void()>& afterEach = {})
{
    h.clock.set(from);
    int ticks = 0;
    for (int i = 0; i < seconds * 10; ++i) {
        h.tick();
        ++ticks;
        if (afterEach)
            afterEach();
        h.clock.advanceMs(100);
    }
    return ticks;
}

} // namespace

TEST(ClockTick, ClocksShowBothFormats)
{
    Harness h;
    h.startAndSettle();
    const std::tuple<QTime, const char*, const char*, const char*> cases[] = {
        {QTime(12, 30), "12 : 30", "  0:30", "PM"},
        {QTime(0, 5), "00 : 05", "  0:  5", "AM"},
        {QTime(10, 45), "10 : 45", " 10:45", "AM"},
        {QTime(23, 59), "23 : 59", " 11:59", "PM"},
    };
    for (const auto& [t, t24, t12, ap] : cases) {
        h.clock.set(QDateTime(QDate(2026, 12, 8), t));
        h.tick();
        EXPECT_EQ(h.text(QStringLiteral("LBL_TIME")), QString::fromLatin1(t24));
        EXPECT_EQ(h.text(QStringLiteral("LBL_TIME_2")), QString::fromLatin1(t12));
        EXPECT_EQ(h.text(QStringLiteral("lbl_AP")), QString::fromLatin1(ap));
    }
}

TEST(ClockTick, MidnightRollsTheCalendarOverOncePerNightAndMarksNotedDays)
{
    Harness h;
    // The program starts on the last day of November and the user browses
    // to another year; midnight brings December back, with its note mark.
    h.clock.set(QDateTime(QDate(2026, 11, 30), QTime(23, 58)));
    h.startAndSettle();
    h.calendar().showMonth(2031, 4);
    touch(h.path(QStringLiteral("txt/20261201.txt")), "note\r\n&%All\r\n&%AM\r\n\r\n");

    int rollovers = 0;
    int lastYear = h.calendar().shownYear();
    runTicks(h, QDateTime(QDate(2026, 11, 30), QTime(23, 59, 50)), 20, [&] {
        if (h.calendar().shownYear() != lastYear) {
            ++rollovers;
            lastYear = h.calendar().shownYear();
        }
    });
    EXPECT_EQ(rollovers, 1);
    EXPECT_EQ(h.calendar().shownYear(), 2026);
    EXPECT_EQ(h.calendar().shownMonth(), 12);
    EXPECT_FALSE(h.label(QStringLiteral("Img_Yotei"))->isHidden());

    // Browse away again during the same midnight minute: nothing rolls back.
    h.calendar().showMonth(2030, 1);
    runTicks(h, QDateTime(QDate(2026, 12, 1), QTime(0, 0, 10)), 70);
    EXPECT_EQ(h.calendar().shownYear(), 2030);

    // The next night rolls over again, to a day without a note.
    runTicks(h, QDateTime(QDate(2026, 12, 1), QTime(23, 59, 58)), 4);
    EXPECT_EQ(h.calendar().shownYear(), 2026);
    EXPECT_TRUE(h.label(QStringLiteral("Img_Yotei"))->isHidden());
}

TEST(ClockTick, TheClocksShowWithinTheFirstTickOfTheStart)
{
    Harness h;
    h.startAndSettle();
    EXPECT_TRUE(h.clockTick().isActive());
    EXPECT_TRUE(yk::test::spinUntil([&] { return !h.text(QStringLiteral("LBL_TIME")).isEmpty(); }, 400));
    EXPECT_EQ(h.text(QStringLiteral("LBL_TIME")), QStringLiteral("09 : 30"));
}

TEST(ClockTick, TicksEveryHundredMillisecondsOnlyWhileSomethingAsks)
{
    yk::test::FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0, 250)));
    ClockTick tick(clock);
    QStringList ran;
    // Added out of order: the phases decide, and within one the order of adding.
    tick.addStep(TickPhase::Timer, QStringLiteral("third"), [&](const QDateTime&) { ran.append(QStringLiteral("third")); });
    tick.addStep(TickPhase::Clock, QStringLiteral("first"), [&](const QDateTime&) { ran.append(QStringLiteral("first")); });
    tick.addStep(TickPhase::Clock, QStringLiteral("second"), [&](const QDateTime&) {
        ran.append(QStringLiteral("second"));
        throw std::runtime_error("a failing step");
    });
    EXPECT_EQ(tick.stepNames(), (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}));

    tick.start();
    EXPECT_EQ(tick.interval(), ClockTick::kIntervalMs);
    QSignalSpy ticked(&tick, &ClockTick::ticked);
    ASSERT_TRUE(ticked.wait(1000));
    // In order, and a failing step stops neither the others nor the clock.
    EXPECT_EQ(ran, (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}));
    EXPECT_TRUE(tick.isActive());
    // Nobody asks: the next tick waits for the next whole second (9:30:01).
    EXPECT_EQ(tick.interval(), 750 + 2);

    tick.requestFastTicks(QStringLiteral("player"), true);
    tick.requestFastTicks(QStringLiteral("timer"), true);
    EXPECT_EQ(tick.interval(), ClockTick::kIntervalMs);
    tick.requestFastTicks(QStringLiteral("player"), false);
    EXPECT_TRUE(tick.fastTicks());
    ASSERT_TRUE(ticked.wait(1000));
    EXPECT_EQ(tick.interval(), ClockTick::kIntervalMs);
    tick.requestFastTicks(QStringLiteral("timer"), false);
    EXPECT_FALSE(tick.fastTicks());
    EXPECT_EQ(tick.interval(), 750 + 2);

    tick.stop();
    EXPECT_FALSE(tick.isActive());
    EXPECT_FALSE(ticked.wait(300));
}
