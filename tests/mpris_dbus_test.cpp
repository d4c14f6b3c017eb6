// The player's remote controls on a bus of the test's own, called as a
// desktop applet or playerctl would call them: methods, properties and the
// change signals, with the program wired as it runs.

#include "support/AppHarness.h"
#include "support/PrivateBus.h"
#include "support/TestUtil.h"

#include "media/Id3Tag.h"
#include "media/Player.h"
#include "platform/linux/MprisAdaptors.h"
#include "platform/linux/MprisService.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QUrl>

using namespace yk;
using yk::test::spinUntil;
using yk::test::touch;

namespace {

const QString kName = QStringLiteral("org.mpris.MediaPlayer2.yomikaze");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Collects the bus signals a listener of the player hears.
class Listener : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;

public Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == kPlayer)
            changes.append(changed);
    }
    void seeked(qlonglong position) { seeks.append(position); }
};

QByteArray mp3WithTag()
{
    id3::Tag tag;
    tag.title = QStringLiteral("Kaze");
    tag.artist = QStringLiteral("Yomi");
    tag.album = QStringLiteral("Sora");
    return QByteArray(256, '\0') + id3::tagBlock(tag);
}

class MprisBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.start()) << "dbus-daemon is missing";
        client = &bus.connect(QStringLiteral("mpris-client"));
        programBus = &bus.connect(QStringLiteral("mpris-program"));
        ASSERT_TRUE(client->isConnected());
        ASSERT_TRUE(programBus->isConnected());
    }

    void TearDown() override
    {
        h.reset();
        service.reset();
        bus.stop();
    }

    // The program with three files in its list, its controls on the bus.
    void startProgram()
    {
        service = std::make_unique<MprisService>(*programBus, kName);
        h = std::make_unique<yk::test::Harness>();
        QDir(h->dir.path()).mkpath(QStringLiteral("System"));
        h->mediaControls = service.get();
        QSignalSpy named(service.get(), &MprisService::nameRequestAnswered);
        h->make();
        h->startAndSettle();
        ASSERT_TRUE(named.count() == 1 || named.wait(5000));
        ASSERT_TRUE(service->ownsName());

        touch(h->path(QStringLiteral("m/a.mp3")), mp3WithTag());
        touch(h->path(QStringLiteral("m/b.wav")));
        touch(h->path(QStringLiteral("m/c.mid")));
        files = {h->path(QStringLiteral("m/a.mp3")), h->path(QStringLiteral("m/b.wav")),
                 h->path(QStringLiteral("m/c.mid"))};
        h->playList().append(files);
        h->tick();
        h->device.clearLog();

        ASSERT_TRUE(client->connect(kName, kPath, kProperties, QStringLiteral("PropertiesChanged"), &listener,
                                    SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
        ASSERT_TRUE(client->connect(kName, kPath, kPlayer, QStringLiteral("Seeked"), &listener,
                                    SLOT(seeked(qlonglong))));
    }

    // A method call; the event loop runs while it waits, since the program
    // answering it lives on this thread.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args = {})
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kName, kPath, interface, method);
        m.setArguments(args);
        const QDBusMessage reply = client->call(m, QDBus::BlockWithGui, 5000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(method) << ": "
                                                            << qPrintable(reply.errorMessage());
        return reply;
    }
    QVariant get(const QString& interface, const QString& name)
    {
        const QDBusMessage reply = call(kProperties, QStringLiteral("Get"), {interface, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    void set(const QString& name, const QVariant& value)
    {
        call(kProperties, QStringLiteral("Set"), {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
    }
    QString status() { return get(kPlayer, QStringLiteral("PlaybackStatus")).toString(); }
    QVariantMap metadata()
    {
        return qdbus_cast<QVariantMap>(get(kPlayer, QStringLiteral("Metadata")).value<QDBusArgument>());
    }
    // Waits for a PropertiesChanged that carries `name`.
    std::optional<QVariant> changeOf(const QString& name)
    {
        std::optional<QVariant> found;
        spinUntil([&] {
            for (const QVariantMap& c : listener.changes) {
                if (c.contains(name))
                    found = c.value(name);
            }
            return found.has_value();
        }, 3000);
        return found;
    }

    yk::test::PrivateBus bus;
    QDBusConnection* client = nullptr;
    QDBusConnection* programBus = nullptr;
    QDBusConnection* otherBus = nullptr;
    std::unique_ptr<MprisService> service;
    std::unique_ptr<yk::test::Harness> h;
    QStringList files;
    Listener listener;
};

} // namespace

TEST_F(MprisBus, PlayPauseAndNextDriveThePlayerAndTheWindowShowsIt)
{
    startProgram();
    EXPECT_EQ(status(), QStringLiteral("Stopped"));

    call(kPlayer, QStringLiteral("Play"));
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_EQ(h->device.command(), QStringLiteral("Play"));
    EXPECT_EQ(h->device.fileName(), files[0]);
    EXPECT_EQ(h->text(QStringLiteral("lbl_Play_Name")), QStringLiteral("1.Kaze"));

    call(kPlayer, QStringLiteral("Pause"));
    EXPECT_EQ(status(), QStringLiteral("Paused"));
    EXPECT_EQ(h->device.command(), QStringLiteral("Pause"));
    call(kPlayer, QStringLiteral("PlayPause"));
    EXPECT_EQ(status(), QStringLiteral("Playing"));

    call(kPlayer, QStringLiteral("Next"));
    EXPECT_EQ(h->device.fileName(), files[1]);
    EXPECT_EQ(h->text(QStringLiteral("lbl_Play_Name")), QStringLiteral("2.b"));
    EXPECT_EQ(metadata().value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b"));
    call(kPlayer, QStringLiteral("Previous"));
    call(kPlayer, QStringLiteral("Previous"));
    EXPECT_EQ(h->player().currentIndex(), 2) << "back from the first entry wraps to the last";

    call(kPlayer, QStringLiteral("Stop"));
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    EXPECT_EQ(h->device.command(), QStringLiteral("Close"));
}

TEST_F(MprisBus, MetadataCarriesTheTagTheFileAndTheLengthInTheirTypes)
{
    startProgram();
    h->device.setLength(187250);
    call(kPlayer, QStringLiteral("Play"));
    const QVariantMap m = metadata();
    EXPECT_EQ(m.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              QStringLiteral("/org/yomikaze/track/0"));
    EXPECT_EQ(m.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Kaze"));
    EXPECT_EQ(m.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{QStringLiteral("Yomi")});
    EXPECT_EQ(m.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Sora"));
    EXPECT_EQ(m.value(QStringLiteral("xesam:url")).toString(), QUrl::fromLocalFile(files[0]).toString());
    EXPECT_EQ(m.value(QStringLiteral("mpris:length")).metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(m.value(QStringLiteral("mpris:length")).toLongLong(), 187250000);

    h->device.setPosition(61500);
    EXPECT_EQ(get(kPlayer, QStringLiteral("Position")).toLongLong(), 61500000);
    EXPECT_TRUE(get(kPlayer, QStringLiteral("CanSeek")).toBool());
    EXPECT_EQ(get(kRoot, QStringLiteral("Identity")).toString(), QStringLiteral("Yomikaze"));
    EXPECT_TRUE(get(kRoot, QStringLiteral("CanQuit")).toBool());
}

TEST(MprisMetadata, AlbumArtistGenreAndTrackNumberOnlyWhenKnown)
{
    MediaTrack t;
    t.id = QStringLiteral("/org/yomikaze/track/0");
    EXPECT_FALSE(MprisPlayerAdaptor::metadataOf(t).contains(QStringLiteral("xesam:trackNumber")));
    t.albumArtists = {QStringLiteral("V.A.")};
    t.genres = {QStringLiteral("Anime(J)")};
    t.trackNumber = 7;
    const QVariantMap m = MprisPlayerAdaptor::metadataOf(t);
    EXPECT_EQ(m.value(QStringLiteral("xesam:albumArtist")).toStringList(), t.albumArtists);
    EXPECT_EQ(m.value(QStringLiteral("xesam:genre")).toStringList(), t.genres);
    EXPECT_EQ(m.value(QStringLiteral("xesam:trackNumber")), QVariant(7));
}

TEST_F(MprisBus, MetadataNamesTheCoverOfTheCurrentEntryOnlyWhenItHasOne)
{
    const QString kArt = QStringLiteral("mpris:artUrl");
    startProgram();
    touch(h->path(QStringLiteral("art/Cover.jpg")), "\xFF\xD8\xFF");
    h->playList().append({h->path(QStringLiteral("art/d.mp3"))}); // a name is enough
    const QString url = QUrl::fromLocalFile(h->path(QStringLiteral("art/Cover.jpg"))).toString(QUrl::FullyEncoded);
    call(kPlayer, QStringLiteral("Previous")); // round to d.mp3
    EXPECT_TRUE(spinUntil([&] { return metadata().value(kArt).toString() == url; })) << "found beside it, any case";
    call(kPlayer, QStringLiteral("Next"));
    EXPECT_FALSE(metadata().contains(kArt)) << "a.mp3 has no picture; d.mp3's stays with d.mp3";
}

TEST_F(MprisBus, ChangesAreSignalledWithOnlyWhatChangedAndNeverThePosition)
{
    startProgram();
    call(kPlayer, QStringLiteral("Play"));
    ASSERT_EQ(changeOf(QStringLiteral("PlaybackStatus")).value_or(QVariant()).toString(), QStringLiteral("Playing"));

    listener.changes.clear();
    // A pause by the window's own key is heard by the bus too.
    h->key(Qt::Key_Backspace);
    EXPECT_EQ(changeOf(QStringLiteral("PlaybackStatus")).value_or(QVariant()).toString(), QStringLiteral("Paused"));
    for (const QVariantMap& c : listener.changes) {
        EXPECT_FALSE(c.contains(QStringLiteral("Position")));
        EXPECT_FALSE(c.contains(QStringLiteral("Metadata"))) << "the track did not change";
    }

    listener.changes.clear();
    QTest::mouseClick(h->label(QStringLiteral("img_L_0")), Qt::LeftButton);
    EXPECT_EQ(changeOf(QStringLiteral("LoopStatus")).value_or(QVariant()).toString(), QStringLiteral("Playlist"));

    listener.changes.clear();
    call(kPlayer, QStringLiteral("Next"));
    const std::optional<QVariant> meta = changeOf(QStringLiteral("Metadata"));
    ASSERT_TRUE(meta.has_value());
    const QVariantMap m = qdbus_cast<QVariantMap>(meta->value<QDBusArgument>());
    EXPECT_EQ(m.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b"));
}

TEST_F(MprisBus, VolumeLoopAndShuffleAreReadAndWrittenThroughProperties)
{
    startProgram();
    set(QStringLiteral("Volume"), 0.5);
    // Without a system mixer, the streams' own volume.
    EXPECT_NEAR(h->device.streamVolume, 0.5, 0.001);
    EXPECT_NEAR(get(kPlayer, QStringLiteral("Volume")).toDouble(), 0.5, 0.001);
    EXPECT_EQ(h->form()->volumeThumbLeft(), 39);

    set(QStringLiteral("LoopStatus"), QStringLiteral("Playlist"));
    EXPECT_TRUE(h->player().loopOn());
    EXPECT_EQ(get(kPlayer, QStringLiteral("LoopStatus")).toString(), QStringLiteral("Playlist"));
    set(QStringLiteral("LoopStatus"), QStringLiteral("None"));
    EXPECT_FALSE(h->player().loopOn());

    set(QStringLiteral("Shuffle"), true);
    EXPECT_TRUE(h->player().randomOn());
    EXPECT_TRUE(get(kPlayer, QStringLiteral("Shuffle")).toBool());
    EXPECT_EQ(changeOf(QStringLiteral("Shuffle")).value_or(QVariant()).toBool(), true);
}

TEST_F(MprisBus, SetPositionChecksTheTrackAndSaysSeeked)
{
    startProgram();
    h->device.setLength(200000);
    call(kPlayer, QStringLiteral("Play"));
    h->device.clearLog();

    call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/yomikaze/track/2"))), qlonglong(10000000)});
    EXPECT_TRUE(h->device.takeLog().isEmpty()) << "not the current track";

    call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/yomikaze/track/0"))), qlonglong(10000000)});
    EXPECT_TRUE(h->device.takeLog().contains(QStringLiteral("From=10000")));
    ASSERT_TRUE(spinUntil([&] { return !listener.seeks.isEmpty(); }));
    EXPECT_EQ(listener.seeks.value(0), 10000000);

    h->device.setPosition(10000);
    call(kPlayer, QStringLiteral("Seek"), {qlonglong(-4000000)});
    EXPECT_TRUE(h->device.takeLog().contains(QStringLiteral("From=6000")));
}

TEST_F(MprisBus, RaiseShowsTheWindowAndQuitEndsTheProgramAfterAnswering)
{
    startProgram();
    h->form()->hide();
    call(kRoot, QStringLiteral("Raise"));
    EXPECT_TRUE(h->form()->isVisible());

    QSignalSpy finished(h->app.get(), &App::finished);
    call(kRoot, QStringLiteral("Quit"));
    ASSERT_TRUE(finished.count() == 1 || finished.wait(3000));
    EXPECT_TRUE(h->mascot.scripts.contains(QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e")));
}

TEST_F(MprisBus, ASecondCopyIsToldTheNameIsTakenAndTheFirstKeepsIt)
{
    startProgram();
    otherBus = &bus.connect(QStringLiteral("mpris-other"));
    MprisService second(*otherBus, kName);
    QSignalSpy answered(&second, &MprisService::nameRequestAnswered);
    QTemporaryDir otherDir;
    QDir(otherDir.path()).mkpath(QStringLiteral("System"));
    AppServices s(AppPaths(otherDir.path()));
    s.mediaControls = &second;
    s.workArea = [] { return QRect(0, 0, 1280, 1024); };
    auto otherApp = std::make_unique<App>(s);
    // The controls go on the bus once the window is up.
    otherApp->start({});
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_FALSE(second.ownsName());

    call(kPlayer, QStringLiteral("Play"));
    EXPECT_EQ(h->device.command(), QStringLiteral("Play")) << "the name still leads to the first copy";
    otherApp.reset();
}

TEST(MprisNoBus, WithoutABusThereAreNoControlsAndNoFuss)
{
    {
        QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/yk-bus"),
                                                             QStringLiteral("yk-mpris-none"));
        ASSERT_FALSE(none.isConnected());
        MprisService service(none, kName);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("System"));
        AppServices s(AppPaths(dir.path()));
        s.mediaControls = &service;
        s.workArea = [] { return QRect(0, 0, 1280, 1024); };
        App app(s);
        app.module<PlayerModule>().player().toggleLoop(); // a change with nobody to tell
        QCoreApplication::processEvents();
        EXPECT_FALSE(service.ownsName());
        EXPECT_TRUE(app.module<PlayerModule>().player().loopOn());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("yk-mpris-none"));
}

#include "mpris_dbus_test.moc"
