#include "platform/linux/DBusNotifier.h"

#include <utility>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QIcon>
#include <QUrl>

namespace {

// The "image-data" hint: raw RGBA pixels, which every notification daemon
// understands without an icon file or an installed icon theme.
struct NoticeImage
{
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

QDBusArgument& operator<<(QDBusArgument& arg, const NoticeImage& image)
{
    arg.beginStructure();
    arg << image.width << image.height << image.rowStride << image.hasAlpha << image.bitsPerSample
        << image.channels << image.data;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, NoticeImage& image)
{
    arg.beginStructure();
    arg >> image.width >> image.height >> image.rowStride >> image.hasAlpha >> image.bitsPerSample
        >> image.channels >> image.data;
    arg.endStructure();
    return arg;
}

} // namespace

Q_DECLARE_METATYPE(NoticeImage)

namespace yk {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// Big enough to read, small enough to keep every message short.
constexpr int kIconSize = 48;

} // namespace

DBusNotifier::DBusNotifier(QObject* parent)
    : QObject(parent)
{
    qDBusRegisterMetaType<NoticeImage>();
}

DBusNotifier::DBusNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<NoticeImage>();
}

QDBusConnection& DBusNotifier::bus()
{
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    return *m_bus;
}

QImage DBusNotifier::icon() const
{
    if (!m_icon.isNull())
        return m_icon;
    const QIcon appIcon = QGuiApplication::windowIcon();
    return appIcon.isNull() ? QImage() : appIcon.pixmap(kIconSize, kIconSize).toImage();
}

void DBusNotifier::notify(const QString& summary, const QString& body, const QString& imagePath)
{
    QDBusConnection& connection = bus();
    if (!connection.isConnected()) {
        if (!std::exchange(m_warned, true))
            qWarning("yk::DBusNotifier: no session bus, desktop notices are off");
        return;
    }
    QVariantMap hints;
    // A picture file is named, not sent: the daemon reads and scales it
    // itself, and a cover of several megabytes stays off the bus.
    if (!imagePath.isEmpty()) {
        hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(imagePath).toString(QUrl::FullyEncoded));
    } else if (const QImage picture = icon(); !picture.isNull()) {
        const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
        NoticeImage image;
        image.width = rgba.width();
        image.height = rgba.height();
        image.rowStride = int(rgba.bytesPerLine());
        image.data = QByteArray(reinterpret_cast<const char*>(rgba.constBits()), rgba.sizeInBytes());
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(image));
    }
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("yomikaze"));

    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // No replaced notice, no actions, the daemon's own display time.
    message.setArguments({kAppName, quint32(0), QString(), summary, body, QStringList(), hints, qint32(-1)});
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->isError() && !std::exchange(m_warned, true))
            qWarning("yk::DBusNotifier: notice not shown: %s", qPrintable(watcher->error().message()));
    });
}

std::unique_ptr<DesktopNotifier> createDesktopNotifier()
{
    return std::make_unique<DBusNotifier>();
}

} // namespace yk
