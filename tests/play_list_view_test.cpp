#include <cmath>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/MediaFiles.h"

#include "media/PlayList.h"
#include "media/PlayListView.h"
#include "media/Player.h"
#include "support/FakeDeviceChannel.h"
#include "support/TestUtil.h"

using namespace yk;
using yk::test::FakeDeviceChannel;
using Key = PlayListView::KeyResult;

namespace {

constexpr double kStep17 = 127.0 / 17; // one row with 30 entries

// A play list of real (empty) files "01 song.mp3", "02 song.mp3", ...
class PlayListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view.setTitleSource([this](const QString& path) {
            ++titleLookups;
            return titles.value(QFileInfo(path).fileName());
        });
    }

    QString file(int number) const { return yk::test::numberedSong(dir, number); }

    // `count` entries, rows built, view at the top.
    void fill(int count)
    {
        QStringList entries;
        for (int i = 1; i <= count; ++i)
            entries << file(i);
        list.assign(entries);
        view.resetToTop();
        view.tickRows();
    }

    QString rowName(int entry) const { return QStringLiteral("%1 %2 song").arg(entry + 1).arg(entry + 1, 2, 10, QChar(u'0')); }

    QTemporaryDir dir;
    PlayList list;
    FakeDeviceChannel device;
    Player player{list, device, nullptr, nullptr};
    PlayListView view{list, player};
    QHash<QString, QString> titles;
    int titleLookups = 0;
};

} // namespace

TEST_F(PlayListViewTest, RowsShowNumberAndTitleOrNameOrReadError)
{
    titles.insert(QStringLiteral("02 song.mp3"), QStringLiteral("Second Title"));
    const QString flac = dir.filePath(QStringLiteral("06 song.flac"));
    yk::test::writeBytes(flac, "x");
    list.assign({file(1), file(2), dir.filePath(QStringLiteral("gone.mp3")), QString(), file(5), flac});
    view.requestRebuild();
    ASSERT_TRUE(view.tickRows());
    EXPECT_EQ(view.rows(), (QStringList{QStringLiteral("1 01 song"), QStringLiteral("2 Second Title"),
                                        QStringLiteral("Read Error"), QStringLiteral("Read Error"),
                                        QStringLiteral("5 05 song"), QStringLiteral("6 06 song")}));
    EXPECT_EQ(view.listWidth(), 163);
    EXPECT_FALSE(view.scrollable());
}

TEST_F(PlayListViewTest, OnlyThirteenVisibleRowsAreBuiltAndLookedAt)
{
    fill(40);
    titleLookups = 0;
    view.requestRebuild(true);
    view.tickRows();
    ASSERT_EQ(view.rows().size(), 13);
    EXPECT_EQ(view.rows().front(), rowName(0));
    EXPECT_EQ(view.rows().back(), rowName(12));
    EXPECT_EQ(titleLookups, 13);
    EXPECT_EQ(view.listWidth(), 152);
    EXPECT_TRUE(view.scrollable());
}

TEST_F(PlayListViewTest, RowsWaitForTheTickAndTheTickWaitsForARequest)
{
    fill(3);
    EXPECT_FALSE(view.tickRows());
    list.append({file(4)});
    EXPECT_EQ(view.rows().size(), 3);
    // The player's list-changed flag (set by the rest of the program) counts too.
    player.markListChanged();
    QSignalSpy rows(&view, &PlayListView::rowsChanged);
    EXPECT_TRUE(view.tickRows());
    EXPECT_EQ(rows.count(), 1);
    EXPECT_EQ(view.rows().size(), 4);
    EXPECT_FALSE(player.takeListChanged());
    EXPECT_FALSE(view.tickRows());
}

TEST_F(PlayListViewTest, ThirteenEntriesDoNotScrollOrMoveTheThumb)
{
    fill(13);
    QSignalSpy thumb(&view, &PlayListView::thumbChanged);
    view.scrollDown();
    view.scrollUp();
    view.scrollDown();
    EXPECT_EQ(view.thumbTop(), 7.0);
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(thumb.count(), 0);
}

TEST_F(PlayListViewTest, FourteenEntriesScrollTheWholeTravelInOneStep)
{
    fill(14);
    view.scrollDown();
    EXPECT_EQ(view.thumbTop(), 134.0);
    EXPECT_EQ(view.listTop(), 1);
    view.scrollDown(); // already at the last 13
    EXPECT_EQ(view.listTop(), 1);
    view.tickRows();
    EXPECT_EQ(view.rows().front(), rowName(1));
    EXPECT_EQ(view.listTop(), 1); // kept, not derived again
    view.scrollUp();
    EXPECT_EQ(view.thumbTop(), 7.0);
    EXPECT_EQ(view.listTop(), 0);
}

TEST_F(PlayListViewTest, ScrollButtonsStepTheThumbAndKeepTheSelectedEntry)
{
    fill(30);
    view.setSelectedRow(5);
    view.scrollDown();
    view.scrollDown();
    view.scrollDown();
    EXPECT_EQ(view.listTop(), 3);
    EXPECT_NEAR(view.thumbTop(), 7 + 3 * kStep17, 1e-9);
    EXPECT_TRUE(view.topFixedPending());
    view.tickRows();
    EXPECT_EQ(view.listTop(), 3);
    EXPECT_EQ(view.rows().front(), rowName(3));
    EXPECT_EQ(view.selectedRow(), 2); // still entry 5

    // The selection cannot leave the rows: it stops at the last one.
    view.setSelectedRow(12);
    view.scrollUp();
    view.tickRows();
    EXPECT_EQ(view.selectedRow(), 12);
    EXPECT_EQ(view.listTop(), 2);
}

TEST_F(PlayListViewTest, ThumbTopDerivesListTopByTheStrictRule)
{
    EXPECT_EQ(PlayListView::listTopForThumb(8.0, 17), 0);
    EXPECT_EQ(PlayListView::listTopForThumb(134.0, 17), 17);
    EXPECT_EQ(PlayListView::listTopForThumb(150.0, 17), 17);
    EXPECT_EQ(PlayListView::listTopForThumb(70.0, 1), 0);
    // Exactly on a step the lower entry wins; a pixel further the step's own.
    EXPECT_EQ(PlayListView::listTopForThumb(7 + 5 * kStep17, 17), 4);
    EXPECT_EQ(PlayListView::listTopForThumb(7 + 5 * kStep17 + 1.5, 17), 5);

    // Against the rule written out as a search, over many lengths and tops.
    for (int n : {1, 2, 5, 17, 126, 127, 128, 500, 99987}) {
        for (double top = 8.01; top < 134; top += 0.37) {
            const double d = top - 7;
            int expected = -1;
            for (int i = 0; i <= n && expected < 0; ++i)
                if (127.0 * i / n < d && 127.0 * (i + 1) / n > d - 1)
                    expected = i;
            ASSERT_EQ(PlayListView::listTopForThumb(top, n), expected) << "n=" << n << " top=" << top;
        }
    }
}

TEST_F(PlayListViewTest, DraggingTheThumbMovesTheRowsAtTheNextTick)
{
    fill(30);
    QSignalSpy thumb(&view, &PlayListView::thumbChanged);
    view.pressThumb(5);
    EXPECT_TRUE(view.thumbHeld());
    view.moveThumb(65); // 60 pixels down
    EXPECT_EQ(view.thumbTop(), 67.0);
    EXPECT_TRUE(view.rebuildPending());
    EXPECT_FALSE(view.topFixedPending());
    view.tickRows();
    EXPECT_EQ(view.listTop(), PlayListView::listTopForThumb(67.0, 17));
    EXPECT_EQ(view.listTop(), 7);
    EXPECT_EQ(view.rows().front(), rowName(7));

    // A move that would leave 7..134 is not taken.
    view.moveThumb(5 + 70);
    EXPECT_EQ(view.thumbTop(), 67.0);
    view.moveThumb(5 - 61);
    EXPECT_EQ(view.thumbTop(), 67.0);
    view.moveThumb(5 - 59);
    EXPECT_EQ(view.thumbTop(), 8.0);
    view.releaseThumb();
    EXPECT_FALSE(view.thumbHeld());
    view.moveThumb(30); // not held: nothing
    EXPECT_EQ(view.thumbTop(), 8.0);
    // Within a pixel of the top counts as the top.
    view.tickRows();
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(view.thumbTop(), 7.0);
    EXPECT_GE(thumb.count(), 5);
}

TEST_F(PlayListViewTest, KeysScrollAtTheEdgesAndForwardTheRest)
{
    fill(30);
    view.setSelectedRow(12);
    EXPECT_EQ(view.handleKey(Qt::Key_Down), Key::Handled);
    EXPECT_EQ(view.listTop(), 1);
    EXPECT_NEAR(view.thumbTop(), 7 + kStep17, 1e-9);
    view.tickRows();
    EXPECT_EQ(view.selectedRow(), 12);
    EXPECT_EQ(view.rows().back(), rowName(13));

    EXPECT_EQ(view.handleKey(Qt::Key_Up), Key::ListNavigation); // row 12: the list moves
    view.setSelectedRow(0);
    EXPECT_EQ(view.handleKey(Qt::Key_Up), Key::Handled);
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(view.thumbTop(), 7.0);
    view.tickRows();
    EXPECT_EQ(view.selectedRow(), 0);
    EXPECT_EQ(view.handleKey(Qt::Key_Up), Key::ListNavigation); // nothing above

    EXPECT_EQ(view.handleKey(Qt::Key_Left), Key::Handled);
    EXPECT_EQ(view.handleKey(Qt::Key_Right), Key::Handled);
    EXPECT_EQ(view.listTop(), 0);
    // Down on the last row at the bottom has nowhere to go.
    for (int i = 0; i < 17; ++i)
        view.scrollDown();
    view.tickRows();
    view.setSelectedRow(12);
    EXPECT_EQ(view.handleKey(Qt::Key_Down), Key::ListNavigation);
    EXPECT_EQ(view.listTop(), 17);

    for (int key : {int(Qt::Key_PageDown), int(Qt::Key_PageUp), int(Qt::Key_Home), int(Qt::Key_Delete),
                    int(Qt::Key_C), int(Qt::Key_Shift), int(Qt::Key_Escape), int(Qt::Key_Space)})
        EXPECT_EQ(view.handleKey(key), Key::Forward) << key;
}

TEST_F(PlayListViewTest, EnterAndPlayRowPlayTheEntryInThatRow)
{
    fill(30);
    view.scrollDown();
    view.scrollDown();
    view.tickRows();
    view.setSelectedRow(4);
    device.clearLog();
    EXPECT_EQ(view.handleKey(Qt::Key_Return), Key::Handled);
    EXPECT_EQ(player.currentIndex(), 6);
    EXPECT_EQ(player.currentFile(), list.at(6));
    EXPECT_TRUE(device.log().contains(QStringLiteral("FileName=") + list.at(6)));
    EXPECT_EQ(device.command(), QStringLiteral("Play"));

    view.playRow(0);
    EXPECT_EQ(player.currentIndex(), 2);
    EXPECT_EQ(device.fileName(), list.at(2));
}

TEST_F(PlayListViewTest, PlayingWithoutARowRefreshesTheTitleAndTurnsTheLyricsOff)
{
    fill(3);
    player.setCurrentIndex(1);
    view.setSelectedRow(-1);
    device.clearLog();
    player.tickTitleRefresh(); // nothing asked yet
    EXPECT_EQ(view.selectedRow(), -1);
    QSignalSpy lyricsOff(&player, &Player::lyricsOff);
    view.playSelected();
    EXPECT_TRUE(device.log().isEmpty());
    EXPECT_EQ(lyricsOff.count(), 1);
    // The next tick's title refresh brings the highlight to the current entry.
    player.tickTitleRefresh();
    EXPECT_EQ(view.selectedRow(), 1);
}

TEST_F(PlayListViewTest, DeletingTheOnlyEntryEmptiesTheListAndStops)
{
    fill(1);
    view.playRow(0);
    ASSERT_TRUE(player.listPlaying());
    view.setSelectedRow(0);
    view.deleteSelected();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_FALSE(player.listPlaying());
    EXPECT_EQ(device.command(), QStringLiteral("Close"));
    view.tickRows();
    EXPECT_TRUE(view.rows().isEmpty());
    EXPECT_EQ(view.selectedRow(), -1);
}

TEST_F(PlayListViewTest, DeletingARowRemovesItsEntryAndSelectsTheNext)
{
    fill(5);
    view.setSelectedRow(2);
    const QString gone = list.at(2);
    view.deleteSelected();
    EXPECT_EQ(list.count(), 4);
    EXPECT_FALSE(list.entries().contains(gone));
    EXPECT_EQ(player.currentIndex(), 0) << "a row after the current entry leaves it where it is";
    EXPECT_FALSE(player.title().isEmpty());
    view.tickRows();
    EXPECT_EQ(view.rows().at(2), QStringLiteral("3 04 song"));
    EXPECT_EQ(view.selectedRow(), 2);

    // Without a selected row nothing goes.
    view.setSelectedRow(-1);
    view.deleteSelected();
    EXPECT_EQ(list.count(), 4);
}

TEST_F(PlayListViewTest, DeletingAnEntryBeforeAMissingFileStops)
{
    list.assign({dir.filePath(QStringLiteral("missing.mp3")), file(2), file(3)});
    view.resetToTop();
    view.tickRows();
    player.setCurrentIndex(1);
    player.play();
    ASSERT_TRUE(player.listPlaying());
    view.setSelectedRow(1);
    view.deleteSelected();
    EXPECT_EQ(player.currentIndex(), 0);
    EXPECT_FALSE(player.listPlaying());
}

TEST_F(PlayListViewTest, DeletingNearTheEndsKeepsThumbAndTopTogether)
{
    fill(20); // n = 7
    for (int i = 0; i < 7; ++i)
        view.scrollDown();
    view.tickRows();
    ASSERT_EQ(view.thumbTop(), 134.0);
    view.setSelectedRow(12); // entry 19, the last
    view.deleteSelected();
    EXPECT_EQ(view.listTop(), 6); // n is 6 now: still the bottom
    EXPECT_EQ(view.thumbTop(), 134.0);
    view.tickRows();
    EXPECT_EQ(view.rows().front(), rowName(6));
    EXPECT_EQ(view.rows().size(), 13);

    // The second-to-last of at most 15 entries takes the view to the top.
    fill(15);
    view.scrollDown();
    view.scrollDown();
    view.tickRows();
    view.setSelectedRow(11); // entry 13
    view.deleteSelected();
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(view.thumbTop(), 7.0);
}

TEST_F(PlayListViewTest, RemovingDuplicatesKeepsTheCurrentEntryAndGoesToTheTop)
{
    const QString a = file(1), b = file(2), c = file(3);
    QStringList entries{a, b, a, c, b};
    for (int i = 4; i <= 20; ++i)
        entries << file(i);
    list.assign(entries);
    view.requestRebuild();
    view.tickRows();
    view.scrollDown();
    view.scrollDown();
    view.tickRows();
    player.setCurrentIndex(3); // c
    view.removeDuplicates();
    EXPECT_EQ(list.entries().mid(0, 4), (QStringList{a, b, c, file(4)}));
    EXPECT_EQ(list.count(), 20);
    EXPECT_EQ(player.currentIndex(), 2);
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(view.thumbTop(), 7.0);
    EXPECT_TRUE(view.rebuildPending());
    view.tickRows();
    EXPECT_EQ(view.rows().front(), rowName(0));
}

TEST_F(PlayListViewTest, MovingThePlayingEntryDownLeavesTheIndexOnItsReplacement)
{
    fill(5);
    view.playRow(1);
    const QString playing = list.at(1);
    const QString below = list.at(2);
    view.beginRowDrag(1);
    view.dragRowTo(2);
    EXPECT_EQ(list.at(1), below);
    EXPECT_EQ(list.at(2), playing);
    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_EQ(view.rows().at(1), QStringLiteral("2 03 song"));
    EXPECT_EQ(view.rows().at(2), QStringLiteral("3 02 song"));
    EXPECT_EQ(view.selectedRow(), 2);

    // A jump of several rows still moves the entry one neighbour at a time.
    view.dragRowTo(4);
    EXPECT_EQ(list.entries(), (QStringList{file(1), file(3), file(4), file(5), file(2)}));
    view.dragRowTo(0);
    EXPECT_EQ(list.entries(), (QStringList{file(2), file(1), file(3), file(4), file(5)}));
    view.endRowDrag();
    view.dragRowTo(3);
    EXPECT_EQ(list.at(0), file(2));
}

TEST_F(PlayListViewTest, TheCurrentEntryIsHighlightedWhenInSight)
{
    fill(30);
    QSignalSpy selection(&view, &PlayListView::selectionChanged);
    player.setCurrentIndex(4);
    player.focusCurrent();
    EXPECT_EQ(view.selectedRow(), 4);
    player.setCurrentIndex(20);
    player.focusCurrent();
    EXPECT_EQ(view.selectedRow(), -1);
    EXPECT_EQ(selection.count(), 2);

    // A single row is never highlighted this way.
    fill(1);
    view.setSelectedRow(-1);
    player.setCurrentIndex(0);
    player.focusCurrent();
    EXPECT_EQ(view.selectedRow(), -1);
}

TEST_F(PlayListViewTest, AppendingPlacesTheThumbForTheNewLength)
{
    fill(30);
    view.scrollDown();
    view.scrollDown();
    view.scrollDown();
    view.tickRows();
    list.append({file(31)});
    view.afterAppend();
    EXPECT_NEAR(view.thumbTop(), 7 + 127.0 * (3 + 13) / 31, 1e-9);
    EXPECT_TRUE(view.rebuildPending());
    EXPECT_FALSE(view.topFixedPending());
}

TEST_F(PlayListViewTest, AListThatShrankUnderTheViewShowsItsTop)
{
    fill(30);
    for (int i = 0; i < 10; ++i)
        view.scrollDown();
    view.tickRows();
    list.assign({file(1), file(2)});
    view.requestRebuild(true);
    view.tickRows();
    EXPECT_EQ(view.listTop(), 0);
    EXPECT_EQ(view.thumbTop(), 7.0);
    EXPECT_EQ(view.rows().size(), 2);
}
