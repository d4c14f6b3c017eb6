// The mascot channel's report of whether a message was taken, which the
// desktop notices rely on: against a stand-in mascot over real sockets.

#include "platform/SstpClient.h"

#include <algorithm>
#include <optional>

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include "support/NetUtil.h"
#include "support/TestUtil.h"

using yk::SstpClient;
using yk::test::spinUntil;

namespace {

// Answers every request with the next reply of its list.
class StandInMascot : public QObject
{
public:
    explicit StandInMascot(QList<QByteArray> replies) : m_replies(std::move(replies))
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    m_buffer += s->readAll();
                    if (!m_buffer.contains("\r\n\r\n"))
                        return;
                    m_buffer.clear();
                    ++requests;
                    s->write(m_replies.isEmpty() ? QByteArray() : m_replies.takeFirst());
                    s->disconnectFromHost();
                });
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    int requests = 0;

private:
    QTcpServer m_server;
    QList<QByteArray> m_replies;
    QByteArray m_buffer;
};

} // namespace

TEST(MascotDelivery, TakenOnlyWhenTheMascotAnswersWithSuccess)
{
    StandInMascot mascot({"SSTP/1.4 200 OK\r\n\r\n", "SSTP/1.4 512 Invisible\r\n\r\n", "SSTP/1.4 210 Break\r\n\r\n"});
    SstpClient client(QStringLiteral("127.0.0.1"), mascot.port());
    QList<bool> reports;
    for (int i = 0; i < 3; ++i)
        client.sendScriptReported(QStringLiteral("\\h%1\\e").arg(i), [&](bool taken) { reports.append(taken); });
    EXPECT_TRUE(reports.isEmpty()) << "never inside the call";
    ASSERT_TRUE(spinUntil([&] { return reports.size() == 3; }, 8000));
    EXPECT_EQ(reports, QList<bool>({true, false, true})) << "a refusal is not taken; broken off still is";
    EXPECT_EQ(mascot.requests, 3);
}

TEST(MascotDelivery, NoMascotAndUnsendableScriptsAreReportedNotTaken)
{
    SstpClient absent(QStringLiteral("127.0.0.1"), yk::test::closedPort());
    std::optional<bool> report;
    absent.sendScriptReported(QStringLiteral("\\hだれか\\e"), [&](bool taken) { report = taken; });
    ASSERT_TRUE(spinUntil([&] { return report.has_value(); }, 5000));
    EXPECT_FALSE(*report);

    StandInMascot mascot({"SSTP/1.4 200 OK\r\n\r\n"});
    SstpClient client(QStringLiteral("127.0.0.1"), mascot.port());
    std::optional<bool> broken;
    client.sendScriptReported(QStringLiteral("\\h二行\n\\e"), [&](bool taken) { broken = taken; });
    EXPECT_FALSE(broken.has_value()) << "never inside the call";
    ASSERT_TRUE(spinUntil([&] { return broken.has_value(); }));
    EXPECT_FALSE(*broken);
    EXPECT_EQ(mascot.requests, 0) << "it never reached the wire";
}

TEST(MascotDelivery, AMessagePushedOutOfAFullQueueIsReportedNotTaken)
{
    // Nobody answers, so everything waits behind the first message.
    SstpClient client(QStringLiteral("127.0.0.1"), yk::test::closedPort());
    QList<int> dropped;
    for (int i = 0; i < SstpClient::kMaxQueued + 2; ++i)
        client.sendScriptReported(QStringLiteral("\\h%1\\e").arg(i), [&dropped, i](bool taken) {
            if (!taken)
                dropped.append(i);
        });
    ASSERT_TRUE(spinUntil([&] { return dropped.size() == SstpClient::kMaxQueued + 2; }, 20000));
    EXPECT_EQ(dropped.size(), SstpClient::kMaxQueued + 2) << "each message reported once";
    QList<int> sorted = dropped;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << "no message reported twice";
}
