// The timer as the program wires it: the keys, the tick's check and
// completion, the clock colour, the digit sounds and the kept state.

#include "support/AppHarness.h"
#include "support/TestUtil.h"

#include "media/Player.h"
#include "platform/SessionEnd.h"
#include "timers/CountdownTimer.h"
#include "timers/SoundKeys.h"
#include "timers/TimerCompletion.h"
#include "timers/TimerStateFile.h"
#include "timers/TimeSetFlow.h"
#include "timers/TimeSetWindow.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QMessageBox>
#include <QTimer>

using yk::test::child;

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

namespace {

struct TimerHarness : Harness
{
    TimerHarness()
    {
        QDir(dir.path()).mkpath(QStringLiteral("System")); // no opening sound
        clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 58, 20)));
    }
    // With the start sound present and no forced box, a start needs no
    // question.
    void begin(const QString& preset)
    {
        touch(path(QStringLiteral("wav/Time_Set.wav")));
        startAndSettle();
        settings().timerPreset = preset;
        device.clearLog();
        mascot.scripts.clear();
    }
    // Ticks every 100 ms of fake time for `ms`.
    void run(qint64 ms)
    {
        for (qint64 t = 0; t < ms; t += 100) {
            clock.advanceMs(100);
            tick();
        }
    }
    QColor colour(const QString& name) const { return label(name)->palette().color(QPalette::WindowText); }
    QList<QMessageBox*> boxes() const
    {
        QList<QMessageBox*> out;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                out.append(b);
        }
        return out;
    }
};

// Ends nothing: keeps what the settings file held when it was asked.
struct SettingsReadingSessionEnd : SessionEnd
{
    QString settingsFile;
    QByteArray heldWhenAsked;
    int asked = 0;
    void canEndSession(std::function<void(bool)> done) override { done(true); }
    void endSession(Done done) override
    {
        ++asked;
        heldWhenAsked = yk::test::readBytes(settingsFile);
        QTimer::singleShot(0, [done] { done(Result{Outcome::Accepted, {}}); });
    }
};

} // namespace

TEST(TimerWiring, TStartsTheStoredCountdownAndTheTickCompletesItOnce)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A03"));
    touch(h.path(QStringLiteral("wav/Timer.wav")));
    const QColor before = h.colour(QStringLiteral("LBL_TIME_2"));
    const QColor clock24 = h.colour(QStringLiteral("LBL_TIME"));

    h.key(Qt::Key_T);
    h.tick();
    EXPECT_TRUE(h.timer().isArmed());
    EXPECT_TRUE(h.label(QStringLiteral("lbl_Play_Name"))->styleSheet().contains(QStringLiteral("border: 1px")))
        << "the start's notice is framed while its sound plays";
    EXPECT_EQ(h.colour(QStringLiteral("LBL_TIME_2")), QColor(128, 0, 0));
    EXPECT_EQ(h.colour(QStringLiteral("lbl_AP")), QColor(128, 0, 0));
    EXPECT_EQ(h.colour(QStringLiteral("LBL_TIME")), clock24) << "the 24-hour clock keeps its colour";
    EXPECT_TRUE(h.clockTick().fastTicks());

    EXPECT_TRUE(h.mascot.scripts.contains(TimeSetFlow::kStartedScript));
    h.run(2 * 60 * 1000);
    EXPECT_EQ(h.mascot.scripts.count(TimerCompletion::kMascotScript), 0);
    h.run(60 * 1000);
    EXPECT_EQ(h.mascot.scripts.count(TimerCompletion::kMascotScript), 1);
    EXPECT_TRUE(h.device.log().contains(QStringLiteral("FileName=") + h.path(QStringLiteral("wav/Timer.wav"))));
    EXPECT_FALSE(h.timer().isArmed());
    EXPECT_EQ(h.colour(QStringLiteral("LBL_TIME_2")), before);
    EXPECT_EQ(h.text(QStringLiteral("lbl_Play_Name")), TimerCompletion::kTitle);
    // At rest: two more minutes bring no second completion.
    h.run(2 * 60 * 1000);
    EXPECT_EQ(h.mascot.scripts.count(TimerCompletion::kMascotScript), 1);
}

TEST(TimerWiring, ALateTickStillCompletesAndTheBoxLeavesTheClockRunning)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A03"));
    h.settings().registrations[Settings::RegMsgBoxOn] = QStringLiteral("1");
    // A forced box asks before it starts.
    h.timeSet();
    auto* question = h.form()->findChild<TimeSetWindow*>(QStringLiteral("frm_Time_Set"));
    ASSERT_NE(question, nullptr);
    child<QPushButton>(question, "cmb_Yes")->click();
    h.tick();
    // The machine sleeps through the target and its second chance.
    h.clock.advanceMs(10 * 60 * 1000);
    h.tick();
    EXPECT_EQ(h.mascot.scripts.count(TimerCompletion::kMascotScript), 1);
    ASSERT_EQ(h.boxes().size(), 1);
    EXPECT_EQ(h.boxes().first()->text(), TimerCompletion::kMessage);
    QStringList buttons;
    for (QAbstractButton* b : h.boxes().first()->buttons())
        buttons << b->text();
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("キャンセル"), QStringLiteral("再試行(&T)"), QStringLiteral("続行(&C)")}));
    const QString shown = h.text(QStringLiteral("LBL_TIME"));
    h.run(60 * 1000);
    EXPECT_NE(h.text(QStringLiteral("LBL_TIME")), shown) << "the clock ticks behind the box";
    EXPECT_EQ(h.boxes().size(), 1);
    for (QMessageBox* b : h.boxes())
        b->close();
}

TEST(TimerWiring, CtrlStopsTheTimerAndTheSound)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A05"));
    touch(h.path(QStringLiteral("wav/chime.wav")));
    h.settings().registrations[12] = h.path(QStringLiteral("wav/chime.wav"));
    h.key(Qt::Key_T);
    h.key(Qt::Key_3);
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
    h.key(Qt::Key_Control);
    EXPECT_FALSE(h.timer().isArmed());
    EXPECT_EQ(h.device.command(), QStringLiteral("Close"));
    EXPECT_EQ(h.soundKeys().number(), 0);
    EXPECT_EQ(h.timer().targetText(), QStringLiteral("okok"));
}

TEST(TimerWiring, DigitsPickPlayAndSwitchOffTheirOwnSound)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A03"));
    auto& reg = h.settings().registrations;
    touch(h.path(QStringLiteral("wav/chime.wav")));
    touch(h.path(QStringLiteral("wav/bell.mid")));
    reg[12] = h.path(QStringLiteral("wav/chime.wav")); // sound 3
    reg[19] = h.path(QStringLiteral("wav/bell.mid"));  // sound 10, the 0 key

    h.key(Qt::Key_3);
    EXPECT_EQ(reg[Settings::RegWavOn], QStringLiteral("1"));
    EXPECT_EQ(reg[Settings::RegWavNumber], QStringLiteral("3"));
    EXPECT_EQ(h.device.fileName(), reg[12]);
    EXPECT_EQ(h.text(QStringLiteral("lbl_Play_Name")), QStringLiteral("Timer3.chime"));

    h.key(Qt::Key_0);
    EXPECT_EQ(reg[Settings::RegWavNumber], QStringLiteral("10"));
    EXPECT_EQ(h.device.deviceType(), QStringLiteral("Sequencer"));
    EXPECT_EQ(h.text(QStringLiteral("lbl_Play_Name")), QStringLiteral("Timer10.bell"));

    h.key(Qt::Key_0);
    EXPECT_EQ(reg[Settings::RegWavOn], QStringLiteral("0"));
    EXPECT_EQ(h.device.command(), QStringLiteral("Close"));

    touch(reg[15] = h.path(QStringLiteral("wav/rain.flac"))); // sound 6: as mp3, named without ".flac"
    h.key(Qt::Key_6);
    EXPECT_EQ(h.device.deviceType(), QStringLiteral("MpegVideo"));
    EXPECT_EQ(h.text(QStringLiteral("lbl_Play_Name")), QStringLiteral("Timer6.rain"));
    // A digit without a sound still switches the timer sound on with its number.
    h.key(Qt::Key_5);
    EXPECT_EQ(reg[Settings::RegWavOn], QStringLiteral("1"));
    EXPECT_EQ(reg[Settings::RegWavNumber], QStringLiteral("5"));
    EXPECT_EQ(h.text(QStringLiteral("lbl_Play_Name")), QStringLiteral("未登録"));

    // The keypad's digits are no sound keys.
    QTest::keyClick(h.form(), Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(reg[Settings::RegWavNumber], QStringLiteral("5"));
    // Shift with the 3 key (which the keyboard reports as "#") runs Shift's
    // command (the play list) and then the 3 key's.
    const bool listShown = h.playWindow()->isVisible();
    h.key(Qt::Key_Shift);
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_NumberSign, Qt::ShiftModifier, 12, 0, 0, QStringLiteral("#"));
    QApplication::sendEvent(h.form(), &shifted);
    EXPECT_NE(h.playWindow()->isVisible(), listShown);
    EXPECT_EQ(reg[Settings::RegWavNumber], QStringLiteral("3"));
}

TEST(TimerWiring, MAsksWhetherABoxIsAlwaysShown)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A03"));
    for (const auto& [answer, stored] : {std::pair{QMessageBox::Yes, "1"}, std::pair{QMessageBox::No, "0"}}) {
        h.key(Qt::Key_M);
        QMessageBox* box = nullptr;
        for (QMessageBox* b : h.boxes()) {
            if (b->windowTitle() == QStringLiteral("タイマー完了時MessageBox強制"))
                box = b;
        }
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("メッセージボックス強制使用しますか？"));
        box->button(answer)->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(h.settings().registrations[Settings::RegMsgBoxOn], QString::fromLatin1(stored));
    }
}

TEST(TimerWiring, ADoubleClickOnThe12HourClockArmsTheTimer)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A10"));
    QTest::mouseDClick(h.label(QStringLiteral("LBL_TIME_2")), Qt::LeftButton);
    EXPECT_TRUE(h.timer().isArmed());
    EXPECT_EQ(h.device.fileName(), h.path(QStringLiteral("wav/Time_Set.wav")));
    EXPECT_TRUE(h.mascot.scripts.contains(TimeSetFlow::kStartedScript));
    QTest::mouseDClick(h.label(QStringLiteral("LBL_TIME")), Qt::LeftButton);
    EXPECT_EQ(h.timer().preset(), QStringLiteral("Time A10"));
}

TEST(TimerWiring, WithoutTheStartSoundTheQuestionAsksAndYesStarts)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A05"));
    QFile::remove(h.path(QStringLiteral("wav/Time_Set.wav")));
    h.key(Qt::Key_T);
    auto* question = h.form()->findChild<TimeSetWindow*>(QStringLiteral("frm_Time_Set"));
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(question->isVisible());
    EXPECT_FALSE(h.timer().isArmed());
    // The clock goes on while the question waits.
    const QString shown = h.text(QStringLiteral("LBL_TIME"));
    h.run(60 * 1000);
    EXPECT_NE(h.text(QStringLiteral("LBL_TIME")), shown);
    child<QPushButton>(question, "cmb_Yes")->click();
    EXPECT_TRUE(h.timer().isArmed());
    EXPECT_FALSE(question->isVisible());
}

TEST(TimerWiring, ARunningTimerOutlivesARestartAndAMissedOneIsReported)
{
    TimerHarness h;
    h.begin(QStringLiteral("Time A05"));
    h.key(Qt::Key_T);
    h.tick();
    const QString file = h.path(QStringLiteral("System/timer.txt"));
    ASSERT_TRUE(QFile::exists(file));
    const auto saved = timerstate::read(file);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->preset, QStringLiteral("Time A05"));

    {
        // Back two minutes later: the countdown goes on.
        Harness again;
        QDir(again.dir.path()).mkpath(QStringLiteral("System"));
        ASSERT_TRUE(timerstate::write(again.path(QStringLiteral("System/timer.txt")), saved));
        again.clock.set(saved->start.addSecs(120));
        again.startAndSettle();
        EXPECT_TRUE(again.timer().isArmed());
    }
    {
        // Back an hour later: missed, said so, not fired.
        Harness late;
        QDir(late.dir.path()).mkpath(QStringLiteral("System"));
        ASSERT_TRUE(timerstate::write(late.path(QStringLiteral("System/timer.txt")), saved));
        late.clock.set(saved->start.addSecs(3600));
        late.startAndSettle();
        EXPECT_FALSE(late.timer().isArmed());
        EXPECT_TRUE(late.text(QStringLiteral("lbl_Play_Name")).contains(QStringLiteral("過ぎました")));
        ASSERT_FALSE(late.mascot.scripts.isEmpty());
        EXPECT_TRUE(late.mascot.scripts.last().contains(QStringLiteral("過ぎてしまいました")));
        EXPECT_FALSE(QFile::exists(late.path(QStringLiteral("System/timer.txt"))));
        for (int i = 0; i < 20; ++i) {
            late.clock.advanceMs(100);
            late.tick();
        }
        EXPECT_EQ(late.mascot.scripts.count(TimerCompletion::kMascotScript), 0);
    }
    h.key(Qt::Key_Control);
    EXPECT_FALSE(QFile::exists(file));
}

TEST(TimerWiring, AnEndingTimerPlaysItsRegisteredSoundAndSavesBeforeThePowerOff)
{
    SettingsReadingSessionEnd ending;
    TimerHarness h;
    h.sessionEnd = &ending;
    ending.settingsFile = h.path(QStringLiteral("System/viw.ini"));
    touch(h.path(QStringLiteral("wav/Timer.wav")));
    touch(h.path(QStringLiteral("wav/mine.wav")));
    h.begin(QStringLiteral("Time A03"));
    auto& reg = h.settings().registrations;
    reg[11] = h.path(QStringLiteral("wav/mine.wav")); // sound 2
    reg[Settings::RegWavOn] = QStringLiteral("1");
    reg[Settings::RegWavNumber] = QStringLiteral("2");
    reg[Settings::RegExitWinOn] = QStringLiteral("1");
    h.menu(QStringLiteral("mnu_Top")); // a change made since the last save

    h.key(Qt::Key_T);
    h.run(3 * 60 * 1000 + 200);
    ASSERT_EQ(ending.asked, 1);
    const QStringList held = QString::fromUtf8(ending.heldWhenAsked).remove(u'\r').split(u'\n');
    EXPECT_TRUE(held.contains(QStringLiteral("TY"))) << "the settings were saved before the power-off";
    EXPECT_TRUE(h.device.log().contains(QStringLiteral("FileName=") + h.path(QStringLiteral("wav/mine.wav"))));
    EXPECT_FALSE(h.device.log().contains(QStringLiteral("FileName=") + h.path(QStringLiteral("wav/Timer.wav"))));
}
