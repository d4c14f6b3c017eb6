// The movie window on its own: the size arithmetic, the window's keys,
// mouse and menu, and the controller that sizes, places and stacks it.

#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "media/MovieController.h"
#include "media/MovieLayout.h"
#include "media/MovieWindow.h"
#include "core/Settings.h"
#include "ui/ToolWindow.h"
#include "support/FakeMoviePlayer.h"

namespace yk {
namespace {

using movie::DisplaySize;
using test::FakeMoviePlayer;

const QString kStored400x300 = QStringLiteral("M_Height=0000000300 M_Width=0000000400");

// ---------------------------------------------------------------- sizes

TEST(MovieLayout, StoredSizeIsReadFromItsColumns)
{
    EXPECT_EQ(movie::storedPlayerSize(kStored400x300), QSize(400, 300));
    // The columns count, not the words in front of them.
    EXPECT_EQ(movie::storedPlayerSize(QStringLiteral("xxxxxxxxx0000000012yyyyyyyyy0000000034")), QSize(34, 12));
    EXPECT_EQ(movie::storedPlayerSize(QStringLiteral("DefoltSize")), std::nullopt);
    EXPECT_EQ(movie::storedPlayerSize(QString()), std::nullopt);
    EXPECT_EQ(movie::storedPlayerSize(QStringLiteral("M_Height=0000000300 M_Width=00000004")), std::nullopt);
    EXPECT_EQ(movie::storedPlayerSize(QStringLiteral("M_Height=00000003x0 M_Width=0000000400")), std::nullopt);
    EXPECT_EQ(movie::storedPlayerSize(QStringLiteral("M_Height=0000000000 M_Width=0000000400")), std::nullopt);
}

TEST(MovieLayout, SizeTextKeepsItsColumns)
{
    EXPECT_EQ(movie::movieSizeText(QSize(400, 300)), kStored400x300);
    EXPECT_EQ(movie::movieSizeText(QSize(-3, 7)), QStringLiteral("M_Height=0000000007 M_Width=0000000000"));
    EXPECT_EQ(movie::storedPlayerSize(movie::movieSizeText(QSize(641, 479))), QSize(641, 479));
}

TEST(MovieLayout, FirstMovieOpensAtItsOwnSizePlusTheFrame)
{
    const movie::Layout l = movie::layoutFor(QStringLiteral("DefoltSize"), QSize(320, 240));
    EXPECT_EQ(l.windowTwips, QSize(15 * 320 + 120, 15 * 240 + 120));
    EXPECT_EQ(l.playerPixels, QSize(320, 240));
    EXPECT_EQ(movie::layoutFor(QString(), QSize(320, 240)), l);
}

TEST(MovieLayout, StoredSizeWinsOverTheMovies)
{
    const movie::Layout l = movie::layoutFor(kStored400x300, QSize(320, 240));
    EXPECT_EQ(l.windowTwips, QSize(6120, 4620));
    EXPECT_EQ(l.playerPixels, QSize(400, 300));
    EXPECT_EQ(movie::playerForWindowTwips(QSize(6120, 4620)), QSize(400, 300));
}

TEST(MovieLayout, DisplaySizesScaleTheMovie)
{
    const QSize video(321, 241);
    EXPECT_EQ(movie::layoutForDisplaySize(DisplaySize::Own, video, kStored400x300)->windowTwips,
              QSize(15 * 321 + 120, 15 * 241 + 120));
    EXPECT_EQ(movie::layoutForDisplaySize(DisplaySize::Half, video, kStored400x300)->playerPixels, QSize(160, 120));
    EXPECT_EQ(movie::layoutForDisplaySize(DisplaySize::Double, video, kStored400x300)->windowTwips,
              QSize(30 * 321 + 120, 30 * 241 + 120));
    EXPECT_EQ(movie::layoutForDisplaySize(DisplaySize::FitToWindow, video, kStored400x300)->playerPixels,
              QSize(400, 300));
    EXPECT_EQ(movie::layoutForDisplaySize(DisplaySize::FitToWindow, video, QStringLiteral("DefoltSize"))->playerPixels,
              video);
    EXPECT_FALSE(movie::layoutForDisplaySize(DisplaySize::FullScreen, video, kStored400x300).has_value());
}

TEST(MovieLayout, RecordKeepsPlaceAndSizeWithNegativesAsZero)
{
    const movie::Record r = movie::recordFor(TwipsPos{-150, 3000}, QSize(6120, 4620));
    EXPECT_EQ(r.position, (TwipsPos{0, 3000}));
    EXPECT_EQ(r.mpTop, QStringLiteral("0"));
    EXPECT_EQ(r.mpLeft, QStringLiteral("3000"));
    EXPECT_EQ(r.movieSize, kStored400x300);
}

TEST(MovieLayout, AResizedAndClosedWindowOpensTheNextMovieAtTheNewSize)
{
    const QSize resized(15 * 500 + 120, 15 * 280 + 120);
    const movie::Record r = movie::recordFor(TwipsPos{1500, 1500}, resized);
    EXPECT_EQ(movie::layoutFor(r.movieSize, QSize(640, 480)).windowTwips, resized);
}

// ---------------------------------------------------------------- window

QRect innerOf(const QWidget& w)
{
    return w.rect().adjusted(movie::kFrameSide, movie::kFrameSide, -movie::kFrameSide, -movie::kFrameSide);
}

TEST(MovieWindowWidget, ShowsTheVideoInsideItsFrameAndGivesItBack)
{
    FakeMoviePlayer engine;
    {
        MovieWindow w;
        EXPECT_EQ(w.objectName(), QStringLiteral("frm_MP"));
        w.setWindowTwips(QSize(15 * 320 + 120, 15 * 240 + 120));
        w.setVideo(engine.videoWidget());
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_EQ(w.size(), QSize(328, 248));
        EXPECT_EQ(engine.videoWidget()->parentWidget(), &w);
        EXPECT_EQ(engine.videoWidget()->geometry(), innerOf(w));
        EXPECT_EQ(engine.videoWidget()->geometry().size(), QSize(320, 240));

        w.setFullScreenShown(true);
        EXPECT_TRUE(w.windowState().testFlag(Qt::WindowFullScreen));
        EXPECT_TRUE(QTest::qWaitFor([&] { return engine.videoWidget()->geometry() == w.rect(); }, 2000));
        // The size and place to go back to are still the window's.
        EXPECT_EQ(w.windowTwips(), QSize(15 * 328, 15 * 248));
        w.setFullScreenShown(false);
        EXPECT_FALSE(w.windowState().testFlag(Qt::WindowFullScreen));
        QTest::qWait(50);
        EXPECT_EQ(w.size(), QSize(328, 248));
        EXPECT_EQ(engine.videoWidget()->geometry(), innerOf(w));
    }
    // The window went; the engine's widget did not go with it.
    EXPECT_EQ(engine.videoWidget()->parentWidget(), nullptr);
}

struct WindowKeys : ::testing::Test
{
    FakeMoviePlayer engine;
    MovieWindow w;
    QSignalSpy forwarded{&w, &MovieWindow::keyForwarded};
    QSignalSpy next{&w, &MovieWindow::forwardRequested};
    QSignalSpy previous{&w, &MovieWindow::backRequested};

    void SetUp() override
    {
        w.setWindowTwips(QSize(4920, 3720));
        w.setVideo(engine.videoWidget());
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    QList<int> forwardedKeys() const
    {
        QList<int> keys;
        for (const QList<QVariant>& args : forwarded)
            keys << args.at(0).toInt();
        return keys;
    }
};

TEST_F(WindowKeys, DigitsAndEnterStayHereOtherKeysGoOn)
{
    for (int k = Qt::Key_0; k <= Qt::Key_9; ++k)
        QTest::keyClick(&w, Qt::Key(k));
    QTest::keyClick(&w, Qt::Key_Return);
    QTest::keyClick(&w, Qt::Key_Space);
    QTest::keyClick(&w, Qt::Key_Right);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(forwardedKeys(), (QList<int>{Qt::Key_Space, Qt::Key_Right, Qt::Key_Escape}));
    EXPECT_EQ(next.count(), 0);
}

TEST_F(WindowKeys, KeypadPlusAndMinusStepTheListAndAreForwardedToo)
{
    QTest::keyClick(&w, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(next.count(), 1);
    EXPECT_EQ(previous.count(), 0);
    QTest::keyClick(&w, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(previous.count(), 1);
    // The main keyboard's plus steps nothing.
    QTest::keyClick(&w, Qt::Key_Plus);
    EXPECT_EQ(next.count(), 1);
    EXPECT_EQ(forwardedKeys(), (QList<int>{Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Plus}));
}

TEST_F(WindowKeys, KeysReachingThePictureAreTreatedAlike)
{
    EXPECT_EQ(engine.videoWidget()->focusPolicy(), Qt::NoFocus);
    QTest::keyClick(engine.videoWidget(), Qt::Key_Home);
    QTest::keyClick(engine.videoWidget(), Qt::Key_5);
    EXPECT_EQ(forwardedKeys(), (QList<int>{Qt::Key_Home}));
}

TEST_F(WindowKeys, DoubleClickRightClickMenuAndClose)
{
    QSignalSpy doubled(&w, &MovieWindow::doubleClicked);
    QTest::mouseDClick(engine.videoWidget(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(doubled.count(), 1);

    QTest::mouseClick(engine.videoWidget(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_TRUE(w.sizeMenu()->isVisible());
    QSignalSpy chosen(&w, &MovieWindow::displaySizeChosen);
    w.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size2"))->trigger();
    w.sizeMenu()->hide();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 2);

    w.setDisplaySizeChecked(1);
    EXPECT_TRUE(w.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size1"))->isChecked());
    EXPECT_FALSE(w.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size2"))->isChecked());

    QSignalSpy closing(&w, &MovieWindow::closeRequested);
    w.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Close"))->trigger();
    EXPECT_EQ(closing.count(), 1);
    // The system's close asks too, and leaves the window to its owner.
    w.close();
    EXPECT_EQ(closing.count(), 2);
    EXPECT_TRUE(w.isVisible());
}

// A mouse event at a screen position, as the window system delivers it
// (the position inside the widget follows the widget as it moves).
void sendAt(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

TEST_F(WindowKeys, DraggingThePictureMovesTheWindowAndSnapsToTheWorkArea)
{
    w.toolWindow()->setWorkArea(QRect(0, 0, 1280, 1024));
    w.move(200, 200);
    QWidget* picture = engine.videoWidget();
    const QPoint grip = picture->mapToGlobal(QPoint(20, 20));
    sendAt(picture, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    sendAt(picture, QEvent::MouseMove, grip + QPoint(40, 50), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.pos(), QPoint(240, 250));
    // 4 pixels (60 twips) from the work area's top: on it.
    sendAt(picture, QEvent::MouseMove, grip + QPoint(40, -196), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.pos(), QPoint(240, 0));
    // 7 pixels (105 twips) away: where the mouse says.
    sendAt(picture, QEvent::MouseMove, grip + QPoint(40, -193), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.pos(), QPoint(240, 7));
    sendAt(picture, QEvent::MouseButtonRelease, grip + QPoint(40, -193), Qt::LeftButton, Qt::NoButton);

    // A full screen stays put.
    w.setFullScreenShown(true);
    const QPoint at = w.pos();
    const QPoint again = picture->mapToGlobal(QPoint(20, 20));
    sendAt(picture, QEvent::MouseButtonPress, again, Qt::LeftButton, Qt::LeftButton);
    sendAt(picture, QEvent::MouseMove, again + QPoint(70, 70), Qt::NoButton, Qt::LeftButton);
    sendAt(picture, QEvent::MouseButtonRelease, again + QPoint(70, 70), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.pos(), at);
}

TEST_F(WindowKeys, TheFrameResizesTheWindowAndSaysSo)
{
    QSignalSpy resized(&w, &MovieWindow::resizedByUser);
    w.move(100, 100);
    const QPoint corner = w.mapToGlobal(QPoint(w.width() - 2, w.height() - 2));
    sendAt(&w, QEvent::MouseButtonPress, corner, Qt::LeftButton, Qt::LeftButton);
    sendAt(&w, QEvent::MouseMove, corner + QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
    sendAt(&w, QEvent::MouseButtonRelease, corner + QPoint(40, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.size(), QSize(328 + 40, 248 + 30));
    EXPECT_EQ(w.pos(), QPoint(100, 100));
    EXPECT_GE(resized.count(), 1);
    EXPECT_EQ(engine.videoWidget()->geometry(), innerOf(w));

    // A size given in code is no user's.
    resized.clear();
    w.setWindowTwips(QSize(6120, 4620));
    QCoreApplication::processEvents();
    EXPECT_EQ(resized.count(), 0);
}

// ---------------------------------------------------------------- controller

// The controller with a fake engine, the settings in memory and two plain
// windows standing for the main and play-list windows.
struct Controller : ::testing::Test
{
    FakeMoviePlayer engine;
    Settings settings{QStringLiteral("unused.ini")};
    QWidget main{nullptr, Qt::Window | Qt::FramelessWindowHint};
    QWidget playList{nullptr, Qt::Window | Qt::FramelessWindowHint};
    MovieWindow window;
    QRect work{0, 0, 1280, 1024};
    MovieController control{settings, window, engine, {&main, &playList}, [this] { return work; }};
    QSignalSpy fullChanged{&control, &MovieController::fullWindowChanged};

    void SetUp() override
    {
        settings.movieSize = QStringLiteral("DefoltSize");
        main.resize(177, 177);
        playList.resize(177, 177);
        main.show();
    }
    void showMovie()
    {
        control.showMovie();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    static bool onTop(const QWidget& w) { return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
};

TEST_F(Controller, AMovieOpensAtItsOwnSizeAtTheStoredPlace)
{
    settings.movieTop = QStringLiteral("1500");
    settings.movieLeft = QStringLiteral("3000");
    showMovie();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.video(), engine.videoWidget());
    EXPECT_EQ(window.windowTwips(), QSize(15 * 320 + 120, 15 * 240 + 120));
    EXPECT_EQ(window.pos(), QPoint(200, 100));
    EXPECT_EQ(control.displaySize(), DisplaySize::FitToWindow);
    EXPECT_TRUE(control.isLaidOut());
    EXPECT_FALSE(window.isFullScreenShown());
}

TEST_F(Controller, APlaceOffEveryScreenIsBroughtBackOntoTheWorkArea)
{
    settings.movieTop = QStringLiteral("900000");
    settings.movieLeft = QStringLiteral("-900000");
    showMovie();
    EXPECT_TRUE(work.contains(window.frameGeometry())) << window.frameGeometry().x() << ','
                                                      << window.frameGeometry().y();
}

TEST_F(Controller, AMovieNeverPlacedOpensBesideTheMainWindowNotOverIt)
{
    main.move(0, 0);
    settings.movieTop = QStringLiteral("0");
    settings.movieLeft = QStringLiteral("0");
    showMovie();
    EXPECT_FALSE(window.frameGeometry().intersects(main.frameGeometry()));
    EXPECT_TRUE(work.contains(window.frameGeometry()));

    // Near the right edge there is no room on the right: it goes to the left.
    control.closeMovie();
    main.move(1280 - 177, 300);
    settings.movieTop.clear();
    settings.movieLeft.clear();
    showMovie();
    EXPECT_FALSE(window.frameGeometry().intersects(main.frameGeometry()));
    EXPECT_LT(window.frameGeometry().right(), main.frameGeometry().left());
    EXPECT_TRUE(work.contains(window.frameGeometry()));
}

TEST_F(Controller, APlaceThatIsNoNumberIsNotTaken)
{
    window.move(321, 123);
    settings.movieTop = QStringLiteral("abc");
    settings.movieLeft = QStringLiteral("3000");
    showMovie();
    EXPECT_EQ(window.pos(), QPoint(321, 123));
}

TEST_F(Controller, OnTopFollowsTheMainWindowsSettingAndClosingRestoresIt)
{
    settings.alwaysOnTop = true;
    showMovie();
    EXPECT_TRUE(onTop(window));
    EXPECT_TRUE(onTop(main));
    EXPECT_TRUE(onTop(playList));

    control.closeMovie();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(onTop(window));
    EXPECT_TRUE(onTop(main));
    EXPECT_TRUE(onTop(playList));
}

TEST_F(Controller, AFullWindowMovieFillsTheScreenWithNothingOfOursOnTop)
{
    settings.alwaysOnTop = true;
    settings.movieFullWindow = true;
    showMovie();
    EXPECT_TRUE(window.isFullScreenShown());
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowFullScreen));
    EXPECT_EQ(control.displaySize(), DisplaySize::FullScreen);
    EXPECT_FALSE(onTop(window));
    EXPECT_FALSE(onTop(main));
    EXPECT_FALSE(onTop(playList));
}

TEST_F(Controller, ClosingKeepsPlaceAndSizeAndGivesTheVideoBack)
{
    showMovie();
    window.move(-30, 400);
    control.closeMovie();
    EXPECT_EQ(settings.movieTop, QStringLiteral("6000"));
    EXPECT_EQ(settings.movieLeft, QStringLiteral("0"));
    EXPECT_EQ(settings.winPos(WindowId::Movie), (TwipsPos{6000, 0}));
    EXPECT_EQ(settings.movieSize, QStringLiteral("M_Height=0000000240 M_Width=0000000320"));
    EXPECT_EQ(engine.videoWidget()->parentWidget(), nullptr);
}

TEST_F(Controller, AfterAResizeAndCloseTheNextMovieOpensAtTheNewSize)
{
    showMovie();
    QSignalSpy resized(&window, &MovieWindow::resizedByUser);
    window.resize(500, 300);
    QCoreApplication::processEvents();
    ASSERT_GE(resized.count(), 1);
    // The resize is kept at once, as a size the window fits.
    EXPECT_EQ(settings.movieSize, QStringLiteral("M_Height=0000000292 M_Width=0000000492"));
    control.closeMovie();

    engine.size = QSize(640, 480);
    showMovie();
    EXPECT_EQ(window.size(), QSize(500, 300));
    EXPECT_EQ(control.displaySize(), DisplaySize::FitToWindow);
}

TEST_F(Controller, ChosenDisplaySizesAreFollowedAtTheTick)
{
    showMovie();
    window.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size2"))->trigger();
    EXPECT_EQ(control.displaySize(), DisplaySize::Double);
    EXPECT_EQ(window.size(), QSize(328, 248)); // not before the tick
    control.followDisplaySize();
    EXPECT_EQ(window.size(), QSize(648, 488));
    EXPECT_TRUE(window.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size2"))->isChecked());

    window.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size1"))->trigger();
    control.followDisplaySize();
    EXPECT_EQ(window.size(), QSize(168, 128));

    window.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size0"))->trigger();
    control.followDisplaySize();
    EXPECT_EQ(window.size(), QSize(328, 248));
    EXPECT_TRUE(fullChanged.isEmpty());

    window.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size3"))->trigger();
    control.followDisplaySize();
    EXPECT_TRUE(window.isFullScreenShown());
    // A full screen makes full-window movies the setting.
    EXPECT_TRUE(settings.movieFullWindow);
    ASSERT_EQ(fullChanged.count(), 1);
    EXPECT_TRUE(fullChanged.at(0).at(0).toBool());

    settings.movieSize = QStringLiteral("M_Height=0000000100 M_Width=0000000200");
    window.sizeMenu()->findChild<QAction*>(QStringLiteral("mnu_MP_Size4"))->trigger();
    control.followDisplaySize();
    EXPECT_FALSE(window.isFullScreenShown());
    QTest::qWait(50);
    EXPECT_EQ(window.size(), QSize(208, 108));
}

TEST_F(Controller, DoubleClickTogglesFullScreenAndBack)
{
    settings.alwaysOnTop = true;
    showMovie();
    QTest::mouseDClick(engine.videoWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(control.displaySize(), DisplaySize::FullScreen);
    EXPECT_FALSE(onTop(main));
    control.followDisplaySize();
    EXPECT_TRUE(window.isFullScreenShown());
    EXPECT_TRUE(settings.movieFullWindow);

    QTest::mouseDClick(engine.videoWidget(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(control.displaySize(), DisplaySize::FitToWindow);
    control.followDisplaySize();
    EXPECT_FALSE(window.isFullScreenShown());
    QTest::qWait(50);
    EXPECT_EQ(window.size(), QSize(328, 248));
    // Back in its window, the main window takes the top again and the
    // movie leaves it.
    EXPECT_TRUE(onTop(main));
    EXPECT_FALSE(onTop(window));
}

TEST_F(Controller, FullWindowOnLaysOutAShownMovieOffKeepsItPlaying)
{
    settings.alwaysOnTop = true;
    showMovie();
    control.toggleFullWindow();
    EXPECT_TRUE(settings.movieFullWindow);
    EXPECT_TRUE(window.isFullScreenShown());
    EXPECT_FALSE(onTop(main));

    engine.calls.clear();
    control.toggleFullWindow();
    EXPECT_FALSE(settings.movieFullWindow);
    EXPECT_FALSE(window.isFullScreenShown());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(onTop(main));
    EXPECT_TRUE(onTop(playList));
    EXPECT_FALSE(onTop(window));
    EXPECT_FALSE(engine.calls.contains(QStringLiteral("stop")));
    // The next tick leaves the setting off.
    control.followDisplaySize();
    EXPECT_FALSE(settings.movieFullWindow);
    EXPECT_EQ(fullChanged.count(), 2);
}

TEST_F(Controller, FullWindowWithNoMovieOnlyChangesTheSetting)
{
    control.toggleFullWindow();
    EXPECT_TRUE(settings.movieFullWindow);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isFullScreenShown());
}

} // namespace
} // namespace yk
