#include "platform/linux/Login1SessionEnd.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace yk {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

Login1SessionEnd::Login1SessionEnd(QObject* parent)
    : QObject(parent)
{
}

Login1SessionEnd::Login1SessionEnd(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
}

QDBusConnection& Login1SessionEnd::bus()
{
    if (!m_bus)
        m_bus = QDBusConnection::systemBus();
    return *m_bus;
}

bool Login1SessionEnd::isUnavailable(const QDBusPendingCall& call)
{
    switch (call.error().type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return true;
    default:
        return false;
    }
}

void Login1SessionEnd::callManager(const QString& method, const QVariantList& args, Reply reply)
{
    QDBusConnection& connection = bus();
    if (!connection.isConnected()) {
        // No bus at all: still answer after the call, like the bus would.
        const QDBusPendingCall failed = QDBusPendingCall::fromError(
            QDBusError(QDBusError::Disconnected, QStringLiteral("no bus connection")));
        QTimer::singleShot(0, this, [reply = std::move(reply), failed] { reply(failed); });
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kManager, method);
    message.setArguments(args);
    // Never a password dialog from the bus: the request is the user's own.
    message.setInteractiveAuthorizationAllowed(false);
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, reply = std::move(reply)] {
        watcher->deleteLater();
        reply(*watcher);
    });
}

void Login1SessionEnd::canEndSession(std::function<void(bool)> done)
{
    callManager(QStringLiteral("CanPowerOff"), {}, [done = std::move(done)](const QDBusPendingCall& call) {
        const QDBusPendingReply<QString> answer = call;
        done(!answer.isError() && answer.value() == QStringLiteral("yes"));
    });
}

void Login1SessionEnd::endSession(Done done)
{
    callManager(QStringLiteral("CanPowerOff"), {}, [this, done = std::move(done)](const QDBusPendingCall& call) {
        const QDBusPendingReply<QString> answer = call;
        if (answer.isError()) {
            done({isUnavailable(call) ? Outcome::Unavailable : Outcome::Refused, answer.error().message()});
            return;
        }
        // "challenge" would need a password, which a timer cannot give.
        if (answer.value() != QStringLiteral("yes")) {
            done({Outcome::Refused, QStringLiteral("CanPowerOff: ") + answer.value()});
            return;
        }
        callManager(QStringLiteral("PowerOff"), {QVariant(false)}, [done](const QDBusPendingCall& off) {
            if (off.isError()) {
                done({isUnavailable(off) ? Outcome::Unavailable : Outcome::Refused, off.error().message()});
                return;
            }
            done({Outcome::Accepted, {}});
        });
    });
}

} // namespace yk

namespace yk {

std::unique_ptr<SessionEnd> createSessionEnd()
{
    return std::make_unique<Login1SessionEnd>();
}

} // namespace yk
