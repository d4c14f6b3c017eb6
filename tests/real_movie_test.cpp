// The movie engine on the real media framework, with clips made by the test
// itself: loading (size, length, video or not), playing, pausing, seeking,
// the end, the frame taken from the decoder, failures and superseded opens.
// Offscreen and without a sound server GStreamer still plays at real time
// into a clocked fake sink, so the clips take their real time here too.

#include <set>

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/MediaModule.h"
#include "platform/gstreamer/GstMoviePlayer.h"
#include "support/MediaFiles.h"
#include "support/TestUtil.h"
#include "support/VideoFiles.h"

using yk::MoviePlayer;
using yk::gst::GstMoviePlayer;
using yk::test::clipColour;
using yk::test::clipLengthMs;
using yk::test::ClipPlan;
using yk::test::colourClip;
using yk::test::spinUntil;
using yk::test::writeMjpegAvi;

namespace {

// Distance between two colours, summed over the channels.
int colourDistance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// The clip colour nearest to `colour`, or -1 when none is near (JPEG and
// the decoder's colour conversion move a channel by up to some 20 levels;
// the clip colours are well over 150 apart).
int nearestClipColour(const QColor& colour)
{
    int best = -1;
    int bestDistance = 90;
    for (int i = 0; i < 5; ++i) {
        const int d = colourDistance(colour, clipColour(i));
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// The clip colour `image` shows all over (centre and corners), or -1.
int shownColourIndex(const QImage& image)
{
    if (image.isNull())
        return -1;
    const int centre = nearestClipColour(image.pixelColor(image.width() / 2, image.height() / 2));
    const QPoint corners[] = {{2, 2}, {image.width() - 3, 2}, {2, image.height() - 3},
                              {image.width() - 3, image.height() - 3}};
    for (const QPoint& p : corners) {
        if (nearestClipColour(image.pixelColor(p)) != centre)
            return -1;
    }
    return centre;
}

class RealMovie : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        yk::prepareMediaEnvironment();
        dir = new QTemporaryDir;
        ASSERT_TRUE(dir->isValid());
        writeMjpegAvi(clip(), clipSpec());
        writeMjpegAvi(smallClip(), smallSpec());
        yk::test::writeWave(tone(), 600);
        yk::test::writeBytes(garbage(), QByteArray("RIFFjunkAVI ") + QByteArray(4096, 'x'));
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }

    // Ten 200 ms frames with a sound track: 2 s.
    static ClipPlan clipSpec() { return colourClip(10, 5, 440); }
    // Picture only, another size: 0.6 s.
    static ClipPlan smallSpec() { return colourClip(6, 10, 0, {176, 144}); }
    static QString clip() { return dir->filePath(QStringLiteral("colour clip.avi")); }
    static QString smallClip() { return dir->filePath(QStringLiteral("small.avi")); }
    static QString tone() { return dir->filePath(QStringLiteral("tone.wav")); }
    static QString garbage() { return dir->filePath(QStringLiteral("garbage.avi")); }

    // The clip frame on show at `ms`.
    static int frameAt(qint64 ms) { return int(ms / 200) % 5; }

    // Opens `path` and waits for its one answer; true when it loaded.
    bool openAndWait(const QString& path)
    {
        player.open(path);
        QSignalSpy loaded(&player, &MoviePlayer::loaded);
        QSignalSpy failed(&player, &MoviePlayer::error);
        spinUntil([&] { return loaded.count() + failed.count() > 0; }, 15000);
        return loaded.count() == 1 && failed.count() == 0;
    }

    static inline QTemporaryDir* dir = nullptr;
    GstMoviePlayer player;
};

TEST_F(RealMovie, AMovieLoadsWithItsOwnSizeLengthAndWidgetAnsweringOnceAfterOpen)
{
    ASSERT_TRUE(player.open(clip()));
    // Nothing is known while loading.
    EXPECT_FALSE(player.hasVideo());
    EXPECT_EQ(player.duration(), 0);
    EXPECT_EQ(player.fileName(), clip());
    QSignalSpy loaded(&player, &MoviePlayer::loaded);
    QSignalSpy failed(&player, &MoviePlayer::error);
    ASSERT_TRUE(spinUntil([&] { return loaded.count() + failed.count() > 0; }, 15000));
    QTest::qWait(200);
    ASSERT_EQ(loaded.count(), 1) << (failed.isEmpty() ? "" : failed.at(0).at(0).toString().toStdString());
    EXPECT_EQ(failed.count(), 0);

    EXPECT_TRUE(player.hasVideo());
    EXPECT_EQ(player.videoSize(), QSize(160, 120));
    EXPECT_NEAR(double(player.duration()), double(clipLengthMs(clipSpec())), 150);
    EXPECT_EQ(player.position(), 0);
    ASSERT_NE(player.videoWidget(), nullptr);
    EXPECT_FALSE(player.videoWidget()->isVisible());

    // Another size for another file, from the same player.
    ASSERT_TRUE(openAndWait(smallClip()));
    EXPECT_EQ(player.videoSize(), QSize(176, 144));
    EXPECT_NEAR(double(player.duration()), double(clipLengthMs(smallSpec())), 150);
}

TEST_F(RealMovie, PlayingRunsTheClockToTheEndWherePositionEqualsDuration)
{
    ASSERT_TRUE(openAndWait(clip()));
    QSignalSpy finished(&player, &MoviePlayer::finished);
    QElapsedTimer clock;
    clock.start();
    player.play();
    ASSERT_TRUE(spinUntil([&] { return player.position() > 300; }, 5000)) << "the clock never ran";
    EXPECT_EQ(finished.count(), 0);
    ASSERT_TRUE(spinUntil([&] { return finished.count() > 0; }, 10000));
    // It took the clip's real time, and the end is told once.
    EXPECT_GE(clock.elapsed(), clipLengthMs(clipSpec()) - 250);
    QTest::qWait(300);
    EXPECT_EQ(finished.count(), 1);
    // The end stays readable as the player's own "at the end" test reads it.
    EXPECT_NE(player.position(), 0);
    EXPECT_EQ(player.position(), player.duration());

    // From the end, a stop, a seek and a play start again from there.
    player.stop();
    EXPECT_EQ(player.position(), 0);
    player.seek(1200);
    player.play();
    ASSERT_TRUE(spinUntil([&] { return player.position() >= 1200; }, 3000)) << player.position();
    EXPECT_LT(player.position(), 1900);
    ASSERT_TRUE(spinUntil([&] { return finished.count() == 2; }, 5000));
}

TEST_F(RealMovie, PauseHoldsThePlaceAndASeekWhilePausedShowsThatFrame)
{
    ASSERT_TRUE(openAndWait(clip()));
    player.play();
    ASSERT_TRUE(spinUntil([&] { return player.position() > 300; }, 5000));
    player.pause();
    QTest::qWait(100);
    const qint64 held = player.position();
    QTest::qWait(500);
    EXPECT_NEAR(double(player.position()), double(held), 60);

    // Frame 7 (ms 1400-1600) is green; the picture follows the seek.
    player.seek(1500);
    ASSERT_TRUE(spinUntil([&] { return shownColourIndex(player.grabFrame()) == frameAt(1500); }, 3000))
        << "shown: " << shownColourIndex(player.grabFrame());
    EXPECT_NEAR(double(player.position()), 1500, 100);
    const QImage frame = player.grabFrame();
    EXPECT_EQ(frame.size(), QSize(160, 120));
    EXPECT_EQ(nearestClipColour(frame.pixelColor(80, 60)), frameAt(1500));

    // Playing on from there, then stopping, goes back to the start.
    player.play();
    ASSERT_TRUE(spinUntil([&] { return player.position() > 1600; }, 3000));
    player.stop();
    EXPECT_EQ(player.position(), 0);
}

TEST_F(RealMovie, TheFrameTakenIsThePictureOfTheMomentWithTheWidgetHidden)
{
    ASSERT_TRUE(openAndWait(clip()));
    ASSERT_FALSE(player.videoWidget()->isVisible());
    player.play();
    int samples = 0;
    std::set<int> seen;
    while (spinUntil([&] { return player.position() > 0; }, 3000) && samples < 12) {
        QTest::qWait(120);
        const qint64 at = player.position();
        const QImage frame = player.grabFrame();
        if (at >= clipLengthMs(clipSpec()) - 100)
            break;
        ASSERT_EQ(frame.size(), QSize(160, 120));
        const int shown = shownColourIndex(frame);
        ASSERT_GE(shown, 0) << "not a clip colour at " << at << " ms";
        // The picture and the clock may be one frame apart, never more.
        const int expected = frameAt(at);
        EXPECT_TRUE(shown == expected || shown == (expected + 4) % 5 || shown == (expected + 1) % 5)
            << "at " << at << " ms showing frame colour " << shown << ", expected " << expected;
        seen.insert(shown);
        ++samples;
    }
    EXPECT_GE(samples, 6);
    // The picture moved on with the clock.
    EXPECT_GE(seen.size(), 3u);
}

TEST_F(RealMovie, ASoundFileLoadsWithoutVideoOrPicture)
{
    ASSERT_TRUE(openAndWait(tone()));
    EXPECT_FALSE(player.hasVideo());
    EXPECT_TRUE(player.videoSize().isEmpty());
    EXPECT_TRUE(player.grabFrame().isNull());
    EXPECT_NEAR(double(player.duration()), 600, 100);
}

TEST_F(RealMovie, MissingAndUnreadableFilesFailOnceAndNeverLoad)
{
    const QString missing = dir->filePath(QStringLiteral("not there.avi"));
    EXPECT_FALSE(player.open(missing));
    QSignalSpy loaded(&player, &MoviePlayer::loaded);
    QSignalSpy failed(&player, &MoviePlayer::error);
    ASSERT_TRUE(spinUntil([&] { return failed.count() > 0; }, 3000));
    EXPECT_EQ(player.fileName(), missing);

    player.open(garbage());
    ASSERT_TRUE(spinUntil([&] { return failed.count() > 1; }, 15000));
    QTest::qWait(300);
    EXPECT_EQ(failed.count(), 2);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_FALSE(failed.at(1).at(0).toString().isEmpty());
    EXPECT_FALSE(player.hasVideo());
    EXPECT_EQ(player.duration(), 0);
    EXPECT_TRUE(player.grabFrame().isNull());

    // The player is still good for the next file.
    ASSERT_TRUE(openAndWait(smallClip()));
    EXPECT_TRUE(player.hasVideo());
}

TEST_F(RealMovie, ASecondOpenWhileTheFirstLoadsGetsTheOnlyAnswer)
{
    player.open(clip());
    player.open(smallClip());
    QSignalSpy loaded(&player, &MoviePlayer::loaded);
    QSignalSpy failed(&player, &MoviePlayer::error);
    ASSERT_TRUE(spinUntil([&] { return loaded.count() > 0; }, 15000));
    QTest::qWait(500);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(player.fileName(), smallClip());
    EXPECT_EQ(player.videoSize(), QSize(176, 144));

    // A failing second open is the only answer too.
    player.open(clip());
    player.open(dir->filePath(QStringLiteral("gone.avi")));
    ASSERT_TRUE(spinUntil([&] { return failed.count() > 0; }, 5000));
    QTest::qWait(800);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(loaded.count(), 1);
}

TEST_F(RealMovie, TheWidgetGetsTheFramesAndIsRemadeIfItsWindowDestroyedIt)
{
    ASSERT_TRUE(openAndWait(smallClip()));
    QWidget window;
    QWidget* video = player.videoWidget();
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->objectName(), QStringLiteral("movieVideo"));
    video->setParent(&window);
    video->setGeometry(0, 0, 200, 160);
    window.resize(200, 160);
    window.show();
    player.play();
    // What the widget paints is the clip's picture, scaled to the widget.
    std::set<int> shown;
    ASSERT_TRUE(spinUntil(
        [&] {
            shown.insert(shownColourIndex(video->grab().toImage()));
            shown.erase(-1);
            return shown.size() >= 2;
        },
        5000));
    player.stop();
    // The window closing takes the widget with it; the player survives
    // and makes a new one for the next movie.
    delete video;
    EXPECT_EQ(player.videoWidget(), nullptr);
    ASSERT_TRUE(openAndWait(smallClip()));
    ASSERT_NE(player.videoWidget(), nullptr);
    player.play();
    ASSERT_TRUE(spinUntil([&] { return shownColourIndex(player.grabFrame()) >= 0; }, 5000));
}

} // namespace
