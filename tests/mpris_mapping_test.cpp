// The player's remote controls as the program wires them, without a bus:
// every request must do what the main window's button or key of the same
// meaning does, and the state read back must be what the window shows.

#include "support/AppHarness.h"
#include "support/AudioFiles.h"
#include "support/TestUtil.h"

#include "media/Id3Tag.h"
#include "media/Player.h"
#include "media/PlayerRemote.h"
#include "media/ThumbBars.h"
#include "platform/MediaControls.h"

#include <QUrl>

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

namespace {

// Keeps whatever the program publishes, so the test can drive it as the
// desktop would.
class RecordingControls final : public MediaControls
{
public:
    MediaControlTarget* target = nullptr;
    int publishes = 0;
    void publish(MediaControlTarget& t) override
    {
        target = &t;
        ++publishes;
    }
};

QByteArray mp3WithTag(const QString& title, const QString& artist, const QString& album)
{
    id3::Tag tag;
    tag.title = title;
    tag.artist = artist;
    tag.album = album;
    return QByteArray(256, '\0') + id3::tagBlock(tag);
}

// The program with three files in its list, nothing playing yet.
struct RemoteHarness : Harness
{
    RecordingControls controls;
    QStringList files;

    explicit RemoteHarness(bool withFiles = true)
    {
        QDir(dir.path()).mkpath(QStringLiteral("System")); // no opening sound
        mediaControls = &controls;
        make();
        startAndSettle();
        if (withFiles) {
            touch(path(QStringLiteral("m/a.mp3")), mp3WithTag(QStringLiteral("Kaze"), QStringLiteral("Yomi"),
                                                               QStringLiteral("Sora")));
            touch(path(QStringLiteral("m/b.wav")));
            touch(path(QStringLiteral("m/c.mid")));
            files = {path(QStringLiteral("m/a.mp3")), path(QStringLiteral("m/b.wav")), path(QStringLiteral("m/c.mid"))};
            playList().append(files);
        }
        tick();
        device.clearLog();
    }
    MediaControlTarget& remote() const { return *controls.target; }
    MediaState state() const { return controls.target->state(); }
    void click(const char* element) const
    {
        QTest::mouseClick(label(QString::fromLatin1(element)), Qt::LeftButton);
    }
    bool shown(const char* element) const { return !label(QString::fromLatin1(element))->isHidden(); }
    QString title() const { return text(QStringLiteral("lbl_Play_Name")); }
};

} // namespace

TEST(RemoteControls, PublishedOnceWithTheProgram)
{
    RemoteHarness h;
    EXPECT_EQ(h.controls.publishes, 1);
    ASSERT_NE(h.controls.target, nullptr);
    EXPECT_EQ(h.state().playbackStatus, QStringLiteral("Stopped"));
    EXPECT_TRUE(h.state().canPlay);
    EXPECT_TRUE(h.state().canGoNext);
    EXPECT_FALSE(h.state().canSeek) << "nothing open to seek in";
}

TEST(RemoteControls, EachRequestWritesWhatTheWindowsButtonOrKeyWrites)
{
    // One program driven by the window, one by the remote, step by step:
    // the device must be told the same things in the same order.
    RemoteHarness byWindow;
    RemoteHarness byRemote;
    // The two programs live in folders of their own.
    auto log = [](RemoteHarness& h) {
        return h.device.takeLog().join(u'|').replace(h.dir.path(), QStringLiteral("<dir>")).toStdString();
    };
    auto same = [&](const char* step) {
        EXPECT_EQ(log(byRemote), log(byWindow)) << step;
        EXPECT_EQ(byRemote.title(), byWindow.title()) << step;
        EXPECT_EQ(byRemote.player().currentIndex(), byWindow.player().currentIndex()) << step;
    };

    byWindow.click("img_P");
    byRemote.remote().play();
    same("play");
    EXPECT_EQ(byRemote.device.command(), QStringLiteral("Play"));
    EXPECT_EQ(byRemote.state().playbackStatus, QStringLiteral("Playing"));

    byRemote.remote().play();
    EXPECT_TRUE(byRemote.device.takeLog().isEmpty()) << "play while playing restarts nothing";

    byWindow.key(Qt::Key_Backspace);
    byRemote.remote().pause();
    same("pause");
    EXPECT_EQ(byRemote.state().playbackStatus, QStringLiteral("Paused"));

    byWindow.key(Qt::Key_Backspace);
    byRemote.remote().play();
    same("resume");
    EXPECT_EQ(byRemote.state().playbackStatus, QStringLiteral("Playing"));

    byWindow.key(Qt::Key_Backspace);
    byRemote.remote().playPause();
    same("play-pause");
    EXPECT_EQ(byRemote.state().playbackStatus, QStringLiteral("Paused"));
    byWindow.key(Qt::Key_Backspace);
    byRemote.remote().playPause();
    same("play-pause again");

    byWindow.click("img_F");
    byRemote.remote().next();
    same("next");
    EXPECT_EQ(byRemote.player().currentIndex(), 1);

    byWindow.click("img_B");
    byRemote.remote().previous();
    same("previous");

    byWindow.click("img_S");
    byRemote.remote().stop();
    same("stop");
    EXPECT_EQ(byRemote.device.command(), QStringLiteral("Close"));
    EXPECT_EQ(byRemote.state().playbackStatus, QStringLiteral("Stopped"));

    byRemote.remote().playPause();
    byWindow.click("img_P");
    same("play-pause from stopped is the play button");
    EXPECT_EQ(byRemote.state().playbackStatus, QStringLiteral("Playing"));
    byWindow.tick();
    byRemote.tick();
    EXPECT_EQ(byRemote.shown("img_Ber"), byWindow.shown("img_Ber"));
    EXPECT_TRUE(byRemote.shown("img_Ber")) << "the window shows the playing track";
}

TEST(RemoteControls, NextAndPreviousWrapRoundAndOnlyCueWhileIdle)
{
    RemoteHarness h;
    h.player().setCurrentIndex(2);
    h.remote().next();
    EXPECT_EQ(h.player().currentIndex(), 0);
    EXPECT_EQ(h.title(), QStringLiteral("1.Kaze"));
    EXPECT_EQ(h.device.command(), QStringLiteral("Close")) << "idle: cued, not played";
    EXPECT_EQ(h.device.fileName(), h.files[0]);
    EXPECT_EQ(h.state().track.id, PlayerRemote::trackId(0));
    h.remote().previous();
    EXPECT_EQ(h.player().currentIndex(), 2);
    EXPECT_EQ(h.state().track.id, PlayerRemote::trackId(2));

    h.remote().play();
    h.remote().next();
    EXPECT_EQ(h.player().currentIndex(), 0);
    EXPECT_EQ(h.device.command(), QStringLiteral("Play")) << "playing: the next track plays";
    EXPECT_EQ(h.device.fileName(), h.files[0]);
}

TEST(RemoteControls, MetadataNamesTheCurrentEntryFromItsTagOrItsFileName)
{
    RemoteHarness h;
    MediaTrack t = h.state().track;
    EXPECT_EQ(t.id, QStringLiteral("/org/yomikaze/track/0"));
    EXPECT_EQ(t.title, QStringLiteral("Kaze"));
    EXPECT_EQ(t.artists, QStringList{QStringLiteral("Yomi")});
    EXPECT_EQ(t.album, QStringLiteral("Sora"));
    EXPECT_EQ(t.url, QUrl::fromLocalFile(h.files[0]).toString());
    EXPECT_EQ(t.lengthUs, 0) << "not known before the device opens it";

    h.device.setLength(187250);
    QSignalSpy changed(&h.remote(), &MediaControlTarget::changed);
    h.remote().play();
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(h.state().track.lengthUs, 187250000);

    h.remote().next();
    t = h.state().track;
    EXPECT_EQ(t.title, QStringLiteral("b")) << "no tag: the file name less its extension";
    EXPECT_TRUE(t.artists.isEmpty());
    EXPECT_TRUE(t.album.isEmpty());
    EXPECT_EQ(t.url, QUrl::fromLocalFile(h.files[1]).toString());
}

TEST(RemoteControls, AnyFormatsTagsAndLengthShowBeforeTheDeviceOpensTheFile)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders";
    RemoteHarness h;
    const QString flac = h.path(QStringLiteral("m/d.flac"));
    ASSERT_TRUE(yk::test::writeAudioFile(flac, yk::test::AudioFormat::Flac));
    ASSERT_TRUE(yk::test::writeTags(flac, {{"TITLE", "Umi"}, {"GENRE", "Anime"}, {"TRACKNUMBER", "7"}, {"ALBUMARTIST", "V.A."}}));
    h.playList().append({flac});
    h.remote().play();
    h.remote().pause();
    h.remote().previous(); // paused: cued, not opened
    ASSERT_TRUE(yk::test::spinUntil([&] { return h.state().track.title == u"Umi"; }));
    const MediaTrack t = h.state().track;
    EXPECT_EQ(t.albumArtists, QStringList{QStringLiteral("V.A.")});
    EXPECT_EQ(t.genres, QStringList{QStringLiteral("Anime")});
    EXPECT_EQ(t.trackNumber, 7);
    EXPECT_GT(t.lengthUs, 50000) << "the tags' length";

    h.device.setLength(5000);
    h.remote().play();
    EXPECT_EQ(h.state().track.lengthUs, 5000000) << "the device's, once it has the file";
}

TEST(RemoteControls, AnEmptyListHasNoTrackAndNothingToPlay)
{
    RemoteHarness h(false);
    EXPECT_EQ(h.state().track.id, MediaControlTarget::kNoTrack);
    EXPECT_FALSE(h.state().canPlay);
    EXPECT_FALSE(h.state().canGoNext);
    h.remote().play();
    h.remote().playPause();
    h.remote().next();
    EXPECT_FALSE(h.device.log().contains(QStringLiteral("Command=Play")));
    EXPECT_EQ(h.state().playbackStatus, QStringLiteral("Stopped"));
}

TEST(RemoteControls, AKeyPressOnTheWindowIsSeenAsAChangeButThePlayingTimeIsNot)
{
    RemoteHarness h;
    h.remote().play();
    h.device.setLength(100000);
    QSignalSpy changed(&h.remote(), &MediaControlTarget::changed);

    // The position moving is read on demand, never announced.
    for (qint64 ms : {1000, 2000, 3500}) {
        h.device.setPosition(ms);
        h.player().refreshPosition();
        EXPECT_EQ(h.remote().positionUs(), ms * 1000);
    }
    const int afterLength = int(changed.count()); // the length became known once
    h.device.setPosition(4000);
    h.player().refreshPosition();
    EXPECT_EQ(changed.count(), afterLength);

    h.key(Qt::Key_Backspace);
    ASSERT_TRUE(yk::test::spinUntil([&] { return h.state().playbackStatus == u"Paused"; }));
    EXPECT_GT(changed.count(), afterLength);

    h.key(Qt::Key_End);
    ASSERT_TRUE(yk::test::spinUntil([&] { return h.state().playbackStatus == u"Stopped"; }));
    EXPECT_EQ(h.remote().positionUs(), 0);
}

TEST(RemoteControls, LoopAndShuffleAreTheWindowsLoopAndRandom)
{
    RemoteHarness h;
    QSignalSpy changed(&h.remote(), &MediaControlTarget::changed);
    h.remote().setLoopStatus(QStringLiteral("Playlist"));
    EXPECT_TRUE(h.player().loopOn());
    EXPECT_EQ(h.label(QStringLiteral("img_L_0"))->pixmap().cacheKey(),
              h.label(QStringLiteral("img_L_2"))->pixmap().cacheKey());
    EXPECT_EQ(h.state().loopStatus, QStringLiteral("Playlist"));
    EXPECT_EQ(changed.count(), 1);

    h.remote().setLoopStatus(QStringLiteral("Sideways"));
    EXPECT_TRUE(h.player().loopOn()) << "an unknown status changes nothing";

    h.click("img_L_0");
    EXPECT_FALSE(h.player().loopOn());
    EXPECT_EQ(h.state().loopStatus, QStringLiteral("None"));
    EXPECT_EQ(changed.count(), 2) << "a click on the window is announced too";

    h.remote().setShuffle(true);
    EXPECT_TRUE(h.player().randomOn());
    EXPECT_TRUE(h.shown("img_Randam_1"));
    EXPECT_FALSE(h.shown("img_Randam_0"));
    h.remote().setShuffle(true);
    EXPECT_TRUE(h.player().randomOn()) << "setting what is already set is no toggle";
    h.click("img_Randam_1");
    EXPECT_FALSE(h.state().shuffle);
}

TEST(RemoteControls, VolumeIsTheMixersAndMovesTheVolumeThumb)
{
    RemoteHarness h;
    h.mixer.value = quint32(0x8000) | (quint32(0x8000) << 16);
    h.remote().setShuffle(false); // any request reads the mixer again
    EXPECT_NEAR(h.state().volume, 0x8000 / 65535.0, 1e-9);

    h.remote().setVolume(0.25);
    EXPECT_EQ(h.mixer.value, thumbs::mixerVolume(thumbs::kVolume.min + 16));
    EXPECT_EQ(h.form()->volumeThumbLeft(), thumbs::kVolume.min + 16);
    EXPECT_NEAR(h.state().volume, 0.25, 0.001);

    h.remote().setVolume(7.0);
    EXPECT_EQ(h.mixer.value, 0xFFFFFFFFu);
    EXPECT_EQ(h.form()->volumeThumbLeft(), thumbs::kVolume.max);
    h.remote().setVolume(-1.0);
    EXPECT_EQ(h.mixer.value, 0u);
    EXPECT_EQ(h.form()->volumeThumbLeft(), thumbs::kVolume.min);
}

TEST(RemoteControls, SeekAndSetPositionPlayFromTheTimeAsked)
{
    RemoteHarness h;
    h.remote().seek(1000000);
    EXPECT_TRUE(h.device.log().isEmpty()) << "stopped: nothing to seek in";

    h.device.setLength(200000);
    h.remote().play();
    h.device.setPosition(5000);
    h.device.clearLog();
    QSignalSpy seeked(&h.remote(), &MediaControlTarget::seeked);

    h.remote().seek(3000000);
    EXPECT_EQ(h.device.takeLog(),
              QStringList({QStringLiteral("TimeFormat=0"), QStringLiteral("From=8000"), QStringLiteral("Command=Play")}));
    ASSERT_EQ(seeked.count(), 1);
    EXPECT_EQ(seeked.at(0).at(0).toLongLong(), 8000000);

    h.remote().seek(-60000000);
    EXPECT_TRUE(h.device.takeLog().contains(QStringLiteral("From=0"))) << "before the start is the start";

    h.remote().setPosition(PlayerRemote::trackId(1), 10000000);
    EXPECT_TRUE(h.device.takeLog().isEmpty()) << "a stale track id is ignored";
    h.remote().setPosition(PlayerRemote::trackId(0), 300000000);
    EXPECT_TRUE(h.device.takeLog().isEmpty()) << "past the end is ignored";
    h.remote().setPosition(PlayerRemote::trackId(0), 10000000);
    EXPECT_TRUE(h.device.takeLog().contains(QStringLiteral("From=10000")));
    EXPECT_EQ(seeked.count(), 3);

    h.device.setPosition(199000);
    h.remote().seek(5000000);
    EXPECT_EQ(h.player().currentIndex(), 1) << "past the end is the next track";
    EXPECT_EQ(h.device.fileName(), h.files[1]);
    EXPECT_EQ(h.device.command(), QStringLiteral("Play"));
}

TEST(RemoteControls, RaiseShowsTheWindowAndQuitIsTheEndCommand)
{
    RemoteHarness h;
    h.form()->hide();
    h.remote().raise();
    EXPECT_TRUE(h.form()->isVisible());

    QSignalSpy finished(h.app.get(), &App::finished);
    h.mascot.scripts.clear();
    h.remote().quit();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(h.mascot.scripts.contains(QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e")))
        << "the End command says goodbye";
    EXPECT_TRUE(QFile::exists(h.path(QStringLiteral("System/viw.ini")))) << "and saves the settings";
}

TEST(RemoteControls, WithoutAMixerTheVolumeIsTheStreamsOwn)
{
    RemoteHarness h;
    h.remote().setShuffle(false);
    EXPECT_NEAR(h.state().volume, 1.0, 1e-9) << "not 0: the streams play at full volume";
    h.remote().setVolume(0.25);
    EXPECT_FALSE(h.mixer.value.has_value());
    EXPECT_NEAR(h.device.streamVolume, 0.25, 0.001);
    EXPECT_EQ(h.form()->volumeThumbLeft(), thumbs::kVolume.min + 16);
    EXPECT_NEAR(h.state().volume, 0.25, 0.001);
}

TEST(RemoteControls, DraggingTheWindowsVolumeThumbReachesTheDesktop)
{
    RemoteHarness h;
    h.mixer.value = 0;
    h.remote().setShuffle(false); // reads the mixer: volume 0
    ASSERT_NEAR(h.state().volume, 0.0, 1e-9);
    QSignalSpy changed(h.controls.target, &MediaControlTarget::changed);

    QLabel* thumb = h.label(QStringLiteral("img_Vol"));
    const int y = thumb->height() / 2;
    QTest::mousePress(thumb, Qt::LeftButton, {}, QPoint(3, y));
    QTest::mouseMove(thumb, QPoint(3 + 32, y));
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(3, y));

    ASSERT_TRUE(h.mixer.value.has_value());
    ASSERT_GT(*h.mixer.value, 0u) << "the drag set the mixer";
    EXPECT_GE(changed.count(), 1);
    EXPECT_NEAR(h.state().volume, double(*h.mixer.value & 0xFFFFu) / 65535.0, 1e-9);
}
