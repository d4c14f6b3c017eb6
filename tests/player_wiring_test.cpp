// The player as the program wires it: keys, menu items, the tick's steps,
// the hand-over, drops, the saved list and the now-playing announcement.

#include "support/AppHarness.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/TestUtil.h"

#include "media/Id3Tag.h"
#include "media/NowPlaying.h"
#include "media/PlayListActions.h"
#include "media/PlayWindow.h"
#include "media/Player.h"
#include "launcher/FilePickerWindow.h"
#include "media/PlayListView.h"
#include "shell/HandOver.h"
#include "core/MoveRule.h"

#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QThread>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace yk;
using yk::test::child;
using yk::test::Harness;
using yk::test::touch;

namespace {

const QString kClose = QStringLiteral("Command=Close");
const QString kPlay = QStringLiteral("Command=Play");

// A harness started with three sound files on its command line; the
// first tick starts entry 0.
struct PlayingHarness : Harness
{
    QStringList files;
    yk::test::RecordingNotifier notices;

    PlayingHarness(bool play = true, std::function<std::optional<tags::TrackInfo>(const QString&)> read = {})
    {
        readTrackInfo = std::move(read);
        notifier = &notices;
        QDir(dir.path()).mkpath(QStringLiteral("System")); // no opening sound
        for (const char* name : {"m/a.wav", "m/b.mp3", "m/c.mid"}) {
            touch(path(QString::fromLatin1(name)));
            files.append(path(QString::fromLatin1(name)));
        }
        startAndSettle({path(QStringLiteral("m"))});
        if (play)
            tick();
        device.clearLog();
    }
    QString title() const { return text(QStringLiteral("lbl_Play_Name")); }
};

QMessageBox* shownBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
            return b;
    return nullptr;
}

QByteArray mp3WithTag(const QString& title, const QString& artist)
{
    id3::Tag tag;
    tag.title = title;
    tag.artist = artist;
    return QByteArray(256, '\0') + id3::tagBlock(tag);
}

} // namespace

TEST(PlayerWiring, StartWithAFolderPlaysItsFirstFileAtTheFirstTick)
{
    PlayingHarness h(false);
    EXPECT_EQ(h.playList().entries(), h.files);
    EXPECT_TRUE(h.player().playStartPending());
    h.tick();
    EXPECT_TRUE(h.device.log().contains(QStringLiteral("FileName=") + h.files[0]));
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
    EXPECT_TRUE(h.player().listPlaying());
    EXPECT_EQ(h.title(), QStringLiteral("1.a"));
}

TEST(PlayerWiring, PageKeysStepOncePerTickAndHomeEndPlayAndStop)
{
    PlayingHarness h;
    h.key(Qt::Key_PageDown);
    EXPECT_EQ(h.player().currentIndex(), 1);
    EXPECT_EQ(h.device.fileName(), h.files[1]);
    EXPECT_EQ(h.title(), QStringLiteral("2.b"));
    // A second Page Down before the tick is the held key: it waits. The
    // main window's key-down clears the wait, as a fresh press does.
    h.player().requestTitleRefresh();
    h.keyCommands().run(Qt::Key_PageDown);
    EXPECT_EQ(h.player().currentIndex(), 1);
    h.tick();
    h.key(Qt::Key_PageUp);
    EXPECT_EQ(h.player().currentIndex(), 0);
    EXPECT_EQ(h.title(), QStringLiteral("1.a"));

    h.key(Qt::Key_End);
    EXPECT_FALSE(h.player().listPlaying());
    EXPECT_EQ(h.device.command(), QStringLiteral("Close"));
    h.device.clearLog();
    h.key(Qt::Key_Home);
    EXPECT_TRUE(h.player().listPlaying());
    EXPECT_EQ(h.device.log().mid(h.device.log().size() - 2),
              (QStringList{QStringLiteral("Command=Open"), kPlay}));
    h.key(Qt::Key_End);
    h.key(Qt::Key_P);
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
}

TEST(PlayerWiring, InsertLoopsBackspacePausesAndShiftShowsTheList)
{
    PlayingHarness h;
    h.key(Qt::Key_Insert);
    EXPECT_TRUE(h.player().loopOn());
    EXPECT_FALSE(h.player().randomOn());
    h.key(Qt::Key_Backspace);
    EXPECT_EQ(h.device.command(), QStringLiteral("Pause"));
    h.key(Qt::Key_Backspace);
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
    EXPECT_TRUE(h.player().loopOn());

    EXPECT_FALSE(h.playWindow()->isVisible());
    h.key(Qt::Key_Shift);
    EXPECT_TRUE(h.playWindow()->isVisible());
    EXPECT_TRUE(h.menu()->item(QStringLiteral("mnu_P_List"))->isChecked());
    h.menu(QStringLiteral("mnu_P_List"));
    EXPECT_FALSE(h.playWindow()->isVisible());
    EXPECT_FALSE(h.menu()->item(QStringLiteral("mnu_P_List"))->isChecked());
}

TEST(PlayerWiring, ClearingTheListFromKeysAndMenuStopsPlayback)
{
    for (const auto& clear : std::initializer_list<std::function<void(Harness&)>>{
             [](Harness& h) { h.key(Qt::Key_C); },
             [](Harness& h) { h.key(Qt::Key_Delete); },
             [](Harness& h) { h.menu(QStringLiteral("mnu_P_DelAll")); }}) {
        PlayingHarness h;
        h.key(Qt::Key_PageDown);
        clear(h);
        EXPECT_TRUE(h.playList().isEmpty());
        EXPECT_EQ(h.player().currentIndex(), 0);
        EXPECT_FALSE(h.player().listPlaying());
        EXPECT_EQ(h.device.command(), QStringLiteral("Close"));
        h.tick();
        EXPECT_EQ(h.title(), QString());
    }
}

TEST(PlayerWiring, DScansTheLastPathAgain)
{
    PlayingHarness h;
    QSignalSpy settled(&h.playListActions(), &PlayListActions::settled);
    h.key(Qt::Key_D);
    ASSERT_TRUE(settled.wait(5000));
    EXPECT_EQ(h.playList().entries(), h.files + h.files);
}

TEST(PlayerWiring, AHandOverReplacesTheListAndPlaysItsFirstEntry)
{
    PlayingHarness h;
    touch(h.path(QStringLiteral("new/x.wav")));
    touch(h.path(QStringLiteral("new/y.mp3")));
    ASSERT_TRUE(writeHandOver(h.path(QStringLiteral("lst.tmp")),
                              {h.path(QStringLiteral("new/y.mp3")), h.path(QStringLiteral("new/x.wav"))}));
    QSignalSpy settled(&h.playListActions(), &PlayListActions::settled);
    h.tick();
    if (settled.isEmpty()) { // read off the UI thread
        ASSERT_TRUE(settled.wait(5000));
    }
    EXPECT_FALSE(QFile::exists(h.path(QStringLiteral("lst.tmp"))));
    EXPECT_EQ(h.playList().entries(),
              (QStringList{h.path(QStringLiteral("new/y.mp3")), h.path(QStringLiteral("new/x.wav"))}));
    h.tick();
    EXPECT_EQ(h.device.fileName(), h.path(QStringLiteral("new/y.mp3")));
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
    EXPECT_EQ(h.title(), QStringLiteral("1.y"));
}

namespace {

// Local files dropped on a window the way a file manager drops them.
void dropOn(QWidget* window, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
}

} // namespace

TEST(PlayerWiring, ADropOnTheMainWindowReplacesTheListAtTheNextTick)
{
    PlayingHarness h;
    touch(h.path(QStringLiteral("d/one.flac")));
    QSignalSpy settled(&h.playListActions(), &PlayListActions::settled);
    dropOn(h.form(), {h.path(QStringLiteral("d"))}); // a folder, dropped from a file manager
    ASSERT_TRUE(settled.wait(5000));
    EXPECT_EQ(h.playList().entries(), QStringList{h.path(QStringLiteral("d/one.flac"))});
    // The old track plays on until the tick starts the new list.
    EXPECT_EQ(h.device.fileName(), h.files[0]);
    h.tick();
    EXPECT_EQ(h.device.fileName(), h.path(QStringLiteral("d/one.flac")));
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
    EXPECT_EQ(h.title(), QStringLiteral("1.one"));
}

TEST(PlayerWiring, ADropOnTheListWindowAppendsWithoutInterrupting)
{
    PlayingHarness h;
    touch(h.path(QStringLiteral("d/one.wav")));
    QSignalSpy settled(&h.playListActions(), &PlayListActions::settled);
    dropOn(h.playWindow(), {h.path(QStringLiteral("d/one.wav")), h.path(QStringLiteral("d"))});
    ASSERT_TRUE(settled.wait(5000));
    const QStringList expected = h.files + QStringList{h.path(QStringLiteral("d/one.wav")), h.path(QStringLiteral("d/one.wav"))};
    EXPECT_EQ(h.playList().entries(), expected);
    h.tick();
    EXPECT_EQ(h.device.fileName(), h.files[0]);
    EXPECT_FALSE(h.device.log().contains(kClose));
}

TEST(PlayerWiring, AListReadInPartSaysSo)
{
    PlayingHarness h;
    touch(h.path(QStringLiteral("System/viw.m3u")), h.files[1].toUtf8() + "\r\n" + QByteArray(40000, 'x') + "\r\n");
    QSignalSpy loaded(&h.playListActions(), &PlayListActions::loaded);
    h.playListActions().load();
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(h.playList().entries(), QStringList{h.files[1]});
    ASSERT_NE(shownBox(), nullptr);
    EXPECT_TRUE(shownBox()->text().contains(QStringLiteral("viw.m3u")));
    shownBox()->close();
}

TEST(PlayerWiring, SavedListRoundTripsThroughClearAndLoad)
{
    PlayingHarness h;
    QSignalSpy saved(&h.playListActions(), &PlayListActions::saved);
    h.playListActions().save();
    ASSERT_TRUE(saved.wait(5000));
    EXPECT_TRUE(saved.at(0).at(0).toBool());
    h.key(Qt::Key_C);
    ASSERT_TRUE(h.playList().isEmpty());
    QSignalSpy loaded(&h.playListActions(), &PlayListActions::loaded);
    h.playListActions().load();
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(h.playList().entries(), h.files);
    EXPECT_EQ(h.title(), QStringLiteral("1.a"));
    // Cued, not playing.
    EXPECT_EQ(h.device.fileName(), h.files[0]);
    EXPECT_FALSE(h.player().listPlaying());
}

TEST(PlayerWiring, AListFromAJapaneseSystemLoadsUnchanged)
{
    PlayingHarness h;
    const QString song = h.path(QStringLiteral("曲/さくら.mp3"));
    touch(song, mp3WithTag(QStringLiteral("桜"), QString()));
    QStringEncoder sjis("Shift_JIS");
    QByteArray bytes = "#EXTM3U\r\n" + QByteArray(sjis.encode(song)) + "\r\n\r\n";
    touch(h.path(QStringLiteral("System/viw.m3u")), bytes);
    QSignalSpy loaded(&h.playListActions(), &PlayListActions::loaded);
    h.playListActions().load();
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(h.playList().entries(), QStringList{song});
    // The load names the file, not its tag.
    EXPECT_EQ(h.title(), QStringLiteral("1.さくら"));
}

TEST(PlayerWiring, AListThatCannotBeSavedSaysSoAndKeepsTheOldFile)
{
    PlayingHarness h;
    const QString file = h.path(QStringLiteral("System/viw.m3u"));
    touch(file, "old\r\n\r\n");
    QSignalSpy saved(&h.playListActions(), &PlayListActions::saved);
    {
        // The new list is longer than the disk allows.
        yk::test::FileSizeLimit full(16);
        h.playListActions().save();
        ASSERT_TRUE(saved.wait(5000));
    }
    EXPECT_FALSE(saved.at(0).at(0).toBool());
    EXPECT_EQ(yk::test::readBytes(file), QByteArray("old\r\n\r\n"));
    QMessageBox* box = shownBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(QStringLiteral("保存できません")));
}

TEST(NowPlaying, ATrackWithATagIsAnnouncedOnceWhenItStarts)
{
    PlayingHarness h(false);
    touch(h.files[0], mp3WithTag(QStringLiteral("Song %1 \\! x"), QStringLiteral("Band")));
    h.mascot.scripts.clear();
    h.tick();
    ASSERT_EQ(h.mascot.scripts.size(), 3);
    const QString expected =
        QStringLiteral("\\h\\s0ただいまの曲目は‥‥\\w8\\n\\nBandさんの\\n「 Song \\%1 \\\\! x 」\\n\\nです♪");
    EXPECT_EQ(h.mascot.scripts[0], expected);
    EXPECT_EQ(h.title(), QStringLiteral("1.Song %1 \\! x"));
    // A refresh of the title reads the tag without a second announcement.
    h.key(Qt::Key_End);
    h.tick();
    EXPECT_EQ(h.mascot.scripts.size(), 3);
}

TEST(NowPlaying, AVersionTwoTagOfARealMp3NamesAndAnnouncesTheTrack)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders";
    PlayingHarness h;
    ASSERT_TRUE(yk::test::writeAudioFile(h.files[1], yk::test::AudioFormat::Mp3));
    ASSERT_TRUE(yk::test::writeTags(h.files[1], {{"TITLE", "海の歌"}, {"ARTIST", "Nami"}}));
    h.mascot.scripts.clear();
    h.key(Qt::Key_PageDown);
    EXPECT_EQ(h.title(), QStringLiteral("2.海の歌"));
    EXPECT_EQ(h.mascot.scripts, QStringList({nowPlayingScript(QStringLiteral("海の歌"), QStringLiteral("Nami")),
                                             QStringLiteral("\\h海の歌\\e"), QStringLiteral("\\hNami、萌え～\\e")}));
}

TEST(NowPlaying, ASlowReadStartsTheTrackUnderItsFileNameAndNamesItAndTellsOfItLater)
{
    std::atomic<bool> open = false;
    PlayingHarness h(false, [&open](const QString& path) {
        for (int i = 0; i < 500 && !open; ++i)
            QThread::msleep(10);
        tags::TrackInfo info;
        info.title = QFileInfo(path).baseName().toUpper();
        info.artist = QStringLiteral("Band");
        info.hasTag = true;
        return std::optional(info);
    });
    h.mascot.present = false; // a desktop notice stands in for it
    QSignalSpy unheard(&h.nowPlaying(), &NowPlaying::unheard);
    h.tick();
    EXPECT_EQ(h.title(), QStringLiteral("1.a"));
    EXPECT_EQ(h.device.command(), QStringLiteral("Play")) << "the start did not wait for the tags";
    h.player().forward(); // on to b before a's tags came
    EXPECT_EQ(h.title(), QStringLiteral("2.b"));
    open = true;
    EXPECT_TRUE(yk::test::spinUntil([&] { return h.title() == u"2.B" && !unheard.isEmpty(); }));
    EXPECT_EQ(unheard, QList<QVariantList>({{h.files[1], QStringLiteral("B"), QStringLiteral("Band")}}));
    // b has no cover: the desktop shows the notice once the wait for one ends.
    EXPECT_TRUE(yk::test::spinUntil([&] { return !h.notices.notices.isEmpty(); }, 3000));
    ASSERT_EQ(h.notices.notices.size(), 1);
    EXPECT_TRUE(h.notices.notices[0].summary.contains(u"B"));
    EXPECT_EQ(h.notices.notices[0].body, QStringLiteral("Band"));
}

TEST(NowPlaying, ScriptWithoutArtistGoesStraightToTheName)
{
    const QString expected = QStringLiteral("\\h\\s0ただいまの曲目は‥‥\\w8\\n\\n「 名前 」\\n\\nです♪");
    EXPECT_EQ(nowPlayingScript(QStringLiteral("名前"), QString()), expected);
}

TEST(CommandLine, RelativePathsBecomeAbsoluteBeforeAnyHandOver)
{
    const QString here = QDir::currentPath();
    EXPECT_EQ(absolutePaths({QStringLiteral("song.mp3"), QString(), QStringLiteral("/abs/x.wav"),
                             QStringLiteral("../up/./y.mid")}),
              (QStringList{here + QStringLiteral("/song.mp3"), QStringLiteral("/abs/x.wav"),
                           QDir::cleanPath(here + QStringLiteral("/../up/y.mid"))}));
}

TEST(PlayListPlacement, APairReachingPastTheWorkAreaIsPulledBack)
{
    const WorkAreaTwips work{0, 0, 15000, 12000};
    PlayListSides below;
    below.below = true;
    PairPlacement p = fitPlayListBeside({1000, 7000, 1000, 9655}, below, work);
    EXPECT_EQ(p.mainTop, 12000 - 5310);
    EXPECT_EQ(p.playTop, 12000 - 2655);
    EXPECT_EQ(p.mainLeft, 1000);
    // Room enough: nothing moves.
    p = fitPlayListBeside({1000, 3000, 1000, 5655}, below, work);
    EXPECT_EQ(p.mainTop, 3000);

    PlayListSides above;
    above.above = true;
    p = fitPlayListBeside({1000, 2000, 1000, -655}, above, work);
    EXPECT_EQ(p.mainTop, 2655);
    EXPECT_EQ(p.playTop, 0);

    PlayListSides right;
    right.right = true;
    p = fitPlayListBeside({10000, 500, 12655, 500}, right, work);
    EXPECT_EQ(p.mainLeft, 15000 - 5310);
    EXPECT_EQ(p.playLeft, 15000 - 2655);

    PlayListSides left;
    left.left = true;
    p = fitPlayListBeside({2755, 500, 100, 500}, left, work);
    EXPECT_EQ(p.mainLeft, 2655);
    EXPECT_EQ(p.playLeft, 0);
    // Detached: left alone.
    p = fitPlayListBeside({14000, 11000, 0, 0}, PlayListSides{}, work);
    EXPECT_EQ(p.mainLeft, 14000);
    EXPECT_EQ(p.mainTop, 11000);
}

TEST(PlayListPlacement, TheListWindowNeverOpensOverTheMainWindow)
{
    PlayingHarness h;
    // A first start stores no place: both windows would sit at the corner.
    h.form()->move(100, 100);
    h.playWindow()->move(120, 130);
    h.key(Qt::Key_Shift);
    ASSERT_TRUE(h.playWindow()->isVisible());
    EXPECT_FALSE(h.playWindow()->frameGeometry().intersects(h.form()->frameGeometry()));
    EXPECT_EQ(h.playWindow()->x(), h.form()->x());
    EXPECT_EQ(h.playWindow()->y(), h.form()->y() + h.form()->height());
    // Once attached, the pair moves as one when it is shown again.
    h.key(Qt::Key_Shift);
    h.key(Qt::Key_Shift);
    EXPECT_EQ(h.playWindow()->y(), h.form()->y() + h.form()->height());
}

TEST(PlayerWiring, TheAddButtonAppendsThePickersChoiceAndCuesIt)
{
    Harness h;
    QDir(h.dir.path()).mkpath(QStringLiteral("System")); // no opening sound
    h.startAndSettle();
    const QString chosen = h.path(QStringLiteral("mp3/voice.au")); // offered by the picker, not by the scan
    touch(chosen);
    h.togglePlayList();
    QTest::mouseClick(child<QLabel>(h.playWindow(), "img_Add"), Qt::LeftButton);
    FilePickerWindow* picker = h.windows().picker();
    ASSERT_NE(picker, nullptr);
    auto* path = child<QLineEdit>(picker, "Text1");
    path->setText(chosen);
    QTest::keyClick(path, Qt::Key_Return);
    EXPECT_EQ(h.playList().entries(), QStringList{chosen});
    EXPECT_EQ(h.device.fileName(), chosen);
    h.tick();
    ASSERT_EQ(h.playListView().rows().size(), 1);
    EXPECT_TRUE(h.playListView().rows().first().contains(QStringLiteral("voic"))) << qPrintable(h.playListView().rows().first());
}

TEST(PlayerWiring, DeletingAnotherRowKeepsTheSongThatPlays)
{
    PlayingHarness h;
    h.player().setCurrentIndex(2);
    h.player().play();
    h.device.clearLog();
    h.togglePlayList();
    h.tick();
    child<QListWidget>(h.playWindow(), "lst_Files_Name")->setCurrentRow(0);
    QTest::mouseClick(child<QLabel>(h.playWindow(), "img_Delete"), Qt::LeftButton);
    EXPECT_EQ(h.playList().entries(), (QStringList{h.files[1], h.files[2]}));
    EXPECT_EQ(h.player().currentIndex(), 1);
    EXPECT_EQ(h.title(), QStringLiteral("2.c"));
    EXPECT_FALSE(h.device.log().contains(kClose));
}

TEST(PlayerWiring, ListPlaybackStartedOverASystemSoundStillAdvances)
{
    PlayingHarness h(false);
    auto& reg = h.settings().registrations;
    touch(reg[10] = h.path(QStringLiteral("wav/ring.wav")));
    h.key(Qt::Key_1); // sound 1 plays
    h.key(Qt::Key_Home);
    h.tick();
    ASSERT_EQ(h.device.fileName(), h.files[0]);
    h.device.setLength(1000);
    h.device.finishTrack();
    h.tick();
    EXPECT_EQ(h.device.fileName(), h.files[1]) << "the end of the list's track is not the sound's";
    EXPECT_TRUE(h.player().listPlaying());
}
