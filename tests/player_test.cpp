#include <deque>
#include <memory>

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "media/PlayList.h"
#include "media/Player.h"
#include "platform/MoviePlayer.h"
#include "support/FakeMoviePlayer.h"
#include "support/FakeDeviceChannel.h"
#include "support/Fakes.h"
#include "support/TestUtil.h"
#include "core/ClockTick.h"

using namespace yk;
using yk::test::FakeClock;
using yk::test::FakeDeviceChannel;
using Button = Player::Button;

namespace {

// Loads when the test says so and plays nothing; no length until a test sets one.
using FakeMovie = yk::test::FakeMoviePlayer;

QStringList logOf(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* l : lines)
        out << QString::fromUtf8(l);
    return out;
}

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        movie.dur = 0;
        player = std::make_unique<Player>(list, device, &movie, &tick);
    }

    // A real file in the test folder (the player plays only what exists).
    QString file(const QString& name)
    {
        const QString path = dir.filePath(name);
        yk::test::writeBytes(path, "x");
        return path;
    }
    QString missing(const QString& name) const { return dir.filePath(name); }

    QStringList fill(std::initializer_list<const char*> names)
    {
        QStringList paths;
        for (const char* n : names)
            paths << file(QString::fromUtf8(n));
        list.append(paths);
        return paths;
    }

    // The device plays the open file to its end and the clock ticks once.
    void endTrack()
    {
        device.setLength(1000);
        device.setPosition(1000);
        player->tickTrack();
        device.setPosition(0);
    }

    bool opened(const QString& path) const
    {
        const QStringList log = device.log();
        const int at = int(log.lastIndexOf(QStringLiteral("FileName=") + path));
        return at >= 0 && log.mid(at + 1, 2) == logOf({"Command=Open", "Command=Play"});
    }

    QTemporaryDir dir;
    FakeClock clock;
    ClockTick tick{clock};
    PlayList list;
    FakeDeviceChannel device;
    FakeMovie movie;
    std::unique_ptr<Player> player;
};

TEST(PlayerRules, DeviceTypeComesFromTheClassicTailOrTheModernEnding)
{
    for (const char* wave : {"a.wav", "B.WAV", "c.stm", "d.dsm", "e.mj"})
        EXPECT_EQ(Player::deviceTypeFor(QString::fromUtf8(wave)), QStringLiteral("WaveAudio")) << wave;
    for (const char* seq : {"a.mid", "b.RMI", "c.midi"})
        EXPECT_EQ(Player::deviceTypeFor(QString::fromUtf8(seq)), QStringLiteral("Sequencer")) << seq;
    for (const char* movie : {"a.avi", "b.MPG", "c.mpeg", "d.m1v", "e.wmv", "f.mpe", "g.wax", "h.WEBM", "i.mp4", "j.mov"})
        EXPECT_TRUE(Player::isMovieFile(QString::fromUtf8(movie))) << movie;
    for (const char* mpeg : {"a.mp3", "b.mp2", "c.ogg", "noext", "x.flac", "y.opus", "z.M4A", "w.wv", "v.jpeg"})
        EXPECT_EQ(Player::deviceTypeFor(QString::fromUtf8(mpeg)), QStringLiteral("MpegVideo")) << mpeg;
}

TEST(PlayerRules, ElapsedTextIsMinutesSecondsHundredths)
{
    EXPECT_EQ(Player::elapsedText(187250), QStringLiteral("03:07.25"));
    EXPECT_EQ(Player::elapsedText(59999), QStringLiteral("00:59.99"));
    EXPECT_EQ(Player::elapsedText(600000), QStringLiteral("10:00.00"));
    EXPECT_EQ(Player::elapsedText(9), QStringLiteral("00:00.00"));
}

TEST_F(PlayerTest, PlayStartsTheCurrentEntryThroughTheDevice)
{
    const QStringList paths = fill({"song.mp3", "beep.wav", "tune.mid"});
    QSignalSpy opened(player.get(), &Player::trackOpened);
    player->setCurrentIndex(1);
    player->releaseButton(Button::Play);
    EXPECT_EQ(device.takeLog(), QStringList({QStringLiteral("Command=Close"), QStringLiteral("Command=Close"),
                                             QStringLiteral("DeviceType=WaveAudio"),
                                             QStringLiteral("FileName=") + paths[1],
                                             QStringLiteral("Command=Open"), QStringLiteral("Command=Play")}));
    EXPECT_EQ(player->currentFile(), paths[1]);
    EXPECT_EQ(player->title(), QStringLiteral("2.beep"));
    EXPECT_TRUE(player->listPlaying());
    EXPECT_TRUE(player->positionRefreshRunning());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0][0].toString(), paths[1]);

    player->setCurrentIndex(2);
    player->play();
    EXPECT_EQ(device.deviceType(), QStringLiteral("Sequencer"));
    EXPECT_EQ(player->title(), QStringLiteral("3.tune"));
}

TEST_F(PlayerTest, TitleUsesTheTagTitleWhenThereIsOne)
{
    const QStringList paths = fill({"song.mp3", "other.mp3"});
    player->setTitleSource([&](const QString& p) { return p == paths[0] ? QStringLiteral("夜の歌") : QString(); });
    player->play();
    EXPECT_EQ(player->title(), QStringLiteral("1.夜の歌"));
    player->forward();
    EXPECT_EQ(player->title(), QStringLiteral("2.other"));
}

TEST_F(PlayerTest, ForwardAndBackWrapAroundTheList)
{
    const QStringList paths = fill({"a.mp3", "b.mp3", "c.mp3"});
    player->setCurrentIndex(2);
    player->forward();
    EXPECT_EQ(player->currentIndex(), 0);
    EXPECT_EQ(player->currentFile(), paths[0]);
    player->back();
    EXPECT_EQ(player->currentIndex(), 2);
    EXPECT_EQ(player->currentFile(), paths[2]);
    EXPECT_EQ(player->title(), QStringLiteral("3.c"));
}

TEST_F(PlayerTest, ForwardWhileIdleCuesButDoesNotPlay)
{
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    QSignalSpy titles(player.get(), &Player::titleChanged);
    player->releaseButton(Button::Forward);
    EXPECT_EQ(device.takeLog(), QStringList({QStringLiteral("Command=Close"), QStringLiteral("FileName=") + paths[1]}));
    EXPECT_FALSE(player->listPlaying());
    EXPECT_EQ(player->title(), QStringLiteral("2.b"));
    EXPECT_EQ(titles.size(), 1);
    EXPECT_FALSE(tick.fastTicks());
}

TEST_F(PlayerTest, ForwardWhilePlayingPlaysTheNextEntry)
{
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    player->play();
    device.clearLog();
    player->releaseButton(Button::Back);
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_TRUE(opened(paths[1]));
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
}

TEST_F(PlayerTest, ForwardWhilePausedKeepsTheListRunningButStaysQuiet)
{
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    player->play();
    player->tickDisplay();
    player->togglePause();
    ASSERT_EQ(device.command(), QStringLiteral("Pause"));
    device.clearLog();
    player->forward();
    EXPECT_EQ(device.takeLog(), QStringList({QStringLiteral("Command=Close"), QStringLiteral("FileName=") + paths[1]}));
    EXPECT_TRUE(player->listPlaying());
}

TEST_F(PlayerTest, StepsDoNothingOnAnEmptyList)
{
    player->forward();
    player->back();
    EXPECT_TRUE(device.log().isEmpty());
    EXPECT_EQ(player->currentIndex(), 0);
}

TEST_F(PlayerTest, EndOfTrackAdvancesToTheNextEntry)
{
    const QStringList paths = fill({"a.mp3", "b.wav"});
    player->play();
    QSignalSpy lyricsOff(player.get(), &Player::lyricsOff);
    endTrack();
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_TRUE(opened(paths[1]));
    EXPECT_EQ(player->title(), QStringLiteral("2.b"));
    EXPECT_GE(lyricsOff.size(), 1);
    EXPECT_TRUE(player->listPlaying());
}

TEST_F(PlayerTest, WithoutLoopPlaybackStopsAfterTheLastEntry)
{
    fill({"a.mp3", "b.mp3"});
    player->setCurrentIndex(1);
    player->play();
    ASSERT_TRUE(tick.fastTicks());
    endTrack();
    EXPECT_FALSE(player->listPlaying());
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_EQ(player->title(), QStringLiteral("2.b"));
    EXPECT_EQ(device.command(), QStringLiteral("Close"));
    EXPECT_FALSE(tick.fastTicks());
    // A later tick at the same end does not start anything.
    device.clearLog();
    endTrack();
    EXPECT_TRUE(device.log().isEmpty());
}

TEST_F(PlayerTest, WithLoopTheLastEntryIsFollowedByTheFirst)
{
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    player->toggleLoop();
    EXPECT_TRUE(player->loopOn());
    player->setCurrentIndex(1);
    player->play();
    endTrack();
    EXPECT_EQ(player->currentIndex(), 0);
    EXPECT_TRUE(opened(paths[0]));
    EXPECT_TRUE(player->listPlaying());
}

TEST_F(PlayerTest, OneEntryStopsWithoutLoopAndRepeatsWithLoop)
{
    const QStringList paths = fill({"only.mp3"});
    player->play();
    endTrack();
    EXPECT_FALSE(player->listPlaying());

    player->toggleLoop();
    player->play();
    device.clearLog();
    endTrack();
    EXPECT_TRUE(opened(paths[0]));
    EXPECT_TRUE(player->listPlaying());
}

// The device is told the entry that follows while a track plays, and when
// it joins that entry on without a gap the player moves with it: entry,
// title, lyrics and list row, without touching the device.
TEST_F(PlayerTest, TheNextEntryIsHandedOnAheadAndAJoinMovesThePlayerAlong)
{
    const QStringList paths = fill({"a.mp3", "b.flac", "clip.mp4", "d.mp3"});
    QStringList events;
    QObject::connect(player.get(), &Player::lyricsOff, [&] { events << QStringLiteral("lyrics off"); });
    QObject::connect(player.get(), &Player::trackOpened, [&](const QString& p) { events << p; });
    QObject::connect(player.get(), &Player::currentEntryFocused,
                     [&](int row) { events << QStringLiteral("row %1").arg(row); });
    player->play();
    EXPECT_EQ(device.nextFile(), paths[1]);

    events.clear();
    device.clearLog();
    device.joinNext();
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_EQ(player->currentFile(), paths[1]);
    EXPECT_EQ(player->title(), QStringLiteral("2.b"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("lyrics off"), paths[1], QStringLiteral("row 1")}));
    EXPECT_EQ(device.takeLog(), QStringList{QStringLiteral("DeviceType=MpegVideo")});
    // A movie goes to its window: the list waits for the track's end.
    EXPECT_EQ(device.nextFile(), QString());

    // The last entry: only loop goes on, to the first; random draws at the
    // end as before, so nothing is handed on.
    player->setCurrentIndex(3);
    EXPECT_EQ(device.nextFile(), QString());
    player->toggleLoop();
    EXPECT_EQ(device.nextFile(), paths[0]);
    player->toggleRandom();
    EXPECT_EQ(device.nextFile(), QString());
    // Stopped, nothing is planned.
    player->toggleRandom();
    player->stop();
    player->setCurrentIndex(0);
    EXPECT_EQ(device.nextFile(), QString());
}

TEST_F(PlayerTest, RandomWithTwoEntriesAlwaysAlternates)
{
    fill({"a.mp3", "b.mp3"});
    player->toggleRandom();
    player->play();
    int last = player->currentIndex();
    for (int i = 0; i < 40; ++i) {
        endTrack();
        ASSERT_TRUE(player->listPlaying());
        ASSERT_NE(player->currentIndex(), last) << "round " << i;
        last = player->currentIndex();
    }
}

TEST_F(PlayerTest, RandomNeverRepeatsAnEntryInARow)
{
    fill({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    player->toggleRandom();
    // A source that first offers the entry just played must be asked again.
    std::deque<int> offers{0, 0, 0, 2, 2, 3, 1};
    player->setRandomSource([&](int bound) {
        EXPECT_EQ(bound, 4);
        const int next = offers.empty() ? 1 : offers.front();
        if (!offers.empty())
            offers.pop_front();
        return next;
    });
    player->play(); // current is 0: the three zeros are refused, 2 taken
    EXPECT_EQ(player->currentIndex(), 2);
    endTrack(); // 2 refused, 3 taken
    EXPECT_EQ(player->currentIndex(), 3);
    endTrack();
    EXPECT_EQ(player->currentIndex(), 1);

    // With the real generator, over many starts.
    player->setRandomSource([](int bound) { return int(QRandomGenerator::global()->bounded(bound)); });
    for (int i = 0; i < 200; ++i) {
        const int before = player->currentIndex();
        player->play();
        ASSERT_NE(player->currentIndex(), before);
    }
}

TEST_F(PlayerTest, RandomWithOneEntryReplaysItAndWithNoneDoesNotBlock)
{
    player->toggleRandom();
    player->play(); // empty list: returns at once
    EXPECT_FALSE(player->listPlaying());
    const QStringList paths = fill({"only.mp3"});
    player->setCurrentIndex(0);
    player->play();
    EXPECT_EQ(player->currentIndex(), 0);
    EXPECT_TRUE(opened(paths[0]));
}

TEST_F(PlayerTest, MissingFilesShowReadErrorAndAreNeverPlayed)
{
    const QStringList present = fill({"a.mp3"});
    list.append({missing(QStringLiteral("gone.mp3")), QString()});
    player->forward();
    EXPECT_EQ(player->title(), QStringLiteral("Read Error"));
    device.clearLog();
    player->play();
    EXPECT_EQ(device.takeLog(), logOf({"Command=Close", "Command=Close"}));
    EXPECT_FALSE(player->listPlaying());
    EXPECT_TRUE(player->positionRefreshRunning());

    player->forward(); // the empty path
    EXPECT_EQ(player->title(), QStringLiteral("Read Error"));
    player->requestTitleRefresh();
    player->tickTitleRefresh();
    EXPECT_EQ(player->title(), QStringLiteral("Read Error"));
}

TEST_F(PlayerTest, AdvanceStopsAtAMissingEntry)
{
    const QStringList present = fill({"a.mp3"});
    list.append({missing(QStringLiteral("gone.mp3"))});
    fill({"c.mp3"});
    player->play();
    device.clearLog();
    endTrack();
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_EQ(player->currentFile(), present[0]);
    EXPECT_FALSE(player->listPlaying());
    EXPECT_EQ(device.takeLog(), logOf({"Command=Close"}));
    EXPECT_FALSE(tick.fastTicks());
}

TEST_F(PlayerTest, StopClosesEveryDeviceAndShowsTheCurrentEntry)
{
    fill({"a.mp3", "b.mp3"});
    player->setCurrentIndex(1);
    player->play();
    device.clearLog();
    QSignalSpy lyricsOff(player.get(), &Player::lyricsOff);
    player->pressButton(Button::Stop);
    EXPECT_TRUE(player->isPressed(Button::Stop));
    EXPECT_TRUE(device.log().isEmpty()) << "mouse-down only shows the pressed face";
    player->releaseButton(Button::Stop);
    EXPECT_FALSE(player->isPressed(Button::Stop));
    EXPECT_EQ(device.takeLog(), logOf({"DeviceType=WaveAudio", "DeviceType=Sequencer", "DeviceType=MpegVideo",
                                       "Command=Close"}));
    EXPECT_FALSE(player->listPlaying());
    EXPECT_EQ(player->title(), QStringLiteral("2.b"));
    EXPECT_EQ(lyricsOff.size(), 1);
    EXPECT_FALSE(tick.fastTicks());
}

TEST_F(PlayerTest, PauseTogglesOnlyWhileThePositionThumbShows)
{
    fill({"a.mp3"});
    player->tickDisplay();
    ASSERT_FALSE(player->display().thumbVisible);
    player->releaseButton(Button::Pause);
    EXPECT_EQ(device.command(), QStringLiteral("Close"));
    EXPECT_TRUE(device.log().isEmpty());

    player->play();
    player->tickDisplay();
    ASSERT_TRUE(player->display().thumbVisible);
    player->pressButton(Button::Pause);
    EXPECT_TRUE(player->isPressed(Button::Pause));
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    player->releaseButton(Button::Pause);
    EXPECT_FALSE(player->isPressed(Button::Pause));
    EXPECT_TRUE(player->paused());
    EXPECT_FALSE(tick.fastTicks()) << "a paused track needs no fast ticks";
    player->releaseButton(Button::Pause);
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    EXPECT_TRUE(tick.fastTicks());
}

TEST_F(PlayerTest, LoopAndRandomFacesFollowTheirToggles)
{
    QSignalSpy faces(player.get(), &Player::facesChanged);
    player->toggleLoop();
    player->toggleRandom();
    EXPECT_TRUE(player->loopOn());
    EXPECT_TRUE(player->randomOn());
    player->toggleLoop();
    EXPECT_FALSE(player->loopOn());
    EXPECT_TRUE(player->randomOn());
    EXPECT_EQ(faces.size(), 3);
}

TEST_F(PlayerTest, EachButtonReachesItsOwnAction)
{
    fill({"a.mp3", "b.mp3", "c.mp3"});
    player->setCurrentIndex(1);
    player->releaseButton(Button::Forward);
    EXPECT_EQ(player->currentIndex(), 2);
    EXPECT_FALSE(player->listPlaying());
    player->releaseButton(Button::Back);
    EXPECT_EQ(player->currentIndex(), 1);
    player->releaseButton(Button::Play);
    EXPECT_TRUE(player->listPlaying());
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    player->releaseButton(Button::Stop);
    EXPECT_FALSE(player->listPlaying());
    EXPECT_EQ(device.command(), QStringLiteral("Close"));
    for (Button b : {Button::Play, Button::Stop, Button::Forward, Button::Back, Button::Pause}) {
        player->pressButton(b);
        for (Button other : {Button::Play, Button::Stop, Button::Forward, Button::Back, Button::Pause})
            EXPECT_EQ(player->isPressed(other), other == b);
        player->releaseButton(b);
    }
}

TEST_F(PlayerTest, OpeningSoundGivesTheTitleBackWhenItEnds)
{
    fill({"a.mp3", "b.mp3"});
    player->setCurrentIndex(1);
    player->playSystemSound(QStringLiteral("WaveAudio"), QStringLiteral("/app/wav/Opening.wav"));
    EXPECT_EQ(device.takeLog(), logOf({"Command=Close", "DeviceType=WaveAudio", "FileName=/app/wav/Opening.wav",
                                       "Command=Open", "Command=Play"}));
    EXPECT_TRUE(player->systemSoundPlaying());
    EXPECT_TRUE(tick.fastTicks());

    player->tickTrack(); // still playing
    EXPECT_TRUE(player->systemSoundPlaying());
    endTrack();
    EXPECT_FALSE(player->systemSoundPlaying());
    EXPECT_FALSE(player->listPlaying()) << "the end of a system sound does not start the list";
    EXPECT_EQ(player->title(), QStringLiteral("2.b"));
    EXPECT_TRUE(player->display().thumbVisible);
    EXPECT_FALSE(tick.fastTicks());
}

TEST_F(PlayerTest, TimerSoundStopsListPlaybackAndAnEmptyListLeavesNoTitle)
{
    fill({"a.mp3", "b.mp3"});
    player->play();
    player->playSystemSound(QStringLiteral("WaveAudio"), QStringLiteral("/app/wav/Timer.wav"));
    EXPECT_FALSE(player->listPlaying());
    endTrack();
    EXPECT_EQ(player->currentIndex(), 0) << "no advance after a timer sound";
    EXPECT_EQ(player->title(), QStringLiteral("1.a"));

    PlayList empty;
    FakeDeviceChannel quiet;
    Player lone(empty, quiet, nullptr, nullptr);
    lone.playSystemSound(QStringLiteral("MpegVideo"), QStringLiteral("/app/wav/Opening.mp3"));
    lone.tickDisplay();
    EXPECT_FALSE(lone.display().buttonsVisible);
    quiet.setLength(500);
    quiet.setPosition(500);
    lone.tickTrack();
    EXPECT_TRUE(lone.title().isEmpty());
    EXPECT_FALSE(lone.systemSoundPlaying());
}

TEST_F(PlayerTest, FastTicksAreHeldOnlyWhileNeeded)
{
    EXPECT_FALSE(tick.fastTicks());
    player->requestPlayStart();
    EXPECT_FALSE(tick.fastTicks()) << "nothing to start in an empty list";
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    EXPECT_TRUE(tick.fastTicks()) << "the list filled: the start is due";
    player->tickTrack();
    EXPECT_FALSE(player->playStartPending());
    EXPECT_TRUE(opened(paths[0]));
    EXPECT_TRUE(tick.fastTicks()) << "a track is playing";
    player->stop();
    EXPECT_FALSE(tick.fastTicks());

    player->markListChanged();
    EXPECT_TRUE(tick.fastTicks());
    EXPECT_TRUE(player->takeListChanged());
    EXPECT_FALSE(player->takeListChanged());
    EXPECT_FALSE(tick.fastTicks());

    player->requestTitleRefresh();
    EXPECT_TRUE(tick.fastTicks());
    player->tickTitleRefresh();
    EXPECT_FALSE(tick.fastTicks());

    player->play();
    ASSERT_TRUE(tick.fastTicks());
    player.reset();
    EXPECT_FALSE(tick.fastTicks()) << "a destroyed player lets go";
}

TEST_F(PlayerTest, ClockTickStepsStartAQueuedPlayAndAdvance)
{
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    tick.addStep(TickPhase::Title, QStringLiteral("title"), [&](const QDateTime&) { player->tickTitleRefresh(); });
    tick.addStep(TickPhase::Track, QStringLiteral("track"), [&](const QDateTime&) { player->tickTrack(); });
    tick.addStep(TickPhase::Display, QStringLiteral("display"), [&](const QDateTime&) { player->tickDisplay(); });
    player->requestPlayStart();
    tick.tick();
    EXPECT_TRUE(opened(paths[0]));
    EXPECT_TRUE(player->display().thumbVisible);
    device.setLength(1000);
    device.setPosition(1000);
    tick.tick();
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_TRUE(opened(paths[1]));
}

TEST_F(PlayerTest, DisplayFollowsTheListAndThePlayingState)
{
    QSignalSpy changed(player.get(), &Player::displayChanged);
    player->tickDisplay();
    EXPECT_EQ(player->display(), Player::Display{});
    EXPECT_TRUE(player->title().isEmpty());

    fill({"a.mp3"});
    player->tickDisplay();
    EXPECT_TRUE(player->display().buttonsVisible);
    EXPECT_TRUE(player->display().randomVisible);
    EXPECT_TRUE(player->display().titleOpaque);
    EXPECT_FALSE(player->display().thumbVisible);
    player->play();
    player->tickDisplay();
    EXPECT_TRUE(player->display().thumbVisible);
    EXPECT_EQ(changed.size(), 2);

    list.clear();
    player->tickDisplay();
    EXPECT_FALSE(player->display().buttonsVisible);
    EXPECT_TRUE(player->display().thumbVisible) << "list playback still running";
    EXPECT_TRUE(player->display().titleOpaque);
    player->stop();
    player->tickDisplay();
    EXPECT_EQ(player->display(), Player::Display{});
    EXPECT_TRUE(player->title().isEmpty());
}

TEST_F(PlayerTest, PositionRefreshShowsElapsedTimeUntilTheDeviceCompletes)
{
    fill({"a.mp3"});
    player->play();
    ASSERT_TRUE(player->positionRefreshRunning());
    device.setLength(300000);
    device.setPosition(187250);
    player->refreshPosition();
    EXPECT_EQ(player->elapsed(), QStringLiteral("03:07.25"));
    EXPECT_NEAR(player->positionFraction(), 187250.0 / 300000.0, 1e-9);
    device.setPosition(300000);
    player->refreshPosition();
    EXPECT_EQ(player->elapsed(), QStringLiteral("00:00"));
    EXPECT_EQ(player->positionFraction(), 0.0);
    device.emitCompleted();
    EXPECT_FALSE(player->positionRefreshRunning());

    // The timer itself drives the refresh.
    player->play();
    device.setPosition(61000);
    EXPECT_TRUE(yk::test::spinUntil([&] { return player->elapsed() == QStringLiteral("01:01.00"); }, 2000));
}

TEST_F(PlayerTest, DraggingTheThumbKeepsItsPlaceWhenATrackStarts)
{
    fill({"a.mp3", "b.mp3"});
    device.setLength(300000);
    device.setPosition(90000);
    player->refreshPosition();
    player->setSeekDragging(true);
    player->play();
    EXPECT_EQ(player->elapsed(), QStringLiteral("01:30.00"));
    player->setSeekDragging(false);
    player->forward();
    EXPECT_EQ(player->elapsed(), QStringLiteral("00:00"));
}

TEST_F(PlayerTest, AMovieWithAPictureGoesToTheMoviePlayer)
{
    const QStringList paths = fill({"clip.mkv", "next.mp3"});
    QSignalSpy shown(player.get(), &Player::movieShown);
    QSignalSpy closed(player.get(), &Player::movieClosed);
    player->play();
    EXPECT_EQ(movie.calls, logOf({"open"}));
    EXPECT_EQ(movie.fileName(), paths[0]);
    EXPECT_FALSE(device.log().contains(QStringLiteral("Command=Open")));
    movie.finishLoading();
    EXPECT_EQ(shown.size(), 1);
    EXPECT_TRUE(player->moviePlaying());
    EXPECT_EQ(movie.calls, logOf({"open", "play"}));
    EXPECT_TRUE(tick.fastTicks());

    player->tickDisplay();
    player->togglePause();
    EXPECT_EQ(movie.calls.last(), QStringLiteral("pause"));
    player->togglePause();
    EXPECT_EQ(movie.calls.last(), QStringLiteral("play"));

    movie.dur = 5000;
    movie.pos = 5000;
    player->tickTrack();
    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(player->moviePlaying());
    EXPECT_EQ(player->currentIndex(), 1);
    EXPECT_TRUE(opened(paths[1]));
}

TEST_F(PlayerTest, AMovieWithoutAPicturePlaysAsSound)
{
    const QStringList paths = fill({"audio.wax", "clip.mpg"});
    movie.video = false;
    player->play();
    device.clearLog();
    movie.finishLoading();
    EXPECT_EQ(device.takeLog(), QStringList({QStringLiteral("DeviceType=MpegVideo"),
                                             QStringLiteral("FileName=") + paths[0],
                                             QStringLiteral("Command=Open"), QStringLiteral("Command=Play")}));
    EXPECT_FALSE(player->moviePlaying());

    // One the movie player cannot open at all is tried as sound as well.
    player->forward();
    device.clearLog();
    movie.fail();
    EXPECT_TRUE(opened(paths[1]));
    // A late answer for a file no longer wanted changes nothing.
    device.clearLog();
    movie.finishLoading();
    EXPECT_TRUE(device.log().isEmpty());
}

TEST_F(PlayerTest, AMovieIsNotStartedInFrontOfAnOpenDialog)
{
    fill({"clip.avi"});
    bool memoOpen = true;
    player->setMovieBlocker([&] { return memoOpen; });
    player->play();
    EXPECT_FALSE(player->listPlaying());
    EXPECT_TRUE(movie.calls.isEmpty());
    EXPECT_FALSE(tick.fastTicks());
    memoOpen = false;
    player->play();
    EXPECT_EQ(movie.calls, logOf({"open"}));
}

TEST_F(PlayerTest, ModernContainersGoToTheMoviePlayerAndModernSoundToTheDevice)
{
    const QStringList paths = fill({"clip.mkv", "song.flac"});
    player->play();
    EXPECT_EQ(movie.calls, logOf({"open"}));
    EXPECT_EQ(movie.fileName(), paths[0]);
    EXPECT_FALSE(device.log().contains(QStringLiteral("Command=Open")));
    EXPECT_EQ(player->title(), QStringLiteral("1.clip"));
    movie.finishLoading();
    ASSERT_TRUE(player->moviePlaying());

    player->forward();
    EXPECT_TRUE(opened(paths[1]));
    EXPECT_EQ(device.deviceType(), QStringLiteral("MpegVideo"));
    EXPECT_EQ(player->title(), QStringLiteral("2.song"));
}

TEST_F(PlayerTest, WithoutAMoviePlayerMoviesPlayAsSound)
{
    Player soundOnly(list, device, nullptr, nullptr);
    const QStringList paths = fill({"clip.avi"});
    soundOnly.play();
    EXPECT_TRUE(opened(paths[0]));
    EXPECT_EQ(device.deviceType(), QStringLiteral("MpegVideo"));
}

TEST_F(PlayerTest, StopClosesTheMovie)
{
    fill({"clip.avi"});
    player->play();
    movie.finishLoading();
    ASSERT_TRUE(player->moviePlaying());
    QSignalSpy closed(player.get(), &Player::movieClosed);
    player->stop();
    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(player->moviePlaying());
    EXPECT_EQ(movie.calls.last(), QStringLiteral("stop"));
    EXPECT_FALSE(tick.fastTicks());
}

TEST_F(PlayerTest, ReleasingThePositionThumbPlaysFromItsPlace)
{
    fill({"a.mp3"});
    player->play();
    device.setLength(111000);
    player->setSeekDragging(true);
    player->moveThumb(105.6);
    device.clearLog();
    player->seekToThumb();
    EXPECT_EQ(device.takeLog(), logOf({"TimeFormat=0", "From=55000", "Command=Play"}));
    EXPECT_FALSE(player->seekDragging());
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 105.6);

    // The far left starts the track again; the far right is its very end.
    player->moveThumb(50);
    player->seekToThumb();
    EXPECT_EQ(device.takeLog(), logOf({"TimeFormat=0", "From=0", "Command=Play"}));
    player->moveThumb(161);
    player->seekToThumb();
    EXPECT_EQ(device.takeLog(), logOf({"TimeFormat=0", "From=111000", "Command=Play"}));
}

TEST_F(PlayerTest, ReleasingThePositionThumbWithNothingOpenOnlyTellsTheClosedDeviceToPlay)
{
    player->moveThumb(120);
    player->seekToThumb();
    EXPECT_EQ(device.takeLog(), logOf({"TimeFormat=0", "From=0", "Command=Play"}));
    EXPECT_TRUE(movie.calls.isEmpty());
}

TEST_F(PlayerTest, ReleasingThePositionThumbOverAMovieSeeksTheMovie)
{
    fill({"clip.avi"});
    player->play();
    movie.finishLoading();
    ASSERT_TRUE(player->moviePlaying());
    movie.dur = 222000;
    movie.calls.clear();
    device.clearLog();
    player->setSeekDragging(true);
    player->moveThumb(60);
    player->seekToThumb();
    EXPECT_EQ(movie.calls, logOf({"stop", "seek 20000", "play"}));
    EXPECT_TRUE(device.log().isEmpty()) << "the sound device is not involved";
}

TEST_F(PlayerTest, PositionThumbFollowsTheTrackUnlessHeld)
{
    fill({"a.mp3", "b.mp3"});
    QSignalSpy moved(player.get(), &Player::thumbMoved);
    player->play();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 50);
    device.setLength(111000);
    device.setPosition(30000);
    player->refreshPosition();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 80);
    ASSERT_FALSE(moved.isEmpty());
    EXPECT_DOUBLE_EQ(moved.last().first().toDouble(), 80);
    device.setPosition(30800);
    player->refreshPosition();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 80) << "less than a unit ahead";
    device.setPosition(20000);
    player->refreshPosition();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 70);

    player->setSeekDragging(true);
    player->moveThumb(140);
    device.setPosition(40000);
    player->refreshPosition();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 140) << "a held thumb stays under the mouse";
    player->forward();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 140) << "nor does a new track take it away";
    player->setSeekDragging(false);

    player->forward();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 50) << "a new track starts at the left";
    device.setPosition(90000);
    player->refreshPosition();
    device.setPosition(111000);
    player->refreshPosition();
    EXPECT_DOUBLE_EQ(player->thumbLeft(), 50) << "the end of the track";
}

} // namespace
