// The desktop notices that stand in for the mascot: which messages fall
// back, when, how often, and in which words.

#include "support/AppHarness.h"
#include "support/TestUtil.h"

#include "platform/DesktopNotifier.h"
#include "shell/NoticeFallback.h"
#include "timers/CountdownTimer.h"
#include "timers/TimeSetFlow.h"
#include "timers/TimerCompletion.h"
#include "timers/TimerStateFile.h"

using namespace yk;
using yk::test::FakeMascot;
using yk::test::RecordingNotifier;
using yk::test::Harness;
using yk::test::touch;

namespace {

// Lets every report already queued arrive.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The program with a recording notifier, a stored 3-minute countdown and
// the start sound present, so T starts the timer without a question.
struct NoticeHarness : Harness
{
    RecordingNotifier recorder;

    explicit NoticeHarness(bool mascotPresent)
    {
        mascot.present = mascotPresent;
        QDir(dir.path()).mkpath(QStringLiteral("System"));
        clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 58, 20)));
        touch(path(QStringLiteral("wav/Time_Set.wav")));
    }
    void begin()
    {
        notifier = &recorder;
        make();
        startAndSettle();
        settings().timerPreset = QStringLiteral("Time A03");
        settle();
    }
    void run(qint64 ms)
    {
        for (qint64 t = 0; t < ms; t += 100) {
            clock.advanceMs(100);
            tick();
        }
    }
};

} // namespace

TEST(ScriptWords, CommandsGoAndLineBreaksStay)
{
    EXPECT_EQ(NoticeFallback::plainText(QStringLiteral("\\t\\h\\s[0]タイマーがスタートしました♪\\e")),
              QStringLiteral("タイマーがスタートしました♪"));
    EXPECT_EQ(NoticeFallback::plainText(
                  QStringLiteral("\\t\\h\\s[0]タイマーをスタートさせるには\\n\\n\\w3メイン画面の【時間表示】を"
                                 "ダブルクリックしてね♪\\e")),
              QStringLiteral("タイマーをスタートさせるには\nメイン画面の【時間表示】をダブルクリックしてね♪"));
    EXPECT_EQ(NoticeFallback::plainText(QStringLiteral("\\u\\s5a\\w9b\\_w[300]c\\![raise,x\\]y]d\\n[half]e\\0\\1f")),
              QStringLiteral("abcd\nef"));
    EXPECT_EQ(NoticeFallback::plainText(QStringLiteral("100\\%\\\\ok\\ehidden")), QStringLiteral("100%\\ok"))
        << "escapes become their characters; nothing after the end counts";
    EXPECT_EQ(NoticeFallback::plainText(QStringLiteral("\\n\\h\\n")), QString());
    EXPECT_EQ(NoticeFallback::plainText(QStringLiteral("\\s[")), QString()) << "an unclosed argument ends the words";
}

TEST(NoticeFallbackRules, OnlyAMessageTheMascotDidNotTakeReachesTheDesktopOnce)
{
    FakeMascot mascot;
    RecordingNotifier notifier;
    NoticeFallback fallback(mascot, notifier);
    const QString script = QStringLiteral("\\t\\h\\s[0]一行目\\n\\n\\w2二行目\\n三行目\\e");

    fallback.sendImportant(script);
    EXPECT_TRUE(notifier.notices.isEmpty()) << "never inside the send";
    settle();
    EXPECT_TRUE(notifier.notices.isEmpty()) << "the mascot took it";
    EXPECT_EQ(mascot.scripts, QStringList{script});

    mascot.present = false;
    fallback.sendImportant(script);
    settle();
    ASSERT_EQ(notifier.notices.size(), 1);
    EXPECT_EQ(notifier.notices[0].summary, QStringLiteral("一行目"));
    EXPECT_EQ(notifier.notices[0].body, QStringLiteral("二行目\n三行目"));
    settle();
    EXPECT_EQ(notifier.notices.size(), 1);

    mascot.present = true;
    mascot.refuses = true;
    fallback.sendImportant(QStringLiteral("\\h断られた\\e"));
    settle();
    ASSERT_EQ(notifier.notices.size(), 2) << "a refusal is not being told";
    EXPECT_EQ(notifier.notices[1].summary, QStringLiteral("断られた"));
    EXPECT_TRUE(notifier.notices[1].body.isEmpty());
}

TEST(NoticeFallbackRules, AReportAfterTheFallbackIsGoneDoesNothing)
{
    FakeMascot mascot;
    mascot.present = false;
    RecordingNotifier notifier;
    {
        NoticeFallback fallback(mascot, notifier);
        fallback.sendImportant(QStringLiteral("\\h遅い\\e"));
    }
    settle();
    EXPECT_TRUE(notifier.notices.isEmpty());
}

TEST(NoticeWiring, ATimerStartWithoutAMascotIsOneNoticeAndTheGreetingNone)
{
    NoticeHarness h(false);
    h.begin();
    EXPECT_TRUE(h.recorder.notices.isEmpty()) << "the greeting stays the mascot's";

    h.key(Qt::Key_T);
    h.tick();
    settle();
    ASSERT_TRUE(h.timer().isArmed());
    ASSERT_EQ(h.recorder.notices.size(), 1);
    EXPECT_EQ(h.recorder.notices[0].summary, QStringLiteral("タイマーがスタートしました♪"));

    // Time up: one more, and only one however long it rests.
    h.run(3 * 60 * 1000 + 500);
    settle();
    ASSERT_EQ(h.recorder.notices.size(), 2);
    EXPECT_EQ(h.recorder.notices[1].summary, QStringLiteral("時間で～～す♪"));
    h.run(60 * 1000);
    settle();
    EXPECT_EQ(h.recorder.notices.size(), 2);
}

TEST(NoticeWiring, AMascotThatTakesTheTimerMessagesLeavesTheDesktopQuiet)
{
    NoticeHarness h(true);
    h.begin();
    h.key(Qt::Key_T);
    h.tick();
    h.run(3 * 60 * 1000 + 500);
    settle();
    EXPECT_TRUE(h.mascot.scripts.contains(TimeSetFlow::kStartedScript));
    EXPECT_TRUE(h.mascot.scripts.contains(TimerCompletion::kMascotScript));
    EXPECT_TRUE(h.recorder.notices.isEmpty());
}

TEST(NoticeWiring, AMissedTimerIsANoticeWhenNoMascotSaysIt)
{
    NoticeHarness h(false);
    const QDateTime start(QDate(2026, 12, 9), QTime(9, 0));
    ASSERT_TRUE(timerstate::write(h.path(QStringLiteral("System/timer.txt")),
                                  CountdownTimer::Saved{QStringLiteral("Time A05"), start}));
    h.clock.set(start.addSecs(3600));
    h.begin();
    ASSERT_EQ(h.recorder.notices.size(), 1);
    EXPECT_EQ(h.recorder.notices[0].summary, QStringLiteral("12/9 09:05 のタイマーは、お休みの間に過ぎてしまいました。"));
}
