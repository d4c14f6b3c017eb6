// The movie window inside the whole program: the player shows movies in
// it, its keys reach the main window's commands, mnu_Movie_Full, the tick's
// size step, the Space key's frame capture, and what is kept at the end.

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "media/MovieController.h"
#include "media/MovieWindow.h"
#include "media/PlayWindow.h"
#include "platform/TextFile.h"
#include "support/AppHarness.h"
#include "support/FakeMoviePlayer.h"

namespace yk {
namespace {

using test::FakeMoviePlayer;
using test::Harness;
using test::touch;

QStringList settingsLines(const Harness& h)
{
    QFile f(h.settings().filePath());
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return textfile::splitLines(textfile::decode(f.readAll()));
}

struct MovieApp : ::testing::Test
{
    FakeMoviePlayer engine;
    Harness h;
    QStringList files;

    void SetUp() override
    {
        h.movie = &engine;
        h.make();
        start();
    }
    virtual void start() { h.startAndSettle(); }

    void loadList()
    {
        // Three, so that a step forward and one back never land alike.
        files = {h.path(QStringLiteral("media/clip.avi")), h.path(QStringLiteral("media/second.avi")),
                 h.path(QStringLiteral("media/third.avi"))};
        for (const QString& f : files)
            touch(f);
        h.playList().append(files);
    }
    // The first entry plays and the engine reports it open.
    void playMovie()
    {
        if (files.isEmpty())
            loadList();
        h.player().setCurrentIndex(0);
        h.player().play();
        engine.finishLoading();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    MovieWindow* window() const { return h.movieWindow(); }
    bool menuChecked() const { return h.menu()->item(QStringLiteral("mnu_Movie_Full"))->isChecked(); }
    QAction* sizeItem(int n) const
    {
        return window()->sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size") + QString::number(n));
    }
};

TEST_F(MovieApp, APlayedMovieShowsInTheMovieWindowAndStoppingPutsItAway)
{
    EXPECT_FALSE(window()->isVisible());
    playMovie();
    EXPECT_TRUE(h.player().moviePlaying());
    EXPECT_EQ(engine.videoWidget()->parentWidget(), window());
    EXPECT_EQ(window()->size(), QSize(328, 248));

    h.key(Qt::Key_End); // the stop key of the main window
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(engine.videoWidget()->parentWidget(), nullptr);
    EXPECT_EQ(h.settings().movieSize, QStringLiteral("M_Height=0000000240 M_Width=0000000320"));
}

TEST_F(MovieApp, ClosingTheWindowStopsThePlayer)
{
    playMovie();
    window()->move(300, 200);
    engine.calls.clear();
    window()->close();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(h.player().moviePlaying());
    EXPECT_FALSE(h.player().listPlaying());
    EXPECT_TRUE(engine.calls.contains(QStringLiteral("stop")));
    EXPECT_EQ(h.settings().movieTop, QStringLiteral("3000"));
    EXPECT_EQ(h.settings().movieLeft, QStringLiteral("4500"));
}

TEST_F(MovieApp, KeysInTheMovieWindowReachTheMainWindowsCommands)
{
    playMovie();
    QTest::keyClick(window(), Qt::Key_Left);
    EXPECT_EQ(h.calendar().shownMonth(), 11);
    QTest::keyClick(window(), Qt::Key_Up);
    EXPECT_EQ(h.calendar().shownYear(), 2027);

    // Digits do not start timer sounds from here; on the main window they do.
    auto& reg = h.settings().registrations;
    const QString before = reg[Settings::RegWavOn] + u'/' + reg[Settings::RegWavNumber];
    QTest::keyClick(window(), Qt::Key_3);
    EXPECT_EQ(reg[Settings::RegWavOn] + u'/' + reg[Settings::RegWavNumber], before);
    EXPECT_TRUE(window()->isVisible());

    // End stops, from here as from the main window.
    QTest::keyClick(window(), Qt::Key_End);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(h.player().moviePlaying());
}

TEST_F(MovieApp, KeypadPlusAndMinusStepThroughTheList)
{
    playMovie();
    QTest::keyClick(window(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(h.player().currentIndex(), 1);
    EXPECT_EQ(engine.fileName(), files.at(1));
    engine.finishLoading();
    EXPECT_TRUE(window()->isVisible());
    QTest::keyClick(window(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(h.player().currentIndex(), 0);
    EXPECT_EQ(engine.fileName(), files.at(0));
}

TEST_F(MovieApp, FullMovieMenuItemTogglesItsCheckAndTheSettingsLine)
{
    EXPECT_FALSE(menuChecked());
    h.menu(QStringLiteral("mnu_Movie_Full"));
    EXPECT_TRUE(menuChecked());
    EXPECT_TRUE(h.settings().movieFullWindow);
    ASSERT_TRUE(h.appShell().saveSettings());
    EXPECT_EQ(settingsLines(h).value(42), QStringLiteral("Movie Full Window"));

    h.menu(QStringLiteral("mnu_Movie_Full"));
    EXPECT_FALSE(menuChecked());
    ASSERT_TRUE(h.appShell().saveSettings());
    EXPECT_EQ(settingsLines(h).value(42), QStringLiteral("Movie Nomal Window"));
}

TEST_F(MovieApp, FullMovieOnFillsTheScreenWithAShownMovieOffKeepsItPlaying)
{
    playMovie();
    h.menu(QStringLiteral("mnu_Movie_Full"));
    EXPECT_TRUE(window()->isFullScreenShown());
    h.menu(QStringLiteral("mnu_Movie_Full"));
    EXPECT_FALSE(window()->isFullScreenShown());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(h.player().moviePlaying());
}

TEST_F(MovieApp, TheTickMakesTheWindowFollowAChosenSize)
{
    playMovie();
    sizeItem(2)->trigger();
    h.tick();
    EXPECT_EQ(window()->size(), QSize(648, 488));

    // Double-clicking the picture fills the screen at the next tick and
    // checks the menu item.
    QTest::mouseDClick(engine.videoWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(window()->isFullScreenShown());
    h.tick();
    EXPECT_TRUE(window()->isFullScreenShown());
    EXPECT_TRUE(menuChecked());
}

TEST_F(MovieApp, ASoundKeyTakesTheStageAndAMovieAlarmShowsAsAMovie)
{
    playMovie();
    auto& reg = h.settings().registrations;
    touch(reg[10] = h.path(QStringLiteral("wav/ring.wav"))); // sound 1
    h.key(Qt::Key_1);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(h.player().listPlaying());
    EXPECT_EQ(h.text(QStringLiteral("lbl_S_Time")), QStringLiteral("00:00"));
    EXPECT_EQ(h.device.fileName(), reg[10]);

    touch(reg[11] = h.path(QStringLiteral("wav/alarm.avi"))); // sound 2
    h.key(Qt::Key_2);
    engine.finishLoading();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window()));
    EXPECT_TRUE(h.player().systemSoundPlaying());
}

TEST_F(MovieApp, TheTimersStartQuestionKeepsAMovieFromOpening)
{
    loadList();
    h.settings().registrations[Settings::RegMsgBoxOn] = QStringLiteral("1");
    h.settings().timerPreset = QStringLiteral("Time A03");
    h.timeSet();
    auto* question = h.form()->findChild<QWidget*>(QStringLiteral("frm_Time_Set"));
    ASSERT_TRUE(question && question->isVisible());
    h.player().setCurrentIndex(0);
    h.player().play();
    engine.finishLoading();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(h.player().listPlaying());
}

TEST_F(MovieApp, WithAnEmptyListTheShownWindowStillFollowsItsSize)
{
    playMovie();
    h.playList().clear();
    sizeItem(2)->trigger();
    h.tick();
    EXPECT_EQ(window()->size(), QSize(648, 488));
}

TEST_F(MovieApp, SpaceCapturesTheFrameThenFocusesTheMainWindow)
{
    playMovie();
    QTest::keyClick(window(), Qt::Key_Space);
    const QString first = h.path(QStringLiteral("Capture/0000clip.bmp"));
    ASSERT_TRUE(QFile::exists(first));
    const QImage saved(first);
    EXPECT_EQ(saved.size(), QSize(320, 240));
    EXPECT_EQ(saved.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(saved.pixelColor(310, 230), QColor(Qt::white));
    EXPECT_FALSE(h.menu()->menu()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == h.form(); }, 2000));

    // From the main window the same key captures the next one.
    h.key(Qt::Key_Space);
    EXPECT_TRUE(QFile::exists(h.path(QStringLiteral("Capture/0001clip.bmp"))));
}

TEST_F(MovieApp, AfterACaptureAShownPlayListTakesTheFocus)
{
    playMovie();
    h.togglePlayList();
    ASSERT_TRUE(h.playWindow()->isVisible());
    window()->activateWindow();
    QTest::keyClick(window(), Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == h.playWindow(); }, 2000));
}

TEST_F(MovieApp, AFailedCaptureSaysSo)
{
    playMovie();
    QDir(h.path(QStringLiteral("Capture"))).removeRecursively();
    touch(h.path(QStringLiteral("Capture"))); // a file where the folder goes
    QTest::keyClick(window(), Qt::Key_Space);
    EXPECT_TRUE(h.player().title().contains(QStringLiteral("キャプチャ失敗")))
        << qPrintable(h.player().title());
}

TEST_F(MovieApp, SpaceWithoutAMovieOpensTheMenu)
{
    h.key(Qt::Key_Space);
    QMenu* menu = h.menu()->menu();
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    EXPECT_TRUE(QDir(h.path(QStringLiteral("Capture"))).entryList(QDir::Files).isEmpty());
}

TEST_F(MovieApp, AlwaysOnTopReachesTheMovieWindow)
{
    playMovie();
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_TRUE(window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_FALSE(window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MovieApp, TheEndKeepsAShownMoviesPlaceAndSize)
{
    playMovie();
    window()->move(100, 60);
    QSignalSpy resized(window(), &MovieWindow::resizedByUser);
    window()->resize(400, 300);
    QCoreApplication::processEvents();
    h.app->shutdown();
    const QStringList lines = settingsLines(h);
    ASSERT_GE(lines.size(), 43);
    EXPECT_EQ(lines.at(0).mid(120, 20), QStringLiteral("0000000900") + QStringLiteral("0000001500"));
    EXPECT_EQ(lines.at(41), QStringLiteral("M_Height=0000000292 M_Width=0000000392"));
}

TEST_F(MovieApp, ALogOffSaveKeepsTheMovieWhereItIsAndPlaying)
{
    playMovie();
    window()->move(100, 60);
    QCoreApplication::processEvents();
    h.app->commitData();
    const QStringList lines = settingsLines(h);
    ASSERT_GE(lines.size(), 43);
    EXPECT_EQ(lines.at(0).mid(120, 20), QStringLiteral("0000000900") + QStringLiteral("0000001500"));
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(h.player().moviePlaying());
}

// A settings file that asks for full-window movies.
struct MovieAppFromFile : MovieApp
{
    void start() override
    {
        QStringList lines(51, QString());
        lines[0] = QString(140, u'0');
        lines[41] = QStringLiteral("M_Height=0000000100 M_Width=0000000200");
        lines[42] = QStringLiteral("Movie Full Window");
        touch(h.path(QStringLiteral("System/viw.ini")), lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        h.startAndSettle();
    }
};

TEST_F(MovieAppFromFile, TheSettingsFileChecksTheItemAndSizesTheWindow)
{
    EXPECT_TRUE(menuChecked());
    EXPECT_TRUE(h.settings().movieFullWindow);
    playMovie();
    EXPECT_TRUE(window()->isFullScreenShown());
    EXPECT_EQ(window()->windowTwips(), QSize(15 * 208, 15 * 108));
}

} // namespace
} // namespace yk
