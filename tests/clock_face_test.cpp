#include <gtest/gtest.h>

#include <QThread>

#include "platform/Clock.h"
#include "support/AppHarness.h"
#include "timers/ClockFace.h"

using namespace yk;
using yk::test::Harness;

namespace {

QDateTime at(int h, int m, int s = 0, int ms = 0)
{
    return QDateTime(QDate(2026, 12, 8), QTime(h, m, s, ms));
}

// Runs the face as the tick does: roll-over check first, then the clocks.
struct Ticker
{
    ClockFace face;
    int rollOvers = 0;
    int changes = 0;

    void tick(const QDateTime& now)
    {
        if (face.midnightDue())
            ++rollOvers;
        bool changed = false;
        face.update(now, &changed);
        if (changed)
            ++changes;
    }
    // Ticks every 100 ms over [from, from + seconds).
    void run(const QDateTime& from, int seconds)
    {
        for (int i = 0; i < seconds * 10; ++i)
            tick(from.addMSecs(i * 100));
    }
};

} // namespace

TEST(ClockFace, TextsChangeOnlyWithTheMinute)
{
    ClockFace face;
    bool changed = false;
    ClockFace::Shown s = face.update(at(9, 30, 0), &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(s.time24, u"09 : 30");
    EXPECT_EQ(s.time12, u"  9:30");
    EXPECT_EQ(s.ampm, u"AM");

    // The rest of the minute: nothing new to show.
    for (int sec : {1, 30, 59}) {
        face.update(at(9, 30, sec, 900), &changed);
        EXPECT_FALSE(changed) << sec;
    }
    s = face.update(at(9, 31), &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(s.time24, u"09 : 31");
    EXPECT_EQ(face.shown().time12, u"  9:31");

    // A clock set back or forward is followed at once, also to a minute
    // shown earlier.
    s = face.update(at(21, 5), &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(s.time12, u"  9:  5");
    EXPECT_EQ(s.ampm, u"PM");
    face.update(at(9, 30), &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(face.shown().time24, u"09 : 30");

    // The same minute of another day shows the same texts.
    face.update(QDateTime(QDate(2026, 12, 9), QTime(9, 30, 10)), &changed);
    EXPECT_FALSE(changed);
}

TEST(ClockFace, AnIdleHourChangesTheTextsSixtyTimes)
{
    Ticker t;
    t.run(at(13, 0), 3600);
    EXPECT_EQ(t.changes, 60);
    EXPECT_EQ(t.rollOvers, 0);
    EXPECT_EQ(t.face.shown().time24, u"13 : 59");
}

TEST(ClockFace, MidnightIsDueOncePerNightOnTheSecondTickOfTheMinute)
{
    Ticker t;
    t.run(at(23, 59, 55), 5);
    EXPECT_EQ(t.rollOvers, 0);
    // First tick of 00:00 still sees the 23:59 label; the second sees 00:00.
    t.tick(at(0, 0, 0, 0));
    EXPECT_EQ(t.rollOvers, 0);
    t.tick(at(0, 0, 0, 100));
    EXPECT_EQ(t.rollOvers, 1);
    // The rest of the minute and the next one: no second roll-over.
    t.run(at(0, 0, 0, 200), 119);
    EXPECT_EQ(t.rollOvers, 1);

    // 00:01 re-armed it: a clock set back to midnight rolls over again.
    t.run(at(0, 0), 2);
    EXPECT_EQ(t.rollOvers, 2);
    // Without 00:01 in between it stays done, however often 00:00 shows.
    t.run(at(12, 0), 1);
    t.run(at(0, 0), 2);
    EXPECT_EQ(t.rollOvers, 2);
}

TEST(ClockFace, IdleTicksLeaveTheClockLabelsAlone)
{
    Harness h;
    h.clock.set(at(10, 15, 0));
    h.startAndSettle();
    h.tick();
    ASSERT_EQ(h.text(QStringLiteral("LBL_TIME")), u"10 : 15");

    // Within the minute the tick does not write the labels again.
    h.label(QStringLiteral("LBL_TIME"))->setText(QStringLiteral("marker"));
    for (int i = 1; i < 10; ++i) {
        h.clock.set(at(10, 15, i * 6));
        h.tick();
    }
    EXPECT_EQ(h.text(QStringLiteral("LBL_TIME")), u"marker");

    // The next minute reaches all three labels in its first tick.
    h.clock.set(at(10, 16, 0, 40));
    h.tick();
    EXPECT_EQ(h.text(QStringLiteral("LBL_TIME")), u"10 : 16");
    EXPECT_EQ(h.text(QStringLiteral("LBL_TIME_2")), u" 10:16");
    EXPECT_EQ(h.text(QStringLiteral("lbl_AP")), u"AM");
}

namespace {

// Sets TZ for one test and puts the old value back.
class ZoneScope
{
public:
    explicit ZoneScope(const char* zone)
        : m_had(qEnvironmentVariableIsSet("TZ"))
        , m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
    }
    ~ZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(SystemClock, GivesLocalDateAndTimeInAnyZone)
{
    for (const char* zone : {"Asia/Tokyo", "America/St_Johns", "UTC", "Asia/Kathmandu"}) {
        const ZoneScope scope(zone);
        const SystemClock clock;
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime now = clock.now();
        const QDateTime after = QDateTime::currentDateTime();
        ASSERT_TRUE(now.isValid()) << zone;
        EXPECT_EQ(now.offsetFromUtc(), after.offsetFromUtc()) << zone;
        // Same instant as the library's local time, and the same wall clock.
        EXPECT_GE(now, before) << zone;
        EXPECT_LE(now, after) << zone;
        const auto wall = [](const QDateTime& t) { return QDateTime(t.date(), t.time(), Qt::UTC); };
        EXPECT_LE(qAbs(wall(now).msecsTo(wall(after))), 1000) << zone;
    }
}

TEST(SystemClock, FollowsTheSystemTimeBetweenCalls)
{
    const SystemClock clock;
    const QDateTime first = clock.now();
    QThread::msleep(30);
    const QDateTime second = clock.now();
    EXPECT_GE(first.msecsTo(second), 30);
    EXPECT_LT(first.msecsTo(second), 5000);
    EXPECT_LE(qAbs(second.msecsTo(QDateTime::currentDateTime())), 1000);
}
