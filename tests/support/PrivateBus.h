#pragma once

#include <memory>
#include <vector>

#include <QDBusConnection>
#include <QProcess>
#include <QString>

#include "support/TestUtil.h"

namespace yk::test {

// A bus of the test's own: a private dbus-daemon, never the machine's.
// Every connection made through it is closed before the daemon goes, so a
// test cannot leave a connection to a dead bus behind for the next one.
class PrivateBus
{
public:
    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() { stop(); }

    // Starts the daemon and reads its address; false when either fails.
    bool start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        if (!m_daemon.waitForStarted(5000) || !spinUntil([&] { return m_daemon.canReadLine(); }, 5000))
            return false;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }

    const QString& address() const { return m_address; }

    // A new connection to the bus, kept here until stop(); `role` only makes
    // its name readable in a failure.
    QDBusConnection& connect(const QString& role)
    {
        static int serial = 0;
        const QString name = QStringLiteral("yk-%1-%2").arg(role).arg(++serial);
        m_connections.push_back(std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_address, name)));
        return *m_connections.back();
    }

    // Closes every connection, then ends the daemon.
    void stop()
    {
        for (auto& connection : m_connections) {
            const QString name = connection->name();
            connection.reset();
            QDBusConnection::disconnectFromBus(name);
        }
        m_connections.clear();
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }

private:
    QProcess m_daemon;
    QString m_address;
    std::vector<std::unique_ptr<QDBusConnection>> m_connections;
};

} // namespace yk::test
