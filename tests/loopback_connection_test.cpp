#include "platform/posix/LoopbackConnection.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

#include "support/NetUtil.h"

#include "support/TestUtil.h"

using yk::LoopbackConnection;

using yk::test::spinUntil;

namespace {


// The far end: a server on 127.0.0.1 that keeps the first connection.
struct Peer
{
    Peer()
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            if (!socket)
                socket = server.nextPendingConnection();
        });
    }
    quint16 port() const { return server.serverPort(); }
    bool accept() { return spinUntil([this] { return !socket.isNull(); }); }

    QTcpServer server;
    QPointer<QTcpSocket> socket;
};

// What the connection reports, in order.
struct Events
{
    explicit Events(LoopbackConnection& c)
    {
        QObject::connect(&c, &LoopbackConnection::connected, &c, [this] { log += 'c'; });
        QObject::connect(&c, &LoopbackConnection::readyRead, &c, [this] { log += 'r'; });
        QObject::connect(&c, &LoopbackConnection::ended, &c, [this] { log += 'e'; });
    }
    QByteArray log;
};

using yk::test::closedPort;

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

TEST(LoopbackConnection, FailuresArriveLaterFromTheEventLoop)
{
    {
        LoopbackConnection c;
        Events events(c);
        c.connectTo(QStringLiteral("127.0.0.1"), closedPort());
        EXPECT_TRUE(events.log.isEmpty()); // never from inside connectTo()
        ASSERT_TRUE(spinUntil([&] { return !events.log.isEmpty(); }));
        EXPECT_EQ(events.log, "e");
        EXPECT_EQ(c.error(), ECONNREFUSED);
        EXPECT_FALSE(c.isConnected());
    }
    {
        // Names are not looked up, so nothing can block on a resolver.
        LoopbackConnection c;
        Events events(c);
        c.connectTo(QStringLiteral("example.invalid"), 9801);
        EXPECT_TRUE(events.log.isEmpty());
        ASSERT_TRUE(spinUntil([&] { return !events.log.isEmpty(); }));
        EXPECT_EQ(events.log, "e");
        EXPECT_EQ(c.error(), EINVAL);
    }
}

TEST(LoopbackConnection, LargeWriteGoesOutWholeAndInOrder)
{
    Peer peer;
    LoopbackConnection c;
    Events events(c);
    c.connectTo(QStringLiteral("localhost"), peer.port());
    ASSERT_TRUE(spinUntil([&] { return c.isConnected(); }));
    ASSERT_TRUE(peer.accept());
    QByteArray received;
    QObject::connect(peer.socket, &QTcpSocket::readyRead, peer.socket,
                     [&] { received += peer.socket->readAll(); });

    // Far more than the kernel takes in one go: the rest must follow.
    const QByteArray payload = pattern(16 * 1024 * 1024);
    c.write(payload);
    EXPECT_GT(c.bytesToWrite(), 0);
    ASSERT_TRUE(spinUntil([&] { return received.size() >= payload.size(); }, 10000));
    EXPECT_EQ(c.bytesToWrite(), 0);
    EXPECT_TRUE(received == payload);
    EXPECT_EQ(events.log, "c");
}

TEST(LoopbackConnection, ReadingPausesAtItsLimitAndNothingIsLostBeforeTheEnd)
{
    Peer peer;
    LoopbackConnection c;
    Events events(c);
    c.connectTo(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(peer.accept());
    const QByteArray payload = pattern(3 * LoopbackConnection::kReadBufferLimit + 123);
    peer.socket->write(payload);
    peer.socket->disconnectFromHost();

    // Left unread, the connection holds no more than its limit and waits.
    ASSERT_TRUE(spinUntil([&] { return c.bytesAvailable() >= LoopbackConnection::kReadBufferLimit; }));
    spinUntil([] { return false; }, 50);
    EXPECT_EQ(c.bytesAvailable(), LoopbackConnection::kReadBufferLimit);
    EXPECT_FALSE(events.log.contains('e'));

    QByteArray received = c.read(1000);
    QObject::connect(&c, &LoopbackConnection::readyRead, &c, [&] { received += c.read(4096); });
    ASSERT_TRUE(spinUntil([&] { return events.log.contains('e'); }));
    received += c.readAll(); // still there after the end
    EXPECT_TRUE(received == payload);
    EXPECT_EQ(c.error(), 0);
    EXPECT_EQ(events.log.count('e'), 1);
    EXPECT_TRUE(events.log.startsWith('c'));
}

TEST(LoopbackConnection, CloseIsSeenByThePeerAndSilencesTheConnection)
{
    Peer peer;
    LoopbackConnection c;
    Events events(c);
    c.connectTo(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(spinUntil([&] { return c.isConnected(); }));
    ASSERT_TRUE(peer.accept());
    bool peerSawClose = false;
    QObject::connect(peer.socket, &QTcpSocket::disconnected, peer.socket, [&] { peerSawClose = true; });

    c.close();
    peer.socket->write("late");
    EXPECT_TRUE(spinUntil([&] { return peerSawClose; }));
    spinUntil([] { return false; }, 50);
    EXPECT_EQ(events.log, "c");
    EXPECT_EQ(c.bytesAvailable(), 0);
    c.write("ignored"); // harmless on a closed connection
    EXPECT_EQ(c.bytesToWrite(), 0);
}

TEST(LoopbackConnection, WritingToAVanishedPeerEndsTheStreamWithoutKillingTheProgram)
{
    Peer peer;
    LoopbackConnection c;
    Events events(c);
    c.connectTo(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(spinUntil([&] { return c.isConnected(); }));
    ASSERT_TRUE(peer.accept());
    peer.socket->abort();
    QThread::msleep(20);

    // Without an event loop turn the connection has not noticed yet: the
    // first send draws a reset, the next one would raise SIGPIPE.
    c.write("one");
    QThread::msleep(20);
    c.write("two");
    ASSERT_TRUE(spinUntil([&] { return events.log.contains('e'); }));
    EXPECT_EQ(events.log.count('e'), 1);
    EXPECT_FALSE(c.isConnected());
}
