#include "ui/ToolWindow.h"

#include "media/PlayWindow.h"
#include "core/Twips.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/TestUtil.h"

using yk::test::child;

using namespace yk;

namespace {

// A frameless top-level with one child label to drag by and one that is not a handle.
struct Window
{
    Window(QSize size = {200, 100})
        : widget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        widget.setFixedSize(size);
        handle = new QLabel(QStringLiteral("handle"), &widget);
        handle->setGeometry(0, 0, size.width(), 20);
        other = new QLabel(QStringLiteral("other"), &widget);
        other->setGeometry(0, 40, size.width(), 20);
        tool = new ToolWindow(&widget);
    }

    void showAt(QPoint at)
    {
        widget.move(at);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }

    QWidget widget;
    QLabel* handle = nullptr;
    QLabel* other = nullptr;
    ToolWindow* tool = nullptr;
};

void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// Presses the left button at `from` on `w`, moves by `by` and releases.
void drag(QWidget* w, QPoint from, QPoint by, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, from, button, button);
    sendMouse(w, QEvent::MouseMove, from + by, Qt::NoButton, button);
    sendMouse(w, QEvent::MouseButtonRelease, from + by, button, Qt::NoButton);
}

// Counts the hides a window goes through (a flag change that recreates it hides it).
class HideCounter : public QObject
{
public:
    explicit HideCounter(QWidget* w) { w->installEventFilter(this); }
    int hides = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Hide)
            ++hides;
        return false;
    }
};

const QRect kWork(0, 30, 800, 570); // pixels; top 450 twips

} // namespace

TEST(Twips, FifteenToAPixelTruncatingTowardsZero)
{
    EXPECT_EQ(kTwipsPerPixel, 15);
    EXPECT_EQ(toTwips(177), 2655);
    EXPECT_EQ(toTwips(-4), -60);
    EXPECT_EQ(toPixels(2655), 177);
    EXPECT_EQ(toPixels(29), 1);
    EXPECT_EQ(toPixels(-29), -1);
    EXPECT_EQ(toPixels(qint64(9999999999)), 666666666);
}

TEST(ToolWindow, PlacesFromStoredTwipsWithTopZeroMeaningTheWorkTop)
{
    Window w;
    EXPECT_EQ(w.tool->window(), &w.widget);
    EXPECT_EQ(w.tool->parent(), &w.widget);

    w.tool->placeFromTwips(1500, 3000, kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(200, 100));
    EXPECT_EQ(w.tool->positionTwips(), (TwipsPos{1500, 3000}));

    w.tool->placeFromTwips(0, 3000, kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(200, 30));
    // Windows that keep a real 0 say so.
    w.tool->placeFromTwips(0, 3000, kWork, false);
    EXPECT_EQ(w.widget.pos(), QPoint(200, 0));

    // Without both fields the window stays where it is.
    w.tool->placeFromTwips(std::nullopt, 4500, kWork);
    w.tool->placeFromTwips(4500, std::nullopt, kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(200, 0));
}

TEST(ToolWindow, APlaceOffEveryScreenIsPulledOntoTheWorkArea)
{
    Window w; // 200 x 100
    // Far off to the right and above.
    w.tool->placeFromTwips(-30000, 150000, kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(600, 30));
    // Far off to the left and below.
    w.tool->placeFromTwips(toTwips(5000), toTwips(-3000), kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(0, 500));

    // Partly off, but its middle can still be reached: left alone.
    w.tool->placeFromTwips(toTwips(10), toTwips(-50), kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(-50, 10));
    w.tool->placeFromTwips(toTwips(540), toTwips(650), kWork);
    EXPECT_EQ(w.widget.pos(), QPoint(650, 540));
}

TEST(ToolWindow, TopMostKeepsPlaceAndVisibilityAndDoesNothingWhenUnchanged)
{
    Window w;
    w.showAt(QPoint(120, 80));
    HideCounter counter(&w.widget);

    w.tool->setTopMost(true);
    EXPECT_TRUE(w.tool->isTopMost());
    EXPECT_TRUE(w.widget.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.widget.isVisible());
    EXPECT_EQ(w.widget.pos(), QPoint(120, 80));
    const int hidesAfterChange = counter.hides;

    w.tool->setTopMost(true);
    EXPECT_EQ(counter.hides, hidesAfterChange) << "an unchanged setting must not touch the window";
    EXPECT_TRUE(w.widget.isVisible());

    w.tool->setTopMost(false);
    EXPECT_FALSE(w.tool->isTopMost());
    EXPECT_TRUE(w.widget.isVisible());
    EXPECT_EQ(w.widget.pos(), QPoint(120, 80));

    // A hidden window takes the setting and stays hidden.
    w.widget.hide();
    w.tool->setTopMost(true);
    EXPECT_TRUE(w.tool->isTopMost());
    EXPECT_FALSE(w.widget.isVisible());

    // The same rule for a window without a helper (the main window).
    QWidget main;
    main.move(60, 70);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ToolWindow::applyTopMost(&main, true);
    EXPECT_TRUE(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.pos(), QPoint(60, 70));
    ToolWindow::applyTopMost(nullptr, true); // harmless
}

TEST(ToolWindow, DraggingAHandleMovesTheWindowByTheMouse)
{
    Window w;
    w.tool->addDragHandle(w.handle);
    w.showAt(QPoint(100, 100));
    QSignalSpy finished(w.tool, &ToolWindow::dragFinished);

    sendMouse(w.handle, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(w.tool->isDragging());
    sendMouse(w.handle, QEvent::MouseMove, QPoint(35, 25), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.widget.pos(), QPoint(130, 120));
    // Every move counts from the press, not from the last move.
    // (The window is at 130,120 now: (-5, 0) is 125,120 on the screen.)
    sendMouse(w.handle, QEvent::MouseMove, QPoint(-5, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.widget.pos(), QPoint(120, 115));
    EXPECT_EQ(finished.count(), 0);
    sendMouse(w.handle, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(w.tool->isDragging());
    EXPECT_EQ(finished.count(), 1);

    // Released: the mouse no longer moves it.
    sendMouse(w.handle, QEvent::MouseMove, QPoint(80, 80), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.widget.pos(), QPoint(120, 115));

    // The right button, and a child that is no handle, do not drag.
    drag(w.handle, QPoint(5, 5), QPoint(40, 40), Qt::RightButton);
    drag(w.other, QPoint(5, 5), QPoint(40, 40));
    EXPECT_EQ(w.widget.pos(), QPoint(120, 115));
    EXPECT_EQ(finished.count(), 1);

    // A move without the button (its release went elsewhere) ends the drag;
    // only a handle that tracks the mouse sees such a move.
    w.handle->setMouseTracking(true);
    sendMouse(w.handle, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(w.handle, QEvent::MouseMove, QPoint(6, 6), Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(w.tool->isDragging());
    EXPECT_EQ(w.widget.pos(), QPoint(120, 115));
    EXPECT_EQ(finished.count(), 2);
}

TEST(ToolWindow, TheWindowItselfCanBeTheHandle)
{
    Window w;
    w.tool->addDragHandle(&w.widget);
    w.showAt(QPoint(100, 100));
    // A label leaves the press to its window.
    drag(w.other, QPoint(5, 5), QPoint(-10, 7));
    EXPECT_EQ(w.widget.pos(), QPoint(90, 107));
}

TEST(ToolWindow, SnapsWithinOneHundredTwipsOfEachWorkAreaEdge)
{
    const QSize side(2655, 2655);
    const QRect work(300, 450, 12000, 9000); // twips
    const auto at = [&](int top, int left) { return ToolWindow::snapToWorkArea(TwipsPos{top, left}, side, work); };

    EXPECT_EQ(at(550, 5000), (TwipsPos{450, 5000}));    // top, exactly 100 away
    EXPECT_EQ(at(551, 5000), (TwipsPos{551, 5000}));    // 101 away
    EXPECT_EQ(at(-900, 5000), (TwipsPos{450, 5000}));   // beyond the edge
    EXPECT_EQ(at(3000, 400), (TwipsPos{3000, 300}));    // left
    EXPECT_EQ(at(3000, 401), (TwipsPos{3000, 401}));
    // The far edges use the window's own size: bottom 450 + 9000 - 2655.
    EXPECT_EQ(at(6695, 5000), (TwipsPos{6795, 5000}));
    EXPECT_EQ(at(6694, 5000), (TwipsPos{6694, 5000}));
    EXPECT_EQ(at(3000, 9545), (TwipsPos{3000, 9645})); // right: 300 + 12000 - 2655
    EXPECT_EQ(at(3000, 9544), (TwipsPos{3000, 9544}));
    // Both axes at once: a corner.
    EXPECT_EQ(at(9999, -1), (TwipsPos{6795, 300}));
    // A smaller window sits lower at the bottom.
    EXPECT_EQ(ToolWindow::snapToWorkArea(TwipsPos{8600, 5000}, QSize(1500, 750), work), (TwipsPos{8700, 5000}));
    EXPECT_EQ(ToolWindow::snapToWorkArea(TwipsPos{8599, 5000}, QSize(1500, 750), work), (TwipsPos{8599, 5000}));
}

TEST(ToolWindow, DraggingWithSnapStopsOnTheWorkAreaEdges)
{
    Window w(QSize(177, 177));
    w.tool->addDragHandle(w.handle, ToolWindow::Snap::WorkAreaEdges);
    w.tool->setWorkArea(kWork);
    w.showAt(QPoint(300, 200));

    // 6 pixels (90 twips) under the work top: snaps to it.
    drag(w.handle, QPoint(10, 10), QPoint(0, -164));
    EXPECT_EQ(w.widget.pos(), QPoint(300, 30));
    // 7 pixels (105 twips): follows the mouse.
    w.widget.move(300, 200);
    drag(w.handle, QPoint(10, 10), QPoint(0, -163));
    EXPECT_EQ(w.widget.pos(), QPoint(300, 37));
    // Right and bottom by the window's own size: 800 - 177 and 600 - 177.
    w.widget.move(300, 200);
    drag(w.handle, QPoint(10, 10), QPoint(320, 220));
    EXPECT_EQ(w.widget.pos(), QPoint(623, 423));

    // The same drag on a handle without snapping follows the mouse exactly.
    Window plain(QSize(177, 177));
    plain.tool->addDragHandle(plain.handle);
    plain.tool->setWorkArea(kWork);
    plain.showAt(QPoint(300, 200));
    drag(plain.handle, QPoint(10, 10), QPoint(0, -164));
    EXPECT_EQ(plain.widget.pos(), QPoint(300, 36));
}

TEST(ToolWindow, PositionRecordedCarriesTheWindowsOwnPlace)
{
    Window a;
    Window b;
    a.showAt(QPoint(10, 20));
    b.showAt(QPoint(300, 400));
    QSignalSpy fromA(a.tool, &ToolWindow::positionRecorded);
    QSignalSpy fromB(b.tool, &ToolWindow::positionRecorded);
    a.tool->recordPosition();
    ASSERT_EQ(fromA.count(), 1);
    EXPECT_EQ(fromA.at(0).at(0).value<TwipsPos>(), (TwipsPos{300, 150}));
    EXPECT_EQ(fromB.count(), 0);
    b.widget.move(301, 402);
    b.tool->recordPosition();
    ASSERT_EQ(fromB.count(), 1);
    EXPECT_EQ(fromB.at(0).at(0).value<TwipsPos>(), (TwipsPos{6030, 4515}));
}

TEST(ToolWindow, ThePlayListWindowDragsByItsPictureAndSnaps)
{
    PlayWindow play;
    ASSERT_TRUE(play.toolWindow());
    play.toolWindow()->setWorkArea(kWork);
    play.move(300, 200);
    play.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&play));

    drag(child<QLabel>(&play, "img_Def2"), QPoint(2, 2), QPoint(-295, 40));
    EXPECT_EQ(play.pos(), QPoint(0, 240)); // 5 pixels from the left edge
    drag(child<QLabel>(&play, "img_Def2"), QPoint(2, 2), QPoint(100, 0));
    EXPECT_EQ(play.pos(), QPoint(100, 240));
    // The list keeps its own presses.
    drag(child<QListWidget>(&play, "lst_Files_Name"), QPoint(20, 20), QPoint(50, 50));
    EXPECT_EQ(play.pos(), QPoint(100, 240));
}
