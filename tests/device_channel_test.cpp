#include "media/DeviceSequences.h"
#include "platform/MediaModule.h"
#include "platform/PlaybackClock.h"
#include "platform/gstreamer/GstDeviceChannel.h"
#include "support/FakeDeviceChannel.h"

#include <cmath>

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "support/MediaFiles.h"

using yk::gst::GstDeviceChannel;
using yk::test::FakeDeviceChannel;
namespace device = yk::device;

using yk::test::writeWave;

namespace {

const QString kWave = QStringLiteral("WaveAudio");
const QString kSequencer = QStringLiteral("Sequencer");


// A format-0 Standard MIDI File: piano, four quarter-second notes (1 s).
void writeMidi(const QString& path)
{
    QByteArray track;
    track += QByteArray::fromHex("00ff510307a120"); // tempo 500000 us per quarter
    track += QByteArray::fromHex("00c000");         // program 0
    for (const char* note : {"3c", "40", "43", "48"})
        track += QByteArray::fromHex(QByteArray("0090") + note + "64" + "8170" + "80" + note + "00");
    track += QByteArray::fromHex("00ff2f00");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QDataStream out(&file);
    out.setByteOrder(QDataStream::BigEndian);
    out.writeRawData("MThd", 4);
    out << quint32(6) << quint16(0) << quint16(1) << quint16(480);
    out.writeRawData("MTrk", 4);
    out << quint32(track.size());
    out.writeRawData(track.constData(), int(track.size()));
}

class RealChannel : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        yk::prepareMediaEnvironment();
        dir = new QTemporaryDir;
        ASSERT_TRUE(dir->isValid());
        writeWave(wave(), 800);
        writeWave(longWave(), 1500);
        writeMidi(midi());
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QString wave() { return dir->filePath(QStringLiteral("tone.wav")); }
    static QString longWave() { return dir->filePath(QStringLiteral("long tone.wav")); }
    static QString midi() { return dir->filePath(QStringLiteral("tune.mid")); }

    // Waits for the loaded file to report progress beyond `atLeast`.
    static bool waitForPosition(const GstDeviceChannel& channel, qint64 atLeast, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return channel.position() > atLeast; }, timeoutMs);
    }

    static inline QTemporaryDir* dir = nullptr;
    GstDeviceChannel channel;
};

namespace {
// A command log written as plain ASCII literals.
QStringList logOf(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* l : lines)
        out.append(QString::fromLatin1(l));
    return out;
}
} // namespace

TEST_F(RealChannel, WaveAndMidiFilesPlayToTheirEndAndStayThere)
{
    struct Case
    {
        QString type;
        QString path;
        qint64 expectedLength;
    };
    for (const Case& c : {Case{kWave, wave(), 800}, Case{kSequencer, midi(), 1000}}) {
        SCOPED_TRACE(c.path.toStdString());
        QSignalSpy completed(&channel, &yk::DeviceChannel::completed);
        device::startFile(channel, c.type, c.path);
        EXPECT_EQ(channel.command(), QStringLiteral("Play"));
        EXPECT_EQ(channel.deviceType(), c.type);
        EXPECT_EQ(channel.fileName(), c.path);

        ASSERT_TRUE(completed.wait(5000)) << "no end notice";
        EXPECT_EQ(completed.size(), 1);
        EXPECT_NEAR(double(channel.length()), double(c.expectedLength), 100.0);
        EXPECT_EQ(channel.position(), channel.length());
        EXPECT_TRUE(device::trackEnded(channel));

        // The end is a resting state: it does not rewind and is not
        // announced again.
        QTest::qWait(150);
        EXPECT_TRUE(device::trackEnded(channel));
        EXPECT_EQ(completed.size(), 1);

        device::stopDevices(channel);
        EXPECT_EQ(channel.position(), 0);
        EXPECT_EQ(channel.length(), 0);
        EXPECT_FALSE(device::trackEnded(channel));
    }
}

TEST_F(RealChannel, OpeningAndStartingDoNotWaitForTheFileToLoad)
{
    QElapsedTimer timer;
    timer.start();
    device::startFile(channel, kSequencer, midi());
    // Loading the synthesiser and its sound font happens off this thread.
    EXPECT_LT(timer.elapsed(), 300);
    EXPECT_TRUE(waitForPosition(channel, 0));
    timer.restart();
    device::stopDevices(channel);
    EXPECT_LT(timer.elapsed(), 300);
}

TEST_F(RealChannel, PauseHoldsThePositionAndPlayResumesFromIt)
{
    QSignalSpy completed(&channel, &yk::DeviceChannel::completed);
    device::startFile(channel, kWave, longWave());
    ASSERT_TRUE(waitForPosition(channel, 200));

    EXPECT_EQ(device::pauseToggle(channel), QStringLiteral("Pause"));
    EXPECT_EQ(channel.command(), QStringLiteral("Pause"));
    QTest::qWait(150); // let the pipeline settle on its paused position
    const qint64 held = channel.position();
    QTest::qWait(400);
    EXPECT_LE(std::abs(channel.position() - held), 20);
    EXPECT_LT(held, channel.length());

    EXPECT_EQ(device::pauseToggle(channel), QStringLiteral("Play"));
    EXPECT_TRUE(waitForPosition(channel, held + 100));
    ASSERT_TRUE(completed.wait(5000));
    EXPECT_TRUE(device::trackEnded(channel));
}

TEST_F(RealChannel, SeekStartsNearFromAndTheFarEndFinishesAtOnce)
{
    QSignalSpy completed(&channel, &yk::DeviceChannel::completed);
    device::startFile(channel, kWave, longWave());
    ASSERT_TRUE(waitForPosition(channel, 0));
    ASSERT_GT(channel.length(), 1000);

    EXPECT_EQ(device::seek(channel, 1000), 1000);
    EXPECT_EQ(channel.command(), QStringLiteral("Play"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.position() >= 950; }, 2000));
    EXPECT_LT(channel.position(), 1400);

    // From a pause, a seek plays again.
    device::pauseToggle(channel);
    device::seek(channel, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.position() >= 150; }, 2000));
    EXPECT_LT(channel.position(), 700);
    EXPECT_TRUE(waitForPosition(channel, 400));

    // The thumb at its right end: the track is over straight away.
    const qint64 from = device::seekFraction(channel, 111, 111);
    EXPECT_EQ(from, channel.length());
    ASSERT_TRUE(completed.wait(1000));
    EXPECT_TRUE(device::trackEnded(channel));

    // And from the end a seek to the start plays it again to its end.
    device::seek(channel, 0);
    EXPECT_FALSE(device::trackEnded(channel));
    ASSERT_TRUE(completed.wait(5000));
    EXPECT_EQ(completed.size(), 2);
    EXPECT_TRUE(device::trackEnded(channel));
}

TEST_F(RealChannel, MidiSeeksLikeAWave)
{
    device::startFile(channel, kSequencer, midi());
    ASSERT_TRUE(waitForPosition(channel, 0));
    device::seek(channel, 600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.position() >= 550; }, 2000));
    EXPECT_LT(channel.position(), 950);
}

TEST_F(RealChannel, FromWrittenBeforeTheFileHasLoadedIsKept)
{
    channel.setCommand(QStringLiteral("Close"));
    channel.setDeviceType(kWave);
    channel.setFileName(longWave());
    channel.setCommand(QStringLiteral("Open"));
    channel.setTimeFormat(0);
    channel.setFrom(900);
    channel.setCommand(QStringLiteral("Play"));
    ASSERT_TRUE(waitForPosition(channel, 0));
    EXPECT_GE(channel.position(), 850);
}

TEST_F(RealChannel, CommandsTheDeviceCannotCarryOutRaiseNothing)
{
    QSignalSpy completed(&channel, &yk::DeviceChannel::completed);

    channel.setCommand(QStringLiteral("Pause"));
    EXPECT_EQ(channel.command(), QStringLiteral("Pause"));
    EXPECT_FALSE(channel.isOpen());

    device::startFile(channel, kWave, dir->filePath(QStringLiteral("missing.wav")));
    EXPECT_EQ(channel.command(), QStringLiteral("Play"));
    EXPECT_FALSE(channel.isOpen());

    device::seek(channel, 500);
    device::closeAll(channel);
    EXPECT_EQ(channel.command(), QStringLiteral("Close"));

    // A cue leaves the file named but closed; "Play" on it does nothing.
    device::cue(channel, kWave, wave());
    channel.setCommand(QStringLiteral("Play"));
    EXPECT_FALSE(channel.isOpen());

    QTest::qWait(300);
    EXPECT_EQ(channel.position(), 0);
    EXPECT_EQ(channel.length(), 0);
    EXPECT_TRUE(completed.isEmpty());

    // A From written to the closed device went with that "Play"; the next
    // file opened starts from its beginning.
    channel.setCommand(QStringLiteral("Open"));
    channel.setCommand(QStringLiteral("Play"));
    ASSERT_TRUE(waitForPosition(channel, 0));
    EXPECT_LT(channel.position(), 400);
}

TEST_F(RealChannel, ClosingBeforeTheEndDropsItsNotice)
{
    QSignalSpy completed(&channel, &yk::DeviceChannel::completed);
    device::startFile(channel, kWave, wave());
    ASSERT_TRUE(waitForPosition(channel, 100));
    device::stopDevices(channel);
    QTest::qWait(300);
    EXPECT_TRUE(completed.isEmpty());

    // An end reached just before a new start: its notice, still on its
    // way, must not be taken for the end of the new file.
    device::startFile(channel, kWave, wave());
    ASSERT_TRUE(waitForPosition(channel, 0));
    device::seekFraction(channel, 1, 1);
    EXPECT_TRUE(device::trackEnded(channel));
    device::startFile(channel, kWave, longWave());
    QTest::qWait(300);
    EXPECT_TRUE(completed.isEmpty());
    EXPECT_FALSE(device::trackEnded(channel));
    ASSERT_TRUE(completed.wait(3000));
    EXPECT_EQ(completed.size(), 1);
}

// ---- the fixed orders of writes, on a recording device ----

TEST(DeviceSequences, StartStopCloseAllAndCueWriteInTheirFixedOrder)
{
    FakeDeviceChannel fake;
    device::startFile(fake, kWave, QStringLiteral("/a/Timer.wav"));
    EXPECT_EQ(fake.takeLog(), logOf({"Command=Close", "DeviceType=WaveAudio", "FileName=/a/Timer.wav",
                                           "Command=Open", "Command=Play"}));

    device::stopDevices(fake);
    EXPECT_EQ(fake.takeLog(), logOf({"DeviceType=WaveAudio", "DeviceType=Sequencer",
                                           "DeviceType=MpegVideo", "Command=Close"}));

    device::closeAll(fake);
    EXPECT_EQ(fake.takeLog(),
              logOf({"DeviceType=WaveAudio", "Command=Close", "DeviceType=Sequencer", "Command=Close",
                           "DeviceType=MpegVideo", "Command=Close", "DeviceType=CDAudio", "Command=Stop",
                           "Command=Close"}));

    device::cue(fake, kSequencer, QStringLiteral("/m/a.mid"));
    device::cue(fake, std::nullopt, QStringLiteral("/m/b.mp3"));
    EXPECT_EQ(fake.takeLog(), logOf({"Command=Close", "DeviceType=Sequencer", "FileName=/m/a.mid",
                                           "Command=Close", "FileName=/m/b.mp3"}));
}

TEST(DeviceSequences, PauseToggleFollowsTheLastCommand)
{
    FakeDeviceChannel fake;
    EXPECT_EQ(device::pauseToggle(fake), QStringLiteral("Pause")); // idle
    EXPECT_EQ(device::pauseToggle(fake), QStringLiteral("Play"));
    EXPECT_EQ(device::pauseToggle(fake), QStringLiteral("Pause"));
    EXPECT_EQ(fake.takeLog(), logOf({"Command=Pause", "Command=Play", "Command=Pause"}));

    for (const char* other : {"Open", "Stop"}) {
        fake.setCommand(QString::fromLatin1(other));
        fake.clearLog();
        EXPECT_TRUE(device::pauseToggle(fake).isEmpty());
        EXPECT_TRUE(fake.log().isEmpty());
    }
}

TEST(DeviceSequences, SeekKeepsFromWithinTheTrack)
{
    FakeDeviceChannel fake;
    fake.setLength(9990);
    EXPECT_EQ(device::seek(fake, 4000), 4000);
    EXPECT_EQ(fake.takeLog(), logOf({"TimeFormat=0", "From=4000", "Command=Play"}));
    EXPECT_EQ(device::seek(fake, 20000), 9990);
    EXPECT_EQ(device::seek(fake, -5), 0);

    // Thumb steps of a 111-step bar: both ends exact, the middle in between.
    EXPECT_EQ(device::seekFraction(fake, 0, 111), 0);
    EXPECT_EQ(device::seekFraction(fake, 111, 111), 9990);
    EXPECT_EQ(device::seekFraction(fake, 37, 111), 3330);
    EXPECT_EQ(device::seekFraction(fake, 200, 111), 9990);

    // Nothing open: From is 0 and "Play" still goes to the device.
    FakeDeviceChannel closed;
    EXPECT_EQ(device::seekFraction(closed, 50, 111), 0);
    EXPECT_EQ(closed.takeLog(), logOf({"TimeFormat=0", "From=0", "Command=Play"}));
}

TEST(DeviceSequences, TrackEndedNeedsPositionAtANonZeroLength)
{
    FakeDeviceChannel fake;
    EXPECT_FALSE(device::trackEnded(fake)); // 0 == 0 is a closed device
    fake.setLength(800);
    fake.setPosition(799);
    EXPECT_FALSE(device::trackEnded(fake));
    QSignalSpy completed(&fake, &yk::DeviceChannel::completed);
    fake.finishTrack();
    EXPECT_TRUE(device::trackEnded(fake));
    EXPECT_EQ(completed.size(), 1);
}

// The clock the UI reads while the engine plays on its own thread.
TEST(PlaybackClock, ReadingsStartAt0RunOnAndReachTheLengthOnlyAtTheEnd)
{
    using yk::PlaybackClock;
    // A stream counting from its first timestamp (540 ms) starts at 0 and
    // never passes its length.
    EXPECT_EQ(PlaybackClock::normalise(540, 540, 3000), 0);
    EXPECT_EQ(PlaybackClock::normalise(500, 540, 3000), 0);
    EXPECT_EQ(PlaybackClock::normalise(1540, 540, 3000), 1000);
    EXPECT_EQ(PlaybackClock::normalise(9000, 540, 3000), 3000);
    EXPECT_EQ(PlaybackClock::normalise(9000, 0, 0), 9000); // length unknown

    PlaybackClock clock;
    clock.report(1000, 3000, true, 10'000);
    EXPECT_EQ(clock.position(10'250), 1250); // runs on between readings
    // A reading behind the running clock holds it rather than turn it back.
    clock.report(1100, 3000, true, 10'300);
    EXPECT_EQ(clock.position(10'300), 1250);
    EXPECT_EQ(clock.position(10'400), 1250);
    EXPECT_EQ(clock.position(10'600), 1400);
    EXPECT_EQ(clock.position(99'000), 2999); // never taken for the end
    // A new start point does turn it back.
    clock.restart(1000, 3000, true, 10'000);
    clock.hold(10'500);
    EXPECT_EQ(clock.position(20'000), 1500);
    clock.end(3000);
    EXPECT_EQ(clock.position(20'000), 3000);
    EXPECT_EQ(clock.length(), 3000);
    // An end whose length was never known still reads as an end.
    clock.reset();
    clock.end(0);
    EXPECT_EQ(clock.position(0), 1);
    EXPECT_EQ(clock.length(), 1);
}

} // namespace
