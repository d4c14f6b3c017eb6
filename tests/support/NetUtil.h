#pragma once

#include <QHostAddress>
#include <QTcpServer>

namespace yk::test {

// A loopback port nothing listens on (it was free a moment ago).
inline quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace yk::test
