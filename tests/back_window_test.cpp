#include "skin/BackWindow.h"
#include "ui/ToolWindow.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "support/ExifJpeg.h"
#include "support/TestUtil.h"

using namespace yk;

namespace {

QLabel* thumb(BackWindow& w, int slot)
{
    return w.findChild<QLabel*>(QStringLiteral("IMG_TOP_%1").arg(slot - 1));
}

QString picture(const QTemporaryDir& dir, const QString& name, QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(img.save(path));
    return path;
}

// Waits until every slot in `slots` has reported its thumbnail.
bool waitForThumbnails(QSignalSpy& spy, int count)
{
    return QTest::qWaitFor([&] { return spy.count() >= count; }, 5000);
}

} // namespace

TEST(BackWindow, ShowsTwelveCaptionedAccessibleSlots)
{
    BackWindow w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral(" 背景登録＆選択"));
    EXPECT_EQ(w.objectName(), QStringLiteral("Back"));
    for (int n = 1; n <= 12; ++n) {
        QLabel* t = thumb(w, n);
        ASSERT_NE(t, nullptr) << n;
        EXPECT_EQ(t->accessibleName(), QStringLiteral("No, %1").arg(n));
        auto* caption = w.findChild<QLabel*>(QStringLiteral("lbl_No_%1").arg(n));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), QStringLiteral("No, %1").arg(n));
        EXPECT_EQ(caption->buddy(), t);
    }
}

TEST(BackWindow, LoadsThumbnailsScaledToFitAndBlankForEmptyOrMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    BackSlotList slots;
    slots[0] = picture(dir, QStringLiteral("wide.png"), {800, 400}, Qt::red);
    slots[1] = picture(dir, QStringLiteral("tiny.png"), {20, 30}, Qt::blue);
    slots[2] = dir.filePath(QStringLiteral("gone.jpg"));
    slots[3] = QStringLiteral(" ");

    BackWindow w;
    QSignalSpy loaded(&w, &BackWindow::thumbnailLoaded);
    w.setSlots(slots);
    ASSERT_TRUE(waitForThumbnails(loaded, 12));

    EXPECT_EQ(w.thumbnail(1).size(), QSize(72, 36));
    EXPECT_EQ(w.thumbnail(1).toImage().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(w.thumbnail(2).size(), QSize(20, 30));
    EXPECT_TRUE(w.thumbnail(3).isNull());
    EXPECT_TRUE(w.thumbnail(4).isNull());
    EXPECT_TRUE(w.thumbnail(12).isNull());
    EXPECT_EQ(thumb(w, 1)->accessibleDescription(), QStringLiteral("wide.png"));

    // A newer picture for a slot wins over one still being read.
    loaded.clear();
    w.setSlotPicture(1, slots[1]);
    w.setSlotPicture(1, picture(dir, QStringLiteral("green.png"), {50, 50}, Qt::green));
    ASSERT_TRUE(waitForThumbnails(loaded, 1));
    QTest::qWait(50);
    EXPECT_EQ(w.thumbnail(1).size(), QSize(50, 50));
    EXPECT_EQ(w.thumbnail(1).toImage().pixelColor(5, 5), QColor(Qt::green));
}

TEST(BackWindow, APhotoTakenOnItsSideShowsUprightInItsThumbnail)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Stored wide, red left and blue right; upright (a quarter turn
    // clockwise) it is tall with red above blue.
    const QImage stored = yk::test::sidewaysRedBlue(72);
    BackSlotList slots;
    slots[0] = dir.filePath(QStringLiteral("side.jpg"));
    yk::test::writeBytes(slots[0], yk::test::jpegWithOrientation(stored, 6));

    BackWindow w;
    QSignalSpy loaded(&w, &BackWindow::thumbnailLoaded);
    w.setSlots(slots);
    ASSERT_TRUE(waitForThumbnails(loaded, 12));
    const QImage thumb = w.thumbnail(1).toImage();
    ASSERT_EQ(thumb.size(), QSize(36, 72));
    EXPECT_GT(qRed(thumb.pixel(18, 10)), 180);
    EXPECT_GT(qBlue(thumb.pixel(18, 60)), 180);
}

TEST(BackWindow, MouseButtonsAskToShowOrRegisterTheSlot)
{
    BackWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QSignalSpy shown(&w, &BackWindow::showRequested);
    QSignalSpy reg(&w, &BackWindow::registerRequested);

    QTest::mousePress(thumb(w, 5), Qt::RightButton);
    QTest::mousePress(thumb(w, 12), Qt::LeftButton);
    QTest::mousePress(thumb(w, 1), Qt::MiddleButton);
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toInt(), 5);
    ASSERT_EQ(reg.count(), 1);
    EXPECT_EQ(reg.at(0).at(0).toInt(), 12);

    // The same from the keyboard.
    thumb(w, 3)->setFocus();
    QTest::keyClick(thumb(w, 3), Qt::Key_Return);
    QTest::keyClick(thumb(w, 3), Qt::Key_Menu);
    ASSERT_EQ(reg.count(), 2);
    EXPECT_EQ(reg.at(1).at(0).toInt(), 3);
    ASSERT_EQ(shown.count(), 2);
    EXPECT_EQ(shown.at(1).at(0).toInt(), 3);
}

TEST(BackWindow, KeysRecordThePositionAndEscSavesThenCloses)
{
    BackWindow w;
    w.toolWindow()->placeFromTwips(1500, 3000, QRect(0, 0, 800, 600));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.pos(), QPoint(200, 100));

    std::vector<QString> order;
    QObject::connect(w.toolWindow(), &ToolWindow::positionRecorded, &w, [&](TwipsPos pos) {
        order.push_back(QStringLiteral("pos %1 %2").arg(pos.top).arg(pos.left));
    });
    QObject::connect(&w, &BackWindow::saveRequested, &w, [&] {
        order.push_back(QStringLiteral("save"));
    });

    QTest::keyClick(&w, Qt::Key_A);
    ASSERT_EQ(order.size(), 1u);
    EXPECT_EQ(order[0], QStringLiteral("pos 1500 3000"));
    EXPECT_TRUE(w.isVisible());

    order.clear();
    thumb(w, 2)->setFocus();
    QTest::keyClick(thumb(w, 2), Qt::Key_Escape);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], QStringLiteral("pos 1500 3000"));
    EXPECT_EQ(order[1], QStringLiteral("save"));
    EXPECT_FALSE(w.isVisible());
}

TEST(BackWindow, ClosingReleasesThumbnailsAndShowingAgainReloadsThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    BackSlotList slots;
    slots[6] = picture(dir, QStringLiteral("a.png"), {40, 40}, Qt::yellow);

    BackWindow w;
    QSignalSpy loaded(&w, &BackWindow::thumbnailLoaded);
    QSignalSpy recorded(w.toolWindow(), &ToolWindow::positionRecorded);
    w.setSlots(slots);
    w.show();
    ASSERT_TRUE(waitForThumbnails(loaded, 12));
    EXPECT_FALSE(w.thumbnail(7).isNull());

    w.close();
    EXPECT_GE(recorded.count(), 1);
    EXPECT_TRUE(w.thumbnail(7).isNull());

    loaded.clear();
    w.show();
    ASSERT_TRUE(waitForThumbnails(loaded, 12));
    EXPECT_FALSE(w.thumbnail(7).isNull());
}

TEST(BackWindow, TopMostFollowsAlwaysOnTopAndKeepsTheWindowShown)
{
    BackWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.toolWindow()->setTopMost(true);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
    w.toolWindow()->setTopMost(false);
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
}
