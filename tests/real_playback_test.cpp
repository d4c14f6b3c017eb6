// One list playback through the real sound device, end to end: the player
// starts entry 0, notices its end on a clock tick, moves on to entry 1 by
// itself and stops after it. The player tests drive a recording device that
// ends tracks when told; this one relies on the media framework's own end
// notice and position, which is where a wrong read of "the track is over"
// would show up. On a machine without a sound server GStreamer plays into a
// clocked fake sink, so the files still take their real time.

#include <cmath>

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/AudioFiles.h"
#include "support/MediaFiles.h"

#include "media/PlayList.h"
#include "media/Player.h"
#include "platform/MediaModule.h"
#include "platform/gstreamer/GstDeviceChannel.h"

using yk::Player;
using yk::PlayList;
using yk::gst::GstDeviceChannel;

using yk::test::writeWave;

namespace {


struct Opened
{
    QString path;
    qint64 atMs;
};

class RealPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        yk::prepareMediaEnvironment();
        ASSERT_TRUE(dir.isValid());
        first = dir.filePath(QStringLiteral("first tone.wav"));
        // Today's sound formats play on the same device, to their end.
        second = dir.filePath(QStringLiteral("second tone.flac"));
        writeWave(first, kToneMs, 440);
        ASSERT_TRUE(yk::test::writeAudioFile(second, yk::test::AudioFormat::Flac));
        list.append({first, second});

        clock.start();
        QObject::connect(&player, &Player::trackOpened, &player,
                         [this](const QString& path) { opened.push_back({path, clock.elapsed()}); });
        // The clock tick's player steps, in their order, as the main window
        // runs them.
        tick.setInterval(100);
        QObject::connect(&tick, &QTimer::timeout, &player, [this] {
            player.tickTitleRefresh();
            player.tickTrack();
            player.tickDisplay();
            ++ticks;
        });
    }

    static constexpr int kToneMs = 300;

    QTemporaryDir dir;
    QString first;
    QString second;
    PlayList list;
    GstDeviceChannel device;
    Player player{list, device, nullptr, nullptr};
    QTimer tick;
    QElapsedTimer clock;
    std::vector<Opened> opened;
    int ticks = 0;
};

TEST_F(RealPlayback, TheListPlaysEntryZeroThenEntryOneByItselfAndStopsAfterTheLast)
{
    player.setCurrentIndex(0);
    player.play();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].path, first);
    EXPECT_TRUE(player.listPlaying());
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    EXPECT_EQ(device.fileName(), first);

    tick.start();
    const bool ended = QTest::qWaitFor([&] { return opened.size() >= 2 && !player.listPlaying(); }, 10000);
    ASSERT_TRUE(ended) << "entries opened: " << opened.size() << ", still playing: " << player.listPlaying()
                       << ", device: " << device.command().toStdString() << " at " << device.position() << " of "
                       << device.length() << " ms after " << ticks << " ticks";

    // Entry 0, then entry 1, each once: the end of the first file is seen
    // once, and the end of the last one does not wrap round with loop off.
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].path, first);
    EXPECT_EQ(opened[1].path, second);
    // The first file really played: its end did not come before its sound
    // could have been heard (a generous floor, not a timing bound).
    EXPECT_GE(opened[1].atMs - opened[0].atMs, kToneMs - 100);

    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_EQ(player.currentFile(), second);
    EXPECT_EQ(player.title(), QStringLiteral("2.second tone"));
    EXPECT_EQ(device.command(), QStringLiteral("Close"));

    // At rest: more ticks start nothing, the buttons stay for the list and
    // the position thumb goes.
    QTest::qWait(500);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_FALSE(player.listPlaying());
    EXPECT_TRUE(player.display().buttonsVisible);
    EXPECT_FALSE(player.display().thumbVisible);
    EXPECT_EQ(player.title(), QStringLiteral("2.second tone"));
}

// Today's sound formats play on the same device, each to its end: the list
// moves on from each by itself, as it does from a wave file.
TEST_F(RealPlayback, TodaysSoundFormatsEachPlayToTheirEnd)
{
    using yk::test::AudioFormat;
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no GStreamer command-line tools";
    QStringList files;
    for (AudioFormat format : {AudioFormat::OggVorbis, AudioFormat::Opus, AudioFormat::M4a, AudioFormat::Flac}) {
        files << dir.filePath(QStringLiteral("tone.") + yk::test::audioSuffix(format));
        ASSERT_TRUE(yk::test::writeAudioFile(files.last(), format)) << qPrintable(files.last());
    }
    list.clear();
    list.append(files);
    player.setCurrentIndex(0);
    player.play();
    tick.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() >= 4 && !player.listPlaying(); }, 20000))
        << "entries opened: " << opened.size() << ", device at " << device.position() << " of " << device.length();
    QStringList order;
    for (const Opened& o : opened)
        order << o.path;
    EXPECT_EQ(order, files);
    EXPECT_EQ(player.title(), QStringLiteral("4.tone"));
}

} // namespace
