#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "support/MediaFiles.h"

#include "media/PlayList.h"
#include "media/PlayListView.h"
#include "media/PlayWindow.h"
#include "media/Player.h"
#include "skin/Artwork.h"
#include "support/FakeDeviceChannel.h"

using namespace yk;
using yk::test::FakeDeviceChannel;

namespace {

QLabel* label(QWidget& window, const char* name)
{
    auto* found = window.findChild<QLabel*>(QString::fromUtf8(name));
    EXPECT_TRUE(found) << name;
    return found;
}

bool shows(QLabel* picture, QStringView artworkName)
{
    return picture->pixmap().toImage() == artworkImage(artworkName).convertToFormat(picture->pixmap().toImage().format());
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void click(QWidget* target, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(target, button, {}, QPoint(3, 3));
}

class PlayWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view.setTitleSource([](const QString&) { return QString(); });
        window.setView(&view);
        window.move(100, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        list_ = window.findChild<QListWidget*>(QStringLiteral("lst_Files_Name"));
        ASSERT_TRUE(list_);
    }

    QString file(int number) const { return yk::test::numberedSong(dir, number); }

    void fill(int count)
    {
        QStringList entries;
        for (int i = 1; i <= count; ++i)
            entries << file(i);
        list.assign(entries);
        view.resetToTop();
        view.tickRows();
    }

    QStringList shownRows() const
    {
        QStringList rows;
        for (int i = 0; i < list_->count(); ++i)
            rows << list_->item(i)->text();
        return rows;
    }

    QPoint rowCentre(int row) const { return list_->visualItemRect(list_->item(row)).center(); }

    QTemporaryDir dir;
    PlayList list;
    FakeDeviceChannel device;
    Player player{list, device, nullptr, nullptr};
    PlayListView view{list, player};
    PlayWindow window;
    QListWidget* list_ = nullptr;
};

} // namespace

TEST_F(PlayWindowTest, TheListShowsTheViewsRowsAndMakesRoomForTheThumb)
{
    fill(20);
    EXPECT_EQ(list_->count(), 13);
    EXPECT_EQ(shownRows(), view.rows());
    EXPECT_EQ(list_->width(), 152);
    QLabel* thumb = label(window, "img_Scr_Bar");
    EXPECT_TRUE(thumb->isVisible());
    EXPECT_EQ(thumb->y(), 7);
    EXPECT_TRUE(label(window, "img_Scr")->isVisible());

    fill(5);
    EXPECT_EQ(list_->count(), 5);
    EXPECT_EQ(list_->width(), 163);
    EXPECT_FALSE(thumb->isVisible());
}

TEST_F(PlayWindowTest, ScrollButtonsActOnReleaseAndShowTheirHeldFace)
{
    fill(14);
    QLabel* down = label(window, "img_Down");
    QTest::mousePress(down, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(shows(down, u"img_Down2"));
    EXPECT_EQ(view.listTop(), 0);
    QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(shows(down, u"img_Down"));
    EXPECT_EQ(view.listTop(), 1);
    EXPECT_EQ(label(window, "img_Scr_Bar")->y(), 134);

    view.tickRows();
    EXPECT_EQ(list_->item(0)->text(), QStringLiteral("2 02 song"));
    click(label(window, "img_Up"));
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(label(window, "img_Scr_Bar")->y(), 7);
}

TEST_F(PlayWindowTest, DeleteRemovesTheSelectedRowsEntry)
{
    fill(5);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, rowCentre(3));
    ASSERT_EQ(view.selectedRow(), 3);
    const QString gone = list.at(3);
    click(label(window, "img_Delete"));
    EXPECT_EQ(list.count(), 4);
    EXPECT_FALSE(list.entries().contains(gone));
    view.tickRows();
    EXPECT_EQ(list_->count(), 4);
    EXPECT_EQ(list_->currentRow(), 3);
}

TEST_F(PlayWindowTest, FileButtonsAskForWhatTheySay)
{
    QSignalSpy add(&window, &PlayWindow::addRequested);
    QSignalSpy load(&window, &PlayWindow::loadRequested);
    QSignalSpy save(&window, &PlayWindow::saveRequested);

    QLabel* saveButton = label(window, "img_Save");
    QTest::mousePress(saveButton, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(shows(saveButton, u"img_Save2"));
    EXPECT_EQ(save.count(), 0);
    QTest::mouseRelease(saveButton, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(shows(saveButton, u"img_Save"));
    EXPECT_EQ(save.count(), 1);
    EXPECT_EQ(load.count(), 0);
    EXPECT_EQ(add.count(), 0);

    click(label(window, "img_Load"));
    EXPECT_EQ(load.count(), 1);
    EXPECT_EQ(save.count(), 1);
    click(label(window, "img_Add"));
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(load.count(), 1);

    // Only the left button works them.
    click(label(window, "img_Save"), Qt::RightButton);
    EXPECT_EQ(save.count(), 1);
}

TEST_F(PlayWindowTest, RightReleaseOnTheBackgroundAsksForTheMenu)
{
    QSignalSpy menu(&window, &PlayWindow::menuRequested);
    QLabel* background = label(window, "img_Def2");
    const QPoint at(60, 170);
    QTest::mousePress(background, Qt::RightButton, {}, at);
    EXPECT_EQ(menu.count(), 0);
    QTest::mouseRelease(background, Qt::RightButton, {}, at);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toPoint(), background->mapToGlobal(at));

    // A left click there is the window drag, not the menu.
    QTest::mouseClick(background, Qt::LeftButton, {}, at);
    EXPECT_EQ(menu.count(), 1);
}

TEST_F(PlayWindowTest, DoubleClickOnTheBackgroundRemovesDuplicates)
{
    const QString a = file(1), b = file(2), c = file(3);
    list.assign({a, b, a, c, b});
    view.requestRebuild();
    view.tickRows();
    QTest::mouseDClick(label(window, "img_Def2"), Qt::LeftButton, {}, QPoint(60, 170));
    EXPECT_EQ(list.entries(), (QStringList{a, b, c}));
}

TEST_F(PlayWindowTest, KeysTheListDoesNotUseGoToTheMainWindow)
{
    fill(20);
    QSignalSpy forwarded(&window, &PlayWindow::keyForwarded);
    list_->setFocus();
    QTest::keyClick(list_, Qt::Key_PageDown);
    QTest::keyClick(list_, Qt::Key_C, Qt::ShiftModifier); // Shift itself comes first
    ASSERT_GE(forwarded.count(), 2);
    EXPECT_EQ(forwarded.first().at(0).toInt(), int(Qt::Key_PageDown));
    EXPECT_EQ(forwarded.last().at(0).toInt(), int(Qt::Key_C));
    EXPECT_EQ(forwarded.last().at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    const qsizetype sent = forwarded.count();

    // Arrows stay in the list: Down moves the selection, Left does nothing.
    view.setSelectedRow(3);
    QTest::keyClick(list_, Qt::Key_Down);
    EXPECT_EQ(view.selectedRow(), 4);
    QTest::keyClick(list_, Qt::Key_Left);
    EXPECT_EQ(view.selectedRow(), 4);
    EXPECT_EQ(forwarded.count(), sent);

    // Enter plays the selected row.
    QTest::keyClick(list_, Qt::Key_Return);
    EXPECT_EQ(player.currentIndex(), 4);
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    EXPECT_EQ(forwarded.count(), sent);
}

TEST_F(PlayWindowTest, DoubleClickOnARowPlaysIt)
{
    fill(5);
    QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, rowCentre(2));
    EXPECT_EQ(player.currentIndex(), 2);
    EXPECT_EQ(device.fileName(), list.at(2));
}

TEST_F(PlayWindowTest, DraggingARowMovesItsEntry)
{
    fill(5);
    const QString second = list.at(1);
    QWidget* viewport = list_->viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, rowCentre(1), Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, rowCentre(2), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(list.at(2), second);
    EXPECT_EQ(list_->item(2)->text(), QStringLiteral("3 02 song"));
    EXPECT_EQ(list_->currentRow(), 2);
    sendMouse(viewport, QEvent::MouseButtonRelease, rowCentre(2), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(view.rowDragging());
    // Moving without the button held moves nothing.
    sendMouse(viewport, QEvent::MouseMove, rowCentre(3), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(list.at(2), second);
}

TEST_F(PlayWindowTest, TheThumbDragsTheRows)
{
    fill(30);
    QLabel* thumb = label(window, "img_Scr_Bar");
    sendMouse(thumb, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(shows(thumb, u"img_Tmp_Bar2"));
    sendMouse(thumb, QEvent::MouseMove, QPoint(5, 65), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(thumb->y(), 67);
    sendMouse(thumb, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(shows(thumb, u"img_Tmp_Bar1"));
    view.tickRows();
    EXPECT_EQ(list_->item(0)->text(), QStringLiteral("8 08 song"));
}

TEST_F(PlayWindowTest, DroppedFilesArriveInOrder)
{
    QSignalSpy dropped(&window, &PlayWindow::filesDropped);
    const QString one = file(1), two = file(2);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(two), QUrl(QStringLiteral("https://example.org/x.mp3")),
                  QUrl::fromLocalFile(one)});

    const QPoint at = list_->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toStringList(), (QStringList{two, one}));

    // Text without files is refused.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(PlayWindowTest, AWindowWithoutAViewStillAsksAndForwards)
{
    PlayWindow bare;
    bare.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bare));
    QSignalSpy save(&bare, &PlayWindow::saveRequested);
    QSignalSpy forwarded(&bare, &PlayWindow::keyForwarded);
    click(label(bare, "img_Save"));
    click(label(bare, "img_Delete"));
    click(label(bare, "img_Down"));
    auto* rows = bare.findChild<QListWidget*>(QStringLiteral("lst_Files_Name"));
    ASSERT_TRUE(rows);
    QTest::keyClick(rows, Qt::Key_Home);
    EXPECT_EQ(save.count(), 1);
    ASSERT_EQ(forwarded.count(), 1);
    EXPECT_EQ(forwarded.at(0).at(0).toInt(), int(Qt::Key_Home));
}
