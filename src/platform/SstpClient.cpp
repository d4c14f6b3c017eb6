#include "platform/SstpClient.h"

#include "platform/posix/LoopbackConnection.h"
#include "core/ScriptEscape.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <utility>

namespace yk {

SstpClient::SstpClient(const QString& host, quint16 port, QObject* parent)
    : MascotChannel(parent)
    , m_host(host)
    , m_port(port)
{
    m_connectTimer.setSingleShot(true);
    m_exchangeTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] { finish(kNoMascot); });
    connect(&m_exchangeTimer, &QTimer::timeout, this, [this] {
        // A status line that did arrive still counts; otherwise the mascot
        // is taken as absent for this message.
        onReadyRead();
        if (m_connection)
            finish(statusCode(m_reply));
    });
}

SstpClient::~SstpClient()
{
    if (m_connection) {
        m_connection->disconnect(this);
        m_connection->close();
    }
}

void SstpClient::sendScript(const QString& script)
{
    sendScriptReported(script, {});
}

void SstpClient::sendScriptReported(const QString& script, Delivery delivery)
{
    if (script.contains(u'\r') || script.contains(u'\n')) {
        qWarning("yk::SstpClient: script with a line break dropped");
        reportLater(std::move(delivery), false);
        return;
    }
    enqueue(script, std::move(delivery));
}

void SstpClient::reportLater(Delivery delivery, bool taken)
{
    if (delivery)
        QMetaObject::invokeMethod(this, [delivery = std::move(delivery), taken] { delivery(taken); },
                                  Qt::QueuedConnection);
}

void SstpClient::sendText(const QString& text)
{
    enqueue(QStringLiteral("\\h") + escapeScriptText(text) + QStringLiteral("\\e"));
}

void SstpClient::flush(int timeoutMs)
{
    if (isIdle() || timeoutMs <= 0)
        return;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &SstpClient::drained, &loop, &QEventLoop::quit);
    limit.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool SstpClient::isIdle() const
{
    return !m_connection && m_queue.isEmpty();
}

int SstpClient::pendingCount() const
{
    return int(m_queue.size()) + (m_connection ? 1 : 0);
}

QByteArray SstpClient::buildRequest(const QString& script)
{
    QByteArray request;
    request.reserve(128 + script.size() * 3);
    request += "SEND SSTP/1.4\r\n"
               "Charset: UTF-8\r\n"
               "Sender: Yomikaze\r\n"
               "Script: ";
    request += script.toUtf8();
    request += "\r\n"
               "Option: notranslate\r\n"
               "\r\n";
    return request;
}

int SstpClient::statusCode(const QByteArray& reply)
{
    static const QRegularExpression statusLine(QStringLiteral("^SSTP/\\d+\\.\\d+ (\\d{3})(?!\\d)"));
    const qsizetype end = reply.indexOf('\n');
    const QString first = QString::fromLatin1(end < 0 ? reply : reply.left(end));
    const QRegularExpressionMatch m = statusLine.match(first);
    if (!m.hasMatch())
        return kNoMascot;
    const int code = m.captured(1).toInt();
    return code >= 100 ? code : kNoMascot;
}

int SstpClient::resultForStatus(int status)
{
    return (status >= 200 && status < 300) ? 0 : status;
}

void SstpClient::enqueue(const QString& script, Delivery delivery)
{
    if (m_queue.size() >= kMaxQueued) {
        qWarning("yk::SstpClient: mascot queue full, oldest waiting message dropped");
        reportLater(m_queue.dequeue().delivery, false);
    }
    m_queue.enqueue(Pending{script, std::move(delivery)});
    scheduleNext();
}

void SstpClient::scheduleNext()
{
    // Always start from the event loop: callers never see signals from
    // inside sendScript(), and a finished exchange unwinds before the next.
    if (m_connection || m_startScheduled || m_queue.isEmpty())
        return;
    m_startScheduled = true;
    QMetaObject::invokeMethod(this, [this] { startNext(); }, Qt::QueuedConnection);
}

void SstpClient::startNext()
{
    m_startScheduled = false;
    if (m_connection || m_queue.isEmpty())
        return;

    // Taken off the queue now: whatever happens to this exchange, the
    // message is never tried again.
    Pending next = m_queue.dequeue();
    m_request = buildRequest(next.script);
    m_delivery = std::move(next.delivery);
    m_reply.clear();
    auto* connection = new LoopbackConnection(this);
    m_connection = connection;

    connect(connection, &LoopbackConnection::connected, this, [this, connection] {
        if (connection == m_connection)
            onConnected();
    });
    connect(connection, &LoopbackConnection::readyRead, this, [this, connection] {
        if (connection == m_connection)
            onReadyRead();
    });
    connect(connection, &LoopbackConnection::ended, this, [this, connection] {
        if (connection == m_connection)
            onEnded();
    });

    m_connectTimer.start(m_limits.connectMs);
    m_exchangeTimer.start(m_limits.exchangeMs);
    connection->connectTo(m_host, m_port);
}

void SstpClient::onConnected()
{
    m_connectTimer.stop();
    // One write of the whole request: baseware that reads synchronously
    // must never see a half request.
    m_connection->write(m_request);
}

void SstpClient::onReadyRead()
{
    if (!m_connection)
        return;
    const qsizetype room = kMaxReplyBytes - m_reply.size();
    if (room > 0)
        m_reply += m_connection->read(room);
    if (isCompleteReply(m_reply))
        finish(statusCode(m_reply));
}

void SstpClient::onEnded()
{
    // The stream ended (closed, reset or never connected): judge what came.
    onReadyRead();
    if (m_connection)
        finish(statusCode(m_reply));
}

bool SstpClient::isCompleteReply(const QByteArray& reply)
{
    return reply.size() >= kMaxReplyBytes || reply.contains("\r\n\r\n") || reply.contains("\n\n");
}

void SstpClient::finish(int status)
{
    if (!m_connection)
        return; // this exchange is already over
    m_connectTimer.stop();
    m_exchangeTimer.stop();
    // Close it ourselves: some baseware never closes its end.
    LoopbackConnection* connection = std::exchange(m_connection, nullptr);
    connection->disconnect(this);
    connection->close();
    connection->deleteLater();
    m_request.clear();
    m_reply.clear();

    const int result = status == kNoMascot ? kNoMascot : resultForStatus(status);
    if (Delivery delivery = std::exchange(m_delivery, {}))
        delivery(result == 0);
    Q_EMIT requestFinished(result);
    if (result > 0)
        Q_EMIT sendFailed(result);

    if (m_queue.isEmpty())
        Q_EMIT drained();
    else
        scheduleNext();
}

} // namespace yk
