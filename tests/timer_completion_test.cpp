#include "timers/TimerCompletion.h"

#include <stdexcept>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "support/Fakes.h"
#include "core/ClockTick.h"
#include "timers/CountdownTimer.h"

using namespace yk;
using yk::test::FakeClock;

namespace {

using Kind = TimerCompletion::MessageKind;
using Outcome = SessionEnd::Outcome;

// A program folder with the files the options point at; every action the
// completion takes is written to `log` in the order taken.
class Completion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("wav")));
        reg.fill(QString());
        for (int i : {20, 22, 24, 25})
            reg[size_t(i)] = QStringLiteral("0");
        actions.showMessage = [this](Kind kind, const QString& title, const QString& text) {
            log << (kind == Kind::TimeUp ? QStringLiteral("box ") : QStringLiteral("warning ")) + text;
            EXPECT_EQ(title, TimerCompletion::kMessageTitle);
        };
        actions.playDefaultSound = [this](const QString& p) { log << QStringLiteral("default ") + p; };
        actions.playRegisteredSound = [this](const QString& p) { log << QStringLiteral("sound ") + p; };
        actions.showTitle = [this](const QString& t) { log << QStringLiteral("title ") + t; };
        actions.startProgram = [this](const QString& p) { log << QStringLiteral("program ") + p; };
        actions.sendMascot = [this](const QString& s) { log << QStringLiteral("mascot ") + s; };
        actions.saveBeforeSessionEnd = [this] {
            log << QStringLiteral("save");
            return saveWorks;
        };
        actions.endSession = [this](SessionEnd::Done done) {
            log << QStringLiteral("power off");
            pending.push_back(std::move(done));
        };
    }

    QString file(const QString& rel, bool create = true)
    {
        const QString path = dir.filePath(rel);
        if (create) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        return path;
    }
    QString defaultSound() { return dir.filePath(QStringLiteral("wav/Timer.wav")); }

    // A timer that has just been reached.
    void reach()
    {
        timer.start(QStringLiteral("Time A03"), QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0)));
        ASSERT_TRUE(timer.check(QDateTime(QDate(2026, 1, 5), QTime(10, 3, 0))));
    }

    // Runs one completion and returns what it did.
    QStringList complete()
    {
        TimerCompletion completion(actions, defaultSound());
        reach();
        log.clear();
        EXPECT_TRUE(completion.run(timer, reg));
        EXPECT_EQ(timer.targetText(), QStringLiteral("okok"));
        EXPECT_TRUE(timer.timerText().isEmpty());
        return log;
    }

    void set(int entry, const QString& value) { reg[size_t(entry)] = value; }

    QTemporaryDir dir;
    std::array<QString, 26> reg;
    TimerCompletion::Actions actions;
    CountdownTimer timer;
    QStringList log;
    bool saveWorks = true;
    std::vector<SessionEnd::Done> pending;

    const QString box = QStringLiteral("box ") + TimerCompletion::kMessage;
    const QString title = QStringLiteral("title ") + TimerCompletion::kTitle;
    const QString mascot = QStringLiteral("mascot ") + TimerCompletion::kMascotScript;
};

} // namespace

TEST_F(Completion, AllOptionsOffPlaysTheDefaultSoundOrShowsTheBox)
{
    EXPECT_EQ(complete(), QStringList({box, mascot})) << "no wav/Timer.wav";
    file(QStringLiteral("wav/Timer.wav"));
    EXPECT_EQ(complete(), QStringList({QStringLiteral("default ") + defaultSound(), title, mascot}));
    EXPECT_EQ(TimerCompletion::kMascotScript, QStringLiteral("\\t\\h\\s[0]時間で～～す♪\\e"));
    EXPECT_EQ(TimerCompletion::kMessage, QStringLiteral("♪時間になりました♪"));
}

TEST_F(Completion, TheMessageBoxOptionWinsOverEverythingElse)
{
    file(QStringLiteral("wav/Timer.wav"));
    set(10, file(QStringLiteral("chime.wav")));
    set(0, file(QStringLiteral("tool")));
    set(20, QStringLiteral("1"));
    set(21, QStringLiteral("1"));
    set(22, QStringLiteral("1"));
    set(23, QStringLiteral("1"));
    set(24, QStringLiteral("1"));
    EXPECT_EQ(complete(), QStringList({box, mascot}));
}

TEST_F(Completion, RegisteredSoundRows)
{
    file(QStringLiteral("wav/Timer.wav"));
    const QString chime = file(QStringLiteral("chime.mp3"));
    const QString tool = file(QStringLiteral("tool"));
    set(22, QStringLiteral("1"));
    set(23, QStringLiteral("3"));
    set(12, chime);
    EXPECT_EQ(complete(), QStringList({QStringLiteral("sound ") + chime, title, mascot}));

    // ... then the program, when that option is on too.
    set(20, QStringLiteral("1"));
    set(21, QStringLiteral("2"));
    set(1, tool);
    EXPECT_EQ(complete(), QStringList({QStringLiteral("sound ") + chime, title, QStringLiteral("program ") + tool, mascot}));

    // ... or the box when the program is gone.
    QFile::remove(tool);
    EXPECT_EQ(complete(), QStringList({QStringLiteral("sound ") + chime, title, box, mascot}));

    // A deleted sound falls to the program when it is on, else to the box.
    QFile::remove(chime);
    set(1, file(QStringLiteral("tool")));
    EXPECT_EQ(complete(), QStringList({QStringLiteral("program ") + tool, mascot}));
    set(20, QStringLiteral("0"));
    EXPECT_EQ(complete(), QStringList({box, mascot}));
}

TEST_F(Completion, AnEmptySoundSlotPlaysTheDefaultSoundOrShowsTheBox)
{
    set(22, QStringLiteral("1"));
    set(23, QStringLiteral("4"));
    set(20, QStringLiteral("1"));
    set(0, file(QStringLiteral("tool")));
    set(21, QStringLiteral("1"));
    EXPECT_EQ(complete(), QStringList({box, mascot})) << "an empty slot never starts the program";
    file(QStringLiteral("wav/Timer.wav"));
    EXPECT_EQ(complete(), QStringList({QStringLiteral("default ") + defaultSound(), title, mascot}));
    for (const char* number : {"", "0", "11", "x"}) {
        set(23, QString::fromLatin1(number));
        EXPECT_EQ(complete(), QStringList({QStringLiteral("default ") + defaultSound(), title, mascot})) << number;
    }
}

TEST_F(Completion, ProgramRowsWithTheSoundOptionOff)
{
    const QString tool = file(QStringLiteral("tool"));
    set(20, QStringLiteral("1"));
    set(21, QStringLiteral("10"));
    set(9, tool);
    EXPECT_EQ(complete(), QStringList({QStringLiteral("program ") + tool, mascot})) << "no Timer.wav";
    file(QStringLiteral("wav/Timer.wav"));
    EXPECT_EQ(complete(), QStringList({QStringLiteral("program ") + tool, mascot})) << "the program, not the sound";
    QFile::remove(tool);
    EXPECT_EQ(complete(), QStringList({box, mascot})) << "a deleted program";
    set(9, QStringLiteral("relative/tool"));
    EXPECT_EQ(complete(), QStringList({box, mascot})) << "a relative path is never started";
}

TEST_F(Completion, OnlyAReachedTimerCompletesAndOnlyOnce)
{
    TimerCompletion completion(actions, defaultSound());
    EXPECT_FALSE(completion.run(timer, reg)) << "never started";
    timer.start(QStringLiteral("Time A03"), QDateTime(QDate(2026, 1, 5), QTime(10, 0, 0)));
    EXPECT_FALSE(completion.run(timer, reg)) << "running, not reached";
    EXPECT_TRUE(log.isEmpty());
    reach();
    EXPECT_TRUE(completion.run(timer, reg));
    EXPECT_FALSE(completion.run(timer, reg));
    EXPECT_EQ(log.count(box), 1);
}

TEST_F(Completion, FailingActionsStillLetTheOthersRunAndPutTheTimerToRest)
{
    file(QStringLiteral("wav/Timer.wav"));
    actions.playDefaultSound = [](const QString&) { throw std::runtime_error("device gone"); };
    actions.showTitle = [](const QString&) { throw 42; };
    EXPECT_EQ(complete(), QStringList({mascot}));

    actions.sendMascot = [](const QString&) { throw std::runtime_error("mascot gone"); };
    actions.fileExists = [](const QString&) -> bool { throw std::runtime_error("disk gone"); };
    complete(); // checks the rest state itself
    EXPECT_TRUE(timer.nextText().isEmpty());
}

TEST_F(Completion, AnEventLoopInsideAnActionCannotStartASecondCompletion)
{
    std::unique_ptr<TimerCompletion> completion;
    int boxes = 0;
    actions.showMessage = [&](Kind, const QString&, const QString&) {
        ++boxes;
        // As a tick arriving while a modal box spun the event loop would.
        EXPECT_FALSE(completion->run(timer, reg));
    };
    completion = std::make_unique<TimerCompletion>(actions, defaultSound());
    reach();
    EXPECT_TRUE(completion->run(timer, reg));
    EXPECT_EQ(boxes, 1);
}

TEST_F(Completion, SessionEndSavesFirstAndTheNoticeStillFollows)
{
    file(QStringLiteral("wav/Timer.wav"));
    set(25, QStringLiteral("1"));
    EXPECT_EQ(complete(), QStringList({QStringLiteral("save"), QStringLiteral("power off"),
                                       QStringLiteral("default ") + defaultSound(), title, mascot}));
    ASSERT_EQ(pending.size(), 1u);
}

TEST_F(Completion, ARefusedOrUnansweredSessionEndIsSaidNotSwallowed)
{
    set(25, QStringLiteral("1"));
    set(24, QStringLiteral("1"));
    TimerCompletion completion(actions, defaultSound());
    for (const Outcome outcome : {Outcome::Refused, Outcome::Unavailable}) {
        reach();
        ASSERT_TRUE(completion.run(timer, reg));
        ASSERT_EQ(pending.size(), 1u);
        log.clear();
        const SessionEnd::Result result{outcome, QStringLiteral("Access denied")};
        pending.front()(result);
        pending.clear();
        ASSERT_EQ(log.size(), 2);
        EXPECT_EQ(log.at(0), QStringLiteral("warning ") + TimerCompletion::sessionEndFailureText(result));
        EXPECT_TRUE(log.at(0).contains(QStringLiteral("Access denied")));
        EXPECT_TRUE(log.at(1).startsWith(QStringLiteral("mascot \\t\\h\\s[0]")));
        EXPECT_TRUE(log.at(1).endsWith(QStringLiteral("\\e")));
    }
    EXPECT_NE(TimerCompletion::sessionEndFailureText({Outcome::Refused, {}}),
              TimerCompletion::sessionEndFailureText({Outcome::Unavailable, {}}));

    // Accepted: nothing more to say.
    reach();
    completion.run(timer, reg);
    log.clear();
    pending.front()({Outcome::Accepted, {}});
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(Completion, NothingSavedMeansNoPowerOff)
{
    saveWorks = false;
    TimerCompletion completion(actions, defaultSound());
    completion.endSession();
    EXPECT_EQ(log.size(), 3);
    EXPECT_EQ(log.value(0), QStringLiteral("save"));
    EXPECT_EQ(log.value(1), QStringLiteral("warning ") + TimerCompletion::saveFailureText());
    EXPECT_TRUE(log.value(2).startsWith(QStringLiteral("mascot ")));
    EXPECT_TRUE(pending.empty()) << "the power-off was not asked for";

    // A save that throws counts as not saved.
    log.clear();
    actions.saveBeforeSessionEnd = []() -> bool { throw std::runtime_error("disk full"); };
    TimerCompletion throwing(actions, defaultSound());
    throwing.endSession();
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(log.value(0), QStringLiteral("warning ") + TimerCompletion::saveFailureText());

    // No way to ask at all.
    log.clear();
    actions.saveBeforeSessionEnd = {};
    actions.endSession = {};
    TimerCompletion nobody(actions, defaultSound());
    nobody.endSession();
    EXPECT_EQ(log.value(0), QStringLiteral("warning ") +
                                TimerCompletion::sessionEndFailureText({Outcome::Unavailable, {}}));
}

TEST_F(Completion, AnAnswerAfterTheCompletionIsGoneIsDropped)
{
    {
        TimerCompletion completion(actions, defaultSound());
        completion.endSession();
    }
    ASSERT_EQ(pending.size(), 1u);
    log.clear();
    pending.front()({Outcome::Refused, {}});
    EXPECT_TRUE(log.isEmpty());
}

// The two tick steps as the main window adds them: a failing step before
// them and a box that stays open do not stop or repeat the completion.
TEST_F(Completion, TickStepsCheckThenCompleteOncePerTimer)
{
    FakeClock clock(QDateTime(QDate(2026, 1, 5), QTime(9, 59, 59, 950)));
    ClockTick tick(clock);
    TimerCompletion completion(actions, defaultSound());
    tick.addStep(TickPhase::Track, QStringLiteral("player"), [](const QDateTime&) { throw std::runtime_error("device"); });
    tick.addStep(TickPhase::Timer, QStringLiteral("timer check"), [&](const QDateTime& now) { timer.check(now); });
    tick.addStep(TickPhase::Timer, QStringLiteral("timer completion"), [&](const QDateTime&) { completion.run(timer, reg); });

    timer.start(QStringLiteral("Time A03"), clock.now());
    int ticks = 0;
    while (clock.now() < QDateTime(QDate(2026, 1, 5), QTime(10, 5, 0))) {
        clock.advanceMs(100);
        tick.tick();
        ++ticks;
        if (timer.targetText() == QStringLiteral("okok"))
            break;
    }
    EXPECT_EQ(clock.now(), QDateTime(QDate(2026, 1, 5), QTime(10, 2, 59, 50)))
        << "completed in the tick that reached it";
    EXPECT_EQ(log, QStringList({box, mascot}));
    for (int i = 0; i < 1200; ++i) {
        clock.advanceMs(100);
        tick.tick();
    }
    EXPECT_EQ(log.count(box), 1) << "the box stays open; the clock keeps ticking without a second one";
    EXPECT_GT(ticks, 1000);
}
