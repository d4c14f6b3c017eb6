#include "timers/TimeSetWindow.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/AppPaths.h"
#include "support/Fakes.h"
#include "support/TestUtil.h"
#include "timers/CountdownTimer.h"

using yk::test::child;

using namespace yk;

namespace {

class TimeSetWindowTest : public ::testing::Test
{
protected:
    TimeSetWindowTest() : spy(&window, &TimeSetWindow::answered) {}

    void open(bool modal = true)
    {
        window.ask(QStringLiteral("5分後にお知らせしますか？"), modal, false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(QLatin1String(name)); }
    // The one answer given, after the window went away.
    TimeSetAnswer onlyAnswer()
    {
        EXPECT_EQ(spy.count(), 1);
        EXPECT_FALSE(window.isVisible()) << "the window closes with its answer";
        return spy.isEmpty() ? TimeSetAnswer::Escape : spy.takeFirst().at(0).value<TimeSetAnswer>();
    }

    TimeSetWindow window;
    QSignalSpy spy;
};

} // namespace

TEST_F(TimeSetWindowTest, NamesAndTexts)
{
    EXPECT_EQ(window.objectName(), QStringLiteral("frm_Time_Set"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("                         タイマーセット"));
    auto* label = window.findChild<QLabel*>(QStringLiteral("txt_Set"));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(button("cmb_Yes"), nullptr);
    ASSERT_NE(button("cmb_No"), nullptr);
    EXPECT_EQ(button("cmb_Yes")->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(button("cmb_No")->text(), QStringLiteral("いいえ(&N)"));

    window.ask(QStringLiteral("1時間30分後にお知らせしますか？"), true, false);
    EXPECT_EQ(label->text(), QStringLiteral("1時間30分後にお知らせしますか？"));
    EXPECT_EQ(window.questionText(), label->text());
    const QFontMetrics fm(label->font());
    EXPECT_LE(fm.horizontalAdvance(label->text()), label->width()) << "the longest question fits on one line";
}

TEST_F(TimeSetWindowTest, AskingReturnsAtOnceAndTheClockKeepsTicking)
{
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    open(true);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(yk::test::spinUntil([&] { return ticks >= 3; }, 2000)) << "ticks run while the question is open";
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(spy.isEmpty());

    window.ask(TimeSetFlow::Question{TimeSetFlow::kNoPresetQuestion, false, true});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.questionText(), TimeSetFlow::kNoPresetQuestion);
    window.ask(TimeSetFlow::kNoPresetQuestion, false, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    window.dismiss();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(spy.isEmpty()) << "taken away, not answered";
}

TEST_F(TimeSetWindowTest, ButtonsAnswerAndClose)
{
    open();
    QTest::mouseClick(button("cmb_Yes"), Qt::LeftButton);
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::Yes);

    open();
    QTest::mouseClick(button("cmb_No"), Qt::LeftButton);
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::No);
}

TEST_F(TimeSetWindowTest, KeysEnterEscapeAndMnemonics)
{
    open();
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::Yes) << "Enter presses Yes";

    open();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::Escape);

    for (const char* name : {"cmb_Yes", "cmb_No"}) {
        SCOPED_TRACE(name);
        open();
        button(name)->setFocus();
        QTest::keyClick(button(name), Qt::Key_Escape);
        EXPECT_EQ(onlyAnswer(), TimeSetAnswer::Escape) << "Esc on a button answers nothing";
    }

    open();
    QTest::keyClick(button("cmb_Yes"), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !spy.isEmpty(); }, 2000)); // an animated click
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::No);

    open();
    button("cmb_No")->setFocus();
    QTest::keyClick(button("cmb_No"), Qt::Key_Y, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !spy.isEmpty(); }, 2000));
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::Yes);

    open();
    window.close(); // the close box
    EXPECT_EQ(onlyAnswer(), TimeSetAnswer::Escape);
}

// The flow and the window joined the way the program joins them.
TEST(TimeSetWiring, TheWindowCarriesTheQuestionAndItsAnswerBackToTheFlow)
{
    CountdownTimer timer;
    yk::test::FakeClock clock;
    TimeSetWindow window;
    int registrations = 0;
    QStringList mascot;
    TimeSetFlow::Options opts{QStringLiteral("Time A05"), true, false};

    TimeSetFlow::Actions a;
    a.options = [&] { return opts; };
    a.fileExists = [](const QString&) { return true; };
    a.sendMascot = [&](const QString& s) { mascot << s; };
    a.showQuestion = [&](const TimeSetFlow::Question& q) { window.ask(q); };
    a.closeQuestion = [&] { window.dismiss(); };
    a.openRegistration = [&] {
        EXPECT_FALSE(window.isVisible()) << "the question is gone before the registration window shows";
        ++registrations;
    };
    TimeSetFlow flow(timer, clock, std::move(a), AppPaths(QStringLiteral("/app")));
    QObject::connect(&window, &TimeSetWindow::answered, [&](TimeSetAnswer answer) { flow.answer(answer); });

    flow.timeSet();
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.questionText(), QStringLiteral("5分後にお知らせしますか？"));
    QTest::mouseClick(child<QPushButton>(&window, "cmb_Yes"), Qt::LeftButton);
    EXPECT_TRUE(timer.isArmed()) << "Yes reached the flow as Yes";
    EXPECT_EQ(mascot.size(), 1);

    flow.timeSet();
    ASSERT_TRUE(window.isVisible());
    QTest::mouseClick(child<QPushButton>(&window, "cmb_No"), Qt::LeftButton);
    EXPECT_FALSE(timer.isArmed()) << "No reached the flow as No";
    EXPECT_TRUE(timer.timerText().isEmpty());
    EXPECT_EQ(mascot.size(), 1);

    flow.timeSet();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(timer.timerText(), QStringLiteral("Start")) << "Esc reached the flow as Esc";
    EXPECT_FALSE(flow.questionOpen());

    opts.preset.clear();
    flow.timeSet();
    EXPECT_EQ(window.questionText(), QStringLiteral("タイマーをセットしますか？"));
    flow.timeSet(); // a second request while it is open
    EXPECT_TRUE(window.isVisible());
    QTest::mouseClick(child<QPushButton>(&window, "cmb_Yes"), Qt::LeftButton);
    EXPECT_EQ(registrations, 1);
    EXPECT_FALSE(window.isVisible());
}

// Also leaves a picture of the question for the read-me when
// YK_SCREENSHOT_DIR names a folder.
TEST(TimeSetPicture, TheQuestionIsDrawn)
{
    TimeSetWindow window;
    window.ask(QStringLiteral("3分後にお知らせしますか？"), false, false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage shot = window.grab().toImage();
    ASSERT_EQ(shot.size(), window.size() * shot.devicePixelRatio());

    // The question's text leaves more than one colour in its strip.
    const QRect strip = child<QLabel>(&window, "txt_Set")->geometry();
    const QRgb first = shot.pixel(strip.topLeft());
    bool inked = false;
    for (int y = strip.top(); y <= strip.bottom() && !inked; ++y)
        for (int x = strip.left(); x <= strip.right() && !inked; ++x)
            inked = shot.pixel(x, y) != first;
    EXPECT_TRUE(inked);

    const QString dir = qEnvironmentVariable("YK_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QSaveFile file(QDir(dir).filePath(QStringLiteral("timer-question.png")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(shot.save(&file, "PNG"));
        ASSERT_TRUE(file.commit());
    }
}
