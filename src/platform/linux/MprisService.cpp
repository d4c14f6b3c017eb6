#include "platform/linux/MprisService.h"

#include <utility>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/linux/MprisAdaptors.h"

namespace yk {

namespace {

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// RequestName: fail rather than wait in line behind the owner.
constexpr quint32 kDoNotQueue = 4;
constexpr quint32 kPrimaryOwner = 1;
constexpr quint32 kAlreadyOwner = 4;

} // namespace

MprisService::MprisService(QObject* parent)
    : QObject(parent)
    , m_busName(kBusName)
{
}

MprisService::MprisService(const QDBusConnection& bus, const QString& busName, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_busName(busName)
{
}

MprisService::~MprisService()
{
    if (m_bus && m_object)
        m_bus->unregisterObject(kObjectPath);
    if (m_bus && m_ownsName)
        m_bus->unregisterService(m_busName);
}

void MprisService::publish(MediaControlTarget& target)
{
    if (m_object)
        return;
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    if (!m_bus->isConnected()) {
        qInfo("yk::MprisService: no session bus, no remote media controls");
        return;
    }
    m_target = &target;
    m_sent = target.state();
    m_object = new QObject(this);
    new MprisRootAdaptor(m_object, target);
    m_player = new MprisPlayerAdaptor(m_object, target);
    if (!m_bus->registerObject(kObjectPath, m_object, QDBusConnection::ExportAdaptors)) {
        qWarning("yk::MprisService: the object path %s is taken, no remote media controls", qPrintable(kObjectPath));
        return;
    }
    // A program that lets go of its player first takes its controls off the
    // bus with it, so no call reaches a player that is gone.
    connect(&target, &QObject::destroyed, this, [this] {
        m_bus->unregisterObject(kObjectPath);
        delete std::exchange(m_object, nullptr);
        m_player = nullptr;
    });
    connect(&target, &MediaControlTarget::changed, this, &MprisService::sendChanges);
    connect(&target, &MediaControlTarget::seeked, m_player,
            [player = m_player](qint64 positionUs) { Q_EMIT player->Seeked(positionUs); });

    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request.setArguments({m_busName, kDoNotQueue});
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(request), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        m_ownsName = !reply.isError() && (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner);
        if (!m_ownsName)
            qWarning("yk::MprisService: the bus name %s is taken by another program; "
                     "this copy has no remote media controls",
                     qPrintable(m_busName));
        Q_EMIT nameRequestAnswered(m_ownsName);
    });
}

void MprisService::sendChanges()
{
    if (!m_target || !m_bus)
        return;
    const MediaState now = m_target->state();
    QVariantMap changed;
    auto note = [&changed](bool differs, const char* name, const QVariant& value) {
        if (differs)
            changed.insert(QString::fromLatin1(name), value);
    };
    note(now.playbackStatus != m_sent.playbackStatus, "PlaybackStatus", now.playbackStatus);
    note(now.loopStatus != m_sent.loopStatus, "LoopStatus", now.loopStatus);
    note(now.shuffle != m_sent.shuffle, "Shuffle", now.shuffle);
    note(now.volume != m_sent.volume, "Volume", now.volume);
    note(now.canGoNext != m_sent.canGoNext, "CanGoNext", now.canGoNext);
    note(now.canGoPrevious != m_sent.canGoPrevious, "CanGoPrevious", now.canGoPrevious);
    note(now.canPlay != m_sent.canPlay, "CanPlay", now.canPlay);
    note(now.canPause != m_sent.canPause, "CanPause", now.canPause);
    note(now.canSeek != m_sent.canSeek, "CanSeek", now.canSeek);
    note(now.track != m_sent.track, "Metadata", MprisPlayerAdaptor::metadataOf(now.track));
    m_sent = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, kPropertiesInterface,
                                                     QStringLiteral("PropertiesChanged"));
    signal.setArguments({kPlayerInterface, changed, QStringList()});
    m_bus->send(signal);
}

std::unique_ptr<MediaControls> createMediaControls()
{
    return std::make_unique<MprisService>();
}

} // namespace yk
