// Desktop notices through a stand-in notification service on a bus of the
// test's own: what one Notify carries, and that the program sends exactly
// the timer notices the mascot did not take, and nothing else.

#include "support/AppHarness.h"
#include "support/PrivateBus.h"
#include "support/TestUtil.h"

#include "media/Id3Tag.h"
#include "platform/linux/DBusNotifier.h"
#include "ui/AppIcon.h"
#include "timers/TimeSetFlow.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>

using namespace yk;
using yk::test::spinUntil;
using yk::test::touch;

namespace {

// A stand-in notification daemon: records every Notify.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        QString appName;
        uint replaces = 0;
        QString summary;
        QString body;
        QVariantMap hints;
        int timeout = 0;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replaces, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int timeout)
    {
        calls.append({appName, replaces, summary, body, hints, timeout});
        return uint(calls.size());
    }
};

// The picture of an "image-data" hint: width, height and the byte count.
struct HintImage
{
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = false;
    int bits = 0;
    int channels = 0;
    QByteArray data;
};

HintImage readImage(const QVariant& hint)
{
    HintImage image;
    const QDBusArgument arg = hint.value<QDBusArgument>();
    arg.beginStructure();
    arg >> image.width >> image.height >> image.rowStride >> image.hasAlpha >> image.bits >> image.channels
        >> image.data;
    arg.endStructure();
    return image;
}

void settle(int ms = 300)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class NoticeBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.start()) << "dbus-daemon is missing";
        program = &bus.connect(QStringLiteral("notice-program"));
        ASSERT_TRUE(program->isConnected());
    }

    void TearDown() override
    {
        h.reset();
        notifier.reset();
        bus.stop();
    }

    void offerNotifications()
    {
        desktop = &bus.connect(QStringLiteral("notice-desktop"));
        ASSERT_TRUE(desktop->isConnected());
        ASSERT_TRUE(desktop->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &daemonStandIn,
                                            QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(desktop->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    // The program with its notices on the private bus, a stored 3-minute
    // countdown and the start sound, so T starts the timer at once.
    void startProgram(bool mascotPresent)
    {
        notifier = std::make_unique<DBusNotifier>(*program);
        h = std::make_unique<yk::test::Harness>();
        h->mascot.present = mascotPresent;
        QDir(h->dir.path()).mkpath(QStringLiteral("System"));
        touch(h->path(QStringLiteral("wav/Time_Set.wav")));
        h->clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 58, 20)));
        AppServices s(AppPaths(h->dir.path()));
        s.mascot = &h->mascot;
        s.device = &h->device;
        s.mixer = &h->mixer;
        s.clock = &h->clock;
        s.shell = &h->shell;
        s.tray = &h->tray;
        s.notifier = notifier.get();
        s.workArea = [] { return QRect(0, 0, 1280, 1024); };
        s.random = [] { return 0.0; };
        h->app = std::make_unique<App>(s);
        h->startAndSettle();
        h->settings().timerPreset = QStringLiteral("Time A03");
    }

    yk::test::PrivateBus bus;
    QDBusConnection* program = nullptr;
    QDBusConnection* desktop = nullptr;
    FakeNotifications daemonStandIn;
    std::unique_ptr<DBusNotifier> notifier;
    std::unique_ptr<yk::test::Harness> h;
};

} // namespace

TEST_F(NoticeBus, ANoticeCarriesTheProgramsNameWordsAndIcon)
{
    offerNotifications();
    DBusNotifier n(*program);
    QImage icon(32, 24, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    n.setIcon(icon);
    n.notify(QStringLiteral("タイマー"), QStringLiteral("二行目\n三行目"));
    EXPECT_TRUE(daemonStandIn.calls.isEmpty()) << "sent without waiting for the daemon";
    ASSERT_TRUE(spinUntil([&] { return !daemonStandIn.calls.isEmpty(); }));
    const FakeNotifications::Call& c = daemonStandIn.calls[0];
    EXPECT_EQ(c.appName, QStringLiteral("Yomikaze"));
    EXPECT_EQ(c.replaces, 0u);
    EXPECT_EQ(c.summary, QStringLiteral("タイマー"));
    EXPECT_EQ(c.body, QStringLiteral("二行目\n三行目"));
    EXPECT_EQ(c.timeout, -1);
    ASSERT_TRUE(c.hints.contains(QStringLiteral("image-data")));
    const HintImage image = readImage(c.hints.value(QStringLiteral("image-data")));
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 24);
    EXPECT_EQ(image.channels, 4);
    EXPECT_EQ(image.bits, 8);
    EXPECT_TRUE(image.hasAlpha);
    ASSERT_EQ(image.data.size(), qsizetype(image.rowStride) * 24);
    EXPECT_EQ(quint8(image.data[0]), 255) << "red first: RGBA order";
    EXPECT_EQ(quint8(image.data[1]), 0);
    n.notify(QStringLiteral("♪ Kaze"), {}, QStringLiteral("/tmp/a b.png"));
    ASSERT_TRUE(spinUntil([&] { return daemonStandIn.calls.size() == 2; }));
    EXPECT_EQ(daemonStandIn.calls[1].hints.value(QStringLiteral("image-path")).toString(),
              QStringLiteral("file:///tmp/a%20b.png"));
    EXPECT_FALSE(daemonStandIn.calls[1].hints.contains(QStringLiteral("image-data"))) << "a cover replaces the icon";
}

TEST_F(NoticeBus, NoticesWithoutADaemonAreDroppedAndLaterOnesStillArrive)
{
    DBusNotifier n(*program);
    n.notify(QStringLiteral("誰もいない"), {});
    n.notify(QStringLiteral("誰もいない"), {});
    settle();
    offerNotifications();
    n.notify(QStringLiteral("来た"), {});
    ASSERT_TRUE(spinUntil([&] { return !daemonStandIn.calls.isEmpty(); }));
    settle();
    ASSERT_EQ(daemonStandIn.calls.size(), 1) << "nothing was kept back and resent";
    EXPECT_EQ(daemonStandIn.calls[0].summary, QStringLiteral("来た"));
}

TEST_F(NoticeBus, ATimerStartWithoutAMascotIsExactlyOneNotify)
{
    offerNotifications();
    // What main() gives every window, and the notices with it.
    QGuiApplication::setWindowIcon(appIcon());
    startProgram(false);
    // What plays shows on the desktop when no mascot takes it; the greeting
    // does not.
    id3::Tag tag;
    tag.title = QStringLiteral("Kaze");
    tag.artist = QStringLiteral("Yomi");
    touch(h->path(QStringLiteral("m/a.mp3")), QByteArray(256, '\0') + id3::tagBlock(tag));
    h->playList().append({h->path(QStringLiteral("m/a.mp3"))});
    h->player().play();
    ASSERT_TRUE(spinUntil([&] { return !daemonStandIn.calls.isEmpty(); }, 4000));
    settle();
    ASSERT_EQ(daemonStandIn.calls.size(), 1) << "the greeting is no notice";
    EXPECT_EQ(daemonStandIn.calls[0].summary, QStringLiteral("♪ Kaze"));
    EXPECT_EQ(daemonStandIn.calls[0].body, QStringLiteral("Yomi"));
    daemonStandIn.calls.clear();

    h->key(Qt::Key_T);
    h->tick();
    ASSERT_TRUE(spinUntil([&] { return !daemonStandIn.calls.isEmpty(); }));
    settle();
    ASSERT_EQ(daemonStandIn.calls.size(), 1);
    EXPECT_EQ(daemonStandIn.calls[0].appName, QStringLiteral("Yomikaze"));
    EXPECT_EQ(daemonStandIn.calls[0].summary, QStringLiteral("タイマーがスタートしました♪"));
    ASSERT_TRUE(daemonStandIn.calls[0].hints.contains(QStringLiteral("image-data")))
        << "the program's own icon comes along";
    const HintImage image = readImage(daemonStandIn.calls[0].hints.value(QStringLiteral("image-data")));
    EXPECT_GT(image.width, 0);
    EXPECT_EQ(image.width, appIcon().pixmap(48, 48).width());
}

TEST_F(NoticeBus, AMascotThatTakesTheStartLeavesTheDesktopAlone)
{
    offerNotifications();
    startProgram(true);
    h->key(Qt::Key_T);
    h->tick();
    settle();
    EXPECT_TRUE(h->mascot.scripts.contains(TimeSetFlow::kStartedScript));
    EXPECT_TRUE(daemonStandIn.calls.isEmpty());
}

#include "notification_dbus_test.moc"
