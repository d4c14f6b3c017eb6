#include "platform/NullServices.h"

#include "platform/CachedVolumeMixer.h"
#include "platform/MediaModule.h"
#include "support/TestUtil.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace yk;
using yk::test::spinUntil;

// Callers use these in place of a missing service without checking, so
// each must take every call, report "nothing here", and never fire.

TEST(NullServices, AMissingMascotSwallowsEverythingAndNeverReportsAFailure)
{
    NullMascot mascot;
    QSignalSpy failed(&mascot, &MascotChannel::sendFailed);
    mascot.sendScript(QStringLiteral("\\h\\s[0]こんにちは\\e"));
    mascot.sendText(QStringLiteral("title"));
    mascot.flush(1000);
    QTest::qWait(20);
    EXPECT_EQ(failed.count(), 0);
}

TEST(NullServices, ASilentDeviceReadsBackWhatItWasToldAndNeverEnds)
{
    NullDeviceChannel device;
    QSignalSpy done(&device, &DeviceChannel::completed);
    EXPECT_EQ(device.command(), QStringLiteral("Close")) << "a fresh device reads as closed";
    device.setDeviceType(QStringLiteral("WaveAudio"));
    device.setFileName(QStringLiteral("/x/Opening.wav"));
    device.setCommand(QStringLiteral("Open"));
    device.setCommand(QStringLiteral("Play"));
    device.setFrom(500);
    EXPECT_EQ(device.deviceType(), QStringLiteral("WaveAudio"));
    EXPECT_EQ(device.fileName(), QStringLiteral("/x/Opening.wav"));
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    EXPECT_EQ(device.length(), 0);
    EXPECT_EQ(device.position(), 0);
    QTest::qWait(20);
    EXPECT_EQ(done.count(), 0);
}

TEST(NullServices, NoMixerNoShellNoSessionEnd)
{
    NullVolumeMixer mixer;
    EXPECT_FALSE(mixer.volume().has_value());
    EXPECT_FALSE(mixer.setVolume(0xFFFFFFFFu));
    EXPECT_FALSE(mixer.volume().has_value()) << "a refused volume is not remembered";

    NullShell shell;
    EXPECT_FALSE(shell.openDocument(QStringLiteral("/tmp")));
    EXPECT_FALSE(shell.startProgram(QStringLiteral("/bin/true")));

    // The answers come after the call, as from a real service.
    NullSessionEnd session;
    std::optional<bool> can;
    std::optional<SessionEnd::Result> ended;
    session.canEndSession([&](bool yes) { can = yes; });
    session.endSession([&](const SessionEnd::Result& r) { ended = r; });
    EXPECT_FALSE(can.has_value()) << "answered inside the call";
    EXPECT_FALSE(ended.has_value()) << "answered inside the call";
    ASSERT_TRUE(spinUntil([&] { return can.has_value() && ended.has_value(); }));
    EXPECT_FALSE(*can);
    EXPECT_EQ(ended->outcome, SessionEnd::Outcome::Unavailable);
    EXPECT_FALSE(ended->detail.isEmpty()) << "the user is told why";
}

TEST(NullServices, NoHotKeyAndNoTray)
{
    NullHotKey key;
    QSignalSpy fired(&key, &GlobalHotKey::activated);
    EXPECT_FALSE(key.isSupported());
    EXPECT_FALSE(key.registerHotKey());
    EXPECT_FALSE(key.isRegistered());
    key.unregisterHotKey();

    NullTrayIcon tray;
    QSignalSpy clicked(&tray, &TrayIcon::clicked);
    QSignalSpy menu(&tray, &TrayIcon::menuRequested);
    tray.show(QIcon(), QStringLiteral("tip"));
    EXPECT_FALSE(tray.isShown());
    tray.hide();
    QTest::qWait(20);
    EXPECT_EQ(fired.count() + clicked.count() + menu.count(), 0);
}

TEST(NullServices, NoMoviePlayerFailsEveryFileAfterOpenReturnsAndShowsNothing)
{
    NullMoviePlayer player;
    EXPECT_FALSE(player.open(QStringLiteral("/m/clip.avi")));
    // Connected only after open(): the failure must still arrive, once.
    QSignalSpy failed(&player, &MoviePlayer::error);
    QSignalSpy loaded(&player, &MoviePlayer::loaded);
    ASSERT_TRUE(spinUntil([&] { return failed.count() > 0; }));
    QTest::qWait(20);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());

    EXPECT_EQ(player.fileName(), QStringLiteral("/m/clip.avi"));
    player.play();
    player.seek(1000);
    EXPECT_EQ(player.position(), 0);
    EXPECT_EQ(player.duration(), 0);
    EXPECT_FALSE(player.hasVideo());
    EXPECT_TRUE(player.videoSize().isEmpty());
    EXPECT_EQ(player.videoWidget(), nullptr);
    EXPECT_TRUE(player.grabFrame().isNull());

    auto fromFactory = createMoviePlayer();
    QSignalSpy factoryFailed(fromFactory.get(), &MoviePlayer::error);
    fromFactory->open(QStringLiteral("/m/clip.avi"));
    EXPECT_TRUE(spinUntil([&] { return factoryFailed.count() == 1; }));
}

TEST(NullServices, ThisDesktopsFactoriesAlwaysGiveAService)
{
    // Offscreen: there is no X server to grab keys on.
    auto key = createGlobalHotKey();
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->isSupported());
    EXPECT_FALSE(key->registerHotKey());
    // With or without a sound card, there is a mixer object to ask.
    auto mixer = createVolumeMixer();
    ASSERT_NE(mixer, nullptr);
}

// The system mixer behind the volume thumb and the media controls is read
// off the UI thread, the first reading too: it starts as the mixer is made.
TEST(SystemMixer, ReadsAnswerFromTheLastReadingAndRefreshItOnAWorker)
{
    struct CountingMixer final : VolumeMixer
    {
        std::atomic<int> reads{0};
        std::atomic<quint32> value{100};
        std::optional<quint32> volume() const override
        {
            const_cast<CountingMixer*>(this)->reads++;
            return quint32(value);
        }
        bool setVolume(quint32 v) override { value = v; return true; }
    };
    auto owned = std::make_unique<CountingMixer>();
    CountingMixer& system = *owned;
    CachedVolumeMixer mixer(std::move(owned));
    EXPECT_TRUE(spinUntil([&] { return system.reads == 1; })) << "read before anyone asks";
    EXPECT_EQ(mixer.volume(), 100u);
    EXPECT_EQ(mixer.volume(), 100u);
    EXPECT_EQ(system.reads, 1);

    EXPECT_TRUE(mixer.setVolume(200));
    EXPECT_EQ(system.value, 200u);
    EXPECT_EQ(mixer.volume(), 200u);
    EXPECT_EQ(system.reads, 1);

    // Changed elsewhere (the desktop's own volume control): seen once a
    // later reading has come back.
    system.value = 300;
    QTest::qWait(CachedVolumeMixer::kRefreshMs + 50);
    EXPECT_EQ(mixer.volume(), 200u) << "the read that starts the refresh does not wait for it";
    EXPECT_TRUE(spinUntil([&] { return mixer.volume() == 300u; }));
}

