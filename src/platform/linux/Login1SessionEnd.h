#pragma once

#include <optional>

#include <QDBusConnection>
#include <QObject>

#include "platform/SessionEnd.h"

class QDBusPendingCall;

namespace yk {

// The power-off through the login manager (org.freedesktop.login1): first
// Manager.CanPowerOff, then, only on "yes", Manager.PowerOff(false), which
// never asks for a password. Every call is asynchronous: the UI thread
// never waits for the bus.
class Login1SessionEnd final : public QObject, public SessionEnd
{
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 10000;

    // The system bus, connected on first use, so that a program that never
    // ends the session never talks to it.
    explicit Login1SessionEnd(QObject* parent = nullptr);
    // Any bus (tests point it at a private one).
    explicit Login1SessionEnd(const QDBusConnection& bus, QObject* parent = nullptr);

    void canEndSession(std::function<void(bool)> done) override;
    void endSession(Done done) override;

private:
    using Reply = std::function<void(const QDBusPendingCall&)>;
    // Calls a Manager method; `reply` runs when the answer (or the error)
    // arrives, never inside this call.
    void callManager(const QString& method, const QVariantList& args, Reply reply);
    QDBusConnection& bus();
    // An error of the bus itself (no one there to answer) rather than a no.
    static bool isUnavailable(const QDBusPendingCall& call);

    std::optional<QDBusConnection> m_bus;
};

} // namespace yk
