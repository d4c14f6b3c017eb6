#include "timers/TimeSetFlow.h"

#include <vector>

#include <QStringList>
#include <gtest/gtest.h>

#include "media/Player.h"
#include "platform/AppPaths.h"
#include "support/Fakes.h"
#include "timers/CountdownTimer.h"

using namespace yk;
using yk::test::FakeClock;

namespace {

const AppPaths kAppDir(QStringLiteral("/opt/yomikaze"));
const QString kSound = QStringLiteral("/opt/yomikaze/wav/Time_Set.wav");
const QString kStarted = QStringLiteral("\\t\\h\\s[0]タイマーがスタートしました♪\\e");

class TimeSetFlowTest : public ::testing::Test
{
protected:
    TimeSetFlowTest()
        : flow(timer, clock, actions(), kAppDir)
    {
    }

    TimeSetFlow::Actions actions()
    {
        TimeSetFlow::Actions a;
        a.options = [this] { return opts; };
        a.fileExists = [this](const QString& path) { return soundThere && path == kSound; };
        a.playSound = [this](const QString& type, const QString& path) { sounds << type + u'|' + path; };
        a.showTitle = [this](const QString& t) { titles << t; };
        a.focusMainWindow = [this] { ++focused; };
        a.sendMascot = [this](const QString& s) { mascot << s; };
        a.showQuestion = [this](const TimeSetFlow::Question& q) { questions.push_back(q); };
        a.closeQuestion = [this] { ++closed; };
        a.openRegistration = [this] { ++registrations; };
        return a;
    }

    // A timer running since 09:00:00, started by a direct start.
    void runTimer(const QString& preset)
    {
        const auto saved = opts;
        const bool had = soundThere;
        opts = {preset, false, false};
        soundThere = true;
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
        flow.timeSet();
        ASSERT_TRUE(timer.isArmed());
        opts = saved;
        soundThere = had;
        sounds.clear();
        titles.clear();
        mascot.clear();
        focused = 0;
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 1, 10)));
    }

    // Whether the timer fires within the next `minutes` minutes, checked every second.
    bool firesWithin(int minutes)
    {
        QDateTime t = clock.now();
        for (int s = 0; s < minutes * 60; ++s, t = t.addSecs(1)) {
            if (timer.check(t))
                return true;
        }
        return false;
    }

    void expectCancelledButRequested()
    {
        EXPECT_EQ(timer.timerText(), QStringLiteral("Start"));
        EXPECT_TRUE(timer.startText().isEmpty());
        EXPECT_EQ(timer.targetText(), QStringLiteral("okok"));
        EXPECT_FALSE(timer.isArmed());
    }

    CountdownTimer timer;
    FakeClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15))};
    TimeSetFlow::Options opts{QStringLiteral("Time A03"), false, false};
    bool soundThere = true;
    QStringList sounds, titles, mascot;
    std::vector<TimeSetFlow::Question> questions;
    int focused = 0, closed = 0, registrations = 0;
    TimeSetFlow flow;
};

} // namespace

TEST(TimeSetTexts, QuestionAndTitleForEveryKind)
{
    const auto q = [](const char* preset) { return TimeSetFlow::questionFor(QString::fromLatin1(preset)); };
    EXPECT_EQ(q("Time A03"), QStringLiteral("3分後にお知らせしますか？"));
    EXPECT_EQ(q("Time A10"), QStringLiteral("10分後にお知らせしますか？"));
    EXPECT_EQ(q("Time B0005"), QStringLiteral("5分後にお知らせしますか？")) << "no hours when they are 00";
    EXPECT_EQ(q("Time B0000"), QStringLiteral("0分後にお知らせしますか？"));
    EXPECT_EQ(q("Time B0130"), QStringLiteral("1時間30分後にお知らせしますか？"));
    EXPECT_EQ(q("Time B1000"), QStringLiteral("10時間0分後にお知らせしますか？"));
    EXPECT_EQ(q("Time CP0005"), QStringLiteral("PM0時5分にお知らせしますか？"));
    EXPECT_EQ(q("Time CA1230"), QStringLiteral("AM12時30分にお知らせしますか？"));
    EXPECT_EQ(q(""), QStringLiteral("タイマーをセットしますか？"));
    EXPECT_EQ(q("Time A07"), QStringLiteral("タイマーをセットしますか？")) << "a preset nothing can count";

    EXPECT_EQ(TimeSetFlow::startedTitle(q("Time A03")), QStringLiteral("3分後にセット"));
    EXPECT_EQ(TimeSetFlow::startedTitle(q("Time B0130")), QStringLiteral("1時間30分後にセット"));
    EXPECT_EQ(TimeSetFlow::startedTitle(q("Time CA0930")), QStringLiteral("AM9時30分にセット"));
}

TEST_F(TimeSetFlowTest, DirectStartPlaysTheSoundStartsAndAnnouncesWithoutAsking)
{
    flow.timeSet();

    ASSERT_EQ(sounds, QStringList{QStringLiteral("WaveAudio|") + kSound});
    EXPECT_EQ(Player::deviceTypeFor(kSound), QStringLiteral("WaveAudio")) << "the player opens it the same way";
    EXPECT_TRUE(questions.empty()) << "no window opens";
    EXPECT_EQ(titles, QStringList{QStringLiteral("3分後にセット")});
    EXPECT_EQ(focused, 1);
    EXPECT_EQ(mascot, QStringList{kStarted});
    EXPECT_FALSE(flow.questionOpen());

    EXPECT_EQ(timer.timerText(), QStringLiteral("Start"));
    EXPECT_EQ(timer.startText(), QStringLiteral("09:30:15"));
    EXPECT_TRUE(timer.isArmed());
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 16)));
    EXPECT_FALSE(firesWithin(2));
    EXPECT_TRUE(timer.check(QDateTime(QDate(2026, 12, 8), QTime(9, 33, 15)))) << "three minutes after the start";
}

TEST_F(TimeSetFlowTest, DirectStartWhileRunningStartsAfreshFromNow)
{
    runTimer(QStringLiteral("Time A10"));
    opts.preset = QStringLiteral("Time B0001");
    flow.timeSet();
    EXPECT_EQ(sounds.size(), 1);
    EXPECT_EQ(timer.startText(), QStringLiteral("09:01:10"));
    EXPECT_EQ(timer.preset(), QStringLiteral("Time B0001"));
    EXPECT_EQ(titles, QStringList{QStringLiteral("1分後にセット")});
    EXPECT_EQ(mascot, QStringList{kStarted});
    EXPECT_TRUE(timer.check(QDateTime(QDate(2026, 12, 8), QTime(9, 2, 10)))) << "the new minute, not the old ten";
}

TEST_F(TimeSetFlowTest, WithoutTheSoundOrWithTheMessageBoxTheQuestionAlwaysOpens)
{
    for (const bool messageBox : {false, true}) {
        SCOPED_TRACE(messageBox ? "message box on, sound present" : "sound missing");
        questions.clear();
        opts = {QStringLiteral("Time B0130"), messageBox, false};
        soundThere = messageBox;
        flow.timeSet();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, QStringLiteral("1時間30分後にお知らせしますか？"));
        EXPECT_TRUE(questions[0].modal);
        EXPECT_TRUE(flow.questionOpen());
        EXPECT_TRUE(sounds.isEmpty());
        EXPECT_TRUE(mascot.isEmpty()) << "nothing is announced before the answer";
        expectCancelledButRequested();
        flow.answer(TimeSetAnswer::No);
    }
}

TEST_F(TimeSetFlowTest, YesStartsSilentlyFromTheMomentOfTheAnswer)
{
    opts.messageBox = true;
    flow.timeSet();
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 31, 40)));
    flow.answer(TimeSetAnswer::Yes);

    EXPECT_FALSE(flow.questionOpen());
    EXPECT_TRUE(sounds.isEmpty()) << "a confirmed start has no start sound";
    EXPECT_TRUE(titles.isEmpty());
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(mascot, QStringList{kStarted});
    EXPECT_EQ(timer.startText(), QStringLiteral("09:31:40"));
    EXPECT_TRUE(timer.isArmed());
    EXPECT_TRUE(timer.check(QDateTime(QDate(2026, 12, 8), QTime(9, 34, 40))));
}

TEST_F(TimeSetFlowTest, NoStopsARunningTimerAndSaysNothing)
{
    runTimer(QStringLiteral("Time A05"));
    opts.messageBox = true;
    flow.timeSet();
    flow.answer(TimeSetAnswer::No);

    EXPECT_TRUE(timer.timerText().isEmpty());
    EXPECT_TRUE(timer.startText().isEmpty());
    EXPECT_EQ(timer.targetText(), QStringLiteral("okok"));
    EXPECT_FALSE(timer.isArmed());
    EXPECT_TRUE(mascot.isEmpty());
    EXPECT_FALSE(firesWithin(15));
}

TEST_F(TimeSetFlowTest, EscapeLeavesNoTimerRunningButStillAnnouncesAStart)
{
    runTimer(QStringLiteral("Time A05"));
    soundThere = false;
    flow.timeSet();
    flow.answer(TimeSetAnswer::Escape);

    expectCancelledButRequested();
    EXPECT_EQ(mascot, QStringList{kStarted});
    EXPECT_FALSE(firesWithin(15)) << "the run before the question cancelled it";
    EXPECT_FALSE(flow.questionOpen());
}

TEST_F(TimeSetFlowTest, WithNoPresetYesOpensTheRegistrationWindowInsteadOfStarting)
{
    for (const bool messageBox : {false, true}) {
        SCOPED_TRACE(messageBox ? "message box on" : "sound missing");
        registrations = 0;
        questions.clear();
        opts = {QString(), messageBox, false};
        soundThere = messageBox;
        flow.timeSet();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, QStringLiteral("タイマーをセットしますか？"));
        flow.answer(TimeSetAnswer::Yes);
        EXPECT_EQ(registrations, 1);
        EXPECT_FALSE(timer.isArmed());
        EXPECT_TRUE(timer.startText().isEmpty());
        EXPECT_EQ(questions.size(), 1u) << "a question answered is not asked again";
        EXPECT_TRUE(mascot.isEmpty());
        EXPECT_TRUE(sounds.isEmpty());
    }
}

TEST_F(TimeSetFlowTest, WithNoPresetAndTheSoundTheQuestionOffersRegistrationAndKeepsTheTimer)
{
    runTimer(QStringLiteral("Time A10"));
    opts.preset.clear();
    flow.timeSet();

    ASSERT_EQ(questions.size(), 1u);
    EXPECT_FALSE(questions[0].modal) << "the main window stays usable";
    EXPECT_EQ(questions[0].text, QStringLiteral("タイマーをセットしますか？"));
    EXPECT_TRUE(sounds.isEmpty());
    EXPECT_TRUE(timer.isArmed()) << "nothing to start, so nothing is cancelled";
    flow.answer(TimeSetAnswer::No);
    EXPECT_TRUE(timer.isArmed());
    EXPECT_EQ(registrations, 0);

    flow.timeSet();
    flow.answer(TimeSetAnswer::Yes);
    EXPECT_EQ(registrations, 1);
    EXPECT_TRUE(timer.isArmed());
    EXPECT_TRUE(mascot.isEmpty());
    EXPECT_TRUE(firesWithin(10)) << "the old countdown still completes";
}

TEST_F(TimeSetFlowTest, APresetStoredWhileTheOfferIsOpenStartsOnYes)
{
    opts.preset.clear();
    flow.timeSet();
    ASSERT_TRUE(flow.questionOpen());
    opts.preset = QStringLiteral("Time A05");
    flow.answer(TimeSetAnswer::Yes);

    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(sounds.size(), 1);
    EXPECT_EQ(titles, QStringList{QStringLiteral("5分後にセット")});
    EXPECT_TRUE(timer.isArmed());
    EXPECT_EQ(mascot, QStringList{kStarted});
}

TEST_F(TimeSetFlowTest, ASecondRequestReplacesTheOpenQuestionAndStrayAnswersAreIgnored)
{
    opts.messageBox = true;
    flow.answer(TimeSetAnswer::Yes);
    EXPECT_FALSE(timer.isArmed()) << "no question, no answer";

    flow.timeSet();
    opts.topMost = true;
    opts.preset = QStringLiteral("Time CP0915");
    flow.timeSet();
    EXPECT_EQ(closed, 1);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_FALSE(questions[0].topMost);
    EXPECT_TRUE(questions[1].topMost) << "follows always-on-top as it is now";
    EXPECT_EQ(questions[1].text, QStringLiteral("PM9時15分にお知らせしますか？"));
    EXPECT_EQ(flow.question(), questions[1].text);

    flow.answer(TimeSetAnswer::Yes);
    flow.answer(TimeSetAnswer::No);
    EXPECT_TRUE(timer.isArmed()) << "the second answer came without a question";
    EXPECT_EQ(timer.preset(), QStringLiteral("Time CP0915"));
    EXPECT_EQ(mascot, QStringList{kStarted});
}
