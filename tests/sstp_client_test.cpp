#include "platform/SstpClient.h"
#include "shell/MascotErrorBox.h"
#include "core/ScriptEscape.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <functional>
#include <iterator>
#include <gtest/gtest.h>

#include "support/NetUtil.h"

#include "support/TestUtil.h"
#include <memory>

using yk::SstpClient;

using yk::test::spinUntil;

namespace {


// A stand-in mascot on 127.0.0.1. It records every complete request and
// lets each test decide how to answer it.
class FakeMascot : public QObject
{
public:
    using Answer = std::function<void(QTcpSocket*, int requestIndex)>;

    FakeMascot()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                ++connections;
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onData(s); });
                connect(s, &QTcpSocket::disconnected, this, [this] { ++clientCloses; });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    Answer answer;
    QList<QByteArray> requests;
    int connections = 0;
    int clientCloses = 0;

private:
    void onData(QTcpSocket* s)
    {
        QByteArray& buf = m_buffers[s];
        buf += s->readAll();
        const qsizetype end = buf.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        requests.append(buf.left(end + 4));
        buf.remove(0, end + 4);
        if (answer)
            answer(s, int(requests.size()) - 1);
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

FakeMascot::Answer replyWith(QByteArray reply)
{
    return [reply](QTcpSocket* s, int) {
        s->write(reply);
        s->disconnectFromHost();
    };
}

QByteArray status(int code)
{
    return "SSTP/1.4 " + QByteArray::number(code) + " Something\r\n\r\n";
}

// Records what the client reports.
struct Outcomes
{
    explicit Outcomes(SstpClient& client)
    {
        QObject::connect(&client, &SstpClient::requestFinished, &client,
                         [this](int r) { results.append(r); });
        QObject::connect(&client, &SstpClient::sendFailed, &client,
                         [this](int c) { failures.append(c); });
    }
    bool waitFor(qsizetype count, int ms = 3000)
    {
        return spinUntil([&] { return results.size() >= count; }, ms);
    }
    QList<int> results;
    QList<int> failures;
};

using yk::test::closedPort;

std::unique_ptr<SstpClient> clientFor(quint16 port, int connectMs = 300, int exchangeMs = 600)
{
    auto client = std::make_unique<SstpClient>(QStringLiteral("127.0.0.1"), port);
    client->setLimits({connectMs, exchangeMs});
    return client;
}

} // namespace

TEST(SstpClient, WritesTheRequestExactlyAndReportsDelivery)
{
    FakeMascot mascot;
    mascot.answer = replyWith(status(200));
    auto client = clientFor(mascot.port());
    Outcomes out(*client);

    client->sendScript(QStringLiteral("\\t\\h\\s[0]Yomikazeが起動しました♪\\e"));
    ASSERT_TRUE(out.waitFor(1));

    ASSERT_EQ(mascot.requests.size(), 1);
    const QByteArray expected = QByteArray("SEND SSTP/1.4\r\n"
                                           "Charset: UTF-8\r\n"
                                           "Sender: Yomikaze\r\n"
                                           "Script: \\t\\h\\s[0]Yomikaze")
                                + QStringLiteral("が起動しました♪").toUtf8()
                                + QByteArray("\\e\r\n"
                                             "Option: notranslate\r\n"
                                             "\r\n");
    EXPECT_EQ(mascot.requests.at(0), expected);
    EXPECT_EQ(out.results, QList<int>{0});
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_TRUE(client->isIdle());
}

TEST(SstpClient, SuccessCodesAreDeliveredAndEveryOtherCodeIsReportedInOrder)
{
    const QList<int> codes{200, 204, 210, 400, 404, 408, 409, 413, 420, 500, 501, 503, 505, 512};
    FakeMascot mascot;
    mascot.answer = [&codes](QTcpSocket* s, int i) {
        s->write(status(codes.at(i)));
        s->disconnectFromHost();
    };
    auto client = clientFor(mascot.port());
    Outcomes out(*client);

    for (int i = 0; i < codes.size(); ++i)
        client->sendScript(QStringLiteral("msg %1\\e").arg(i));
    EXPECT_EQ(client->pendingCount(), codes.size());
    ASSERT_TRUE(out.waitFor(codes.size(), 5000));

    // One connection per message, in the order sent.
    ASSERT_EQ(mascot.requests.size(), codes.size());
    for (int i = 0; i < codes.size(); ++i)
        EXPECT_TRUE(mascot.requests.at(i).contains(QStringLiteral("Script: msg %1\\e\r\n").arg(i).toUtf8()))
            << i;
    EXPECT_EQ(out.results, (QList<int>{0, 0, 0, 400, 404, 408, 409, 413, 420, 500, 501, 503, 505, 512}));
    EXPECT_EQ(out.failures, (QList<int>{400, 404, 408, 409, 413, 420, 500, 501, 503, 505, 512}));
}

TEST(SstpClient, NoMascotListeningDropsSilentlyAndKeepsGoing)
{
    auto client = clientFor(closedPort(), 2000, 4000);
    Outcomes out(*client);
    QElapsedTimer clock;
    clock.start();
    client->sendScript(QStringLiteral("\\h\\s[0]hello\\e"));
    client->sendScript(QStringLiteral("\\h\\s[0]bye\\e"));
    ASSERT_TRUE(out.waitFor(2));
    EXPECT_EQ(out.results, (QList<int>{SstpClient::kNoMascot, SstpClient::kNoMascot}));
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_TRUE(client->isIdle());
    EXPECT_LT(clock.elapsed(), 1500); // refused at once, not by waiting out the limit
}

TEST(SstpClient, SilentMascotNeverStallsTheEventLoopAndIsNotResent)
{
    FakeMascot mascot;
    // The first request is never answered; the next ones are.
    mascot.answer = [](QTcpSocket* s, int i) {
        if (i > 0) {
            s->write(status(200));
            s->disconnectFromHost();
        }
    };
    const int exchangeMs = 400;
    auto client = clientFor(mascot.port(), 300, exchangeMs);
    Outcomes out(*client);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);

    QElapsedTimer clock;
    clock.start();
    client->sendScript(QStringLiteral("first\\e"));
    client->sendScript(QStringLiteral("second\\e"));
    client->sendScript(QStringLiteral("third\\e"));
    ASSERT_TRUE(out.waitFor(3));
    const qint64 elapsed = clock.elapsed();
    ticker.stop();

    EXPECT_EQ(out.results, (QList<int>{SstpClient::kNoMascot, 0, 0}));
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_GE(elapsed, exchangeMs - 50);
    // A 10 ms timer kept firing all through the wait.
    EXPECT_GE(ticks, int(elapsed / 10 / 2));
    ASSERT_EQ(mascot.requests.size(), 3);
    EXPECT_TRUE(mascot.requests.at(0).contains("Script: first\\e"));
    EXPECT_TRUE(mascot.requests.at(1).contains("Script: second\\e"));
    EXPECT_TRUE(mascot.requests.at(2).contains("Script: third\\e"));
    EXPECT_EQ(mascot.connections, 3);
}

TEST(SstpClient, ReplyOnAnOpenSocketIsTakenAtItsEmptyLineAndTheClientCloses)
{
    FakeMascot mascot;
    mascot.answer = [](QTcpSocket* s, int) {
        s->write("SSTP/1.4 409 Conflict\r\nX-Extra: 1\r\n\r\n"); // and never close
    };
    auto client = clientFor(mascot.port(), 1000, 5000);
    Outcomes out(*client);
    QElapsedTimer clock;
    clock.start();
    client->sendScript(QStringLiteral("busy?\\e"));
    ASSERT_TRUE(out.waitFor(1, 6000));
    EXPECT_LT(clock.elapsed(), 2500); // not held until the time limit
    EXPECT_EQ(out.failures, QList<int>{409});
    EXPECT_TRUE(spinUntil([&] { return mascot.clientCloses == 1; }, 1000));
}

TEST(SstpClient, ReplyArrivingOneByteAtATimeIsAssembled)
{
    FakeMascot mascot;
    QList<std::shared_ptr<QTimer>> drips;
    mascot.answer = [&drips](QTcpSocket* s, int) {
        auto bytes = std::make_shared<QByteArray>("SSTP/1.4 512 Invisible\r\nCharset: UTF-8\r\n\r\n");
        auto drip = std::make_shared<QTimer>();
        drips.append(drip);
        QObject::connect(drip.get(), &QTimer::timeout, s, [s, bytes, timer = drip.get()] {
            if (bytes->isEmpty() || s->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                return;
            }
            s->write(bytes->left(1));
            bytes->remove(0, 1);
        });
        drip->start(2);
    };
    auto client = clientFor(mascot.port(), 300, 3000);
    Outcomes out(*client);
    client->sendScript(QStringLiteral("slow\\e"));
    ASSERT_TRUE(out.waitFor(1));
    EXPECT_EQ(out.failures, QList<int>{512});
}

TEST(SstpClient, AnswersThatAreNotSstpCountAsNoMascot)
{
    const QList<QByteArray> answers{
        "HTTP/1.1 200 OK\r\n\r\n",
        QByteArray("\x00\xff garbage\r\n\r\n", 14),
        "SSTP/1.4 2000 Too long\r\n\r\n",
        "SSTP/x 404 Not Found\r\n\r\n",
        "", // closed without a word
    };
    FakeMascot mascot;
    mascot.answer = [&answers](QTcpSocket* s, int i) {
        s->write(answers.at(i));
        s->disconnectFromHost();
    };
    auto client = clientFor(mascot.port());
    Outcomes out(*client);
    for (int i = 0; i < answers.size(); ++i)
        client->sendScript(QStringLiteral("x\\e"));
    ASSERT_TRUE(out.waitFor(answers.size()));
    EXPECT_EQ(out.results, QList<int>(answers.size(), SstpClient::kNoMascot));
    EXPECT_TRUE(out.failures.isEmpty());
}

TEST(SstpClient, StatusLineParsing)
{
    EXPECT_EQ(SstpClient::statusCode("SSTP/1.4 200 OK\r\n\r\n"), 200);
    EXPECT_EQ(SstpClient::statusCode("SSTP/1.0 420 Refuse"), 420); // stream ended without CR LF
    EXPECT_EQ(SstpClient::statusCode("SSTP/2.10 204 No Content\r\n"), 204);
    EXPECT_EQ(SstpClient::statusCode(" SSTP/1.4 200 OK\r\n"), SstpClient::kNoMascot);
    EXPECT_EQ(SstpClient::statusCode("SSTP/1.4 200"), 200);
    EXPECT_EQ(SstpClient::statusCode("SSTP/1.4 20"), SstpClient::kNoMascot);
    EXPECT_EQ(SstpClient::statusCode("SSTP/1.4 099 Low\r\n"), SstpClient::kNoMascot);
    EXPECT_EQ(SstpClient::statusCode("x\r\nSSTP/1.4 200 OK\r\n"), SstpClient::kNoMascot);
    EXPECT_EQ(SstpClient::resultForStatus(210), 0);
    EXPECT_EQ(SstpClient::resultForStatus(299), 0);
    EXPECT_EQ(SstpClient::resultForStatus(301), 301);
}

TEST(SstpClient, ScriptWithALineBreakNeverReachesTheWire)
{
    FakeMascot mascot;
    mascot.answer = replyWith(status(200));
    auto client = clientFor(mascot.port());
    Outcomes out(*client);
    client->sendScript(QStringLiteral("\\h a\r\nScript: \\![open,file,x]\\e"));
    client->sendScript(QStringLiteral("\\h b\nc\\e"));
    client->sendScript(QStringLiteral("\\h c\rd\\e"));
    client->sendScript(QStringLiteral("\\h fine\\e"));
    ASSERT_TRUE(out.waitFor(1));
    spinUntil([] { return false; }, 50);
    ASSERT_EQ(mascot.requests.size(), 1);
    EXPECT_TRUE(mascot.requests.at(0).contains("Script: \\h fine\\e\r\n"));
    EXPECT_EQ(out.results, QList<int>{0});
}

TEST(SstpClient, TextFromFilesIsEscapedAndWrapped)
{
    FakeMascot mascot;
    mascot.answer = replyWith(status(200));
    auto client = clientFor(mascot.port());
    Outcomes out(*client);
    client->sendText(QStringLiteral("\\![open,file,x]%username\r\n\\e"));
    ASSERT_TRUE(out.waitFor(1));
    ASSERT_EQ(mascot.requests.size(), 1);
    EXPECT_TRUE(mascot.requests.at(0).contains("\r\nScript: \\h\\\\![open,file,x]\\%username\\\\e\\e\r\nOption:"))
        << mascot.requests.at(0).toStdString();
}

TEST(ScriptEscape, RemovesControlsEscapesAndCuts)
{
    EXPECT_EQ(yk::escapeScriptText(QStringLiteral("\\![open,file,x]%username")),
              QStringLiteral("\\\\![open,file,x]\\%username"));
    static const char16_t controls[] = u"a\u0000b\u0001\u001Fc\u007Fd\te\r\n\u0080";
    EXPECT_EQ(yk::escapeScriptText(QString::fromUtf16(controls, std::size(controls) - 1)),
              QString::fromUtf16(u"abcde\u0080"));
    EXPECT_EQ(yk::escapeScriptText(QStringLiteral("夜風 – ♪ 100%")), QStringLiteral("夜風 – ♪ 100\\%"));

    const QString longText(500, u'あ');
    EXPECT_EQ(yk::escapeScriptText(longText), QString(200, u'あ'));

    // A cut never leaves half an escape: a trailing lone "\" would eat the
    // "\e" the caller appends.
    const QString slashAtEdge = QString(199, u'a') + QStringLiteral("\\tail");
    const QString cut = yk::escapeScriptText(slashAtEdge);
    EXPECT_EQ(cut, QString(199, u'a'));

    // Nor half of a character outside the basic plane; those count as one.
    const QString emoji = QString::fromUtf16(u"\U0001F3B5");
    const QString manyNotes = emoji.repeated(250);
    EXPECT_EQ(yk::escapeScriptText(manyNotes), emoji.repeated(200));
    EXPECT_EQ(yk::escapeScriptText(QString(199, u'a') + emoji + QChar(u'b')), QString(199, u'a') + emoji);
}

TEST(SstpClient, FlushLetsQueuedMessagesOutAndGivesUpAtItsLimit)
{
    {
        FakeMascot mascot;
        mascot.answer = replyWith(status(200));
        auto client = clientFor(mascot.port());
        client->sendScript(QStringLiteral("greeting\\e"));
        client->sendScript(QStringLiteral("farewell\\e"));
        QElapsedTimer clock;
        clock.start();
        client->flush(2000);
        EXPECT_LT(clock.elapsed(), 1500); // returns as soon as the queue is empty
        EXPECT_TRUE(client->isIdle());
        ASSERT_EQ(mascot.requests.size(), 2);
        EXPECT_TRUE(mascot.requests.at(1).contains("farewell"));
    }
    {
        FakeMascot mascot; // accepts but never answers
        auto client = clientFor(mascot.port(), 1000, 5000);
        client->sendScript(QStringLiteral("farewell\\e"));
        QElapsedTimer clock;
        clock.start();
        client->flush(200);
        EXPECT_GE(clock.elapsed(), 150);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(mascot.requests.size(), 1);
    } // and the client can be destroyed with the exchange still open
}

TEST(SstpClient, FullQueueDropsTheOldestWaitingMessage)
{
    FakeMascot mascot;
    mascot.answer = replyWith(status(200));
    auto client = clientFor(mascot.port());
    Outcomes out(*client);
    const int total = SstpClient::kMaxQueued + 3;
    for (int i = 0; i < total; ++i)
        client->sendScript(QStringLiteral("n%1\\e").arg(i));
    EXPECT_EQ(client->pendingCount(), SstpClient::kMaxQueued);
    ASSERT_TRUE(out.waitFor(SstpClient::kMaxQueued, 10000));
    ASSERT_EQ(mascot.requests.size(), SstpClient::kMaxQueued);
    EXPECT_TRUE(mascot.requests.first().contains("Script: n3\\e"));
    EXPECT_TRUE(mascot.requests.last().contains(QStringLiteral("Script: n%1\\e").arg(total - 1).toUtf8()));
}

TEST(MascotErrorBox, ReportsEveryFailedSendWithTitleAndCode)
{
    FakeMascot mascot;
    mascot.answer = [](QTcpSocket* s, int i) {
        s->write(status(i == 0 ? 512 : 200));
        s->disconnectFromHost();
    };
    auto client = clientFor(mascot.port());
    yk::MascotErrorBox box(client.get());
    QList<QPair<QString, QString>> shown;
    box.setPresenter([&shown](const QString& title, const QString& text) { shown.append({title, text}); });
    Outcomes out(*client);

    client->sendScript(QStringLiteral("a\\e"));
    client->sendScript(QStringLiteral("b\\e"));
    ASSERT_TRUE(out.waitFor(2));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.at(0).first, QStringLiteral("Yomikaze"));
    EXPECT_EQ(shown.at(0).second, QStringLiteral("エラーコード= 512"));
}

TEST(MascotErrorBox, RealBoxIsNonModalOkOnlyAndGoneWhenClosed)
{
    yk::MascotErrorBox errors(nullptr);
    auto openBoxes = [] {
        QList<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                boxes.append(b);
        return boxes;
    };

    errors.report(409);
    QList<QMessageBox*> boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 1); // shown, and report() returned without waiting
    QPointer<QMessageBox> box = boxes.first();
    EXPECT_EQ(box->text(), QStringLiteral("エラーコード= 409"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Yomikaze"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_FALSE(box->isModal());

    // The same refusal again does not stack a second box; another code does.
    errors.report(409);
    EXPECT_EQ(openBoxes().size(), 1);
    errors.report(420);
    EXPECT_EQ(openBoxes().size(), 2);

    for (QMessageBox* b : openBoxes())
        b->button(QMessageBox::Ok)->click();
    // The test body runs outside any event loop, so deferred deletes are
    // delivered by hand here; the program's own loop does this by itself.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
    EXPECT_TRUE(openBoxes().isEmpty());
}
